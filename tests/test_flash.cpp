// The beat-synced picture flashes with a scripted clock and song position:
// kick and overlay timing, their shapes in GL_FEEDBACK, the look in pixels
// and the state left for the effects after them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "app/shell.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/picture_flashes.h"
#include "gfx/show_clock.h"
#include "gfx/textures.h"
#include "tests/test_sprite_geometry.h"

static double now = 10;
static int clock_reads = 0;
static double scripted_time() { return ++clock_reads, now; }

// Each call reads the position twice: the order read, then the beat read.
static int32_t order_read = 0, beat_read = 0;
static int position_reads = 0;
static int32_t scripted_position() { return position_reads++ % 2 == 0 ? order_read : beat_read; }

static void at(int32_t pos, double time, int32_t order_pos = -1)
{
    order_read = order_pos == -1 ? pos : order_pos;
    beat_read = pos;
    position_reads = clock_reads = 0;
    now = time;
}

static std::vector<Quad> quads_of_frame()
{
    linear_view();
    return captured_quads(picture_flashes);
}

// The centre pixel of one frame in the demo's own view. Whatever colour and
// texturing it meets, the frame leaves the matrix as it was, white and
// texturing on for the effects after it.
static const uint8_t* centre_of_frame()
{
    static std::vector<uint8_t> pixels;
    glViewport(0, 0, 64, 48);
    set_frame_view();
    const std::vector<float> entry = gl_floats(GL_MODELVIEW_MATRIX, 16);
    glColor3f(0.2f, 0.4f, 0.6f);
    glDisable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT);
    picture_flashes();
    EXPECT_EQ(gl_floats(GL_MODELVIEW_MATRIX, 16), entry);
    EXPECT_EQ(gl_floats(GL_CURRENT_COLOR, 4), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    pixels = read_rgba(64, 48);
    return &pixels[(24 * 64 + 32) * 4];
}

class Flashes : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        install_show_clock(ShowClock{scripted_time, scripted_position});
        // Solid pictures: 3 (orders 4-6) grey 100; overlays 2 red, 4 green.
        glGenTextures(kTextureCount, textures);
        for (int i = 0; i < kTextureCount; ++i) {
            const uint8_t g = i == 3 ? 100 : 0;
            const uint8_t rgb[3] = {uint8_t(i == 2 ? 200 : g), uint8_t(i == 4 ? 200 : g), g};
            glBindTexture(GL_TEXTURE_2D, textures[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        }
        kick_start = overlay_start = 0.0;
        kick_sign = 1.0;
        overlay_pick = 0;
    }
    void TearDown() override { glDeleteTextures(kTextureCount, textures); }
};

TEST_F(Flashes, NothingHappensPastOrder19OrBeforeTheFirstRow)
{
    glColor3f(0.3f, 0.3f, 0.3f);
    for (int32_t order_pos : {2000, -37}) {
        at(400, 5, order_pos);  // the beat read is listed
        EXPECT_TRUE(quads_of_frame().empty());
        EXPECT_EQ(clock_reads, 0);  // so no kick or overlay was timed
    }
    EXPECT_FLOAT_EQ(gl_floats(GL_CURRENT_COLOR, 4)[0], 0.3f);
}

// During the kick row the picture stays at full brightness, the plain scale
// and untilted; the pulse plays out after the row and ends itself.
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
    at(408, 10.2);  // three flips: tilted the negative way
    auto quads = quads_of_frame();
    EXPECT_NEAR(quads[0].half_width, 1.48, 1e-4);
    EXPECT_NEAR(quads[0].angle, -0.75, 1e-3);
    at(408, 10.35);  // the pulse's last frame, still bright
    quads = quads_of_frame();
    EXPECT_NEAR(quads[0].half_width, 1.33, 1e-4);
    EXPECT_EQ(quads[0].vertices[0].r, 1);
    at(408, 10.4);  // plain: picture 3's grey 100 at brightness 0.8
    EXPECT_NEAR(centre_of_frame()[0], 80, 1);
}

// Kept as written against the soundtrack: the tilt flips in every frame of a
// kick row, so its direction depends on the row's frame count.
TEST_F(Flashes, KickTiltFlipsOncePerMatchingFrame)
{
    const int matching_frames[3] = {1, 1, 2};
    const double expected_tilt[3] = {-0.75, 0.75, 0.75};
    for (int n = 0; n < 3; ++n) {
        for (int f = 0; f < matching_frames[n]; ++f) {
            at(416, 10 + n);
            quads_of_frame();
        }
        at(417, 10.1 + n);
        EXPECT_NEAR(quads_of_frame()[0].angle, expected_tilt[n], 1e-3) << n;
    }
}

// Overlays alternate green and red, add onto the picture, are not restarted
// while running, and a listed row that outlasts one triggers the next.
TEST_F(Flashes, OverlayIsAdditiveAlternatesAndIsNotRestarted)
{
    at(512, 10);
    centre_of_frame();
    at(513, 10.3);
    const uint8_t* green = centre_of_frame();
    EXPECT_NEAR(green[0], 80, 1);
    EXPECT_NEAR(green[1], 80 + 157, 2);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(blend_function(), std::make_pair(GL_SRC_COLOR, GL_ONE));

    at(524, 10.4);
    const Quad overlay = quads_of_frame().at(1);
    EXPECT_NEAR(overlay.half_width, 1.6, 1e-4);
    EXPECT_NEAR(overlay.angle, 0.4 * 140, 1e-2);
    at(524, 10.7);
    EXPECT_EQ(quads_of_frame().at(1).half_width, 0);

    at(524, 10.8);
    centre_of_frame();
    at(525, 11.1);
    const uint8_t* red = centre_of_frame();
    EXPECT_NEAR(red[0], 80 + 157, 2);
    EXPECT_NEAR(red[1], 80, 1);
}

TEST_F(Flashes, KicksAndOverlaysRunWithoutAPicture)
{
    at(900, 5);  // order 9 shows no picture; 900 is in both lists
    EXPECT_EQ(quads_of_frame().size(), 1u);  // the overlay, not yet grown
    EXPECT_EQ(kick_start + overlay_start, 5 + 5);
    at(901, 5.3);
    EXPECT_NEAR(quads_of_frame().at(0).half_width, 1.8, 1e-4);
}
