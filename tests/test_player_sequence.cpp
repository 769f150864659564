// Replay routine sequencing: ticks, rows, order positions, jumps, breaks,
// loops, delays, speed, and the note steps at row start.
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
    for (int p = 0; p < count; p++) {
        writer.order[p] = static_cast<uint8_t>(p);
        mw_set_cell(writer, p, 63, 3, MwCell{});
    }
    return writer;
}

TEST(PlayerSequence, FirstTickStartsRowZeroOfTheFirstOrderPosition)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0, 0});
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(position_now(), -37);
    EXPECT_EQ(replay.player.speed, 6);
    EXPECT_EQ(replay.player.tick, 5u);
    const std::vector<C> calls = tick_channel(0);
    EXPECT_EQ(position_now(), 0);
    EXPECT_EQ(replay.player.tick, 0u);
    EXPECT_EQ(calls, (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 112}, {Op::Sample, 1},
                                     {Op::Period, 428}, {Op::Trigger, 0}}));
    EXPECT_EQ(replay.channels[0].note, 36);
    // Every channel is selected in order, even empty ones.
    int selects = 0;
    for (const C& call : recorded_calls) {
        if (call.op == Op::Select) {
            EXPECT_EQ(call.arg, selects);
            selects++;
        }
    }
    EXPECT_EQ(selects, 4);
}

TEST(PlayerSequence, RowsAdvanceEverySpeedTicksAndOrdersWrapToRestart)
{
    ModWriter writer = module_with_patterns(3);
    writer.restart = 1;
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    EXPECT_EQ(ticks_to_next_row(), 6);
    EXPECT_EQ(position_now(), 1);
    // Skip to the end of order position 2.
    while (position_now() != 263) pt_tick();
    EXPECT_EQ(ticks_to_next_row(), 6);
    EXPECT_EQ(position_now(), 100);  // restart 1, row 0
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[1]);

    // A restart at or beyond song_length replays that position for ever.
    writer.restart = 5;
    writer.order[5] = 2;
    ASSERT_EQ(load_test_module(writer), 1);
    while (position_now() != 263) pt_tick();
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 500);
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[2]);
    while (position_now() != 563) pt_tick();
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 500);
}

TEST(PlayerSequence, JumpsAndBreaks)
{
    ModWriter writer = module_with_patterns(4);
    mw_set_cell(writer, 0, 2, 1, MwCell{0, 0, 0xD, 0x12});   // break to row 12
    mw_set_cell(writer, 1, 13, 2, MwCell{0, 0, 0xB, 0x03});  // jump to position 3
    mw_set_cell(writer, 3, 1, 0, MwCell{0, 0, 0xD, 0x70});   // row 70 does not exist
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    ticks_to_next_row();
    // The break shows row 63 for the rest of its row.
    EXPECT_EQ(ticks_to_next_row(), 6);
    EXPECT_EQ(position_now(), 63);
    EXPECT_EQ(replay.player.break_row, 12);
    EXPECT_EQ(ticks_to_next_row(), 6);
    EXPECT_EQ(position_now(), 112);
    EXPECT_EQ(replay.player.break_row, 0);
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[1] + 12 * 16);
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 263);  // row 13 jumped: order 3 - 1, row 63
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 300);
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 363);
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 0);  // past song_length to restart 0, at row 0 rather than 70
    EXPECT_EQ(replay.player.row_cells, replay.song.patterns[0]);
}

TEST(PlayerSequence, BreakBeyondThePatternStartsAtRowZero)
{
    for (uint8_t param : {0x64, 0x99, 0xFF, 0xA0}) {
        ModWriter writer = module_with_patterns(2);
        mw_set_cell(writer, 0, 0, 0, MwCell{0, 0, 0xD, param});
        ASSERT_EQ(load_test_module(writer), 1);
        pt_tick();
        ticks_to_next_row();
        EXPECT_EQ(position_now(), 100) << int(param);
        EXPECT_EQ(replay.player.row_cells, replay.song.patterns[1]);
    }
    ModWriter writer = module_with_patterns(2);
    mw_set_cell(writer, 0, 0, 0, MwCell{0, 0, 0xD, 0x63});
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 163);
}

TEST(PlayerSequence, PositionJumpBeyondSongLengthGoesToRestart)
{
    ModWriter writer = module_with_patterns(3);
    writer.restart = 2;
    mw_set_cell(writer, 0, 0, 0, MwCell{0, 0, 0xB, 0x40});
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    EXPECT_EQ(replay.player.order_pos, 0x3F);
    ticks_to_next_row();
    EXPECT_EQ(position_now(), 200);
}

TEST(PlayerSequence, PatternLoopRepeatsItsRows)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 8, 1, MwCell{0, 0, 0xE, 0x60});
    mw_set_cell(writer, 0, 10, 1, MwCell{0, 0, 0xE, 0x62});
    ASSERT_EQ(load_test_module(writer), 1);
    // The rows whose cells are played, by the row pointer.
    std::vector<int32_t> rows;
    pt_tick();
    rows.push_back(static_cast<int32_t>((replay.player.row_cells - replay.song.patterns[0]) / 16));
    while (rows.size() < 18) {
        ticks_to_next_row();
        rows.push_back(static_cast<int32_t>((replay.player.row_cells - replay.song.patterns[0]) / 16));
    }
    EXPECT_EQ(rows, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 8, 9, 10, 8, 9, 10, 11}));
}

TEST(PlayerSequence, PatternDelayRepeatsLaterTicksByTheLargestCount)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0xE, 0xE2});
    mw_set_cell(writer, 0, 0, 1, MwCell{0, 0, 0xA, 0x01});
    ASSERT_EQ(load_test_module(writer), 1);
    replay.samples[1].volume = 48;
    // Channel 1 slides its volume down on every later tick.
    replay.channels[1].volume = 40;
    pt_tick();
    std::vector<std::vector<C>> ticks;
    for (int i = 0; i < 17; i++) ticks.push_back(tick_channel(0));
    EXPECT_EQ(position_now(), 0);
    for (int i = 0; i < 17; i++) EXPECT_TRUE(ticks[i].empty()) << i;  // no retrigger on delay slots
    EXPECT_EQ(replay.channels[1].volume, 40 - 15);
    EXPECT_EQ(ticks_to_next_row(), 1);
    EXPECT_EQ(position_now(), 1);

    ModWriter both = basic_module();
    mw_set_cell(both, 0, 0, 0, MwCell{0, 0, 0xE, 0xE3});
    mw_set_cell(both, 0, 0, 1, MwCell{0, 0, 0xE, 0xE1});
    ASSERT_EQ(load_test_module(both), 1);
    pt_tick();
    EXPECT_EQ(ticks_to_next_row(), 24);
}

TEST(PlayerSequence, SpeedCommands)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{0, 0, 0xF, 0x03});
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0xF, 0x20});  // 32: a tempo, ignored
    mw_set_cell(writer, 0, 2, 0, MwCell{0, 0, 0xF, 0x1F});
    mw_set_cell(writer, 0, 3, 0, MwCell{1, 428, 0xF, 0x00});
    ASSERT_EQ(load_test_module(writer), 1);
    pt_tick();
    EXPECT_EQ(ticks_to_next_row(), 3);
    EXPECT_EQ(ticks_to_next_row(), 3);
    EXPECT_EQ(replay.player.speed, 31);
    EXPECT_EQ(ticks_to_next_row(), 31);
    // Speed 0 freezes the song and restarts the row's notes on every tick.
    for (int i = 0; i < 5; i++) {
        const std::vector<C> calls = tick_channel(0);
        EXPECT_EQ(position_now(), 3);
        EXPECT_EQ(replay.player.tick, 0u);
        EXPECT_EQ(calls.back(), (C{Op::Trigger, 0}));
    }
}

TEST(PlayerSequence, NoteStepsAtRowStart)
{
    ModWriter writer = basic_module();
    writer.samples[2] = {std::vector<int8_t>(32, 1), -1, 0x08, 20, 0, 1};
    mw_set_cell(writer, 0, 0, 1, MwCell{2, 428, 0, 0});
    mw_set_cell(writer, 0, 1, 1, MwCell{0, 856, 0, 0});    // note, no sample: keeps sample 2
    mw_set_cell(writer, 0, 2, 1, MwCell{1, 0, 0, 0});      // sample, no note: no restart
    mw_set_cell(writer, 0, 3, 1, MwCell{0x25, 428, 0, 0}); // no such sample: ignored
    mw_set_cell(writer, 0, 4, 1, MwCell{2, 0, 0xC, 0x10}); // Cxx replaces the default volume
    mw_set_cell(writer, 0, 5, 1, MwCell{2, 0, 0x8, 0x80}); // 8xx replaces the default pan
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Volume, 20}, {Op::Pan, 144}, {Op::Sample, 2},
                                               {Op::Period, period_table[8][36]}, {Op::Trigger, 0}}));
    EXPECT_EQ(replay.channels[1].finetune, 8);
    ticks_channel(1, 5);
    replay.channels[1].volume = 5;
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Period, period_table[8][24]}, {Op::Trigger, 0}}));
    EXPECT_EQ(replay.channels[1].volume, 5);
    ticks_channel(1, 5);
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 144}, {Op::Sample, 1}}));
    EXPECT_EQ(replay.channels[1].note, 24);
    ticks_channel(1, 5);
    // Sample 1 stays: finetune 0 period, no volume or sample change.
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Period, 428}, {Op::Trigger, 0}}));
    EXPECT_EQ(replay.channels[1].sample, 1);
    ticks_channel(1, 5);
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Pan, 144}, {Op::Sample, 2}, {Op::Volume, 16}}));
    ticks_channel(1, 5);
    EXPECT_EQ(tick_channel(1), (std::vector<C>{{Op::Volume, 20}, {Op::Sample, 2}, {Op::Pan, 0x80}}));
}

TEST(PlayerSequence, PortamentoNotesOnlySetTheTarget)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0, 0});
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 214, 0x3, 0x00});
    mw_set_cell(writer, 0, 2, 0, MwCell{0, 856, 0x5, 0x00});
    mw_set_cell(writer, 0, 3, 0, MwCell{1, 856, 0xE, 0xD3});
    ASSERT_EQ(load_test_module(writer), 1);
    ticks_channel(0, 6);
    EXPECT_TRUE(tick_channel(0).empty());
    EXPECT_EQ(replay.channels[0].target_period, 214);
    EXPECT_EQ(replay.channels[0].period, 428);
    ticks_channel(0, 5);
    replay.channels[0].period = 500;
    tick_channel(0);
    EXPECT_EQ(replay.channels[0].target_period, 856);
    EXPECT_EQ(replay.channels[0].period, 500);
    ticks_channel(0, 5);
    // A delayed note: sample steps run, the note waits for its tick.
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 112}, {Op::Sample, 1}}));
}

TEST(PlayerSequence, SampleOffsetStartsTheNoteOnce)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0x9, 0x04});
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0x9, 0x02});
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 112}, {Op::Sample, 1},
                                               {Op::Period, 428}, {Op::Trigger, 1024}}));
    ticks_channel(0, 5);
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Trigger, 512}}));
}

TEST(PlayerSequence, TimerTicksOnlyWithoutSound)
{
    ModWriter writer = basic_module();
    ASSERT_EQ(load_test_module(writer), 1);
    const int32_t saved_mode = sound_mode;
    set_tick_rate(50, pt_tick);
    sound_mode = 2;
    EXPECT_EQ(timer_tick(20), 20u);
    EXPECT_EQ(position_now(), -37);
    sound_mode = 0;
    EXPECT_EQ(timer_tick(20), 20u);
    EXPECT_EQ(position_now(), 0);
    sound_mode = saved_mode;
}
