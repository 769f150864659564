// Effect commands, by family, as the calls they make through the sound device.
#include <gtest/gtest.h>

#include "player/player.h"
#include "player/tables.h"
#include "tests/test_player_support.h"

using C = DeviceCall;

// Loads a module whose row 0, channel 0 holds the given cell, runs the first
// tick (row start) and returns its calls for channel 0.
static std::vector<C> start_with_cell(MwCell cell, ModWriter writer = basic_module())
{
    mw_set_cell(writer, 0, 0, 0, cell);
    EXPECT_EQ(load_test_module(writer), 1);
    return tick_channel(0);
}

static std::vector<int64_t> periods_of(const std::vector<std::vector<C>>& ticks)
{
    std::vector<int64_t> out;
    for (const std::vector<C>& calls : ticks)
        for (const C& call : calls)
            if (call.op == Op::Period) out.push_back(call.arg);
    return out;
}

static std::vector<int64_t> volumes_of(const std::vector<std::vector<C>>& ticks)
{
    std::vector<int64_t> out;
    for (const std::vector<C>& calls : ticks)
        for (const C& call : calls)
            if (call.op == Op::Volume) out.push_back(call.arg);
    return out;
}

TEST(PlayerPitchEffects, Arpeggio)
{
    const std::vector<C> start = start_with_cell({1, 856, 0x0, 0x37});
    EXPECT_EQ(start.back(), (C{Op::Period, 856}));  // note start, then the arpeggio's own
    EXPECT_EQ(start[start.size() - 2], (C{Op::Trigger, 0}));
    EXPECT_EQ(periods_of(ticks_channel(0, 5)), (std::vector<int64_t>{720, 570, 856, 720, 570}));
    EXPECT_EQ(replay.channels[0].period, 856);

    // Offsets past the last column use the last column.
    start_with_cell({1, 53, 0x0, 0xF9});  // note 72
    EXPECT_EQ(periods_of(ticks_channel(0, 2)), (std::vector<int64_t>{period_table[0][84], period_table[0][81]}));

    // 000 is no arpeggio.
    start_with_cell({1, 856, 0x0, 0x00});
    EXPECT_TRUE(periods_of(ticks_channel(0, 5)).empty());
}

TEST(PlayerPitchEffects, PortamentosStopAtTheTableBounds)
{
    start_with_cell({1, 0, 0x1, 20});
    replay.channels[0].period = 40;
    EXPECT_EQ(periods_of(ticks_channel(0, 2)), (std::vector<int64_t>{27, 27}));

    start_with_cell({1, 0, 0x2, 50});
    replay.channels[0].period = 3600;
    EXPECT_EQ(periods_of(ticks_channel(0, 2)), (std::vector<int64_t>{3628, 3628}));

    start_with_cell({1, 428, 0x1, 3});
    EXPECT_EQ(periods_of(ticks_channel(0, 2)), (std::vector<int64_t>{425, 422}));
}

TEST(PlayerPitchEffects, TonePortamentoAndGlissando)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 404, 0x3, 16});
    mw_set_cell(writer, 0, 2, 0, MwCell{0, 0, 0x3, 0});
    start_with_cell({1, 428, 0, 0}, writer);
    ticks_channel(0, 5);
    EXPECT_TRUE(tick_channel(0).empty());  // row 1: only the target, 404
    EXPECT_EQ(periods_of(ticks_channel(0, 3)), (std::vector<int64_t>{412, 404, 404}));
    EXPECT_EQ(replay.channels[0].porta_speed, 16);

    // Glissando sends the note at or below the pitch; period keeps its value.
    ModWriter gliss = basic_module();
    mw_set_cell(gliss, 0, 1, 0, MwCell{0, 0, 0x3, 1});
    start_with_cell({1, 0, 0xE, 0x31}, gliss);
    EXPECT_EQ(replay.channels[0].glissando, 1);
    ticks_channel(0, 5);
    tick_channel(0);
    replay.channels[0].period = 409;
    replay.channels[0].target_period = 300;
    EXPECT_EQ(periods_of(ticks_channel(0, 1)), (std::vector<int64_t>{428}));
    EXPECT_EQ(replay.channels[0].period, 408);
}

TEST(PlayerPitchEffects, TonePortamentoWithVolumeSlideKeepsItsSpeed)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 856, 0x5, 0x02});
    start_with_cell({1, 428, 0x3, 0x20}, writer);
    // The note only set the target: the slide starts from period 0.
    EXPECT_EQ(periods_of(ticks_channel(0, 5)), (std::vector<int64_t>{32, 64, 96, 128, 160}));
    replay.channels[0].period = 428;
    replay.channels[0].porta_speed = 100;
    replay.channels[0].glissando = 1;  // never applies to 5xy
    tick_channel(0);
    const std::vector<std::vector<C>> ticks = ticks_channel(0, 5);
    EXPECT_EQ(periods_of(ticks), (std::vector<int64_t>{528, 628, 728, 828, 856}));
    EXPECT_EQ(volumes_of(ticks), (std::vector<int64_t>{46, 44, 42, 40, 38}));
    EXPECT_EQ(replay.channels[0].porta_speed, 100);
}

TEST(PlayerPitchEffects, VibratoAddsTheWaveToThePeriodSent)
{
    start_with_cell({1, 428, 0x4, 0x4F});
    // Positions 0, 4, 8, 12, 16: sine 0, 97, 180, 235, 255 times 15 / 127.
    EXPECT_EQ(periods_of(ticks_channel(0, 5)), (std::vector<int64_t>{428, 439, 449, 455, 458}));
    EXPECT_EQ(replay.channels[0].period, 428);
    EXPECT_EQ(replay.channels[0].vib_pos, 20);

    // 6xy keeps the stored depth and speed while sliding the volume.
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0x6, 0x10});
    start_with_cell({1, 428, 0x4, 0x8F}, writer);
    ticks_channel(0, 5);
    replay.channels[0].vib_pos = 16;
    tick_channel(0);
    const std::vector<std::vector<C>> ticks = ticks_channel(0, 1);
    EXPECT_EQ(ticks[0], (std::vector<C>{{Op::Period, 458}, {Op::Volume, 49}}));
    EXPECT_EQ(replay.channels[0].vib_pos, 24);

    // The waveform choice is shared by every channel.
    start_with_cell({1, 428, 0xE, 0x42});
    EXPECT_EQ(replay.player.vib_wave, square_wave);
    EXPECT_EQ(replay.player.trem_wave, sine_wave);
}

TEST(PlayerPitchEffects, VibratoNeverSendsANegativePeriod)
{
    start_with_cell({1, 0, 0x4, 0x4F});
    replay.channels[0].period = 27;
    replay.channels[0].vib_pos = 48;  // sine -255: 27 - 30
    EXPECT_EQ(periods_of(ticks_channel(0, 1)), (std::vector<int64_t>{0}));
}

TEST(PlayerPitchEffects, FinePortamentosMoveByTheirArgument)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0xE, 0x25});
    EXPECT_EQ(start_with_cell({1, 428, 0xE, 0x1F}, writer).back(), (C{Op::Period, 413}));
    EXPECT_EQ(replay.channels[0].period, 413);
    ticks_channel(0, 5);
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Period, 418}}));

    // Not above the highest pitch of the table.
    EXPECT_EQ(start_with_cell({1, 28, 0xE, 0x1F}).back(), (C{Op::Period, 27}));
    EXPECT_EQ(replay.channels[0].period, 27);

    // Not below the lowest; at the bound nothing is sent.
    ModWriter down = basic_module();
    mw_set_cell(down, 0, 0, 0, MwCell{0, 0, 0xE, 0x2F});
    mw_set_cell(down, 0, 1, 0, MwCell{0, 0, 0xE, 0x2F});
    ASSERT_EQ(load_test_module(down), 1);
    replay.channels[0].period = 3620;
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Period, 3628}}));
    ticks_channel(0, 5);
    EXPECT_TRUE(tick_channel(0).empty());
    EXPECT_EQ(replay.channels[0].period, 3628);

    // A channel that never had a note has no period to raise.
    EXPECT_TRUE(start_with_cell({0, 0, 0xE, 0x14}).empty());
    EXPECT_EQ(replay.channels[0].period, 0);
}

TEST(PlayerPitchEffects, SetFinetuneAppliesToLaterLookups)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0x0, 0x10});
    const std::vector<C> start = start_with_cell({1, 428, 0xE, 0x58}, writer);
    EXPECT_EQ(replay.channels[0].finetune, 8);
    EXPECT_EQ(start[3], (C{Op::Period, 428}));  // the note took the sample's finetune
    ticks_channel(0, 5);
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Period, period_table[8][36]}}));
}

TEST(PlayerVolumeEffects, VolumeSlides)
{
    const struct { uint8_t param; int64_t first; } slides[] = {
        {0x0F, 33}, {0xF0, 63}, {0x11, 49}, {0x01, 47}, {0x00, 48},
    };
    for (const auto& slide : slides) {
        start_with_cell({1, 428, 0xA, slide.param});
        const std::vector<int64_t> volumes = volumes_of(ticks_channel(0, 2));
        ASSERT_EQ(volumes.size(), 2u);
        EXPECT_EQ(volumes[0], slide.first) << int(slide.param);
    }
    start_with_cell({1, 428, 0xA, 0xF0});
    EXPECT_EQ(volumes_of(ticks_channel(0, 3)), (std::vector<int64_t>{63, 64, 64}));
    start_with_cell({1, 428, 0xA, 0x0F});
    EXPECT_EQ(volumes_of(ticks_channel(0, 5)), (std::vector<int64_t>{33, 18, 3, 0, 0}));
}

TEST(PlayerVolumeEffects, SetVolumeIsLimitedTo64)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{0, 0, 0xA, 0x01});
    EXPECT_EQ(start_with_cell({1, 428, 0xC, 0x50}, writer).back(), (C{Op::Volume, 64}));
    EXPECT_EQ(replay.channels[0].volume, 64);
    ticks_channel(0, 5);
    tick_channel(0);
    EXPECT_EQ(volumes_of(ticks_channel(0, 1)), (std::vector<int64_t>{63}));
    EXPECT_EQ(start_with_cell({0, 0, 0xC, 0x20}).back(), (C{Op::Volume, 32}));
}

TEST(PlayerVolumeEffects, Tremolo)
{
    start_with_cell({1, 428, 0x7, 0x4F});
    replay.channels[0].volume = 64;
    replay.channels[0].trem_pos = 48;  // sine -255 times 30 / 127 = -60
    EXPECT_EQ(volumes_of(ticks_channel(0, 1)), (std::vector<int64_t>{4}));
    EXPECT_EQ(replay.channels[0].trem_depth, 30);
    EXPECT_EQ(replay.channels[0].trem_pos, 52);
    EXPECT_EQ(replay.channels[0].volume, 64);
    replay.channels[0].trem_pos = 16;
    EXPECT_EQ(volumes_of(ticks_channel(0, 1)), (std::vector<int64_t>{64}));
    replay.channels[0].volume = 2;
    replay.channels[0].trem_pos = 48;
    EXPECT_EQ(volumes_of(ticks_channel(0, 1)), (std::vector<int64_t>{0}));

    start_with_cell({1, 428, 0xE, 0x73});
    EXPECT_EQ(replay.player.trem_wave, random_wave);
}

TEST(PlayerVolumeEffects, FineVolumeSlidesMoveByTheirArgument)
{
    ModWriter writer = basic_module();
    const uint8_t params[] = {0xA9, 0xAF, 0xAF, 0xBF, 0xBF, 0xBF, 0xB1};
    for (int row = 1; row <= 7; row++) mw_set_cell(writer, 0, row, 0, MwCell{0, 0, 0xE, params[row - 1]});
    EXPECT_EQ(start_with_cell({1, 428, 0xE, 0xB3}, writer).back(), (C{Op::Volume, 45}));
    std::vector<int64_t> sent;
    for (int row = 1; row <= 7; row++) {
        ticks_channel(0, 5);
        if (row == 6) replay.channels[0].volume = 3;
        const std::vector<int64_t> volumes = volumes_of({tick_channel(0)});
        sent.insert(sent.end(), volumes.begin(), volumes.end());
    }
    // Up by 9, up to the limit 64, nothing above it, down by 15 twice, to 0
    // from 3, nothing below 0.
    EXPECT_EQ(sent, (std::vector<int64_t>{54, 64, 49, 34, 0}));
    EXPECT_EQ(replay.channels[0].volume, 0);
}

TEST(PlayerVolumeEffects, NoteCut)
{
    start_with_cell({1, 428, 0xE, 0xC2});
    const std::vector<std::vector<C>> ticks = ticks_channel(0, 5);
    EXPECT_TRUE(ticks[0].empty());
    EXPECT_EQ(ticks[1], (std::vector<C>{{Op::Volume, 0}}));
    EXPECT_TRUE(ticks[2].empty());
    EXPECT_EQ(replay.channels[0].volume, 48);

    // Beyond the row: cut on its last tick.
    start_with_cell({1, 428, 0xE, 0xC9});
    const std::vector<std::vector<C>> late = ticks_channel(0, 5);
    for (int i = 0; i < 4; i++) EXPECT_TRUE(late[i].empty()) << i;
    EXPECT_EQ(late[4], (std::vector<C>{{Op::Volume, 0}}));

    start_with_cell({1, 428, 0xE, 0xC0});
    EXPECT_TRUE(volumes_of(ticks_channel(0, 5)).empty());
}

TEST(PlayerTimingEffects, NoteDelayAndRetrigger)
{
    start_with_cell({1, 856, 0xE, 0xD9});
    const std::vector<std::vector<C>> delayed = ticks_channel(0, 5);
    for (int i = 0; i < 4; i++) EXPECT_TRUE(delayed[i].empty()) << i;
    EXPECT_EQ(delayed[4], (std::vector<C>{{Op::Volume, 48}, {Op::Period, 856}, {Op::Trigger, 0}}));
    EXPECT_EQ(replay.channels[0].note, 24);

    start_with_cell({1, 856, 0xE, 0xD0});
    for (const std::vector<C>& calls : ticks_channel(0, 5)) EXPECT_TRUE(calls.empty());

    start_with_cell({1, 856, 0xE, 0x93});
    const std::vector<std::vector<C>> retrigger = ticks_channel(0, 5);
    EXPECT_EQ(retrigger[2], (std::vector<C>{{Op::Volume, 48}, {Op::Period, 856}, {Op::Trigger, 0}}));
    for (int i : {0, 1, 3, 4}) EXPECT_TRUE(retrigger[i].empty()) << i;

    // Without a note on the cell nothing is retriggered.
    start_with_cell({1, 0, 0xE, 0x91});
    for (const std::vector<C>& calls : ticks_channel(0, 5)) EXPECT_TRUE(calls.empty());
}

TEST(PlayerSampleEffects, PanningCommands)
{
    ModWriter writer = basic_module();
    mw_set_cell(writer, 0, 1, 0, MwCell{1, 0, 0, 0});
    EXPECT_EQ(start_with_cell({0, 0, 0xE, 0x83}, writer), (std::vector<C>{{Op::Pan, 48}}));
    EXPECT_EQ(replay.channel_pan[0], 3);
    ticks_channel(0, 5);
    // Later cells with a sample use the new default.
    EXPECT_EQ(tick_channel(0), (std::vector<C>{{Op::Volume, 48}, {Op::Pan, 48}, {Op::Sample, 1}}));
    // A reset does not restore it.
    pt_reset();
    EXPECT_EQ(replay.channel_pan[0], 3);

    EXPECT_EQ(start_with_cell({0, 0, 0x8, 0xC0}), (std::vector<C>{{Op::Pan, 0xC0}}));
}
