// The fixed-function layer on OpenGL ES against the system's OpenGL 1.x:
// each case drawn both ways must look the same, and the matrices read back
// must be OpenGL's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "fixed_function/fixed_function.h"
#include "tests/fixed_function_cases.h"
#include "tests/picture_compare.h"
#include "tests/test_files.h"
#include "tools/common/headless_gl.h"

struct CaseResult {
    std::vector<float> values;
    std::vector<uint8_t> rgba;
};

static std::vector<CaseResult> reference_results()
{
    const std::string path = testing::TempDir() + "fixed_function_reference.bin";
    if (run_command(std::string(REFERENCE_BINARY) + " " + path, 120) != 0) return {};
    std::vector<CaseResult> results;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return {};
    for (int k = 0; k < kFixedFunctionCaseCount; ++k) {
        CaseResult r;
        uint32_t count = 0;
        if (std::fread(&count, sizeof count, 1, in) != 1 || count > 1024) break;
        r.values.resize(count);
        r.rgba.resize(static_cast<size_t>(kCaseWidth) * kCaseHeight * 4);
        if (std::fread(r.values.data(), sizeof(float), count, in) != count ||
            std::fread(r.rgba.data(), 1, r.rgba.size(), in) != r.rgba.size())
            break;
        results.push_back(r);
    }
    std::fclose(in);
    std::remove(path.c_str());
    return results;
}

TEST(FixedFunction, EveryCaseLooksAsInOpenGl)
{
    const std::vector<CaseResult> reference = reference_results();
    ASSERT_EQ(reference.size(), static_cast<size_t>(kFixedFunctionCaseCount)) << "the reference program failed";
    std::string error;
    ASSERT_TRUE(make_headless_context(kCaseWidth, kCaseHeight, &error, HeadlessApi::es2)) << error;
    ASSERT_TRUE(fixed_function_init(headless_gl_function, &error)) << error;
    make_case_textures();
    // Rasterisers may differ on edge pixels; a real fault changes whole
    // shapes (the smallest here, a line one pixel too thin, is ~100 pixels).
    constexpr int kEdgePixels = kCaseWidth * kCaseHeight / 200;
    for (int k = 0; k < kFixedFunctionCaseCount; ++k) {
        SCOPED_TRACE(kFixedFunctionCases[k].name);
        CaseResult ours;
        run_case(k, &ours.rgba, &ours.values);
        int lit = 0;
        for (size_t p = 0; p < ours.rgba.size(); p += 4) lit += ours.rgba[p] + ours.rgba[p + 1] + ours.rgba[p + 2] > 0;
        EXPECT_GT(lit, kCaseWidth * kCaseHeight / 10) << "the case draws too little to show anything";
        EXPECT_LE(pixels_over(ours.rgba, reference[k].rgba, 24), kEdgePixels);
        ASSERT_EQ(ours.values.size(), reference[k].values.size());
        for (size_t v = 0; v < ours.values.size(); ++v)
            EXPECT_NEAR(ours.values[v], reference[k].values[v], 1e-5 * (1 + std::fabs(reference[k].values[v])))
                << "number " << v;
    }
}
