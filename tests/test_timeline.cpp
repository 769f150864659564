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
    std::vector<float> colour, modelview;
    float depth;  // depth buffer at the centre
    bool texturing, depth_test;
};
static std::vector<Call> calls;

static void record(std::string name, GLuint texture, double a, double b = 0)
{
    if (texture) name += ":" + std::to_string(texture - 100);
    Call c{name, a, b, gl_floats(GL_CURRENT_COLOR, 4), gl_floats(GL_MODELVIEW_MATRIX, 16), 0,
           glIsEnabled(GL_TEXTURE_2D) != 0, glIsEnabled(GL_DEPTH_TEST) != 0};
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

static const Call& find(const std::string& name)
{
    for (const Call& c : calls)
        if (c.name == name) return c;
    static const Call missing{};
    ADD_FAILURE() << name << " not drawn";
    return missing;
}

static void expect_state(const Call& c, bool texturing, bool depth_test, std::vector<float> colour)
{
    EXPECT_EQ(std::make_pair(c.texturing, c.depth_test), std::make_pair(texturing, depth_test)) << c.name;
    colour.push_back(1);
    EXPECT_EQ(c.colour, colour) << c.name;
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

// The 3D effects need depth testing without texturing, the 2D ones drawn
// after them the other way round. Each grid pulse has its own colour; the
// growing grid's black stays in force after the frame.
TEST_F(Timeline, StateColourAndMatrixEachEffectMeets)
{
    frame(900);
    for (const char* name : {"field", "iso"}) expect_state(find(name), false, true, {1, 1, 1});
    expect_state(find("column:4"), true, false, {1, 1, 1});
    expect_state(find("grid:7"), true, false, {0.6f, 0, 0.8f});
    EXPECT_NEAR(find("grid:7").modelview[1], std::sqrt(0.5), 1e-6);  // turned 45 degrees
    frame(1300);
    // Each in the colour of the grid pulse drawn just before it.
    expect_state(find("tube_draw"), false, true, {0.6f, 0, 0.6f});
    expect_state(find("rain:2"), true, false, {0.7f, 0, 0.7f});
    frame(1599);
    EXPECT_FLOAT_EQ(find("field").depth, 0.25f);  // the rings' depth is cleared from 1600 only
    frame(1600);
    EXPECT_FLOAT_EQ(find("field").depth, 1.0f);
    frame(650);
    expect_state(find("grid:7"), true, false, {0, 0, 0});
    EXPECT_EQ(gl_floats(GL_CURRENT_COLOR, 4), (std::vector<float>{0, 0, 0, 1}));

    // Reads: rain 100, sway 101 (about y) and 102 (about x), tunnel 103. The
    // sway turns the tunnel, not the rain, and stays to the frame's end.
    frame(700);
    EXPECT_EQ(find("rain:2").modelview, find("flashes").modelview);
    const std::vector<float> swayed = find("tunnel:2").modelview;
    EXPECT_EQ(gl_floats(GL_MODELVIEW_MATRIX, 16), swayed);
    EXPECT_NEAR(swayed[2], -std::sin(20 * std::sin(101.0) * M_PI / 180), 1e-6);
    EXPECT_NEAR(swayed[9], -std::sin(5 * std::cos(102.0) * M_PI / 180), 1e-6);
}

// With the clock standing still, the time each effect is given.
TEST_F(Timeline, EffectsRunAtTheirOwnPaces)
{
    clock_step = 0;
    const struct { double p; const char* name; double t; } paces[] = {
        {900, "field", 84.0 / 3}, {900, "iso", 168},      {1300, "tube_update", 84}, {1300, "tube_draw", 168},
        {1500, "field", 12},      {1500, "cubes", 168},   {1500, "column:4", 10000 - 84}};
    for (const auto& pace : paces) {
        frame(pace.p, 84);
        EXPECT_FLOAT_EQ(static_cast<float>(find(pace.name).a), static_cast<float>(pace.t)) << pace.name;
    }
}

// The grid pulses over the iso-surface and the tube swing their discs' size
// with the clock, each by its own amount around its own rest: read with the
// clock where the swing is at rest, at its top and at its bottom.
TEST_F(Timeline, SwingingGridPulsesSwingAroundTheirOwnRest)
{
    clock_step = 0;
    const double pi = std::acos(-1.0);
    const struct { double p; size_t grid; double amplitude, rest; } swings[] = {
        {900, 0, 1.0 / 13, -0.05}, {1300, 0, 0.1, 0.0}, {1300, 1, 0.05, -0.1}};
    for (const auto& swing : swings) {
        for (double phase : {0.0, 0.5 * pi, 1.5 * pi}) {
            SCOPED_TRACE("position " + std::to_string(swing.p) + ", phase " + std::to_string(phase));
            frame(swing.p, 20 * pi + phase);
            std::vector<double> biases;
            for (const Call& c : calls)
                if (c.name == "grid:7") biases.push_back(c.b);
            ASSERT_GT(biases.size(), swing.grid);
            EXPECT_NEAR(biases[swing.grid], swing.rest + swing.amplitude * std::sin(phase), 1e-9);
        }
    }
}

TEST_F(Timeline, StartLatchesKeepTheirFirstValueAndTheViewportZoomsOutAfter1860)
{
    frame(1100, 100);
    EXPECT_EQ(find("strip:6").a, 1.5);
    frame(1100, 300);  // a later frame, or coming back into the section: no restart
    EXPECT_EQ(find("strip:6").a, 300);
    frame(600, 100);
    EXPECT_EQ(find("grid:7").a, 102);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 1.0 / 3 - 0.5);
    frame(699, 130);
    EXPECT_DOUBLE_EQ(find("grid:7").b, 30.0 / 3 - 0.5);

    frame(1860);
    EXPECT_EQ(gl_floats(GL_VIEWPORT, 4), (std::vector<float>{1, 2, 3, 4}));
    clock_step = 0;  // the zoom's latch and its elapsed time read the same
    frame(1861, 50);
    EXPECT_EQ(gl_floats(GL_VIEWPORT, 4), (std::vector<float>{0, 0, 1024, 768}));
    frame(1900, 51);
    EXPECT_EQ(gl_floats(GL_VIEWPORT, 4), (std::vector<float>{480, 360, 64, 48}));
    // A smaller picture takes the window's rectangle scaled down, truncated.
    frame(1900, 50.5, 200, 150);
    EXPECT_EQ(gl_floats(GL_VIEWPORT, 4), (std::vector<float>{78, 59, 41, 31}));
}
