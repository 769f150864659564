// The grid pulse drawn as one square once its discs cover the whole view
// must give exactly the pixels of the four hundred discs.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/shell.h"
#include "gfx/effects/effects.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"

static constexpr int kWidth = 256, kHeight = 192;
static GLuint literal_disc;  // the same disc under another name: always drawn sprite by sprite

static GLuint upload_disc()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kDiscSize, kDiscSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, disc_pixels);
    return name;
}

struct View {
    double rotation;   // degrees about z, as the 900-1099 section turns the grid
    int viewport[4];   // the closing zoom-out shrinks it
    double shift;      // moves the grid right, so its left edge comes into view
};

static std::vector<uint8_t> draw(GLuint texture, const View& view, double t, double bias, size_t* polygons)
{
    glViewport(0, 0, kWidth, kHeight);
    // A background with structure, so any pixel the grid misses shows.
    glClearColor(0.2f, 0.5f, 0.8f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(view.viewport[0], view.viewport[1], view.viewport[2], view.viewport[3]);
    set_frame_view();
    glRotatef(static_cast<float>(view.rotation), 0, 0, 1);
    glTranslatef(static_cast<float>(view.shift), 0, 0);
    glDisable(GL_DEPTH_TEST);
    glColor3f(0.6f, 0.0f, 0.8f);
    static GLuint feedback_texture;
    static double feedback_t, feedback_bias;
    feedback_texture = texture;
    feedback_t = t;
    feedback_bias = bias;
    *polygons = feedback_polygons(capture_feedback([] {
        sprite_grid_pulse(feedback_texture, feedback_t, feedback_bias);
    })).size();
    sprite_grid_pulse(texture, t, bias);
    glFinish();
    return read_rgba(kWidth, kHeight);
}

TEST(GridCover, CoveredViewIsOneSquareWithTheDiscsExactPixels)
{
    ASSERT_TRUE(make_gl_test_context(kWidth, kHeight));
    build_disc();
    textures[7] = upload_disc();
    literal_disc = upload_disc();
    glEnable(GL_TEXTURE_2D);

    const View straight{0, {0, 0, kWidth, kHeight}, 0};
    const View turned{45, {0, 0, kWidth, kHeight}, 0};
    const View zoomed{0, {96, 72, 64, 48}, 0};
    const View edge_in_view{0, {0, 0, kWidth, kHeight}, 0.8};
    struct Case { View view; double t, bias; bool covers; };
    const Case cases[] = {
        {straight, 3.0, 0.5, true},    // the black pulse a few seconds in
        {straight, 7.5, 2.0, true},    // near its end: discs far larger than the view
        {turned, 1.0, 0.3, true},
        {zoomed, 2.0, 1.0, true},
        {straight, 0.5, 0.0, false},   // ordinary pulse: gaps between the discs
        {straight, 1.9, 0.06, false},  // gaps between the discs
        {straight, 1.9, 0.1, false},   // the smallest discs just short of closing them
        {edge_in_view, 7.5, 2.0, false},  // the discs reach past the square's edge
    };
    for (const Case& c : cases) {
        size_t shortcut_polygons = 0, literal_polygons = 0;
        const auto shortcut = draw(textures[7], c.view, c.t, c.bias, &shortcut_polygons);
        const auto literal = draw(literal_disc, c.view, c.t, c.bias, &literal_polygons);
        SCOPED_TRACE("rotation " + std::to_string(c.view.rotation) + " t " + std::to_string(c.t) +
                     " bias " + std::to_string(c.bias));
        EXPECT_GT(literal_polygons, 100u);  // sprites wholly outside the view leave no trace
        if (c.covers) {
            EXPECT_LE(shortcut_polygons, 8u);  // one square, split by clipping
        } else {
            EXPECT_GT(shortcut_polygons, 8u);  // discs, not the one square (covered cells may add squares)
        }
        // Colour only: the window has no alpha channel and no effect blends
        // with the destination's alpha, which keeps the last disc edge's.
        size_t differing = 0;
        for (size_t i = 0; i < literal.size(); ++i) differing += i % 4 != 3 && shortcut[i] != literal[i];
        EXPECT_EQ(differing, 0u);
    }
    const GLuint uploaded[2] = {textures[7], literal_disc};
    glDeleteTextures(2, uploaded);
    textures[7] = 0;
}
