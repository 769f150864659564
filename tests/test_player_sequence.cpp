// Replay routine sequencing: ticks, rows, order positions, jumps, breaks,
// loops, delays, speed, seen through the player's tick observer; and the
// note steps at row start.
#include <gtest/gtest.h>

#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"
#include "tests/test_player_support.h"

using C = DeviceCall;

// A song of count empty patterns, one per order position.
static ModWriter module_with_patterns(int count)
{
    ModWriter writer = basic_module();
    writer.song_length = static_cast<uint8_t>(count);
    for (int p = 0; p < count; p++) writer.order[p] = static_cast<uint8_t>(p);
    return writer;
}

// Positions (order_pos * 100 + row) of the rows started, and the ticks,
// counted from the module's first, at which they started.
static std::vector<int32_t> start_positions;
static std::vector<int> start_ticks;
static int ticks_seen = 0;

static void observe(const TickReport& report)
{
    if (report.row_started) {
        start_positions.push_back(report.started_order_pos * 100 + report.started_row);
        start_ticks.push_back(ticks_seen);
    }
    ticks_seen++;
    // The observer sees what the main thread reads.
    EXPECT_EQ(report.order_pos * 100 + report.row, pt_song_position());
}

// Loads the module and runs ticks until count rows have started; their positions.
static std::vector<int32_t> rows_played(const ModWriter& writer, size_t count)
{
    EXPECT_EQ(load_test_module(writer), 1);
    start_positions.clear();
    start_ticks.clear();
    ticks_seen = 0;
    pt_tick_observer = observe;
    while (start_positions.size() < count && ticks_seen < 20000) pt_tick();
    pt_tick_observer = nullptr;
    return start_positions;
}

TEST(PlayerSequence, FirstTickStartsRowZeroWithEveryChannelSelectedInOrder)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0, 0});
    mw_set_cell(writer, 0, 0, 1, MwCell{0, 0, 0xD, 0x12});
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(pt_song_position(), -37);
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 112}, {Op::Sample, 1},
                                               {Op::Period, 428}, {Op::Trigger, 0}}));
    // Row 0, where the break shows row 63 until the next row starts.
    EXPECT_EQ(pt_song_position(), 63);
    std::vector<int64_t> selects;
    for (const C& call : recorded_calls)
        if (call.op == Op::Select) selects.push_back(call.arg);
    EXPECT_EQ(selects, (std::vector<int64_t>{0, 1, 2, 3}));
}

TEST(PlayerSequence, RowsEverySixTicksAndTheOrderWrapsToRestart)
{
    ModWriter writer = module_with_patterns(3);
    writer.restart = 1;
    const std::vector<int32_t> rows = rows_played(writer, 3 * 64 + 2);
    // The last one is restart 1, row 0.
    EXPECT_EQ((std::vector<int32_t>{rows[1], rows[64], rows[3 * 64 - 1], rows[3 * 64]}),
              (std::vector<int32_t>{1, 100, 263, 100}));
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[1] + 16);
    for (size_t i = 0; i < start_ticks.size(); i++) EXPECT_EQ(start_ticks[i], static_cast<int>(6 * i));

    // A restart at or beyond song_length replays that position for ever.
    writer.restart = 5;
    writer.order[5] = 2;
    const std::vector<int32_t> again = rows_played(writer, 5 * 64 + 1);
    EXPECT_EQ((std::vector<int32_t>{again[3 * 64], again[4 * 64]}), (std::vector<int32_t>{500, 500}));
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[2]);
}

TEST(PlayerSequence, JumpsBreaksAndLoops)
{
    const struct {
        std::vector<std::pair<int, MwCell>> cells;  // pattern * 100 + row, on channel 1
        std::vector<int32_t> rows;
    } cases[] = {
        // Break to row 12, jump to position 3, a break to a row that does not
        // exist (row 0 of the next), past the song to restart 2.
        {{{2, {0, 0, 0xD, 0x12}}, {113, {0, 0, 0xB, 0x03}}, {301, {0, 0, 0xD, 0x70}}},
         {0, 1, 2, 112, 113, 300, 301, 200, 201}},
        {{{0, {0, 0, 0xD, 0x63}}}, {0, 163, 200}},
        {{{0, {0, 0, 0xD, 0x64}}}, {0, 100, 101}},
        {{{0, {0, 0, 0xD, 0xA0}}}, {0, 100, 101}},
        {{{0, {0, 0, 0xB, 0x40}}}, {0, 200, 201}},  // beyond the song: restart
        // Pattern loop: E60 marks, E62 plays the rows twice more.
        {{{8, {0, 0, 0xE, 0x60}}, {10, {0, 0, 0xE, 0x62}}},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 8, 9, 10, 8, 9, 10, 11}},
    };
    for (const auto& c : cases) {
        ModWriter writer = module_with_patterns(4);
        for (const auto& [at, cell] : c.cells) mw_set_cell(writer, at / 100, at % 100, 1, cell);
        writer.restart = 2;
        EXPECT_EQ(rows_played(writer, c.rows.size()), c.rows);
    }
}

TEST(PlayerSequence, SpeedAndPatternDelaySetTheTicksOfARow)
{
    const struct {
        std::vector<MwCell> cells;  // row 0, channels 0 and 1
        std::vector<int> ticks;     // of the first row starts
    } cases[] = {
        {{{0, 0, 0xF, 0x03}}, {0, 3, 6}},
        {{{0, 0, 0xF, 0x20}}, {0, 6, 12}},  // 32 would be a tempo: ignored
        {{{0, 0, 0xF, 0x1F}}, {0, 31, 62}},
        {{{0, 0, 0xE, 0xE2}}, {0, 18, 24}},
        {{{0, 0, 0xE, 0xE3}, {0, 0, 0xE, 0xE1}}, {0, 24, 30}},  // the largest count
    };
    for (const auto& c : cases) {
        ModWriter writer = basic_module();
        for (size_t ch = 0; ch < c.cells.size(); ch++) mw_set_cell(writer, 0, 0, static_cast<int>(ch), c.cells[ch]);
        rows_played(writer, c.ticks.size());
        EXPECT_EQ(start_ticks, c.ticks);
    }

    // A delayed row repeats its later ticks (A01 slides 15 times), not its note.
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0xE, 0xE2});
    mw_set_cell(writer, 0, 0, 1, MwCell{1, 0, 0xA, 0x01});
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    for (int i = 0; i < 17; i++) EXPECT_TRUE(tick_channel(0).empty()) << i;
    EXPECT_EQ(replay.channels[1].volume, 48 - 15);

    // Speed 0 freezes the song and restarts the row's notes on every tick.
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0, 0});
    mw_set_cell(writer, 0, 0, 1, MwCell{0, 0, 0xF, 0x00});
    ASSERT_EQ(load_test_module(writer), 1);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(tick_channel(0).back(), (C{Op::Trigger, 0}));
        EXPECT_EQ(pt_song_position(), 0);
    }
}

TEST(PlayerSequence, NoteStepsAtRowStart)
{
    ModWriter writer = basic_module();
    writer.samples[2] = {std::vector<int8_t>(32, 1), -1, 0x08, 20, 0, 1};
    const MwCell cells[] = {
        {2, 428, 0, 0},     // sample 2 has finetune -8
        {0, 856, 0, 0},     // note, no sample: keeps sample 2 and the volume
        {1, 0, 0, 0},       // sample, no note: no restart
        {0x25, 428, 0, 0},  // no such sample: ignored
        {2, 0, 0xC, 0x10},  // Cxx replaces the default volume
        {2, 0, 0x8, 0x80},  // 8xx replaces the default pan
        {1, 428, 0x9, 0x04},  // 9xx starts the note at xx * 256
        {0, 0, 0x9, 0x02},    // and again without a note
    };
    for (int row = 0; row < 8; row++) mw_set_cell(writer, 0, row, 1, cells[row]);
    ASSERT_EQ(load_test_module(writer), 1);
    const std::vector<C> expected[] = {
        {{Op::Volume, 20}, {Op::Pan, 144}, {Op::Sample, 2}, {Op::Period, period_table[8][36]}, {Op::Trigger, 0}},
        {{Op::Period, period_table[8][24]}, {Op::Trigger, 0}},
        {{Op::Volume, 48}, {Op::Pan, 144}, {Op::Sample, 1}},
        {{Op::Period, 428}, {Op::Trigger, 0}},
        {{Op::Pan, 144}, {Op::Sample, 2}, {Op::Volume, 16}},
        {{Op::Volume, 20}, {Op::Sample, 2}, {Op::Pan, 0x80}},
        {{Op::Volume, 48}, {Op::Pan, 144}, {Op::Sample, 1}, {Op::Period, 428}, {Op::Trigger, 1024}},
        {{Op::Trigger, 512}},
    };
    for (int row = 0; row < 8; row++) {
        EXPECT_EQ(tick_channel(1), expected[row]) << "row " << row;
        for (int t = 1; t < 6; t++) pt_tick();
    }
}

TEST(PlayerSequence, TimerTicksOnlyWithoutSound)
{
    ASSERT_EQ(load_test_module(basic_module()), 1);
    const int32_t saved_mode = sound_mode;
    set_tick_rate(50, pt_tick);
    sound_mode = 2;
    EXPECT_EQ(timer_tick(20), 20u);
    EXPECT_EQ(pt_song_position(), -37);
    sound_mode = 0;
    EXPECT_EQ(timer_tick(20), 20u);
    EXPECT_EQ(pt_song_position(), 0);
    sound_mode = saved_mode;
}
