// The scene timeline against recording stand-ins for every effect: which
// effects a position selects, in which order, with which texture, clock
// reads and GL state, and the three start latches.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/timeline.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"

GLuint textures[kTextureCount];

// Read n of a frame returns clock_base + clock_step * n.
static double clock_base = 100;
static double clock_step = 1;
static int clock_reads = 0;
double demo_time() { return clock_base + clock_step * clock_reads++; }

struct Call {
    std::string name;  // with ":<texture index>" for effects given a texture
    double a, b;
    float colour[4];
    bool texturing, depth_test;
    float modelview[16];
    float depth;  // depth buffer at the centre, when field_update runs
};
static std::vector<Call> calls;

static void record(std::string name, GLuint texture, double a, double b = 0)
{
    if (texture) name += ":" + std::to_string(texture - 100);
    Call c{name, a, b, {}, glIsEnabled(GL_TEXTURE_2D) != 0, glIsEnabled(GL_DEPTH_TEST) != 0, {}, 0};
    glGetFloatv(GL_CURRENT_COLOR, c.colour);
    glGetFloatv(GL_MODELVIEW_MATRIX, c.modelview);
    glReadPixels(32, 24, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &c.depth);
    calls.push_back(c);
}

// The rings leave a depth mark that only a clear removes.
void draw_rings(double t)
{
    record("rings", 0, t);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1);
}
void picture_flashes() { record("flashes", 0, 0); }
void strip_drop_in(GLuint texture, double t) { record("strip", texture, t); }
void sprite_rain(GLuint texture, double t) { record("rain", texture, t); }
void sprite_column(GLuint texture, double t) { record("column", texture, t); }
void sprite_tunnel(GLuint texture, double t) { record("tunnel", texture, t); }
void sprite_grid_pulse(GLuint texture, double t, double bias) { record("grid", texture, t, bias); }
void tube_update(float t) { record("tube_update", 0, t); }
void tube_draw(float phase) { record("tube_draw", 0, phase); }
void field_update(float t) { record("field", 0, t); }
void draw_cube_field(float t) { record("cubes", 0, t); }
void draw_iso_surface(float t) { record("iso", 0, t); }

class Timeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        for (int i = 0; i < kTextureCount; ++i) textures[i] = 100 + i;
        zoom_start = pulse_start = strip_start = 0.0;
        clock_base = 100;
        clock_step = 1;
        glColor4f(1, 1, 1, 1);
    }
    // One frame as the frame loop would start it, with a fresh read count.
    static std::vector<std::string> frame(double p, double base = 100)
    {
        calls.clear();
        clock_reads = 0;
        clock_base = base;
        glViewport(1, 2, 3, 4);
        glClearDepth(1);
        glClear(GL_DEPTH_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -3);
        run_timeline(p);
        std::vector<std::string> names;
        for (const Call& c : calls) names.push_back(c.name);
        return names;
    }
    static const Call& find(const std::string& name, int nth = 0)
    {
        for (const Call& c : calls)
            if (c.name == name && nth-- == 0) return c;
        static const Call missing{"missing", 0, 0, {}, false, false, {}, 0};
        ADD_FAILURE() << name << " not drawn";
        return missing;
    }
    // The base view with extra transforms from GL itself, for comparison.
    static std::vector<float> base_matrix_with(void (*extra)())
    {
        float m[16];
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0, 0, -3);
        extra();
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        glPopMatrix();
        return {m, m + 16};
    }
    static void expect_matrix(const float* actual, const std::vector<float>& expected)
    {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << i;
    }
    static void expect_colour(const Call& c, float r, float g, float b)
    {
        EXPECT_FLOAT_EQ(c.colour[0], r) << c.name;
        EXPECT_FLOAT_EQ(c.colour[1], g) << c.name;
        EXPECT_FLOAT_EQ(c.colour[2], b) << c.name;
    }
};

using Names = std::vector<std::string>;

TEST_F(Timeline, SelectsEffectsByPositionWithBoundaries)
{
    const Names opening{"rings", "strip:5", "flashes"};
    const Names flashes_only{"flashes"};
    const Names pulse{"flashes", "grid:7"};
    const Names spin{"flashes", "rain:2", "tunnel:2"};
    const Names iso{"grid:7", "field", "iso", "column:4", "flashes", "column:4"};
    const Names strip{"flashes", "strip:6", "tunnel:4"};
    const Names tube{"grid:7", "tube_update", "tube_draw", "grid:7", "rain:2", "flashes"};
    const Names finale{"rings", "field", "cubes", "column:4", "flashes"};
    const struct { double p; const Names& expected; } cases[] = {
        {0, opening}, {399, opening}, {400, flashes_only}, {599, flashes_only},
        {600, pulse}, {699, pulse}, {700, spin}, {899, spin}, {900, iso}, {1099, iso},
        {1100, strip}, {1299, strip}, {1300, tube}, {1499, tube}, {1500, finale},
        {1860, finale}, {1861, finale}, {1920, finale}, {4294967259.0, finale}};
    for (const auto& c : cases) EXPECT_EQ(frame(c.p), c.expected) << "p = " << c.p;
}

// Each time argument is its own clock read, taken in drawing order.
TEST_F(Timeline, EveryTimeIsAFreshReadInOrder)
{
    frame(0);
    EXPECT_EQ(find("rings").a, 100);
    EXPECT_EQ(find("strip:5").a, 101);

    frame(900);
    EXPECT_EQ(find("grid:7").a, 101);
    EXPECT_DOUBLE_EQ(find("grid:7").b, std::sin(100.0) / 13 - 0.05);
    EXPECT_FLOAT_EQ(find("field").a, 102.0f / 3);
    EXPECT_FLOAT_EQ(find("iso").a, 206);
    EXPECT_EQ(find("column:4", 0).a, 104);
    EXPECT_EQ(find("column:4", 1).a, 105);
    EXPECT_EQ(clock_reads, 6);

    frame(1300);
    EXPECT_DOUBLE_EQ(find("grid:7", 0).b, 0.1 * std::sin(100.0));
    EXPECT_EQ(find("grid:7", 0).a, 101);
    EXPECT_FLOAT_EQ(find("tube_update").a, 102);
    EXPECT_FLOAT_EQ(find("tube_draw").a, 206);
    EXPECT_DOUBLE_EQ(find("grid:7", 1).b, 0.05 * std::sin(104.0) - 0.1);
    EXPECT_EQ(find("grid:7", 1).a, 105);
    EXPECT_EQ(find("rain:2").a, 106);

    frame(1600);
    EXPECT_FLOAT_EQ(find("field").a, 101.0f / 7);
    EXPECT_FLOAT_EQ(find("cubes").a, 204);
    EXPECT_EQ(find("column:4").a, 10000 - 103);
    EXPECT_EQ(clock_reads, 4);
}

TEST_F(Timeline, ColoursSwitchesAndMatricesAroundEffects)
{
    const auto base = base_matrix_with([] {});
    frame(900);
    expect_colour(find("grid:7"), 0.6f, 0, 0.8f);
    expect_matrix(find("grid:7").modelview, base_matrix_with([] { glRotatef(45, 0, 0, 1); }));
    for (const char* name : {"field", "iso"}) {
        EXPECT_FALSE(find(name).texturing) << name;
        EXPECT_TRUE(find(name).depth_test) << name;
        expect_matrix(find(name).modelview, base_matrix_with([] { glTranslatef(0, 0, -28); }));
    }
    EXPECT_TRUE(find("column:4").texturing);
    EXPECT_FALSE(find("column:4").depth_test);
    expect_colour(find("column:4"), 1, 1, 1);
    expect_matrix(find("column:4").modelview, base);

    frame(1300);
    expect_colour(find("grid:7", 0), 0.6f, 0, 0.6f);
    EXPECT_FALSE(find("tube_update").texturing);
    EXPECT_TRUE(find("tube_draw").depth_test);
    expect_matrix(find("tube_draw").modelview, base_matrix_with([] { glTranslatef(-3, 0, 0); }));
    expect_colour(find("grid:7", 1), 0.7f, 0, 0.7f);
    EXPECT_TRUE(find("rain:2").texturing);
    EXPECT_FALSE(find("rain:2").depth_test);

    frame(1500);
    EXPECT_FALSE(find("cubes").texturing);
    EXPECT_TRUE(find("cubes").depth_test);
    expect_matrix(find("cubes").modelview, base_matrix_with([] { glTranslatef(0, 0, -12); }));
    EXPECT_TRUE(find("flashes").texturing);
    EXPECT_FALSE(find("flashes").depth_test);
    expect_matrix(find("flashes").modelview, base);

    // The pulse section's black stays in force after the frame.
    frame(650);
    expect_colour(find("grid:7"), 0, 0, 0);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 0);
}

// The sway rotations stay on the matrix past the tunnel, to the frame's end.
TEST_F(Timeline, SwayRotationsAreLeftOnTheMatrix)
{
    frame(700);
    expect_matrix(find("rain:2").modelview, base_matrix_with([] {}));
    const auto swayed = base_matrix_with([] {
        glRotatef(static_cast<float>(20 * std::sin(101.0)), 0, 1, 0);
        glRotatef(static_cast<float>(5 * std::cos(102.0)), 1, 0, 0);
    });
    expect_matrix(find("tunnel:2").modelview, swayed);
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    expect_matrix(after, swayed);

    frame(1100);  // reads: latch, strip, two rotations, tunnel
    expect_matrix(find("tunnel:4").modelview, base_matrix_with([] {
        glRotatef(static_cast<float>(20 * std::sin(102.0)), 0, 1, 0);
        glRotatef(static_cast<float>(5 * std::cos(103.0)), 1, 0, 0);
    }));
}

TEST_F(Timeline, DepthClearedAgainFromPosition1600)
{
    frame(1599);
    EXPECT_FLOAT_EQ(find("field").depth, 0.25f);
    frame(1600);
    EXPECT_FLOAT_EQ(find("field").depth, 1.0f);
}

TEST_F(Timeline, LatchesKeepTheirFirstValue)
{
    frame(1100, 100);
    EXPECT_EQ(strip_start, 100);
    EXPECT_EQ(find("strip:6").a, 1.5);
    frame(1300, 200);
    frame(1100, 300);  // back in the section: no restart
    EXPECT_EQ(strip_start, 100);
    EXPECT_EQ(find("strip:6").a, 300);

    frame(600, 100);
    EXPECT_EQ(pulse_start, 100);
    EXPECT_EQ(find("grid:7").a, 102);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 1.0 / 3 - 0.5);
    frame(699, 130);
    EXPECT_EQ(pulse_start, 100);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 30.0 / 3 - 0.5);
}

TEST_F(Timeline, ViewportZoomsOutAfter1860)
{
    GLint viewport[4];
    frame(1860);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 3, 4}));
    EXPECT_EQ(zoom_start, 0);

    clock_step = 0;
    frame(1861, 50);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 1024, 768}));
    frame(1900, 51);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{480, 360, 64, 48}));
    EXPECT_EQ(zoom_start, 50);
}
