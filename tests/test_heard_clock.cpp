// The browser's show clock: the song position and time of the sample heard,
// placed among the starts the sound's maker reported.
#include <gtest/gtest.h>

#include "web/heard_clock.h"

// The show's first three rows at 6 ticks of 882 samples: 5292 samples each.
static void report_first_rows()
{
    heard_clock_reset();
    heard_clock_add(0, 0);
    heard_clock_add(5292, 1);
    heard_clock_add(10584, 2);
}

TEST(HeardClock, DrawsThePositionWhoseSoundIsHeardFromItsFirstSample)
{
    report_first_rows();
    EXPECT_EQ(kHeardClock.position(), -37) << "nothing heard yet";
    const struct { double sample; int32_t position; } cases[] = {
        {-0.5, -37}, {0, 0}, {5291.9, 0}, {5292, 1}, {10583.99, 1}, {10584, 2}, {1e9, 2},
    };
    for (const auto& c : cases) {
        heard_clock_hear(c.sample);
        EXPECT_EQ(kHeardClock.position(), c.position) << "heard sample " << c.sample;
    }
    // After a stall the clock stands where the sound is, not a row further.
    heard_clock_hear(3000);
    heard_clock_hear(10600);
    EXPECT_EQ(kHeardClock.position(), 2);
    // A new show starts from nothing.
    heard_clock_reset();
    EXPECT_EQ(kHeardClock.position(), -37);
    EXPECT_EQ(kHeardClock.time(), 0.0);
}

TEST(HeardClock, TimeRunsFromTheFirstRowsFirstSampleInWholeMilliseconds)
{
    heard_clock_reset();
    // The song's first tick may start before its first row is reported.
    heard_clock_add(882, 0);
    heard_clock_add(6174, 1);
    const struct { double sample; double seconds; } cases[] = {
        {-100, 0.0}, {500, 0.0}, {882, 0.0}, {882 + 44.0, 0.0}, {882 + 44.1, 0.001},
        {6174, 0.12}, {882 + 44100 * 2.5, 2.5}, {882 + 44100 * 100 + 40, 100.0},
    };
    for (const auto& c : cases) {
        heard_clock_hear(c.sample);
        EXPECT_NEAR(kHeardClock.time(), c.seconds, 1e-9) << "heard sample " << c.sample;
    }
    // Time and position come from the same heard sample.
    heard_clock_hear(6174 - 1);
    EXPECT_EQ(kHeardClock.position(), 0);
    EXPECT_NEAR(kHeardClock.time(), 0.119, 1e-9);
}
