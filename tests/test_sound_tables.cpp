// Period table and vibrato/tremolo waveforms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "player/tables.h"

// Published reference rows (finetune 0 and finetune -8), column 0..84.
static const uint16_t kRow0[85] = {
    3424, 3232, 3048, 2880, 2712, 2560, 2416, 2280, 2152, 2032, 1920, 1812, 1712, 1616, 1524,
    1440, 1356, 1280, 1208, 1140, 1076, 1016, 960,  906,  856,  808,  762,  720,  678,  640,
    604,  570,  538,  508,  480,  453,  428,  404,  381,  360,  339,  320,  302,  285,  269,
    254,  240,  226,  214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113,
    107,  101,  95,   90,   85,   80,   75,   71,   67,   63,   60,   56,   53,   50,   47,
    45,   42,   40,   37,   35,   33,   31,   30,   28,   28};
static const uint16_t kRow8[85] = {
    3628, 3424, 3232, 3050, 2879, 2717, 2565, 2421, 2285, 2157, 2036, 1921, 1814, 1712, 1616,
    1525, 1439, 1358, 1282, 1210, 1142, 1078, 1018, 960,  907,  856,  808,  762,  720,  678,
    640,  604,  570,  538,  508,  480,  453,  428,  404,  381,  360,  339,  320,  302,  285,
    269,  254,  240,  226,  214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,
    113,  106,  100,  95,   90,   85,   80,   75,   71,   67,   63,   60,   56,   53,   50,
    47,   44,   42,   40,   37,   35,   33,   31,   30,   30};

TEST(PeriodTable, ReferenceRowsAndQuotedEntries)
{
    for (int c = 0; c < kNoteColumns; ++c) {
        EXPECT_EQ(period_table[0][c], kRow0[c]) << "column " << c;
        EXPECT_EQ(period_table[8][c], kRow8[c]) << "column " << c;
    }
    EXPECT_EQ(period_table[5][3], 2778);
    EXPECT_EQ(period_table[11][10], 1991);
    EXPECT_EQ(period_table[10][16], 1419);
    EXPECT_EQ(period_table[15][7], 2301);
    EXPECT_EQ(period_table[3][84], 27);
}

TEST(PeriodTable, RowsFallStrictlyBetweenThePortamentoBounds)
{
    int lowest = 65535, highest = 0;
    for (int r = 0; r < kFinetuneRows; ++r) {
        for (int c = 0; c + 1 < kNoNote; ++c) EXPECT_GT(period_table[r][c], period_table[r][c + 1]) << r << "," << c;
        EXPECT_EQ(period_table[r][kNoNote], period_table[r][kNoNote - 1]) << "row " << r;
        for (int c = 0; c < kNoteColumns; ++c) {
            lowest = std::min<int>(lowest, period_table[r][c]);
            highest = std::max<int>(highest, period_table[r][c]);
        }
    }
    EXPECT_EQ(lowest, kPeriodMin);
    EXPECT_EQ(highest, kPeriodMax);
    EXPECT_EQ(period_table[8][0], kPeriodMax);
}

// Typos in the ProTracker rows show up as a note off its equal-tempered pitch
// or as a finetune step the wrong way.
TEST(PeriodTable, ProTrackerRangeIsAnEqualTemperedScalePerFinetune)
{
    for (int r = 0; r < kFinetuneRows; ++r) {
        const int finetune = r < 8 ? r : r - 16;
        for (int n = 0; n < 36; ++n) {
            const double ideal = 856.0 * std::exp2(-(n + finetune / 8.0) / 12.0);
            EXPECT_NEAR(period_table[r][24 + n], ideal, 1.5) << "row " << r << " note " << n;
        }
    }
    const int sharper_order[16] = {8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7};
    for (int c = 24; c < 60; ++c) {
        for (int i = 0; i + 1 < 16; ++i) {
            EXPECT_GE(period_table[sharper_order[i]][c], period_table[sharper_order[i + 1]][c])
                << "column " << c << " rows " << sharper_order[i] << "," << sharper_order[i + 1];
        }
    }
}

TEST(PeriodTable, LowOctavesFollowTheFormulaWithSixRaisedEntries)
{
    for (int r = 0; r < kFinetuneRows; ++r) {
        const double p = period_table[r][24];
        for (int i = 0; i < 24; ++i) {
            int expected = 0;
            if (r == 0) {
                expected = period_table[0][24 + i % 12] * (i < 12 ? 4 : 2);
            } else {
                expected = static_cast<int>(std::floor(4.0 * p * std::exp2(-i / 12.0)));
                if ((r == 3 || r == 6 || r == 9) && (i == 1 || i == 13)) ++expected;
            }
            EXPECT_EQ(period_table[r][i], expected) << "row " << r << " column " << i;
        }
    }
    EXPECT_EQ(period_table[3][1], 3164);
    EXPECT_EQ(period_table[6][13], 1548);
    EXPECT_EQ(period_table[9][13], 1699);
}

TEST(Waveforms, ConstantShapes)
{
    EXPECT_EQ(sine_wave[0], 0);
    EXPECT_EQ(sine_wave[16], 255);
    EXPECT_EQ(sine_wave[32], 0);
    EXPECT_EQ(sine_wave[48], -255);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(sine_wave[i + 32], -sine_wave[i]) << i;
    for (int i = 0; i < 64; ++i) {
        const int expected = i < 16 ? 0 : i < 32 ? 255 : i < 48 ? 0 : -256;
        EXPECT_EQ(square_wave[i], expected) << i;
    }
}

TEST(Waveforms, BuiltRampAndRandomAndTheirSelectionOrder)
{
    std::srand(1);  // the generator's state at program start
    int expected_random[64];
    for (int& value : expected_random) value = std::rand() % 511 - 256;
    std::srand(1);
    pt_build_waveforms();
    EXPECT_EQ(ramp_wave[31], 7);
    EXPECT_EQ(ramp_wave[32], -1);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(ramp_wave[i], 255 - 8 * i) << i;
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(random_wave[i], expected_random[i]) << i;
        EXPECT_GE(random_wave[i], -256);
        EXPECT_LE(random_wave[i], 254);
    }
    EXPECT_EQ(waveform_select[0], sine_wave);
    EXPECT_EQ(waveform_select[1], ramp_wave);
    EXPECT_EQ(waveform_select[2], square_wave);
    EXPECT_EQ(waveform_select[3], random_wave);
}
