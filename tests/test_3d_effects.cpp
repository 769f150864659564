// Geometry (through GL feedback) and pixels of the rings, the tube, the cube
// field and the iso-surface on a headless context.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "tests/gl_test_context.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
// Feedback scene: an orthographic box of +-kReach on every axis, so window
// coordinates map back to eye coordinates exactly and nothing is clipped.
constexpr double kReach = 40;

struct Point {
    double x, y, z;
};

Point eye_point(const FeedbackVertex& v)
{
    return {(v.x / kWidth * 2 - 1) * kReach, (v.y / kHeight * 2 - 1) * kReach, -(2.0 * v.z - 1) * kReach};
}

double distance(const Point& a, const Point& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

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
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
    }
};

// Line segments of a feedback buffer, grouped into strips: a segment that
// does not start where the previous one ended starts a new strip.
struct Segment {
    FeedbackVertex a, b;
};
std::vector<std::vector<Segment>> feedback_line_strips(const std::vector<float>& buffer)
{
    constexpr size_t kVertexFloats = 11;
    auto vertex_at = [&](size_t at) {
        FeedbackVertex v{};
        v.x = buffer[at]; v.y = buffer[at + 1]; v.z = buffer[at + 2];
        v.r = buffer[at + 3]; v.g = buffer[at + 4]; v.b = buffer[at + 5]; v.a = buffer[at + 6];
        return v;
    };
    auto same = [](const FeedbackVertex& a, const FeedbackVertex& b) {
        return std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) < 1e-4f && std::fabs(a.z - b.z) < 1e-6f;
    };
    std::vector<std::vector<Segment>> strips;
    size_t i = 0;
    while (i < buffer.size()) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            i += static_cast<size_t>(buffer[i]) * kVertexFloats + 1;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            const Segment segment{vertex_at(i), vertex_at(i + kVertexFloats)};
            if (strips.empty() || !same(strips.back().back().b, segment.a)) strips.emplace_back();
            strips.back().push_back(segment);
            i += 2 * kVertexFloats;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += kVertexFloats;
        }
    }
    return strips;
}

size_t segment_count(const std::vector<std::vector<Segment>>& strips)
{
    size_t count = 0;
    for (const auto& strip : strips) count += strip.size();
    return count;
}

// ---------------------------------------------------------------- rings

// The rings' own transform at t = 0: back 2, tilted by 1 degree about x.
Point ring_model_point(const Point& eye)
{
    const double tilt = M_PI / 180;
    const double y = eye.y, z = eye.z + 2;
    return {eye.x, y * std::cos(tilt) + z * std::sin(tilt), -y * std::sin(tilt) + z * std::cos(tilt)};
}

void draw_rings_at_zero() { draw_rings(0.0); }

TEST_F(Effects3d, RingZeroFrontIsAFullDiscAroundItsCentre)
{
    const auto polygons = feedback_polygons(capture_feedback(draw_rings_at_zero));
    ASSERT_FALSE(polygons.empty());
    // Ring 0's front face comes first: a closed fan of 30 slices of radius
    // 0.2 around (0.4, 0) at z = 0.2 (the degenerate halves may be dropped).
    const Point centre{0.4, 0, 0.2};
    double area = 0;
    size_t slices = 0;
    for (const auto& polygon : polygons) {
        bool in_ring_zero = true;
        for (const auto& v : polygon) {
            const Point p = ring_model_point(eye_point(v));
            const double r = std::hypot(p.x - centre.x, p.y - centre.y);
            in_ring_zero = in_ring_zero && std::fabs(p.z - 0.2) < 1e-4 && (r < 1e-4 || std::fabs(r - 0.2) < 1e-4);
        }
        if (!in_ring_zero) break;
        ASSERT_EQ(polygon.size(), 3u);
        const Point a = ring_model_point(eye_point(polygon[0]));
        const Point b = ring_model_point(eye_point(polygon[1]));
        const Point c = ring_model_point(eye_point(polygon[2]));
        area += std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
        EXPECT_NEAR(polygon[0].r, 0.8, 0.01);
        EXPECT_NEAR(polygon[0].g, 0.0, 0.01);
        EXPECT_NEAR(polygon[0].b, 0.8, 0.01);
        ++slices;
    }
    EXPECT_GE(slices, 30u);
    // A regular 30-gon of radius 0.2: the whole disc is covered, once.
    EXPECT_NEAR(area, 15 * 0.04 * std::sin(2 * M_PI / 30), 1e-4);
}

TEST_F(Effects3d, RingRimsAreClosedBlackCirclesOuterThenInner)
{
    const auto strips = feedback_line_strips(capture_feedback(draw_rings_at_zero));
    ASSERT_EQ(strips.size(), 20u);
    for (size_t s = 0; s < strips.size(); ++s) {
        const int ring = static_cast<int>(s % 10);
        const double radius = 0.4 * ring + (s < 10 ? 0.2 : 0.0);
        const Point centre{0.4 * std::cos(ring * 0.5), 0.4 * std::sin(ring * 0.5), 0.2};
        const auto& strip = strips[s];
        ASSERT_EQ(strip.size(), 30u) << "strip " << s;
        const Point first = ring_model_point(eye_point(strip.front().a));
        const Point last = ring_model_point(eye_point(strip.back().b));
        EXPECT_LT(distance(first, last), 1e-4) << "strip " << s << " does not close";
        // Angle 0 is straight up from the centre.
        EXPECT_NEAR(first.x, centre.x, 1e-4);
        EXPECT_NEAR(first.y, centre.y + radius, 1e-4);
        for (const auto& segment : strip) {
            const Point p = ring_model_point(eye_point(segment.a));
            EXPECT_NEAR(std::hypot(p.x - centre.x, p.y - centre.y), radius, 1e-4) << "strip " << s;
            EXPECT_NEAR(p.z, 0.2, 1e-4);
            EXPECT_EQ(segment.a.r + segment.a.g + segment.a.b, 0.0f);
        }
    }
}

TEST_F(Effects3d, RingsLeaveTheirStateAndMatrixAsDocumented)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glTranslatef(1, 2, 3);
    GLfloat before[16], after[16], colour[4], width = 0;
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    draw_rings(1.5);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(width, 2.0f);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 3.0f);
}

// ---------------------------------------------------------------- tube

TEST(Tube, TwistFollowsSpinWobbleAndWave)
{
    tube_clear();
    for (float twist : tube_twist) ASSERT_EQ(twist, 0.0f);
    for (float t : {0.0f, 0.75f, 3.5f}) {
        tube_update(t);
        const double wobble = std::sin(1.05 * t);
        const double wave = 2 * std::sin(t + wobble);
        for (int k = 0; k < kTubeRings; ++k)
            ASSERT_NEAR(tube_twist[k], 0.05 * k + t + wobble + std::cos(0.2 * k + wave), 1e-5)
                << "t " << t << " ring " << k;
    }
}

void draw_tube_untwisted()
{
    glTranslatef(30, 30, 30);  // the tube places itself; this must not matter
    tube_draw(0.0f);
}

TEST_F(Effects3d, TubeFirstQuadAtZeroTwistAndItsColours)
{
    tube_clear();
    const auto buffer = capture_feedback(draw_tube_untwisted);
    const auto polygons = feedback_polygons(buffer);
    // 59 segments of 4 sides; each quad may come out as one or two polygons.
    ASSERT_TRUE(polygons.size() == 236u || polygons.size() == 472u) << polygons.size();
    const size_t per_quad = polygons.size() / 236;
    std::vector<Point> first_quad;
    for (size_t p = 0; p < per_quad; ++p)
        for (const auto& v : polygons[p]) first_quad.push_back(eye_point(v));
    const double side = 6.282 / 4;
    const double offset1 = std::sin(0.2);
    const Point expected[4] = {
        {-3, -15, -15},
        {5 * std::sin(side) - 3, -15, 5 * std::cos(side) - 20},
        {5 * std::sin(side) + offset1 - 3, -14.5, 5 * std::cos(side) - 20},
        {offset1 - 3, -14.5, -15},
    };
    for (const Point& corner : expected) {
        bool found = false;
        for (const Point& p : first_quad) found = found || distance(p, corner) < 1e-3;
        EXPECT_TRUE(found) << "corner " << corner.x << "," << corner.y << "," << corner.z;
    }
    for (const Point& p : first_quad) {
        bool known = false;
        for (const Point& corner : expected) known = known || distance(p, corner) < 1e-3;
        EXPECT_TRUE(known) << "stray vertex " << p.x << "," << p.y << "," << p.z;
    }
    // Segment 0: side 0 black, side 1 blue 0.25 with its negative green clamped.
    EXPECT_EQ(polygons[0][0].r + polygons[0][0].g + polygons[0][0].b, 0.0f);
    EXPECT_NEAR(polygons[per_quad][0].g, 0.0, 1e-3);
    EXPECT_NEAR(polygons[per_quad][0].b, 0.25, 1e-3);
    // Last segment, side 3: red 58/60, green 58/60 - 3/4.
    EXPECT_NEAR(polygons.back()[0].r, 58.0 / 60, 1e-3);
    EXPECT_NEAR(polygons.back()[0].g, 58.0 / 60 - 0.75, 1e-3);

    // Two black long edges per face, just outside it; none around the rings.
    const auto strips = feedback_line_strips(buffer);
    ASSERT_EQ(segment_count(strips), 472u);
    const Point edge_start = eye_point(strips[0][0].a);
    EXPECT_NEAR(edge_start.x, -3, 1e-3);
    EXPECT_NEAR(edge_start.z, 5.001 + 0.01 - 20, 1e-3);
    for (const auto& strip : strips)
        for (const auto& segment : strip) {
            EXPECT_NEAR(eye_point(segment.b).y - eye_point(segment.a).y, 0.5, 1e-3);
            EXPECT_EQ(segment.a.r + segment.a.g + segment.a.b, 0.0f);
        }
}

// ---------------------------------------------------------------- cubes

float g_cube_value = 0;
void draw_one_cube() { draw_cube(g_cube_value, 1, 2, 3); }

struct Box {
    Point low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
};
Box bounds(const std::vector<std::vector<FeedbackVertex>>& polygons)
{
    Box box;
    for (const auto& polygon : polygons)
        for (const auto& v : polygon) {
            const Point p = eye_point(v);
            box.low = {std::fmin(box.low.x, p.x), std::fmin(box.low.y, p.y), std::fmin(box.low.z, p.z)};
            box.high = {std::fmax(box.high.x, p.x), std::fmax(box.high.y, p.y), std::fmax(box.high.z, p.z)};
        }
    return box;
}

TEST_F(Effects3d, CubeSizeFollowsTheValueAboveTheThreshold)
{
    for (float value : {0.0f, -0.5f}) {
        g_cube_value = value;
        EXPECT_TRUE(capture_feedback(draw_one_cube).empty()) << value;
    }
    const struct {
        float value;
        double half;
    } sizes[] = {{0.5f, 0.25}, {1.0f, 0.5}, {2.2f, 0.5}};
    for (const auto& size : sizes) {
        g_cube_value = size.value;
        const auto buffer = capture_feedback(draw_one_cube);
        const auto polygons = feedback_polygons(buffer);
        size_t vertices = 0;
        for (const auto& polygon : polygons) vertices += polygon.size();
        // Six quads (as quads or as triangle pairs) and twelve edges.
        EXPECT_TRUE(vertices == 24 || vertices == 36) << vertices;
        EXPECT_EQ(segment_count(feedback_line_strips(buffer)), 12u);
        const Box box = bounds(polygons);
        EXPECT_NEAR(box.low.x, 1 - size.half, 1e-4);
        EXPECT_NEAR(box.high.x, 1 + size.half, 1e-4);
        EXPECT_NEAR(box.low.y, 2 - size.half, 1e-4);
        EXPECT_NEAR(box.high.y, 2 + size.half, 1e-4);
        EXPECT_NEAR(box.low.z, 3 - size.half, 1e-4);
        EXPECT_NEAR(box.high.z, 3 + size.half, 1e-4);
    }
}

void draw_field_still() { draw_cube_field(0.0f); }

TEST_F(Effects3d, CubeFieldDrawsOneCubePerValueAboveThreshold)
{
    field_clear();
    EXPECT_TRUE(capture_feedback(draw_field_still).empty());
    field_update(0.0f);
    int expected = 0;
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) expected += scalar_field[i][j][k] > 0.8f;
    ASSERT_GT(expected, 0);
    const auto buffer = capture_feedback(draw_field_still);
    EXPECT_EQ(segment_count(feedback_line_strips(buffer)), 12u * expected);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    // The source cube at (8, 10, 6) has a full edge: its faces reach 0.5 out.
    const auto polygons = feedback_polygons(buffer);
    bool found_full_cube_corner = false;
    for (const auto& polygon : polygons)
        for (const auto& v : polygon)
            found_full_cube_corner = found_full_cube_corner || distance(eye_point(v), {0.5, 2.5, -1.5}) < 1e-4;
    EXPECT_TRUE(found_full_cube_corner);
}

// Pixels: a full cube in the middle of the view under the field's lights.
void prepare_lit_view()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4.0 / 3, 4.0 / 3, -1, 1, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.2f, 0.4f, 0.6f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    field_clear();
    draw_cube_field(0.0f);  // an empty field: only the lights are set up
    glEnable(GL_DEPTH_TEST);
}

const uint8_t* pixel(const std::vector<uint8_t>& rgba, int x, int y) { return &rgba[(y * kWidth + x) * 4]; }

TEST_F(Effects3d, EveryCubeFaceTurnedToTheViewerShowsTheSameLitCyan)
{
    // Only the second light reaches a face that looks at the viewer:
    // 0.2 * 0.2 ambient plus 0.8 * (0, 1, 1) * cos(0.8 degrees).
    const double expected[3] = {0.04 * 255, 0.84 * 255, 0.84 * 255};
    const struct {
        float angle, x, y;
        const char* face;
    } turns[] = {
        {0, 0, 1, "z+"}, {180, 0, 1, "z-"}, {-90, 0, 1, "x+"}, {90, 0, 1, "x-"}, {90, 1, 0, "y+"}, {-90, 1, 0, "y-"},
    };
    for (const auto& turn : turns) {
        prepare_lit_view();
        glRotatef(turn.angle, turn.x, turn.y, 0);
        draw_cube(1.0f, 0, 0, 0);
        const auto rgba = read_rgba(kWidth, kHeight);
        const uint8_t* centre = pixel(rgba, kWidth / 2, kHeight / 2);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(centre[c], expected[c], 2.0) << turn.face << " channel " << c;
    }
}

TEST_F(Effects3d, CubeEdgesAreOutlinedInBlack)
{
    prepare_lit_view();
    draw_cube(1.0f, 0, 0, 0);
    const auto rgba = read_rgba(kWidth, kHeight);
    // The cube spans x 20..44 and y 12..36 in pixels; its edges are 2 wide.
    auto dark_near = [&](int x0, int y0, bool along_x) {
        for (int d = -1; d <= 1; ++d) {
            const uint8_t* p = along_x ? pixel(rgba, x0 + d, y0) : pixel(rgba, x0, y0 + d);
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) return true;
        }
        return false;
    };
    EXPECT_TRUE(dark_near(44, 24, true));
    EXPECT_TRUE(dark_near(20, 24, true));
    EXPECT_TRUE(dark_near(32, 36, false));
    EXPECT_TRUE(dark_near(32, 12, false));
    // Inside the face and outside the cube: no black.
    EXPECT_GT(pixel(rgba, 32, 24)[1], 150);
    EXPECT_EQ(pixel(rgba, 50, 24)[2], 153);  // the clear colour's blue, 0.6
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 0.0f);
    EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(Effects3d, FieldLightsAreTheDocumentedPair)
{
    field_clear();
    draw_cube_field(0.0f);
    GLfloat diffuse0[4], diffuse1[4], position0[4], position1[4];
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    glGetLightfv(GL_LIGHT0, GL_POSITION, position0);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position1);
    const GLfloat want_diffuse0[4] = {1, 0, 1, 1}, want_diffuse1[4] = {0, 1, 1, 1};
    const GLfloat want_position0[4] = {1, 1, -100, 0}, want_position1[4] = {-1, -1, 100, 0};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(diffuse0[c], want_diffuse0[c]);
        EXPECT_EQ(diffuse1[c], want_diffuse1[c]);
        EXPECT_EQ(position0[c], want_position0[c]);
        EXPECT_EQ(position1[c], want_position1[c]);
    }
}

// ---------------------------------------------------------------- iso-surface

float g_cell[8];
void polygonise_test_cell() { glBegin(GL_TRIANGLES); polygonise_cell(g_cell, 2, 3, 4); glEnd(); }

TEST_F(Effects3d, CellVerticesInterpolateAlongTheirEdges)
{
    iso_level = 0.1f;
    // Corner 0 alone above: one triangle on edges 3, 8, 0 at 0.9 of the way.
    const float corner0_above[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(g_cell, corner0_above, sizeof g_cell);
    auto polygons = feedback_polygons(capture_feedback(polygonise_test_cell));
    ASSERT_EQ(polygons.size(), 1u);
    const Point expected[3] = {{2, 3.9, 4}, {2, 3, 4.9}, {2.9, 3, 4}};
    for (int v = 0; v < 3; ++v) EXPECT_LT(distance(eye_point(polygons[0][v]), expected[v]), 1e-4) << v;
    // Colour ramps with the cell's row: y = 3 is lattice row 11.
    EXPECT_NEAR(polygons[0][0].r, 1 - 11.0 / 16, 1e-4);
    EXPECT_NEAR(polygons[0][0].g, 11.0 / 16, 1e-4);
    EXPECT_NEAR(polygons[0][0].b, 1.0, 1e-4);

    // A corner exactly at the level counts as below, and a vertex on an edge
    // from it lands on that corner.
    const float corner0_at_level[8] = {0.1f, 1, 0, 0, 0, 0, 0, 0};
    std::memcpy(g_cell, corner0_at_level, sizeof g_cell);
    polygons = feedback_polygons(capture_feedback(polygonise_test_cell));
    ASSERT_EQ(polygons.size(), 1u);  // corner 1 alone above
    bool on_corner0 = false;
    for (const auto& v : polygons[0]) on_corner0 = on_corner0 || distance(eye_point(v), {2, 3, 4}) < 1e-5;
    EXPECT_TRUE(on_corner0);

    // All above or all at/below: nothing.
    for (float value : {0.1f, 0.0f, 0.5f}) {
        for (float& corner : g_cell) corner = value;
        EXPECT_TRUE(capture_feedback(polygonise_test_cell).empty()) << value;
    }
}

void emit_bad_edges()
{
    const float values[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    glBegin(GL_TRIANGLES);
    for (int edge : {-1, 12, 99, -1, 12, 99}) emit_edge_vertex(edge, values, 0, 0, 0, 0.1f);
    glEnd();
}

TEST_F(Effects3d, EdgeNumbersOutsideTheCellEmitNothing)
{
    EXPECT_TRUE(capture_feedback(emit_bad_edges).empty());
}

// A surface vertex lies on a lattice edge (two whole coordinates) whose end
// values straddle the level, where their linear blend equals the level.
bool on_level_crossing(const Point& v)
{
    const double c[3] = {v.x + 8, v.y + 8, v.z + 8};
    int axis = -1;
    for (int a = 0; a < 3; ++a)
        if (std::fabs(c[a] - std::round(c[a])) > 1e-4) {
            if (axis >= 0) return false;
            axis = a;
        }
    if (axis < 0) axis = 0;  // on a lattice point: any edge through it will do
    int low[3] = {int(std::round(c[0])), int(std::round(c[1])), int(std::round(c[2]))};
    low[axis] = static_cast<int>(std::floor(c[axis] + 1e-6));
    if (low[axis] > kFieldSize - 2) low[axis] = kFieldSize - 2;
    int high[3] = {low[0], low[1], low[2]};
    ++high[axis];
    for (int a = 0; a < 3; ++a)
        if (low[a] < 0 || high[a] >= kFieldSize) return false;
    const double a = scalar_field[low[0]][low[1]][low[2]], b = scalar_field[high[0]][high[1]][high[2]];
    const double fraction = c[axis] - low[axis];
    if ((a > iso_level) == (b > iso_level) && std::fabs(a - iso_level) > 1e-6 && std::fabs(b - iso_level) > 1e-6)
        return false;
    return std::fabs(a + (b - a) * fraction - iso_level) < 1e-4;
}

float g_iso_time = 0;
void draw_iso() { draw_iso_surface(g_iso_time); }

TEST_F(Effects3d, IsoSurfaceIsEmptyOverAnEmptyField)
{
    field_clear();
    iso_level = 0.1f;
    g_iso_time = 0;
    EXPECT_TRUE(capture_feedback(draw_iso).empty());
}

TEST_F(Effects3d, IsoSurfaceAtTimeZeroIsAnOutwardSphereDrawnTwiceInPlace)
{
    field_update(0.0f);
    g_iso_time = 0;
    const auto polygons = feedback_polygons(capture_feedback(draw_iso));
    ASSERT_GT(polygons.size(), 100u);
    ASSERT_EQ(polygons.size() % 2, 0u);
    const size_t half = polygons.size() / 2;
    // The three coincident sources at lattice (8, 10, 6) give 0.1 at d^2 = 32.
    const Point source{0, 2, -2};
    const double radius = std::sqrt(32.0);
    size_t collapsed = 0;
    for (size_t p = 0; p < polygons.size(); ++p) {
        ASSERT_EQ(polygons[p].size(), 3u);
        const Point a = eye_point(polygons[p][0]), b = eye_point(polygons[p][1]), c = eye_point(polygons[p][2]);
        if (p < half) {
            for (int v = 0; v < 3; ++v)
                EXPECT_LT(distance(eye_point(polygons[p][v]), eye_point(polygons[p + half][v])), 1e-4);
        }
        const Point u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
        const Point normal{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
        const Point out{(a.x + b.x + c.x) / 3 - source.x, (a.y + b.y + c.y) / 3 - source.y,
                        (a.z + b.z + c.z) / 3 - source.z};
        // Lattice points at d^2 = 32 sit on the level, so a few triangles
        // collapse there; every other one faces away from the sources.
        const double area2 = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
        if (area2 > 1e-6)
            EXPECT_GT(normal.x * out.x + normal.y * out.y + normal.z * out.z, 0) << "triangle " << p << " faces inward";
        else
            ++collapsed;
        for (const Point& v : {a, b, c}) {
            EXPECT_NEAR(distance(v, source), radius, 0.5) << "triangle " << p;
            // The lattice stops at 7: the surface is open there, not closed off.
            EXPECT_LE(v.y, 7 + 1e-4);
        }
        if (p < half) {
            for (const Point& v : {a, b, c}) EXPECT_TRUE(on_level_crossing(v)) << "triangle " << p;
        }
        // Colour (1 - g, g, 1) with g the cell's lattice row / 16.
        const double row = polygons[p][0].g * 16;
        EXPECT_NEAR(row, std::round(row), 1e-3);
        EXPECT_NEAR(polygons[p][0].r, 1 - polygons[p][0].g, 1e-4);
        const double cell_y = std::round(row) - 8;
        for (const Point& v : {a, b, c}) {
            EXPECT_GE(v.y, cell_y - 1e-4);
            EXPECT_LE(v.y, cell_y + 1 + 1e-4);
        }
    }
    EXPECT_LT(collapsed, polygons.size() / 10);
}

TEST_F(Effects3d, IsoSurfaceSecondCopyIsScaledAboutTheLatticeCentre)
{
    field_update(1.0f);
    g_iso_time = static_cast<float>(M_PI / 2);  // sin t = 1: the copy is 1.7 times as large
    const auto polygons = feedback_polygons(capture_feedback(draw_iso));
    ASSERT_GT(polygons.size(), 100u);
    ASSERT_EQ(polygons.size() % 2, 0u);
    const size_t half = polygons.size() / 2;
    for (size_t p = 0; p < half; ++p)
        for (int v = 0; v < 3; ++v) {
            const Point first = eye_point(polygons[p][v]), second = eye_point(polygons[p + half][v]);
            ASSERT_LT(distance({1.7 * first.x, 1.7 * first.y, 1.7 * first.z}, second), 1e-3) << p;
        }
}

}  // namespace
