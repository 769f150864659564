// Placement of the sprite effects and the strip drop-in, read back through
// GL_FEEDBACK, and the GL state each leaves for the effects after it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>

#include "gfx/effects/effects.h"
#include "tests/test_sprite_geometry.h"

static double effect_time = 0, effect_bias = 0;
static std::vector<Quad> rain() { return captured_quads([] { sprite_rain(1, effect_time); }); }
static std::vector<Quad> column() { return captured_quads([] { sprite_column(1, effect_time); }); }
static std::vector<Quad> tunnel() { return captured_quads([] { sprite_tunnel(1, effect_time); }); }
static std::vector<Quad> strips() { return captured_quads([] { strip_drop_in(1, effect_time); }); }
static std::vector<Quad> grid() { return captured_quads([] { sprite_grid_pulse(1, effect_time, effect_bias); }); }

class Sprites : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        linear_view();
        glColor4f(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        effect_time = effect_bias = 0;
    }
    // Matrix restored, blending off, additive function and colour left set.
    static void expect_left_additive(float alpha)
    {
        const std::vector<float> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        EXPECT_EQ(gl_floats(GL_MODELVIEW_MATRIX, 16), identity);
        EXPECT_EQ(gl_floats(GL_CURRENT_COLOR, 4), (std::vector<float>{1, 1, 1, alpha}));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(blend_function(), std::make_pair(GL_SRC_COLOR, GL_ONE));
    }
    static void expect_at(const Quad& q, double x, double y, double angle)
    {
        EXPECT_NEAR(q.x, x, 1e-4);
        EXPECT_NEAR(q.y, y, 1e-4);
        EXPECT_NEAR(angle_gap(q.angle, angle), 0, 0.05);
    }
};

TEST_F(Sprites, RainLayersFallAndWrap)
{
    const auto start = rain();
    ASSERT_EQ(start.size(), 36u);
    for (size_t k = 0; k < 36; ++k) EXPECT_NEAR(start[k].z, -12.0 + 4 * (k / 12), 1e-3) << k;
    expect_at(start[0], -6, 5, 0);
    expect_at(start[1], -5, -6, 10);
    expect_at(start[12], 1, -4, -120);
    expect_left_additive(0.5f);

    effect_time = 0.5;
    const auto later = rain();
    ASSERT_EQ(later.size(), 36u);
    expect_at(later[0], -6, 4, -25);
    for (size_t k = 0; k < 36; ++k) {
        const double drop = start[k].y - later[k].y;
        EXPECT_TRUE(std::fabs(drop - 1) < 1e-3 || std::fabs(drop + 13) < 1e-3) << k << ": " << drop;
    }
}

TEST_F(Sprites, ColumnAtStartAndBelowTheBandForNegativeTime)
{
    const auto quads = column();
    ASSERT_EQ(quads.size(), 10u);
    for (size_t k = 0; k < 10; ++k) EXPECT_NEAR(quads[k].y, -10.0 + 2 * k, 1e-4) << k;
    expect_at(quads[0], 5, -10, 0);
    expect_at(quads[5], 5, 0, -180.1);
    EXPECT_NEAR(quads[0].z, -10, 1e-3);
    EXPECT_NEAR(quads[0].half_width, 1, 1e-4);
    EXPECT_NEAR(quads[5].half_width, 1.217, 1e-3);
    expect_left_additive(0.8f);
    effect_time = -1;
    EXPECT_NEAR(column()[0].y, -12, 1e-4);
}

TEST_F(Sprites, TunnelRingDepthsTwistAndPeriod)
{
    const auto quads = tunnel();
    ASSERT_EQ(quads.size(), 60u);
    for (size_t k = 0; k < 60; ++k) {
        EXPECT_NEAR(quads[k].z, -60.0 + 10 * (k / 10), 1e-3) << k;
        EXPECT_NEAR(std::hypot(quads[k].x, quads[k].y), 2, 1e-4) << k;
        EXPECT_NEAR(quads[k].half_width, 0.5, 1e-4) << k;
    }
    for (size_t k = 0; k < 10; ++k)  // ring 0: no twist, no spin
        expect_at(quads[k], 2 * std::cos(k * M_PI / 5), 2 * std::sin(k * M_PI / 5), 36.0 * k);
    EXPECT_NEAR(angle_gap(std::atan2(quads[50].y, quads[50].x) * 180 / M_PI, 70), 0, 0.05);
    expect_left_additive(0.8f);
    effect_time = 6;
    const auto lap = tunnel();
    ASSERT_EQ(lap.size(), 60u);
    for (size_t k = 0; k < 60; ++k) EXPECT_NEAR(lap[k].z, quads[k].z, 1e-3) << k;
    EXPECT_NEAR(angle_gap(lap[0].angle, 58.97), 0, 0.05);  // turned 120, twisted -10.73, spun -50.29
}

TEST_F(Sprites, GridScaleHiddenBiasAndAlphaTestInTheCallersColour)
{
    const auto quads = grid();
    ASSERT_EQ(quads.size(), 400u);
    for (size_t k = 0; k < 400; ++k) expect_at(quads[k], 0.2 * (k % 20) - 2, 0.2 * (k / 20) - 2, 0);
    EXPECT_NEAR(quads[0].half_width, 0.1333, 1e-4);
    effect_bias = -0.5;
    const auto hidden = grid();
    ASSERT_EQ(hidden.size(), 400u);
    for (const Quad& q : hidden) EXPECT_EQ(q.half_width, 0);

    // Only the texture's opaque half shows, in the caller's colour. Magnified
    // linearly, the two pixels read sample alpha about 0.17 and 0.85.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    const uint8_t texels[8] = {255, 255, 255, 0, 255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glViewport(0, 0, 64, 48);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Sprite (10, 10) alone fills this view: half-size about 0.044, its
    // neighbours reach no nearer than 0.04 from its centre.
    glOrtho(-0.02, 0.02, -0.02, 0.02, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glDisable(GL_TEXTURE_2D);
    sprite_grid_pulse(texture, 0, -0.01);
    const auto pixels = read_rgba(64, 48);
    EXPECT_EQ(pixels[(24 * 64 + 8) * 4], 0);  // clear half
    EXPECT_EQ(pixels[(24 * 64 + 56) * 4], 255);
    EXPECT_EQ(pixels[(24 * 64 + 56) * 4 + 1], 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    glDeleteTextures(1, &texture);
}

// Every corner of every strip that has started: x -1 or 1 by its s, the bottom
// edge on its quarter's lower texture row, the top on the upper, all at z 0.
TEST_F(Sprites, StripsDropInOneAfterAnother)
{
    effect_time = -0.5;
    glEnable(GL_BLEND);
    EXPECT_TRUE(strips().empty());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(blend_function(), std::make_pair(GL_ONE, GL_ONE));

    // Centres: entering 4 above the rest place; the bounce at t = 4 and at
    // 12 (u = 3, 2, 1, 0); settled at 0.7, 0.22, -0.26, -0.74.
    const struct { double t; std::vector<double> centres; } cases[] = {
        {0, {4.7}}, {4, {0.3271, 4.22}}, {12, {0.7126, 0.2853, -0.6329, 3.26}}, {4000, {0.7, 0.22, -0.26, -0.74}}};
    for (const auto& c : cases) {
        effect_time = c.t;
        const auto quads = strips();
        ASSERT_EQ(quads.size(), c.centres.size()) << c.t;
        for (size_t i = 0; i < quads.size(); ++i) {
            std::set<std::pair<float, float>> corners;
            for (const FeedbackVertex& v : quads[i].vertices) {
                const bool bottom = v.t == (i + 1) / 4.0f;
                EXPECT_TRUE((bottom || v.t == i / 4.0f) && (v.s == 0 || v.s == 1)) << c.t << " " << i;
                EXPECT_NEAR(v.x / 10 - 64, 2 * v.s - 1, 1e-4) << c.t << " " << i;
                EXPECT_NEAR(v.y / 10 - 64, c.centres[i] + (bottom ? -0.25 : 0.25), 1e-4) << c.t << " " << i;
                EXPECT_NEAR((0.5 - v.z) * 400, 0, 1e-3) << c.t << " " << i;
                corners.insert({v.s, v.t});
            }
            EXPECT_EQ(corners.size(), 4u) << c.t << " " << i;
        }
    }
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}
