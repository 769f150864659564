// The fixed-function layer on OpenGL ES against the system's OpenGL 1.x:
// each case drawn both ways must look the same, and the matrices read back
// must be OpenGL's.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fixed_function/fixed_function.h"
#include "headless/headless_gl.h"
#include "tests/fixed_function_cases.h"
#include "tests/picture_compare.h"
#include "tests/test_files.h"

// Each case's record in the reference program's file: numbers, then picture.
constexpr size_t kPictureBytes = size_t{kCaseWidth} * kCaseHeight * 4;
constexpr size_t kRecordBytes = kCaseValues * sizeof(float) + kPictureBytes;

TEST(FixedFunction, EveryCaseLooksAsInOpenGl)
{
    const std::string path = testing::TempDir() + "fixed_function_reference.bin";
    ASSERT_EQ(run_command(std::string(REFERENCE_BINARY) + " " + path, 120), 0);
    const std::vector<uint8_t> reference = read_file(path);
    std::remove(path.c_str());
    ASSERT_EQ(reference.size(), kRecordBytes * kFixedFunctionCaseCount);
    std::string error;
    ASSERT_TRUE(make_headless_context(kCaseWidth, kCaseHeight, &error, HeadlessApi::es2)) << error;
    // Rasterisers may differ on edge pixels; a real fault changes whole
    // shapes (the smallest here, a line one pixel too thin, is ~100 pixels).
    constexpr int kEdgePixels = kCaseWidth * kCaseHeight / 200;
    ASSERT_TRUE(fixed_function_init(headless_gl_function, &error)) << error;
    make_case_textures();
    for (int k = 0; k < kFixedFunctionCaseCount; ++k) {
        SCOPED_TRACE(kFixedFunctionCases[k].name);
        std::vector<uint8_t> rgba;
        std::vector<float> values, theirs(kCaseValues);
        run_case(k, &rgba, &values);
        const uint8_t* record = reference.data() + k * kRecordBytes;
        std::memcpy(theirs.data(), record, kCaseValues * sizeof(float));
        int lit = 0;
        for (size_t p = 0; p < rgba.size(); p += 4) lit += rgba[p] + rgba[p + 1] + rgba[p + 2] > 0;
        EXPECT_GT(lit, kCaseWidth * kCaseHeight / 10) << "the case draws too little to show anything";
        EXPECT_LE(pixels_over(rgba, {record + kCaseValues * sizeof(float), record + kRecordBytes}, 24),
                  kEdgePixels);
        for (int v = 0; v < kCaseValues; ++v)
            EXPECT_NEAR(values[v], theirs[v], 1e-5 * (1 + std::fabs(theirs[v]))) << "number " << v;
    }
}

// The colour of the pixel at (x, y) of the layer's picture, as 0xRRGGBB.
static uint32_t pixel_at(int x, int y)
{
    uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return uint32_t{rgba[0]} << 16 | uint32_t{rgba[1]} << 8 | rgba[2];
}

// Quads from x0 to x1 across the whole height, in the colour of the moment.
static void draw_band(float x0, float x1)
{
    glBegin(GL_QUADS);
    glVertex3f(x0, -1, 0);
    glVertex3f(x1, -1, 0);
    glVertex3f(x1, 1, 0);
    glVertex3f(x0, 1, 0);
    glEnd();
}

// Stepping a show unseen: while drawing nothing, no clear, quad or run of
// lines reaches the picture, yet the colour, matrices and clear colour those
// frames set hold for the first frame drawn after.
TEST(FixedFunction, DrawingNothingChangesNoPixelButKeepsTheState)
{
    constexpr int kSide = 64;
    std::string error;
    ASSERT_TRUE(make_headless_context(kSide, kSide, &error, HeadlessApi::es2)) << error;
    ASSERT_TRUE(fixed_function_init(headless_gl_function, &error)) << error;
    glViewport(0, 0, kSide, kSide);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 1, 0);
    draw_band(-1, 0);  // batched when the switch comes: drawn first
    fixed_function_draw_nothing(true);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    draw_band(-1, 1);
    glBegin(GL_LINES);  // a run long enough to go out on its own
    for (int i = 0; i < 200; ++i) {
        glVertex3f(-1, i / 100.0f - 1, 0);
        glVertex3f(1, i / 100.0f - 1, 0);
    }
    glEnd();
    glColor3f(1, 1, 0);
    glTranslatef(1, 0, 0);
    glFinish();
    EXPECT_EQ(pixel_at(10, 32), 0x00FF00u) << "the quad batched before the switch was not drawn";
    EXPECT_EQ(pixel_at(54, 32), 0xFF0000u) << "drawn or cleared while drawing nothing";
    fixed_function_draw_nothing(false);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_band(-1, 0);  // moved right by the translation set while drawing nothing
    glFinish();
    EXPECT_EQ(pixel_at(10, 32), 0x0000FFu) << "the clear colour set while drawing nothing was lost";
    EXPECT_EQ(pixel_at(54, 32), 0xFFFF00u) << "the colour or matrix set while drawing nothing was lost";
}
