// The effects drawn with shortcuts (marks in the depth buffer, vertex
// arrays, shared corners) against the same pictures drawn the plain way,
// vertex by vertex between glBegin and glEnd, here in the test. Colour
// channels are compared pixel by pixel; alpha is not, as the window has no
// alpha channel and no effect blends with the destination's alpha.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/shell.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"

static constexpr int kWidth = 320, kHeight = 240;
static constexpr size_t kAllowedDifferences = kWidth * kHeight / 1000;  // 0.1% of the frame

// The viewport drawn into; the closing zoom-out shrinks it.
static const int whole_view[4] = {0, 0, kWidth, kHeight};
static int view[4] = {0, 0, kWidth, kHeight};

static std::vector<uint8_t> draw_picture(void (*draw)())
{
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.2f, 0.5f, 0.8f, 1);  // structure for any pixel a drawing misses
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(view[0], view[1], view[2], view[3]);
    set_frame_view();
    draw();
    glFinish();
    return read_rgba(kWidth, kHeight);
}

static size_t differing_pixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    size_t differing = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return differing;
}

static size_t coloured_pixels(const std::vector<uint8_t>& picture, const std::vector<uint8_t>& background)
{
    return differing_pixels(picture, background);
}

class PlainDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(make_gl_test_context(kWidth, kHeight));
        build_disc();
        glGenTextures(1, &textures[7]);
        glBindTexture(GL_TEXTURE_2D, textures[7]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kDiscSize, kDiscSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, disc_pixels);
    }
    static void TearDownTestSuite()
    {
        glDeleteTextures(1, &textures[7]);
        textures[7] = 0;
    }
};

// The grid pulse's 400 alpha-tested discs one after the other, in grid
// order, as the effect's header describes them.
static double grid_t, grid_bias, grid_turn, grid_shift;
static void plain_grid()
{
    glRotatef(static_cast<float>(grid_turn), 0, 0, 1);
    glTranslatef(static_cast<float>(grid_shift), 0, 0);
    glColor3f(0.6f, 0.0f, 0.8f);
    glBindTexture(GL_TEXTURE_2D, textures[7]);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glBegin(GL_QUADS);
    for (int i = 0; i < 20; ++i) {
        const double wobble = std::cos(i + grid_t) / 30;
        for (int j = 0; j < 20; ++j) {
            const double s = std::fmax(std::sin(0.5 * j + 0.5 * i + 2 * grid_t) / 30 + grid_bias + wobble + 0.1, 0);
            const float x = static_cast<float>(0.2 * (j - 10)), y = static_cast<float>(0.2 * (i - 10));
            const float h = static_cast<float>(s);
            glTexCoord2f(0, 1);
            glVertex3f(x - h, y - h, 0);
            glTexCoord2f(1, 1);
            glVertex3f(x + h, y - h, 0);
            glTexCoord2f(1, 0);
            glVertex3f(x + h, y + h, 0);
            glTexCoord2f(0, 0);
            glVertex3f(x - h, y + h, 0);
        }
    }
    glEnd();
    glDisable(GL_ALPHA_TEST);
}

static void effect_grid()
{
    glRotatef(static_cast<float>(grid_turn), 0, 0, 1);
    glTranslatef(static_cast<float>(grid_shift), 0, 0);
    glColor3f(0.6f, 0.0f, 0.8f);
    sprite_grid_pulse(textures[7], grid_t, grid_bias);
}

TEST_F(PlainDrawing, GridPulseColoursTheSamePixelsAsItsDiscsOneByOne)
{
    const auto background = draw_picture([] {});
    struct Case { double t, bias, turn, shift; bool zoomed; };
    const Case cases[] = {
        {1.5, 0.1, 0, 0, false},    // the tube section's largest discs: many overlaps
        {2.5, 0.06, 45, 0, false},  // turned, as 900-1099 draws it
        {0.3, 0.8, 0, 0, false},    // the growing grid near covering the view
        {1.0, 0.0, 10, 0, false},   // small discs with gaps
        {4.0, -0.3, 0, 0, false},   // every disc at scale 0
        {7.5, 2.0, 0, 0, false},    // the growing grid near its end: discs far larger than the view
        {1.0, 0.3, 45, 0, false},   // the whole view covered, turned
        {2.0, 1.0, 0, 0, true},     // covered, in the closing zoom-out's small viewport
        {7.5, 2.0, 0, 0.8, false},  // the discs reach past the grid's edge, which is in view
        {1.9, 0.1, 0, 0, false},    // the smallest discs just short of closing the gaps
    };
    for (const Case& c : cases) {
        grid_t = c.t;
        grid_bias = c.bias;
        grid_turn = c.turn;
        grid_shift = c.shift;
        const int zoomed_view[4] = {120, 90, 80, 60};
        std::copy(c.zoomed ? zoomed_view : whole_view, (c.zoomed ? zoomed_view : whole_view) + 4, view);
        SCOPED_TRACE("t " + std::to_string(c.t) + " bias " + std::to_string(c.bias));
        const auto plain = draw_picture(plain_grid);
        const auto effect = draw_picture(effect_grid);
        EXPECT_EQ(differing_pixels(plain, effect), 0u);
        if (c.bias > 0 && !c.zoomed) {
            EXPECT_GT(coloured_pixels(plain, background), size_t(kWidth * kHeight / 4));
        }
    }
    std::copy(whole_view, whole_view + 4, view);
}

// The marks are cleared again and the depth test is left as it was found.
TEST_F(PlainDrawing, GridPulseLeavesTheDepthBufferClear)
{
    for (const bool depth_test : {false, true}) {
        glClear(GL_DEPTH_BUFFER_BIT);
        if (depth_test) {
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        set_frame_view();
        sprite_grid_pulse(textures[7], 1.5, 0.1);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depth_test ? GL_TRUE : GL_FALSE);
        std::vector<float> depth(kWidth * kHeight);
        glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        size_t marked = 0;
        for (float d : depth) marked += d != 1.0f;
        EXPECT_EQ(marked, 0u);
    }
    glDisable(GL_DEPTH_TEST);
}

// The tube with every face filled, inner ones too, and its edge lines, face
// by face as the effect's header describes it.
static float tube_phase;
static void tube_point(int k, int j, double radius, double z_push, float out[3])
{
    const float offset_angle = 0.2f * k + tube_phase;
    const double offset = std::sin(offset_angle);
    const float angle = static_cast<float>(6.282 * j / 4 + tube_twist[k]);
    const double s = std::sin(angle), c = std::cos(angle);  // float sine, as the effect takes it
    out[0] = static_cast<float>(radius * s + offset);
    out[1] = static_cast<float>(0.5 * k);
    out[2] = static_cast<float>(radius * c + z_push);
}

static void plain_tube()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    glTranslatef(-3, -15, -20);
    for (int i = 0; i + 1 < kTubeRings; ++i) {
        for (int j = 0; j < 4; ++j) {
            float a[3], b[3], c[3], d[3];
            const float shade = i * (1.0f / 60);
            glColor4f(shade, shade - j / 4.0f, j / 4.0f, 1);
            glBegin(GL_QUADS);
            tube_point(i, j, 5, 0, a);
            tube_point(i, j + 1, 5, 0, b);
            tube_point(i + 1, j + 1, 5, 0, c);
            tube_point(i + 1, j, 5, 0, d);
            glVertex3fv(a);
            glVertex3fv(b);
            glVertex3fv(c);
            glVertex3fv(d);
            glEnd();
            glColor4f(0, 0, 0, 1);
            glLineWidth(2);
            glBegin(GL_LINES);
            tube_point(i, j, 5.001, 0.01, a);
            tube_point(i + 1, j, 5.001, 0.01, b);
            tube_point(i, j + 1, 5.001, 0.01, c);
            tube_point(i + 1, j + 1, 5.001, 0.01, d);
            glVertex3fv(a);
            glVertex3fv(b);
            glVertex3fv(c);
            glVertex3fv(d);
            glEnd();
        }
    }
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

static void effect_tube()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    tube_draw(tube_phase);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

TEST_F(PlainDrawing, TubeMatchesItsFacesAndEdgesDrawnOneByOne)
{
    const auto background = draw_picture([] {});
    size_t worst = 0;
    for (const float t : {0.0f, 1.7f, 42.3f, 87.9f, 101.25f}) {
        tube_update(t);
        tube_phase = 2 * t;
        const auto plain = draw_picture(plain_tube);
        const auto effect = draw_picture(effect_tube);
        EXPECT_GT(coloured_pixels(plain, background), size_t(kWidth * kHeight / 4)) << t;
        worst = std::max(worst, differing_pixels(plain, effect));
    }
    EXPECT_LE(worst, kAllowedDifferences);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

// The cube field nearest cubes first against its cubes drawn one by one in
// lattice order with draw_cube (every face lit, then the outline), at times
// the finale shows.
static float field_t;
static void field_view()
{
    glDisable(GL_TEXTURE_2D);
    glTranslatef(0, 0, -12);
    glEnable(GL_DEPTH_TEST);
}

static void plain_field()
{
    field_view();
    draw_cube_field(field_t);  // only for its lights; cleared below
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    set_frame_view();
    glTranslatef(0, 0, -12);
    glRotatef(13 * field_t, 1, 0, 0);
    glRotatef(17 * field_t, 0, 1, 0);
    glRotatef(15 * field_t, 0, 0, 1);
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) draw_cube(scalar_field[i][j][k] - 0.8f, i - 8.0f, j - 8.0f, k - 8.0f);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

static void effect_field()
{
    field_view();
    draw_cube_field(field_t);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

TEST_F(PlainDrawing, CubeFieldMatchesItsCubesDrawnOneByOne)
{
    const auto background = draw_picture([] {});
    for (const double seconds : {118.0, 124.5, 130.0, 133.0, 139.5}) {
        field_update(static_cast<float>(seconds / 7));
        field_t = static_cast<float>(2 * seconds);
        const auto plain = draw_picture(plain_field);
        const auto effect = draw_picture(effect_field);
        EXPECT_GT(coloured_pixels(plain, background), size_t(kWidth * kHeight / 10)) << seconds;
        EXPECT_LE(differing_pixels(plain, effect), kAllowedDifferences) << seconds;
    }
}

// The iso-surface nearest cells first against every cell polygonised in
// lattice order, both copies, at times its section shows.
static float iso_t;
static void plain_iso_pass()
{
    glBegin(GL_TRIANGLES);
    for (int i = 0; i + 1 < kFieldSize; ++i)
        for (int j = 0; j + 1 < kFieldSize; ++j)
            for (int k = 0; k + 1 < kFieldSize; ++k) {
                const float values[8] = {
                    scalar_field[i][j][k],         scalar_field[i + 1][j][k],
                    scalar_field[i + 1][j + 1][k], scalar_field[i][j + 1][k],
                    scalar_field[i][j][k + 1],     scalar_field[i + 1][j][k + 1],
                    scalar_field[i + 1][j + 1][k + 1], scalar_field[i][j + 1][k + 1],
                };
                polygonise_cell(values, i - 8.0f, j - 8.0f, k - 8.0f);
            }
    glEnd();
}

static void plain_iso()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glTranslatef(0, 0, -28);
    glRotatef(13 * iso_t, 1, 0, 0);
    glRotatef(17 * iso_t, 0, 1, 0);
    glRotatef(15 * iso_t, 0, 0, 1);
    plain_iso_pass();
    const float f = static_cast<float>(1 + 0.7f * std::sin(static_cast<double>(iso_t)));
    glScalef(f, f, f);
    plain_iso_pass();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

static void effect_iso()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glTranslatef(0, 0, -28);
    draw_iso_surface(iso_t);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

TEST_F(PlainDrawing, IsoSurfaceMatchesItsCellsDrawnInLatticeOrder)
{
    const auto background = draw_picture([] {});
    for (const double seconds : {69.0, 72.5, 76.0, 80.25, 84.0}) {
        field_update(static_cast<float>(seconds / 3));
        iso_t = static_cast<float>(2 * seconds);
        const auto plain = draw_picture(plain_iso);
        const auto effect = draw_picture(effect_iso);
        EXPECT_GT(coloured_pixels(plain, background), size_t(kWidth * kHeight / 20)) << seconds;
        EXPECT_LE(differing_pixels(plain, effect), kAllowedDifferences) << seconds;
    }
}
