// Period table and vibrato/tremolo waveforms, against facts from outside the
// code: quoted ProTracker entries, the equal-tempered scale, the octave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "player/tables.h"

TEST(PeriodTable, QuotedEntriesAndStrictlyFallingRowsBetweenThePortamentoBounds)
{
    // ProTracker's finetune 0 octaves as published (columns 24..59).
    const uint16_t protracker[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                     428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                     214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
    for (int n = 0; n < 36; ++n) EXPECT_EQ(period_table[0][24 + n], protracker[n]) << n;
    // Single entries {row, column, period} as the tables were always shipped, raised ones included.
    const int shipped[][3] = {{0, 0, 3424}, {8, 24, 907}, {8, 59, 120}, {5, 3, 2778}, {11, 10, 1991}, {10, 16, 1419},
                              {15, 7, 2301}, {3, 1, 3164}, {6, 13, 1548}, {9, 13, 1699}, {3, 84, 27}};
    for (const auto& e : shipped) EXPECT_EQ(period_table[e[0]][e[1]], e[2]) << e[0] << "," << e[1];

    int lowest = 65535, highest = 0;
    for (int r = 0; r < kFinetuneRows; ++r) {
        for (int c = 0; c + 1 < kNoNote; ++c) EXPECT_GT(period_table[r][c], period_table[r][c + 1]) << r << "," << c;
        // A note index of 84 (no note) must still read the last period.
        EXPECT_EQ(period_table[r][kNoNote], period_table[r][kNoNote - 1]) << "row " << r;
        const auto [row_min, row_max] = std::minmax_element(period_table[r], period_table[r] + kNoteColumns);
        lowest = std::min<int>(lowest, *row_min);
        highest = std::max<int>(highest, *row_max);
    }
    EXPECT_EQ(lowest, kPeriodMin);
    EXPECT_EQ(highest, kPeriodMax);
}

// A typo shows up as a note off its equal-tempered pitch, an octave that is
// not half the period, or a finetune step the wrong way.
TEST(PeriodTable, EqualTemperedOctavesPerFinetune)
{
    for (int r = 0; r < kFinetuneRows; ++r) {
        const int finetune = r < 8 ? r : r - 16;
        for (int n = 0; n < 36; ++n) {
            const double ideal = 856.0 * std::exp2(-(n + finetune / 8.0) / 12.0);
            EXPECT_NEAR(period_table[r][24 + n], ideal, 1.5) << "row " << r << " note " << n;
        }
        // The published octaves halve within rounding; the extended ones within 3.
        for (int c = 0; c + 12 < kNoNote; ++c)
            EXPECT_NEAR(period_table[r][c], 2 * period_table[r][c + 12], c >= 24 && c < 48 ? 1 : 3)
                << "row " << r << " column " << c;
    }
    const int sharper_order[16] = {8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7};
    for (int c = 0; c < kNoNote; ++c)
        for (int i = 0; i + 1 < 16; ++i)
            EXPECT_GE(period_table[sharper_order[i]][c], period_table[sharper_order[i + 1]][c]) << "column " << c;
}

// Vibrato and tremolo add wave * depth / 128: the waves must stay within
// -256..255 so the largest depth moves a period or volume by at most 30.
TEST(Waveforms, SymmetricSineFallingRampReproducibleRandomInTheSelectionOrder)
{
    std::srand(1);
    pt_build_waveforms();
    int16_t first_random[64];
    std::copy(random_wave, random_wave + 64, first_random);
    std::srand(1);
    pt_build_waveforms();
    for (int i = 0; i < 64; ++i) {
        for (const int16_t* wave : waveform_select) EXPECT_TRUE(wave[i] >= -256 && wave[i] <= 255) << i;
        EXPECT_EQ(sine_wave[(i + 32) % 64], -sine_wave[i]) << i;  // centred on the note
        EXPECT_EQ(sine_wave[(80 - i) % 64], sine_wave[(16 + i) % 64]) << i;
        EXPECT_LT(ramp_wave[(i + 1) % 64], ramp_wave[i] + (i == 63 ? 512 : 0)) << i;
        EXPECT_EQ(random_wave[i], first_random[i]) << "a capture must hear the same random vibrato";
    }
    EXPECT_EQ(sine_wave[16], 255);
    EXPECT_EQ(ramp_wave[0], 255);
    EXPECT_NE(std::count(random_wave, random_wave + 64, random_wave[0]), 64);
    // E4y and E7y: 0 sine, 1 ramp down, 2 square, 3 random.
    const int16_t* const order[4] = {sine_wave, ramp_wave, square_wave, random_wave};
    EXPECT_TRUE(std::equal(order, order + 4, waveform_select));
}
