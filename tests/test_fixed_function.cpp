// The fixed-function layer on OpenGL ES against the system's OpenGL 1.x:
// each case drawn both ways must look the same, and the matrices read back
// must be OpenGL's.
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
