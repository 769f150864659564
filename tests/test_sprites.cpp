// Placement of the sprite effects and the strip drop-in, read back through
// GL_FEEDBACK, plus the GL state each leaves for the effects after it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "tests/test_sprite_geometry.h"

static double effect_time = 0;
static double effect_bias = 0;

class Sprites : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        linear_view();
        glColor4f(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
    }
    static void expect_identity_modelview()
    {
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], i % 5 == 0 ? 1 : 0, 1e-5) << i;
    }
    static void expect_additive(float alpha)
    {
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[3], alpha);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint src = 0, dst = 0;
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        EXPECT_EQ(src, GL_SRC_COLOR);
        EXPECT_EQ(dst, GL_ONE);
    }
};

TEST_F(Sprites, RainLayersPositionsAndSpinAtStart)
{
    effect_time = 0;
    const auto quads = captured_quads([] { sprite_rain(1, effect_time); });
    ASSERT_EQ(quads.size(), 36u);
    for (size_t k = 0; k < 36; ++k) {
        EXPECT_NEAR(quads[k].z, -12.0 + 4 * (k / 12), 1e-3) << k;
        EXPECT_NEAR(quads[k].half_width, 1, 1e-4) << k;
    }
    const struct { size_t k; double x, y, angle; } listed[] = {
        {0, -6, 5, 0}, {1, -5, -6, 10}, {12, 1, -4, -120}};
    for (const auto& s : listed) {
        EXPECT_NEAR(quads[s.k].x, s.x, 1e-4) << s.k;
        EXPECT_NEAR(quads[s.k].y, s.y, 1e-4) << s.k;
        EXPECT_NEAR(angle_gap(quads[s.k].angle, s.angle), 0, 1e-3) << s.k;
    }
    expect_identity_modelview();
    expect_additive(0.5f);
}

TEST_F(Sprites, RainFallsTwoUnitsPerSecondAndWraps)
{
    effect_time = 0;
    const auto start = captured_quads([] { sprite_rain(1, effect_time); });
    effect_time = 0.5;
    const auto later = captured_quads([] { sprite_rain(1, effect_time); });
    effect_time = 7;
    const auto week = captured_quads([] { sprite_rain(1, effect_time); });
    ASSERT_EQ(later.size(), 36u);
    ASSERT_EQ(week.size(), 36u);
    for (size_t k = 0; k < 36; ++k) {
        const double drop = start[k].y - later[k].y;
        EXPECT_TRUE(std::fabs(drop - 1) < 1e-3 || std::fabs(drop + 13) < 1e-3) << k << " " << drop;
        EXPECT_NEAR(week[k].y, start[k].y, 1e-3) << k;
        EXPECT_NEAR(week[k].x, start[k].x, 1e-4) << k;
    }
}

TEST_F(Sprites, ColumnAtStartAndBelowBandForNegativeTime)
{
    effect_time = 0;
    const auto quads = captured_quads([] { sprite_column(1, effect_time); });
    ASSERT_EQ(quads.size(), 10u);
    for (size_t k = 0; k < 10; ++k) {
        EXPECT_NEAR(quads[k].x, 5, 1e-4) << k;
        EXPECT_NEAR(quads[k].y, -10.0 + 2 * k, 1e-4) << k;
        EXPECT_NEAR(quads[k].z, -10, 1e-3) << k;
    }
    EXPECT_NEAR(quads[0].angle, 0, 1e-3);
    EXPECT_NEAR(quads[0].half_width, 1, 1e-4);
    EXPECT_NEAR(angle_gap(quads[5].angle, -180.1), 0, 0.05);
    EXPECT_NEAR(quads[5].half_width, 1.217, 1e-3);
    expect_identity_modelview();
    expect_additive(0.8f);

    effect_time = -1;
    const auto sinking = captured_quads([] { sprite_column(1, effect_time); });
    ASSERT_EQ(sinking.size(), 10u);
    EXPECT_NEAR(sinking[0].y, -12, 1e-4);
}

TEST_F(Sprites, TunnelRingDepthsTwistAndPeriod)
{
    effect_time = 0;
    const auto quads = captured_quads([] { sprite_tunnel(1, effect_time); });
    ASSERT_EQ(quads.size(), 60u);
    for (size_t k = 0; k < 60; ++k) {
        EXPECT_NEAR(quads[k].z, -60.0 + 10 * (k / 10), 1e-3) << k;
        EXPECT_NEAR(std::hypot(quads[k].x, quads[k].y), 2, 1e-4) << k;
        EXPECT_NEAR(quads[k].half_width, 0.5, 1e-4) << k;
    }
    for (size_t k = 0; k < 10; ++k) {  // ring 0: no twist, no spin
        EXPECT_NEAR(angle_gap(std::atan2(quads[k].y, quads[k].x) * 180 / M_PI, 36.0 * k), 0, 1e-3);
        EXPECT_NEAR(angle_gap(quads[k].angle, 36.0 * k), 0, 1e-3);
    }
    EXPECT_NEAR(angle_gap(std::atan2(quads[50].y, quads[50].x) * 180 / M_PI, 70.0), 0, 0.05);
    expect_identity_modelview();
    expect_additive(0.8f);

    effect_time = 6;
    const auto lap = captured_quads([] { sprite_tunnel(1, effect_time); });
    ASSERT_EQ(lap.size(), 60u);
    for (size_t k = 0; k < 60; ++k) EXPECT_NEAR(lap[k].z, quads[k].z, 1e-3) << k;
}

TEST_F(Sprites, GridScaleAndHiddenBias)
{
    effect_time = 0;
    effect_bias = 0;
    const auto quads = captured_quads([] { sprite_grid_pulse(1, effect_time, effect_bias); });
    ASSERT_EQ(quads.size(), 400u);
    for (size_t k = 0; k < 400; ++k) {
        EXPECT_NEAR(quads[k].x, 0.2 * (k % 20) - 2, 1e-4) << k;
        EXPECT_NEAR(quads[k].y, 0.2 * (k / 20) - 2, 1e-4) << k;
    }
    EXPECT_NEAR(quads[0].half_width, 0.1333, 1e-4);

    effect_bias = -0.5;
    const auto hidden = captured_quads([] { sprite_grid_pulse(1, effect_time, effect_bias); });
    ASSERT_EQ(hidden.size(), 400u);
    for (const Quad& q : hidden) EXPECT_EQ(q.half_width + q.half_height, 0);
}

// The grid shows only the opaque parts of its texture, in the caller's
// colour, and leaves texturing on and alpha testing off.
TEST_F(Sprites, GridIsAlphaTestedInCallersColour)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    const unsigned char texels[2 * 4] = {255, 255, 255, 0, 255, 255, 255, 255};  // left clear
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glViewport(0, 0, 64, 48);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Sprite (10, 10) alone fills the view: half-size about 0.044, neighbours
    // reach no nearer than 0.04 from its centre.
    glOrtho(-0.02, 0.02, -0.02, 0.02, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glDisable(GL_TEXTURE_2D);
    sprite_grid_pulse(texture, 0, -0.01);
    const auto pixels = read_rgba(64, 48);
    const uint8_t* left = &pixels[(24 * 64 + 8) * 4];
    const uint8_t* right = &pixels[(24 * 64 + 56) * 4];
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(right[0], 255);
    EXPECT_EQ(right[1], 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    glDeleteTextures(1, &texture);
}

TEST_F(Sprites, StripsDropInOneAfterAnother)
{
    effect_time = -0.5;
    glEnable(GL_BLEND);
    EXPECT_TRUE(captured_quads([] { strip_drop_in(1, effect_time); }).empty());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);

    effect_time = 0;
    const auto first = captured_quads([] { strip_drop_in(1, effect_time); });
    ASSERT_EQ(first.size(), 1u);
    EXPECT_NEAR(first[0].y_min, 4.7 - 0.25, 1e-4);
    EXPECT_NEAR(first[0].y_max, 4.7 + 0.25, 1e-4);
    EXPECT_NEAR(first[0].t_min, 0, 1e-6);
    EXPECT_NEAR(first[0].t_max, 0.25, 1e-6);

    effect_time = 4;
    const auto two = captured_quads([] { strip_drop_in(1, effect_time); });
    ASSERT_EQ(two.size(), 2u);
    EXPECT_NEAR((two[0].y_min + two[0].y_max) / 2, 0.7 - 0.373, 1e-3);
    EXPECT_NEAR((two[1].y_min + two[1].y_max) / 2, 0.22 + 4, 1e-4);
    EXPECT_NEAR(two[1].t_min, 0.25, 1e-6);
    EXPECT_NEAR(two[1].t_max, 0.5, 1e-6);
    EXPECT_NEAR(two[1].s_max - two[1].s_min, 1, 1e-6);
    expect_identity_modelview();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}
