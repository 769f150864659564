// The scalar field behind the cube field and the iso-surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "gfx/effects/scalar_field.h"

namespace {

// Read before any test runs: iso_level is constant-initialised, so this
// sees its value at program start.
const float kIsoLevelAtStart = iso_level;

// The field the three moving sources should give, computed in double
// precision from the source paths directly.
double reference_value(double t, int i, int j, int k)
{
    const double shared_y = 2 * std::sin(7 * t) + 2 * std::cos(3 * t) + 8;  // of the second and third
    const double sources[3][3] = {
        {4 * std::sin(t) + 8, 2 * std::sin(3 * t) + 2 * std::cos(t) + 8, 2 * std::sin(4 * t) - 2 * std::cos(2 * t) + 8},
        {5 * std::sin(2 * t) + 8, shared_y, 2 * std::sin(6 * t) - 2 * std::cos(t) + 8},
        {4 * std::sin(3 * t) + 8, shared_y, 2 * std::sin(6 * t) - 2 * std::cos(5 * t) + 8},
    };
    double sum = 0;
    for (const auto& s : sources) {
        const double d2 = (i - s[0]) * (i - s[0]) + (j - s[1]) * (j - s[1]) + (k - s[2]) * (k - s[2]);
        sum += std::fmin(std::fmax(1.1 - d2 / 30, 0.0), 1.0);
    }
    return sum;
}

// At this time the three sources are apart, so axis or index mix-ups show,
// and each has lattice points at full weight (d^2 < 3), partial and none.
TEST(ScalarField, UpdateFollowsTheSourcesAndSetsTheLevelClearZeroes)
{
    EXPECT_FLOAT_EQ(kIsoLevelAtStart, 0.5f);
    iso_level = 0.7f;  // whatever it was, each update puts it back
    float* const all = &scalar_field[0][0][0];
    const size_t points = kFieldSize * kFieldSize * kFieldSize;
    std::fill(all, all + points, -1.0f);  // every point must be written
    const float t = 1.234f;
    field_update(t);
    EXPECT_FLOAT_EQ(iso_level, 0.1f);
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k)
                ASSERT_NEAR(scalar_field[i][j][k], reference_value(t, i, j, k), 1e-4) << i << "," << j << "," << k;
    field_clear();
    EXPECT_TRUE(std::all_of(all, all + points, [](float v) { return v == 0.0f; }));
}

}  // namespace
