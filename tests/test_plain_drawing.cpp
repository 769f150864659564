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
static const int kWholeView[4] = {0, 0, kWidth, kHeight};
static const int kZoomedView[4] = {120, 90, 80, 60};  // the closing zoom-out's small viewport

// Clears the whole window, then draws into viewport from the frame's view
// moved distance back, with depth testing on and texturing off, as the 3D
// sections run.
static std::vector<uint8_t> draw_picture(void (*draw)(), float distance = 0, const int* viewport = kWholeView)
{
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.2f, 0.5f, 0.8f, 1);  // structure for any pixel a drawing misses
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    set_frame_view();
    glTranslatef(0, 0, -distance);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
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

// Guards against comparing two empty pictures.
static size_t coloured_pixels(const std::vector<uint8_t>& picture)
{
    static const auto background = draw_picture([] {});
    return differing_pixels(picture, background);
}

// Draws both from distance back; the effect must miss or add at most 0.1% of
// the plain picture, which must colour more than at_least pixels.
static void expect_alike(void (*plain)(), void (*effect)(), float distance, size_t at_least, float at)
{
    const auto plain_picture = draw_picture(plain, distance);
    EXPECT_GT(coloured_pixels(plain_picture), at_least) << at;
    EXPECT_LE(differing_pixels(plain_picture, draw_picture(effect, distance)), kAllowedDifferences) << at;
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
};

// The grid pulse's 400 alpha-tested discs one after the other, in grid
// order, as the effect's header describes them; as the show draws it, with
// no depth test of its own.
struct GridCase { double t, bias, turn, shift; bool zoomed, covers_view; float back = 0, lift = 0, tilt = 0; };
static GridCase grid;
static void grid_pose()
{
    glDisable(GL_DEPTH_TEST);
    glRotatef(grid.tilt, 1, 0, 0);
    glRotatef(static_cast<float>(grid.turn), 0, 0, 1);
    glTranslatef(static_cast<float>(grid.shift), grid.lift, 0);
    glColor3f(0.6f, 0.0f, 0.8f);
}

static void plain_grid()
{
    grid_pose();
    glBindTexture(GL_TEXTURE_2D, textures[7]);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glBegin(GL_QUADS);
    for (int i = 0; i < 20; ++i) {
        const double wobble = std::cos(i + grid.t) / 30;
        for (int j = 0; j < 20; ++j) {
            const double s = std::fmax(std::sin(0.5 * j + 0.5 * i + 2 * grid.t) / 30 + grid.bias + wobble + 0.1, 0);
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
    grid_pose();
    sprite_grid_pulse(textures[7], grid.t, grid.bias);
}

// Also: the depth marks are cleared again and the depth test is left as it
// was found.
TEST_F(PlainDrawing, GridPulseColoursTheSamePixelsAsItsDiscsOneByOne)
{
    const GridCase cases[] = {
        {1.5, 0.1, 0, 0, false, false},    // the tube section's largest discs: many overlaps
        {2.5, 0.06, 45, 0, false, false},  // turned, as 900-1099 draws it
        {0.3, 0.8, 0, 0, false, true},     // the growing grid covering the view
        {1.0, 0.0, 10, 0, false, false},   // small discs with gaps
        {4.0, -0.3, 0, 0, false, false},   // every disc at scale 0
        {7.5, 2.0, 0, 0, false, true},     // the growing grid near its end: discs far larger than the view
        {1.0, 0.3, 45, 0, false, true},    // the whole view covered, turned
        {2.0, 1.0, 0, 0, true, true},      // covered, in the closing zoom-out's small viewport
        {7.5, 2.0, 0, 0.8, false, false},  // the discs reach past the grid's edge, which is in view
        {7.5, 2.0, 0, 0, false, false, 0, 1.0},  // the same edge above or below alone
        {1.9, 0.1, 0, 0, false, false},    // the smallest discs just short of closing the gaps
        {1.0, 0.1, 0, 0, false, false, 2},  // seen whole, covered cells at the edges: left and right
        {2.2, 0.1, 90, 0, false, false, 2}, // and turned, top and bottom
        // The eye skims the grid: the plane meets the view's bottom corners
        // behind the eye, inside the square, while the sky fills the rest.
        {7.5, 2.0, 233, -1, false, false, 0, -1, 88},
    };
    std::vector<float> depth(kWidth * kHeight);
    for (const GridCase& c : cases) {
        grid = c;
        SCOPED_TRACE("t " + std::to_string(c.t) + " bias " + std::to_string(c.bias));
        const int* viewport = c.zoomed ? kZoomedView : kWholeView;
        const auto plain = draw_picture(plain_grid, c.back, viewport);
        const auto effect = draw_picture(effect_grid, c.back, viewport);
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        EXPECT_EQ(std::count(depth.begin(), depth.end(), 1.0f), std::ptrdiff_t(depth.size()));
        EXPECT_EQ(differing_pixels(plain, effect), 0u);
        if (c.bias > 0 && !c.zoomed) {
            // Skimmed, the grid is a band along the horizon.
            EXPECT_GT(coloured_pixels(plain), size_t(kWidth * kHeight / (c.tilt == 0 ? 4 : 100)));
        }
        // A view inside covered ground costs one square (a few pieces once
        // clipped), not hundreds of discs.
        const size_t polygons = feedback_polygons(capture_feedback([] {
            set_frame_view();
            glTranslatef(0, 0, -grid.back);
            effect_grid();
        })).size();
        EXPECT_EQ(polygons < 10, c.covers_view) << polygons;
    }
    glEnable(GL_DEPTH_TEST);
    sprite_grid_pulse(textures[7], 1.5, 0.1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // What the frame draws after it depth-tested (the tube, the iso-surface),
    // and every later frame, gets the whole depth range back: a plain quad
    // halfway into the view shows.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    set_frame_view();
    glDisable(GL_TEXTURE_2D);
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(-20, -20, -50);
    glVertex3f(20, -20, -50);
    glVertex3f(20, 20, -50);
    glVertex3f(-20, 20, -50);
    glEnd();
    uint8_t centre[4] = {};
    glReadPixels(kWidth / 2, kHeight / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    EXPECT_EQ(centre[1], 255) << "nothing drawn depth-tested after the grid pulse";
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
}

// The tube with every face filled, inner ones too, and its edge lines, face
// by face as the effect's header describes it.
static float tube_phase;
static void tube_vertex(int k, int j, double radius, double z_push)
{
    const float offset_angle = 0.2f * k + tube_phase;
    const double offset = std::sin(offset_angle);
    const float angle = static_cast<float>(6.282 * j / 4 + tube_twist[k]);
    const double s = std::sin(angle), c = std::cos(angle);  // float sine, as the effect takes it
    glVertex3f(static_cast<float>(radius * s + offset), static_cast<float>(0.5 * k),
               static_cast<float>(radius * c + z_push));
}

static void plain_tube()
{
    glLoadIdentity();
    glTranslatef(-3, -15, -20);
    for (int i = 0; i + 1 < kTubeRings; ++i) {
        for (int j = 0; j < 4; ++j) {
            const float shade = i * (1.0f / 60);
            glColor4f(shade, shade - j / 4.0f, j / 4.0f, 1);
            glBegin(GL_QUADS);
            tube_vertex(i, j, 5, 0);
            tube_vertex(i, j + 1, 5, 0);
            tube_vertex(i + 1, j + 1, 5, 0);
            tube_vertex(i + 1, j, 5, 0);
            glEnd();
            glColor4f(0, 0, 0, 1);
            glLineWidth(2);
            glBegin(GL_LINES);
            tube_vertex(i, j, 5.001, 0.01);
            tube_vertex(i + 1, j, 5.001, 0.01);
            tube_vertex(i, j + 1, 5.001, 0.01);
            tube_vertex(i + 1, j + 1, 5.001, 0.01);
            glEnd();
        }
    }
}

TEST_F(PlainDrawing, TubeMatchesItsFacesAndEdgesDrawnOneByOne)
{
    for (const float t : {0.0f, 1.7f, 42.3f, 87.9f, 101.25f}) {
        tube_update(t);
        tube_phase = 2 * t;
        expect_alike(plain_tube, [] { tube_draw(tube_phase); }, 0, kWidth * kHeight / 4, t);
    }
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

// The cube field nearest cubes first against its cubes drawn one by one in
// lattice order with draw_cube (every face lit, then the outline), at times
// the finale shows.
// Sets every lattice point of the field from value(i, j, k).
static void fill_field(float (*value)(int, int, int))
{
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) scalar_field[i][j][k] = value(i, j, k);
}

static float field_t;
static void plain_cubes()
{
    glPushMatrix();
    glRotatef(13 * field_t, 1, 0, 0);
    glRotatef(17 * field_t, 0, 1, 0);
    glRotatef(15 * field_t, 0, 0, 1);
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) draw_cube(scalar_field[i][j][k] - 0.8f, i - 8.0f, j - 8.0f, k - 8.0f);
    glPopMatrix();
}
static void plain_field()
{
    glPushMatrix();
    draw_cube_field(field_t);  // only for its lights; cleared below
    glPopMatrix();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    plain_cubes();
}

TEST_F(PlainDrawing, CubeFieldMatchesItsCubesDrawnOneByOne)
{
    const auto effect = [] { draw_cube_field(field_t); };
    for (const double seconds : {118.0, 124.5, 130.0, 133.0, 139.5}) {
        field_update(static_cast<float>(seconds / 7));
        field_t = static_cast<float>(2 * seconds);
        expect_alike(plain_field, effect, 12, kWidth * kHeight / 10, field_t);
    }
    // Full cubes a lattice step apart touch no other cube: every face may
    // show, and does from one side or the other.
    fill_field([](int i, int j, int k) { return (i | j | k) % 2 ? 0.0f : 2.0f; });
    for (const float t : {3.0f, 5.0f, 10.0f}) {
        field_t = t;
        expect_alike(plain_field, effect, 12, 0, t);
    }
    // And the outline is the cubes' own: twelve edges to a cube, none added
    // (an edge from a corner to itself draws no pixel) and none left out.
    const size_t lines = feedback_lines(capture_feedback([] {
                             glPushMatrix();
                             draw_cube_field(field_t);
                             glPopMatrix();
                         })).size();
    EXPECT_GT(lines, 12u * 100);
    EXPECT_EQ(lines, feedback_lines(capture_feedback(plain_cubes)).size());
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
    glRotatef(13 * iso_t, 1, 0, 0);
    glRotatef(17 * iso_t, 0, 1, 0);
    glRotatef(15 * iso_t, 0, 0, 1);
    plain_iso_pass();
    const float f = static_cast<float>(1 + 0.7f * std::sin(static_cast<double>(iso_t)));
    glScalef(f, f, f);
    plain_iso_pass();
}

TEST_F(PlainDrawing, IsoSurfaceMatchesItsCellsDrawnInLatticeOrder)
{
    const auto effect = [] { draw_iso_surface(iso_t); };
    for (const double seconds : {69.0, 72.5, 76.0, 80.25, 84.0}) {
        field_update(static_cast<float>(seconds / 3));
        iso_t = static_cast<float>(2 * seconds);
        expect_alike(plain_iso, effect, 28, kWidth * kHeight / 20, iso_t);
    }
    // Walls in the first and the last layer along k, where the walks along
    // k start, seen with the walk going either way.
    fill_field([](int, int, int k) { return k == 0 || k == kFieldSize - 1 ? 1.0f : 0.0f; });
    for (const float t : {1.0f, 6.0f}) {
        iso_t = t;
        expect_alike(plain_iso, effect, 28, 0, t);
    }
}
