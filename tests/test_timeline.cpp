// The scene timeline with a recording stand-in for every effect installed:
// which effects a position selects, in which order and with which texture,
// the GL state they meet, the three start latches and the closing zoom.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/timeline.h"
#include "gfx/show_clock.h"
#include "gfx/textures.h"
#include "tests/gl_test_context.h"

// Read n of a frame returns clock_base + clock_step * n.
static double clock_base = 100, clock_step = 1;
static int clock_reads = 0;
static double counting_time() { return clock_base + clock_step * clock_reads++; }
static int32_t no_position() { return -37; }

struct Call {
    std::string name;  // with ":<texture index>" for effects given a texture
    double a, b;
    float colour[4], modelview[16], depth;  // depth buffer at the centre
    bool texturing, depth_test;
};
static std::vector<Call> calls;

static void record(std::string name, GLuint texture, double a, double b = 0)
{
    if (texture) name += ":" + std::to_string(texture - 100);
    Call c{name, a, b, {}, {}, 0, glIsEnabled(GL_TEXTURE_2D) != 0, glIsEnabled(GL_DEPTH_TEST) != 0};
    glGetFloatv(GL_CURRENT_COLOR, c.colour);
    glGetFloatv(GL_MODELVIEW_MATRIX, c.modelview);
    glReadPixels(32, 24, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &c.depth);
    calls.push_back(c);
}

// The rings leave a depth mark that only a clear removes.
static void draw_rings(double t)
{
    record("rings", 0, t);
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1);
}
static const SceneEffects kRecordingEffects = {
    [] { record("flashes", 0, 0); },
    [](GLuint texture, double t) { record("strip", texture, t); },
    [](GLuint texture, double t) { record("rain", texture, t); },
    [](GLuint texture, double t) { record("column", texture, t); },
    [](GLuint texture, double t) { record("tunnel", texture, t); },
    [](GLuint texture, double t, double bias) { record("grid", texture, t, bias); },
    draw_rings,
    [](float t) { record("tube_update", 0, t); },
    [](float phase) { record("tube_draw", 0, phase); },
    [](float t) { record("field", 0, t); },
    [](float t) { record("cubes", 0, t); },
    [](float t) { record("iso", 0, t); },
};

using Names = std::vector<std::string>;

// One frame as the frame loop starts it, with a fresh read count.
static Names frame(double p, double base = 100, int width = 1024, int height = 768)
{
    calls.clear();
    clock_reads = 0;
    clock_base = base;
    glViewport(1, 2, 3, 4);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1, 1, 1, 1);  // as the picture flashes leave it
    glLoadIdentity();
    glTranslatef(0, 0, -3);
    run_timeline(p, width, height);
    Names names;
    for (const Call& c : calls) names.push_back(c.name);
    return names;
}

static const Call& find(const std::string& name, int nth = 0)
{
    for (const Call& c : calls)
        if (c.name == name && nth-- == 0) return c;
    static const Call missing{};
    ADD_FAILURE() << name << " not drawn";
    return missing;
}

// The frame's starting view: back 3.
static void expect_base_view(const float* actual)
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], i == 14 ? -3 : i % 5 == 0, 1e-5) << i;
}

static void expect_state(const Call& c, bool texturing, bool depth_test, std::vector<float> colour)
{
    EXPECT_EQ(c.texturing, texturing) << c.name;
    EXPECT_EQ(c.depth_test, depth_test) << c.name;
    EXPECT_EQ(std::vector<float>(c.colour, c.colour + 3), colour) << c.name;
}

class Timeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context());
        for (int i = 0; i < kTextureCount; ++i) textures[i] = static_cast<GLuint>(100 + i);
        scene_effects = kRecordingEffects;
        install_show_clock(ShowClock{counting_time, no_position});
        zoom_start = pulse_start = strip_start = 0.0;
        clock_step = 1;
    }
};

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
        {1860, finale}, {1861, finale}, {1920, finale}};
    for (const auto& c : cases) EXPECT_EQ(frame(c.p), c.expected) << "p = " << c.p;
}

// The 3D effects need depth testing without texturing; the 2D ones drawn
// after them need it the other way round. The pulse's black stays in force
// after the frame.
TEST_F(Timeline, StateSwitchesAroundThe3dEffects)
{
    frame(900);
    for (const char* name : {"field", "iso"}) expect_state(find(name), false, true, {1, 1, 1});
    expect_state(find("column:4"), true, false, {1, 1, 1});
    frame(1300);
    EXPECT_TRUE(find("tube_draw").depth_test && !find("tube_draw").texturing);
    EXPECT_TRUE(find("rain:2").texturing && !find("rain:2").depth_test);
    frame(1500);
    expect_state(find("cubes"), false, true, {1, 1, 1});
    expect_state(find("flashes"), true, false, {1, 1, 1});
    frame(650);
    expect_state(find("grid:7"), true, false, {0, 0, 0});
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 0);
}

// The sway turns the tunnel and stays on the matrix to the frame's end;
// the rain before it is unturned.
TEST_F(Timeline, SwayRotationsAreLeftOnTheMatrix)
{
    frame(700);
    expect_base_view(find("rain:2").modelview);
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    double turned = 0;
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(after[i], find("tunnel:2").modelview[i]) << i;
        turned += std::fabs(after[i] - find("rain:2").modelview[i]);
    }
    EXPECT_GT(turned, 0.01);
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
    EXPECT_EQ(find("strip:6").a, 1.5);
    frame(1300, 200);
    frame(1100, 300);  // back in the section: no restart
    EXPECT_EQ(strip_start, 100);
    EXPECT_EQ(find("strip:6").a, 300);

    frame(600, 100);
    EXPECT_EQ(find("grid:7").a, 102);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 1.0 / 3 - 0.5);
    frame(699, 130);
    EXPECT_EQ(pulse_start, 100);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 30.0 / 3 - 0.5);
}

TEST_F(Timeline, ViewportZoomsOutAfter1860)
{
    const auto viewport = [] {
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        return std::vector<GLint>(v, v + 4);
    };
    frame(1860);
    EXPECT_EQ(viewport(), (std::vector<GLint>{1, 2, 3, 4}));
    EXPECT_EQ(zoom_start, 0);
    clock_step = 0;
    frame(1861, 50);
    EXPECT_EQ(viewport(), (std::vector<GLint>{0, 0, 1024, 768}));
    frame(1900, 51);
    EXPECT_EQ(viewport(), (std::vector<GLint>{480, 360, 64, 48}));
    EXPECT_EQ(zoom_start, 50);
    // A smaller picture takes the window's rectangle scaled down, truncated.
    frame(1900, 50.5, 200, 150);
    EXPECT_EQ(viewport(), (std::vector<GLint>{78, 59, 41, 31}));
}
