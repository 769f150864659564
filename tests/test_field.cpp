// The scalar field behind the cube field and the iso-surface.
#include <gtest/gtest.h>

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
    const double sources[3][3] = {
        {4 * std::sin(t) + 8, 2 * std::sin(3 * t) + 2 * std::cos(t) + 8, 2 * std::sin(4 * t) - 2 * std::cos(2 * t) + 8},
        {5 * std::sin(2 * t) + 8, 2 * std::sin(7 * t) + 2 * std::cos(3 * t) + 8, 2 * std::sin(6 * t) - 2 * std::cos(t) + 8},
        {4 * std::sin(3 * t) + 8, 2 * std::sin(7 * t) + 2 * std::cos(3 * t) + 8, 2 * std::sin(6 * t) - 2 * std::cos(5 * t) + 8},
    };
    double sum = 0;
    for (const auto& s : sources) {
        const double d2 = (i - s[0]) * (i - s[0]) + (j - s[1]) * (j - s[1]) + (k - s[2]) * (k - s[2]);
        sum += std::fmin(std::fmax(1.1 - d2 / 30, 0.0), 1.0);
    }
    return sum;
}

TEST(ScalarField, LevelIsHalfUntilTheFirstUpdateAndTenthAfterEachAndClearZeroes)
{
    EXPECT_FLOAT_EQ(kIsoLevelAtStart, 0.5f);
    field_update(0.0f);
    EXPECT_FLOAT_EQ(iso_level, 0.1f);
    iso_level = 0.7f;  // whatever it was, each update puts it back
    field_update(2.5f);
    EXPECT_FLOAT_EQ(iso_level, 0.1f);
    field_clear();
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) ASSERT_EQ(scalar_field[i][j][k], 0.0f);
}

TEST(ScalarField, CoincidentSourcesAtTimeZero)
{
    field_update(0.0f);
    // All three sources sit on (8, 10, 6): full weight each.
    EXPECT_NEAR(scalar_field[8][10][6], 3.0f, 1e-5f);
    // d^2 = 3 is still full weight; d^2 = 9 gives 0.8 each; d^2 = 27 gives 0.2.
    EXPECT_NEAR(scalar_field[9][11][7], 3.0f, 1e-5f);
    EXPECT_NEAR(scalar_field[8][10][9], 2.4f, 1e-5f);
    EXPECT_NEAR(scalar_field[5][13][9], 0.6f, 1e-5f);
    // Farther than sqrt(33) from every source: nothing.
    EXPECT_EQ(scalar_field[0][0][15], 0.0f);
    EXPECT_EQ(scalar_field[8][10][0], 0.0f);  // d^2 = 36
    EXPECT_EQ(scalar_field[15][2][6], 0.0f);
}

TEST(ScalarField, EveryPointMatchesTheSourcesAtAnotherTime)
{
    // A time where the three sources are apart, so axis or index mix-ups show.
    const float t = 1.234f;
    field_update(t);
    int nonzero = 0;
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) {
                const double expected = reference_value(t, i, j, k);
                ASSERT_NEAR(scalar_field[i][j][k], expected, 1e-4) << i << "," << j << "," << k;
                EXPECT_GE(scalar_field[i][j][k], 0.0f);
                EXPECT_LE(scalar_field[i][j][k], 3.0f);
                nonzero += expected > 0;
            }
    EXPECT_GT(nonzero, 100);
    EXPECT_LT(nonzero, kFieldSize * kFieldSize * kFieldSize);
}

}  // namespace
