// The show stepped offline: tick bookkeeping, the sound stream, frames due at
// a position, and the stepping itself with its reasons to stop.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfx/show_clock.h"
#include "offline/offline_audio.h"
#include "offline/offline_clock.h"
#include "offline/offline_step.h"
#include "offline/offline_ticks.h"

TEST(OfflineTicks, FramesStandOnSamplesAndSeeTheLastTickStarted)
{
    // 5512.5 rounds down; a tick is 882 samples.
    EXPECT_EQ((std::vector<int64_t>{sample_of_frame(1, 60), sample_of_frame(3, 24), sample_of_frame(0, 24)}),
              (std::vector<int64_t>{735, 5512, 0}));
    EXPECT_EQ((std::vector<int64_t>{tick_at_sample(881), tick_at_sample(882), tick_at_sample(882 * 7 + 5)}),
              (std::vector<int64_t>{0, 1, 7}));
}

TEST(OfflineTicks, HistoryFirstStartsAndLoops)
{
    ticks_reset();
    int32_t position = 0;
    EXPECT_FALSE(ticks_position_at(0, &position));
    // Order 0 rows 0..2 at two ticks a row, a pattern loop back to row 1
    // (same order: not the end), then order 1, then back to order 0 row 0.
    const int32_t rows[][3] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {0, 2, 0},
                               {0, 1, 1}, {0, 2, 1}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}};
    for (const auto& row : rows) ticks_record(row[0], row[1], row[2] != 0);
    EXPECT_EQ(ticks_done(), 10);
    ASSERT_TRUE(ticks_position_at(8, &position));
    EXPECT_EQ(position, 101);
    // The replayed row 1 keeps its first start; rows never started have none.
    EXPECT_EQ((std::vector<int64_t>{ticks_first_start(1), ticks_first_start(100), ticks_first_start(3),
                                    ticks_first_start(-37)}),
              (std::vector<int64_t>{2, 7, -1, -1}));
    int32_t back_to = -1;
    EXPECT_EQ(ticks_loop_tick(&back_to), 9);
    EXPECT_EQ(back_to, 0);

    // Within one order position: back by a pattern loop is part of the song,
    // back otherwise (a one-order song restarting) is its end.
    ticks_reset();
    for (int row : {0, 1, 2}) ticks_record(0, row);
    ticks_record(0, 1, true);
    EXPECT_EQ(ticks_loop_tick(), -1);
    ticks_record(0, 2);
    ticks_record(0, 0);
    EXPECT_EQ(ticks_loop_tick(&back_to), 5);
    EXPECT_EQ(back_to, 0);

    // Old ticks leave the history; new ones stay readable.
    for (int i = 0; i < kTickHistory; ++i) ticks_record(2, i % 64);
    EXPECT_FALSE(ticks_position_at(ticks_done() - kTickHistory - 1, &position));
    EXPECT_TRUE(ticks_position_at(ticks_done() - kTickHistory, &position));
    ASSERT_TRUE(ticks_position_at(ticks_done() - 1, &position));
    EXPECT_EQ(position, 200 + (kTickHistory - 1) % 64);
    EXPECT_FALSE(ticks_position_at(ticks_done(), &position));
}

// Stands in for the demo's callback: a tick every 882 samples, carried
// across requests, and sample values that are their own index.
static int64_t fake_samples_out = 0;
static void fake_callback(void*, uint8_t* stream, int length)
{
    for (int i = 0; i < length / 2; ++i) {
        if (fake_samples_out % kSamplesPerTick == 0) {
            const int64_t tick = fake_samples_out / kSamplesPerTick;
            ticks_record(static_cast<int32_t>(tick / 6 / 64), static_cast<int32_t>(tick / 6 % 64));
        }
        const uint16_t value = static_cast<uint16_t>(fake_samples_out++);
        stream[2 * i] = static_cast<uint8_t>(value);
        stream[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
}

static void silent_callback(void*, uint8_t* stream, int length)
{
    std::memset(stream, 0, static_cast<size_t>(length));
}

TEST(OfflineAudio, RunsAheadInWholeRequestsAndHandsOutSpans)
{
    fake_samples_out = 0;
    ticks_reset();
    audio_reset(fake_callback);
    ASSERT_TRUE(audio_run_through_tick(5));  // tick 5 starts at 4410, in the 3rd request
    EXPECT_EQ(audio_produced(), 3 * kRequestSamples);
    EXPECT_GE(ticks_done(), 6);
    int32_t position = 0;
    ASSERT_TRUE(ticks_position_at(tick_at_sample(sample_of_frame(8, 60)), &position));  // sample 5880: tick 6
    EXPECT_FALSE(ticks_position_at(tick_at_sample(sample_of_frame(9, 60)), &position));  // tick 7 not run yet
    EXPECT_EQ(position, 1);

    const int16_t* span = audio_span(4000, 5000);
    ASSERT_NE(span, nullptr);
    EXPECT_EQ(span[0], 4000);
    EXPECT_EQ(span[999], 4999);
    audio_forget_before(4500);
    EXPECT_EQ(audio_span(4000, 4600), nullptr);
    ASSERT_NE(audio_span(4500, 4600), nullptr);
    EXPECT_EQ(audio_span(4500, 4600)[0], 4500);
    EXPECT_EQ(audio_span(4500, 7000), nullptr);  // not produced yet
    audio_run_through_sample(40000);             // 40000 > 32767: values wrap as 16-bit
    ASSERT_NE(audio_span(39999, 40000), nullptr);
    EXPECT_EQ(audio_span(39999, 40000)[0], static_cast<int16_t>(39999));
}

TEST(OfflineAudio, ACallbackThatNeverTicksIsReportedNotAwaited)
{
    ticks_reset();
    audio_reset(silent_callback);
    EXPECT_FALSE(audio_run_through_tick(0));
    EXPECT_EQ(audio_produced(), kRequestSamples);
}

TEST(OfflineTicks, AFrameIsDueSecondsAfterItsPositionFirstStarted)
{
    ticks_reset();
    for (int tick = 0; tick < 3; ++tick) ticks_record(0, 63);
    ticks_record(1, 0);  // position 100 starts at tick 3, sample 2646
    const struct { int32_t position; double seconds; int64_t sample; bool due; } cases[] = {
        {100, 0, 2645, false}, {100, 0, 2646, true},      {100, 0.5, 2646 + 22049, false},
        {100, 0.5, 2646 + 22050, true}, {101, 0, 1 << 30, false}, {63, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + "@" + std::to_string(c.seconds) + " at " + std::to_string(c.sample));
        EXPECT_EQ(frame_due(c.position, c.seconds, c.sample), c.due);
    }
}

// A song for the stepping: position -37 for its first ticks, then rows of
// two ticks from order 0 row 0 on, wrapping at row 64; how it ends is set
// per case.
static struct {
    int64_t lead_in;     // ticks at -37
    int64_t loop_after;  // rows played before going back to row 0 (0: never)
    bool frozen;         // stays on row 0 for ever
    bool ticks;          // false: the callback runs no tick at all
    int64_t done;        // ticks run so far
} song;

static void song_callback(void*, uint8_t* stream, int length)
{
    std::memset(stream, 0, static_cast<size_t>(length));
    if (!song.ticks) return;
    // Tick n runs in the request that holds its first sample, 882 n.
    for (const int64_t last = (audio_produced() + length / 2 - 1) / kSamplesPerTick; song.done <= last; ++song.done) {
        int64_t row = (song.done - song.lead_in) / 2;
        if (song.loop_after > 0) row %= song.loop_after;
        if (song.frozen) row = 0;
        if (song.done < song.lead_in) ticks_record(-1, 63);  // -37 as order and row would be
        else ticks_record(static_cast<int32_t>(row / 64), static_cast<int32_t>(row % 64));
    }
}

TEST(OfflineStep, FramesStartAtTheFirstRowOnTheirOwnClock)
{
    install_offline_clock();
    song = {10, 0, false, true, 0};
    OfflineShow show;
    offline_show_start(&show, 60, song_callback);
    int32_t position = 0;
    std::string reason;
    ASSERT_TRUE(offline_show_next(&show, &position, &reason)) << reason;
    // Tick 10 (sample 8820) is the first row: frame 12 (sample 8820) stands on it.
    EXPECT_EQ((std::vector<int64_t>{show.frame, show.first_frame, offline_show_sample(show), position}),
              (std::vector<int64_t>{12, 12, 8820, 0}));
    EXPECT_EQ(demo_time(), 0.0);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(offline_show_next(&show, &position, &reason)) << reason;
    // One second later: tick 60 since the first row, row 25.
    EXPECT_DOUBLE_EQ(demo_time(), 1.0);
    EXPECT_EQ(song_position(), 25);
    EXPECT_EQ(position, 25);
}

TEST(OfflineStep, ASongThatCannotBeShownStopsSayingWhy)
{
    install_offline_clock();
    const struct { decltype(song) setup; const char* reason; } cases[] = {
        {{0, 0, false, false, 0}, "runs no player tick"},
        {{1000, 0, false, true, 0}, "never reached its first row (position stays -37)"},
        {{0, 30, false, true, 0}, "went back to position 0 (it loops)"},
        {{0, 0, true, true, 0}, "stood still at position 0 for a minute"},
    };
    for (const auto& c : cases) {
        song = c.setup;
        OfflineShow show;
        offline_show_start(&show, 60, song_callback);
        int32_t position = 0;
        std::string reason;
        while (offline_show_next(&show, &position, &reason)) ASSERT_LT(show.frame, 60 * 60 * 25) << c.reason;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }
}
