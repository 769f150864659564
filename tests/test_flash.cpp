// The beat-synced picture flashes with a scripted clock and song position:
// kick and overlay timing, their shapes in GL_FEEDBACK, the look in pixels
// and the state left for the effects after them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "app/clock.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/picture_flashes.h"
#include "gfx/textures.h"
#include "tests/test_sprite_geometry.h"

static double now = 10;
static int clock_reads = 0;
double demo_time()
{
    ++clock_reads;
    return now;
}

// The first read of a call gives first_read, later ones second_read.
static int32_t first_read = 0, second_read = 0;
static int position_reads = 0;
int32_t song_position() { return position_reads++ % 2 == 0 ? first_read : second_read; }

static void at(int32_t pos, double time, int32_t order_read = -1)
{
    first_read = order_read == -1 ? pos : order_read;
    second_read = pos;
    position_reads = 0;
    now = time;
}

// Solid textures: 3 (the picture of orders 4-6) grey 100, overlay pictures
// 2 red and 4 green.
static void make_textures()
{
    static bool made = false;
    if (made) return;
    made = true;
    glGenTextures(kTextureCount, textures);
    for (int i = 0; i < kTextureCount; ++i) {
        const uint8_t rgb[3] = {uint8_t(i == 3 ? 100 : i == 2 ? 200 : 0),
                                uint8_t(i == 3 ? 100 : i == 4 ? 200 : 0), uint8_t(i == 3 ? 100 : 0)};
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }
}

class Flashes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        make_textures();
        kick_start = 0.0;
        kick_sign = 1.0;
        overlay_start = 0.0;
        overlay_pick = 0;
        glColor4f(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
    }
    // The centre pixel of one frame in the demo's own view.
    static const uint8_t* centre_after_frame()
    {
        static std::vector<uint8_t> pixels;
        glViewport(0, 0, 64, 48);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-1.33, 1.33, -1, 1, 3, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -3);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        picture_flashes();
        pixels = read_rgba(64, 48);
        return &pixels[(24 * 64 + 32) * 4];
    }
    static std::vector<Quad> quads_of_frame()
    {
        linear_view();
        return captured_quads(picture_flashes);
    }
};

TEST_F(Flashes, NothingHappensPastOrder19OrBeforeTheFirstRow)
{
    glColor3f(0.3f, 0.3f, 0.3f);
    for (int32_t order_read : {2000, -37}) {
        at(400, 5, order_read);  // a listed position in the second read
        clock_reads = 0;
        EXPECT_TRUE(quads_of_frame().empty());
        EXPECT_EQ(clock_reads, 0);
        EXPECT_EQ(kick_start + overlay_start, 0);
        EXPECT_EQ(kick_sign, 1);
    }
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.3f);
}

TEST_F(Flashes, KickFrameIsBrighterThanAPlainOne)
{
    at(408, 10);
    const uint8_t plain = centre_after_frame()[0];
    at(407, 11);
    const uint8_t kick = centre_after_frame()[0];
    EXPECT_NEAR(plain, 80, 1);
    EXPECT_NEAR(kick, 100, 1);
}

// During the kick row the picture stays bright, flat and untilted; the
// pulse plays out after the row and ends itself.
TEST_F(Flashes, KickPulsePlaysAfterTheRow)
{
    for (double time : {10.0, 10.05, 10.1}) {
        at(407, time);
        const auto quads = quads_of_frame();
        ASSERT_EQ(quads.size(), 1u);
        EXPECT_NEAR(quads[0].half_width, 1.33, 1e-4);
        EXPECT_NEAR(quads[0].angle, 0, 1e-3);
        EXPECT_EQ(quads[0].vertices[0].r, 1);
    }
    at(408, 10.2);  // three flips: the tilt is negative
    auto quads = quads_of_frame();
    EXPECT_NEAR(quads[0].half_width, 1.48, 1e-4);
    EXPECT_NEAR(quads[0].angle, -0.75, 1e-3);
    at(408, 10.35);
    quads = quads_of_frame();
    EXPECT_NEAR(quads[0].half_width, 1.33, 1e-4);
    EXPECT_EQ(quads[0].vertices[0].r, 1);
    EXPECT_EQ(kick_start, 0);
    at(408, 10.4);
    EXPECT_NEAR(quads_of_frame()[0].vertices[0].r, 0.8, 1e-6);
}

TEST_F(Flashes, KickTiltFlipsOncePerMatchingFrame)
{
    double tilts[3];
    const int matching_frames[3] = {1, 1, 2};
    double time = 10;
    for (int n = 0; n < 3; ++n) {
        for (int f = 0; f < matching_frames[n]; ++f) {
            at(416, time);
            quads_of_frame();
        }
        at(417, time + 0.1);
        tilts[n] = quads_of_frame()[0].angle;
        time += 1;
    }
    EXPECT_NEAR(tilts[0], -0.75, 1e-3);
    EXPECT_NEAR(tilts[1], 0.75, 1e-3);
    EXPECT_NEAR(tilts[2], 0.75, 1e-3);
}

// Overlays alternate green and red, add onto the picture, are not restarted
// while running, and a listed row that outlasts one triggers the next.
TEST_F(Flashes, OverlayIsAdditiveAlternatesAndIsNotRestarted)
{
    at(512, 10);
    centre_after_frame();
    at(513, 10.3);
    const uint8_t* green = centre_after_frame();
    EXPECT_NEAR(green[0], 80, 1);
    EXPECT_NEAR(green[1], 80 + 157, 2);

    at(524, 10.4);
    auto quads = quads_of_frame();
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_NEAR(quads[1].half_width, 1.6, 1e-4);
    EXPECT_NEAR(quads[1].angle, 0.4 * 140, 1e-2);
    at(524, 10.7);
    quads = quads_of_frame();
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[1].half_width, 0);
    EXPECT_EQ(overlay_start, 0);

    at(524, 10.8);
    centre_after_frame();
    at(525, 11.1);
    const uint8_t* red = centre_after_frame();
    EXPECT_NEAR(red[0], 80 + 157, 2);
    EXPECT_NEAR(red[1], 80, 1);
}

TEST_F(Flashes, KicksAndOverlaysRunWithoutAPicture)
{
    at(900, 5);  // order 9 shows no picture; 900 is in both lists
    EXPECT_TRUE(quads_of_frame().size() == 1u);  // the overlay, still flat
    EXPECT_EQ(kick_start, 5);
    EXPECT_EQ(overlay_start, 5);
    at(901, 5.3);
    const auto quads = quads_of_frame();
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_NEAR(quads[0].half_width, 1.8, 1e-4);
}

TEST_F(Flashes, StateLeftForTheNextEffects)
{
    at(512, 10);
    quads_of_frame();
    glColor3f(0.2f, 0.4f, 0.6f);
    glDisable(GL_TEXTURE_2D);
    float entry[16], after[16], colour[4];
    glTranslatef(1, 2, 3);
    glGetFloatv(GL_MODELVIEW_MATRIX, entry);
    at(513, 10.3);
    picture_flashes();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], entry[i]);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 3);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_COLOR);
    EXPECT_EQ(dst, GL_ONE);
}
