// Geometry (through GL feedback) and pixels of the rings, the tube, the cube
// field and the iso-surface on a headless context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "tests/gl_test_context.h"

namespace {

constexpr int kWidth = 64, kHeight = 48;
// Feedback runs under an orthographic box of +-kReach on every axis, so
// window coordinates map straight back to eye coordinates.
constexpr double kReach = 40;

struct Point {
    double x, y, z;
};
Point eye(const FeedbackVertex& v)
{
    return {(v.x / kWidth * 2 - 1) * kReach, (v.y / kHeight * 2 - 1) * kReach, -(2.0 * v.z - 1) * kReach};
}
double distance(const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }

class Effects3d : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(make_gl_test_context(kWidth, kHeight));
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-kReach, kReach, -kReach, kReach, -kReach, kReach);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

// ---------------------------------------------------------------- rings

// Undoes the rings' transform at t = 0: back 2, tilted 1 degree about x.
Point ring_model(const FeedbackVertex& v)
{
    const Point e = eye(v);
    const double tilt = M_PI / 180, z = e.z + 2;
    return {e.x, e.y * std::cos(tilt) + z * std::sin(tilt), -e.y * std::sin(tilt) + z * std::cos(tilt)};
}
void draw_rings_at_zero() { draw_rings(0.0); }
bool purple(const FeedbackVertex& v, double shade) { return std::hypot(v.r - shade, v.g, v.b - shade) < 0.01; }

TEST_F(Effects3d, RingZeroFrontIsAFullDisc)
{
    const auto polygons = feedback_polygons(capture_feedback(draw_rings_at_zero));
    // Ring 0's front face comes first: slices of radius 0.2 around (0.4, 0)
    // at z = 0.2 (its inner radius is 0; collapsed halves may be dropped).
    double area = 0;
    size_t slices = 0;
    for (const auto& polygon : polygons) {
        bool in_disc = polygon.size() == 3;
        for (const auto& v : polygon) {
            const Point p = ring_model(v);
            const double r = std::hypot(p.x - 0.4, p.y);
            in_disc = in_disc && std::fabs(p.z - 0.2) < 1e-4 && (r < 1e-4 || std::fabs(r - 0.2) < 1e-4);
        }
        if (!in_disc) break;
        const Point a = ring_model(polygon[0]), b = ring_model(polygon[1]), c = ring_model(polygon[2]);
        area += std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
        EXPECT_TRUE(purple(polygon[0], 0.8));
        ++slices;
    }
    EXPECT_GE(slices, 30u);
    EXPECT_NEAR(area, 15 * 0.04 * std::sin(2 * M_PI / 30), 1e-4);  // a closed regular 30-gon
    EXPECT_TRUE(purple(polygons.back()[0], 0.6)) << "the walls, drawn last, are darker";
}

TEST_F(Effects3d, RingRimsAreClosedBlackCirclesOuterThenInnerAndStateIsLeft)
{
    // Twenty line strips of 30 segments each: the ten outer rims, then the ten inner.
    const auto lines = feedback_lines(capture_feedback(draw_rings_at_zero));
    ASSERT_EQ(lines.size(), 20u * 30);
    for (size_t s = 0; s < 20; ++s) {
        const int ring = static_cast<int>(s % 10);
        const double radius = 0.4 * ring + (s < 10 ? 0.2 : 0.0);
        const Point centre{0.4 * std::cos(ring * 0.5), 0.4 * std::sin(ring * 0.5), 0.2};
        const Point first = ring_model(lines[s * 30][0]);
        EXPECT_LT(distance(first, ring_model(lines[s * 30 + 29][1])), 1e-4) << "strip " << s << " stays open";
        EXPECT_NEAR(first.y, centre.y + radius, 1e-4);  // angle 0 is straight up
        for (size_t n = s * 30; n < s * 30 + 30; ++n) {
            const Point p = ring_model(lines[n][0]);
            EXPECT_NEAR(std::hypot(p.x - centre.x, p.y - centre.y), radius, 1e-4) << "strip " << s;
            EXPECT_NEAR(p.z, 0.2, 1e-4);
            EXPECT_EQ(lines[n][0].r + lines[n][0].g + lines[n][0].b, 0.0f);
        }
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    const std::vector<float> before = gl_floats(GL_MODELVIEW_MATRIX, 16);
    draw_rings(1.5);
    EXPECT_EQ(gl_floats(GL_MODELVIEW_MATRIX, 16), before);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(gl_floats(GL_LINE_WIDTH, 1), std::vector<float>{2});
    EXPECT_EQ(gl_floats(GL_CURRENT_COLOR, 4), (std::vector<float>{1, 1, 1, 1}));
}

// ---------------------------------------------------------------- tube

// The twist turns the rings against each other gradually: neighbours differ
// by at most 0.05 plus the wave's slope of 0.2; and it moves with time.
TEST(Tube, TwistIsSmoothAlongTheTubeAndMovesWithTime)
{
    tube_clear();
    for (float twist : tube_twist) ASSERT_EQ(twist, 0.0f);
    float before[kTubeRings];
    for (float t : {0.75f, 3.5f}) {
        std::copy(tube_twist, tube_twist + kTubeRings, before);
        tube_update(t);
        for (int k = 0; k + 1 < kTubeRings; ++k) ASSERT_LE(std::fabs(tube_twist[k + 1] - tube_twist[k]), 0.25f) << k;
        for (int k = 0; k < kTubeRings; ++k) ASSERT_GT(std::fabs(tube_twist[k] - before[k]), 0.01f) << t << " " << k;
    }
}

// ---------------------------------------------------------------- cubes

float g_cube_value = 0;
void draw_one_cube() { draw_cube(g_cube_value, 1, 2, 3); }

TEST_F(Effects3d, CubeSizeFollowsTheValueAboveTheThreshold)
{
    for (float value : {0.0f, -0.5f}) {
        g_cube_value = value;
        EXPECT_TRUE(capture_feedback(draw_one_cube).empty()) << value;
    }
    for (const auto& [value, half] : {std::pair{0.5f, 0.25}, {1.0f, 0.5}, {2.2f, 0.5}}) {
        g_cube_value = value;
        const auto buffer = capture_feedback(draw_one_cube);
        size_t vertices = 0;
        Point low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
        for (const auto& polygon : feedback_polygons(buffer))
            for (const auto& v : polygon) {
                const Point p = eye(v);
                low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
                high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
                ++vertices;
            }
        EXPECT_TRUE(vertices == 24 || vertices == 36) << vertices;  // six quads, whole or halved
        const auto outline = feedback_lines(buffer);
        EXPECT_EQ(outline.size(), 12u);
        for (const auto& line : outline) EXPECT_EQ(line[0].r + line[0].g + line[0].b, 0.0f) << "outline not black";
        EXPECT_LT(distance(low, {1 - half, 2 - half, 3 - half}), 1e-4) << value;
        EXPECT_LT(distance(high, {1 + half, 2 + half, 3 + half}), 1e-4) << value;
    }
}

// A full cube in the middle (x 20..44, y 12..36 in pixels), turned as given,
// in a view of +-4/3 by +-1 lit by the field's lights (set up by drawing an
// empty field).
std::vector<uint8_t> lit_cube_pixels(float angle, float ax, float ay)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4.0 / 3, 4.0 / 3, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    field_clear();
    draw_cube_field(0.0f);
    glRotatef(angle, ax, ay, 0);
    draw_cube(1.0f, 0, 0, 0);
    return read_rgba(kWidth, kHeight);
}

TEST_F(Effects3d, EveryCubeFaceTurnedToTheViewerIsLitTheSameCyan)
{
    // Only the second light reaches a face looking at the viewer:
    // 0.2 * 0.2 ambient plus 0.8 * (0, 1, 1) at 0.8 degrees off its normal.
    const struct {
        float angle, x, y;
        const char* face;
    } turns[] = {{0, 0, 1, "z+"},  {180, 0, 1, "z-"}, {-90, 0, 1, "x+"},
                 {90, 0, 1, "x-"}, {90, 1, 0, "y+"},  {-90, 1, 0, "y-"}};
    for (const auto& turn : turns) {
        const auto rgba = lit_cube_pixels(turn.angle, turn.x, turn.y);
        const uint8_t* centre = &rgba[(kHeight / 2 * kWidth + kWidth / 2) * 4];
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(centre[channel], (channel == 0 ? 0.04 : 0.84) * 255, 2.0) << turn.face << " " << channel;
    }
}

// ---------------------------------------------------------------- iso-surface

float g_cell[8];
void polygonise_test_cell()
{
    glBegin(GL_TRIANGLES);
    polygonise_cell(g_cell, 2, 3, 4);
    for (int edge : {-1, 12, 99}) emit_edge_vertex(edge, g_cell, 0, 0, 0, 0.1f);  // not edges: nothing
    glEnd();
}
std::vector<std::vector<FeedbackVertex>> cell_triangles(std::initializer_list<float> values)
{
    std::copy(values.begin(), values.end(), g_cell);
    return feedback_polygons(capture_feedback(polygonise_test_cell));
}

TEST_F(Effects3d, CellVerticesInterpolateAlongTheirEdges)
{
    iso_level = 0.1f;
    // Corner 0 alone above: edges 3, 8, 0 are cut 0.9 of the way along.
    auto triangles = cell_triangles({1, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(triangles.size(), 1u);
    const Point expected[3] = {{2, 3.9, 4}, {2, 3, 4.9}, {2.9, 3, 4}};
    for (int v = 0; v < 3; ++v) EXPECT_LT(distance(eye(triangles[0][v]), expected[v]), 1e-4) << v;
    // Colour ramps with the row: y = 3 is lattice row 11.
    EXPECT_NEAR(triangles[0][0].r, 5.0 / 16, 1e-4);
    EXPECT_NEAR(triangles[0][0].g, 11.0 / 16, 1e-4);
    EXPECT_NEAR(triangles[0][0].b, 1.0, 1e-4);
    // A corner at the level counts as below; a vertex cut from it sits on it.
    triangles = cell_triangles({0.1f, 1, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_LT(distance(eye(triangles[0][1]), {2, 3, 4}), 1e-5);
    for (float value : {0.1f, 0.0f, 0.5f})
        EXPECT_TRUE(cell_triangles({value, value, value, value, value, value, value, value}).empty()) << value;
}

// A surface vertex lies on a lattice edge whose end values straddle the
// level, where their linear blend equals the level.
bool on_level_crossing(const Point& v)
{
    const double c[3] = {v.x + 8, v.y + 8, v.z + 8};
    int axis = 0, fractional = 0;
    for (int a = 0; a < 3; ++a)
        if (std::fabs(c[a] - std::round(c[a])) > 1e-4) axis = a, ++fractional;
    if (fractional > 1) return false;
    int low[3] = {int(std::round(c[0])), int(std::round(c[1])), int(std::round(c[2]))};
    low[axis] = std::min(static_cast<int>(std::floor(c[axis] + 1e-6)), kFieldSize - 2);
    const int high[3] = {low[0] + (axis == 0), low[1] + (axis == 1), low[2] + (axis == 2)};
    for (int a = 0; a < 3; ++a)
        if (low[a] < 0 || high[a] >= kFieldSize) return false;
    const double a = scalar_field[low[0]][low[1]][low[2]], b = scalar_field[high[0]][high[1]][high[2]];
    const bool straddles = (a - iso_level) * (b - iso_level) <= 0 || std::fabs(a - iso_level) < 1e-6;
    return straddles && std::fabs(a + (b - a) * (c[axis] - low[axis]) - iso_level) < 1e-4;
}

float g_iso_time = 0;
void draw_iso() { draw_iso_surface(g_iso_time); }

// At t = 0 the surface is not turned and the copy, at scale 1, overlays it;
// at t = pi/2 the copy is 1.7 times as large.
TEST_F(Effects3d, IsoSurfaceIsOutwardLevelCrossingsAndACopyScaledAboutTheCentre)
{
    field_update(0.0f);
    g_iso_time = 0;
    const auto polygons = feedback_polygons(capture_feedback(draw_iso));
    ASSERT_GT(polygons.size(), 100u);
    ASSERT_EQ(polygons.size() % 2, 0u);
    const size_t half = polygons.size() / 2;
    // The coincident sources sit at lattice (8, 10, 6).
    const Point source{0, 2, -2};
    size_t collapsed = 0;
    for (size_t p = 0; p < half; ++p) {
        ASSERT_EQ(polygons[p].size(), 3u);
        const Point a = eye(polygons[p][0]), b = eye(polygons[p][1]), c = eye(polygons[p][2]);
        const Point u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
        const Point n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
        const Point out{a.x - source.x, a.y - source.y, a.z - source.z};
        // Lattice points at d^2 = 32 sit on the level, so a few triangles
        // collapse there; every other one faces away from the sources.
        if (std::hypot(n.x, n.y, n.z) < 1e-6)
            ++collapsed;
        else
            EXPECT_GT(n.x * out.x + n.y * out.y + n.z * out.z, 0) << "triangle " << p << " faces inward";
        for (int v = 0; v < 3; ++v) {
            const Point q = eye(polygons[p][v]);
            EXPECT_TRUE(on_level_crossing(q)) << "triangle " << p << " at " << q.x << "," << q.y << "," << q.z;
            EXPECT_LT(distance(q, eye(polygons[p + half][v])), 1e-4) << "triangle " << p;
            // The 16-point lattice spans -8..7, so the sphere's top (up to y 7.66) is left open.
            for (const double c : {q.x, q.y, q.z}) EXPECT_TRUE(c > -8 - 1e-4 && c < 7 + 1e-4) << "triangle " << p;
        }
    }
    EXPECT_LT(collapsed, half / 10);

    g_iso_time = static_cast<float>(M_PI / 2);
    const auto turned = feedback_polygons(capture_feedback(draw_iso));
    ASSERT_EQ(turned.size(), polygons.size());
    for (size_t p = 0; p < half; ++p)
        for (int v = 0; v < 3; ++v) {
            const Point first = eye(turned[p][v]), second = eye(turned[p + half][v]);
            ASSERT_LT(distance({1.7 * first.x, 1.7 * first.y, 1.7 * first.z}, second), 1e-3) << p;
        }
}

}  // namespace
