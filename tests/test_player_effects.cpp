// Effect commands, by family: the cells of channel 0, row by row, and what
// the player sends through the sound device over the first ticks (speed 6,
// sample 1 at volume 48, finetune 0).
#include <gtest/gtest.h>

#include "player/player.h"
#include "player/tables.h"
#include "tests/test_player_support.h"

struct EffectCase {
    std::vector<MwCell> rows;    // channel 0 of rows 0, 1, ...
    int ticks;                   // ticks run, the first one starting row 0
    std::vector<int64_t> sent;   // arguments of the calls of the family's kind
};

static std::vector<int64_t> sent_by(Op op, const std::vector<MwCell>& rows, int ticks)
{
    ModWriter writer = basic_module();
    for (size_t row = 0; row < rows.size(); row++) mw_set_cell(writer, 0, static_cast<int>(row), 0, rows[row]);
    EXPECT_EQ(load_test_module(writer), 1);
    std::vector<int64_t> sent;
    for (int t = 0; t < ticks; t++)
        for (const DeviceCall& call : tick_channel(0))
            if (call.op == op) sent.push_back(call.arg);
    return sent;
}

static void expect_sent(Op op, const std::vector<EffectCase>& cases)
{
    for (size_t i = 0; i < cases.size(); i++)
        EXPECT_EQ(sent_by(op, cases[i].rows, cases[i].ticks), cases[i].sent) << "case " << i;
}

TEST(PlayerEffects, PeriodsSent)
{
    expect_sent(Op::Period, {
        // Arpeggio: note, +x, +y in turn; past the last column the last one; 000 is none.
        {{{1, 856, 0x0, 0x37}}, 6, {856, 856, 720, 570, 856, 720, 570}},
        {{{1, 53, 0x0, 0xF9}}, 3, {53, 53, period_table[0][84], period_table[0][81]}},
        {{{1, 856, 0x0, 0x00}}, 6, {856}},
        // Portamentos, held inside the table's bounds.
        {{{1, 428, 0x1, 3}}, 3, {428, 425, 422}},
        {{{1, 37, 0x1, 20}}, 3, {37, kPeriodMin, kPeriodMin}},
        {{{1, 3424, 0x2, 200}}, 3, {3424, 3624, kPeriodMax}},
        // Tone portamento: the note only sets the target, 300 keeps the speed.
        {{{1, 428, 0, 0}, {0, 214, 0x3, 16}, {0, 0, 0x3, 0}}, 15, {428, 412, 396, 380, 364, 348, 332, 316}},
        {{{1, 428, 0x3, 0x20}}, 6, {32, 64, 96, 128, 160}},  // no note before: slides from 0
        // Glissando sends the note at or below the pitch, never to 5xy.
        {{{1, 428, 0xE, 0x31}, {0, 404, 0x3, 8}}, 12, {428, 428, 428, 404, 404, 404}},
        {{{1, 428, 0xE, 0x31}, {0, 856, 0x3, 0x20}, {0, 0, 0x5, 0x02}},
         18, {428, 480, 508, 538, 570, 604, 620, 652, 684, 716, 748}},
        // Vibrato adds sine * depth / 127 around a period that stays; 6xy
        // goes on with it; E42 makes it square; never below 0.
        {{{1, 428, 0x4, 0x8F}, {0, 0, 0x6, 0x10}}, 12, {428, 428, 449, 458, 449, 428, 407, 398, 407, 428, 449}},
        {{{1, 428, 0xE, 0x42}, {0, 0, 0x4, 0x4F}}, 12, {428, 428, 428, 428, 428, 458}},
        {{{0, 0, 0x4, 0xFF}}, 6, {0, 29, 5, 0, 0}},
        // Fine portamentos at row start only, not past the bounds, and
        // nothing sent at a bound or without a note.
        {{{1, 428, 0xE, 0x1F}, {0, 0, 0xE, 0x25}}, 7, {428, 413, 418}},
        {{{1, 28, 0xE, 0x1F}, {0, 0, 0xE, 0x11}}, 7, {28, kPeriodMin}},
        {{{1, 3424, 0x2, 40}, {0, 0, 0xE, 0x2F}, {0, 0, 0xE, 0x2F}}, 13,
         {3424, 3464, 3504, 3544, 3584, 3624, kPeriodMax}},
        {{{0, 0, 0xE, 0x14}}, 1, {}},
        // E5y: later lookups use the new finetune.
        {{{1, 428, 0xE, 0x58}, {0, 0, 0x0, 0x10}}, 8, {428, period_table[8][36], period_table[8][37]}},
        // Note delay on tick y (the row's last when y is beyond it; never at 0;
        // nothing to delay without a note).
        {{{1, 856, 0xE, 0xD3}}, 3, {}},
        {{{1, 0, 0xE, 0xD3}}, 6, {}},
        {{{1, 856, 0xE, 0xD3}}, 4, {856}},
        {{{1, 856, 0xE, 0xD9}}, 6, {856}},
        {{{1, 856, 0xE, 0xD0}}, 6, {}},
    });
}

TEST(PlayerEffects, VolumesSent)
{
    expect_sent(Op::Volume, {
        // Slides: x up, else y down, within 0..64, sent even when unchanged.
        {{{1, 428, 0xA, 0x0F}}, 6, {48, 33, 18, 3, 0, 0}},
        {{{1, 428, 0xA, 0xF0}}, 4, {48, 63, 64, 64}},
        {{{1, 428, 0xA, 0x11}}, 2, {48, 49}},
        {{{1, 428, 0xA, 0x00}}, 2, {48, 48}},
        // Cxx is limited to 64 and is what later slides start from.
        {{{1, 428, 0xC, 0x50}, {0, 0, 0xA, 0x01}}, 8, {64, 63}},  // instead of the sample's 48
        // 5xy and 6xy slide the volume too.
        {{{1, 428, 0, 0}, {0, 856, 0x3, 0x20}, {0, 0, 0x5, 0x02}}, 18, {48, 46, 44, 42, 40, 38}},
        {{{1, 428, 0x4, 0x8F}, {0, 0, 0x6, 0x10}}, 8, {48, 49}},
        // Tremolo: sine * 2y / 127 around a volume that stays, sent within
        // 0..64; E72 makes it square.
        {{{1, 428, 0x7, 0xFF}}, 6, {48, 48, 64, 59, 0, 26}},
        {{{1, 428, 0xE, 0x72}, {0, 0, 0x7, 0x4F}}, 12, {48, 48, 48, 48, 48, 64}},
        // Fine slides at row start: up, to 64, nothing above, down, to 0, nothing below.
        {{{1, 428, 0xE, 0xB3}, {0, 0, 0xE, 0xA9}, {0, 0, 0xE, 0xAF}, {0, 0, 0xE, 0xAF}, {0, 0, 0xE, 0xBF},
          {0, 0, 0xE, 0xBF}, {0, 0, 0xE, 0xBF}, {0, 0, 0xE, 0xBF}, {0, 0, 0xE, 0xBF}, {0, 0, 0xE, 0xBF}},
         60, {48, 45, 54, 64, 49, 34, 19, 4, 0}},
        // Note cut on tick y (the row's last when y is beyond it), the
        // stored volume untouched; EC0 cuts nothing.
        {{{1, 428, 0xE, 0xC2}}, 2, {48}},
        {{{1, 428, 0xE, 0xC2}, {0, 0, 0xA, 0x01}}, 8, {48, 0, 47}},
        {{{1, 428, 0xE, 0xC9}}, 5, {48}},
        {{{1, 428, 0xE, 0xC9}}, 6, {48, 0}},
        {{{1, 428, 0xE, 0xC0}}, 6, {48}},
    });
}

TEST(PlayerEffects, TriggersAndPansSent)
{
    // Retrigger every y ticks, only on a cell with a note.
    expect_sent(Op::Trigger, {
        {{{1, 856, 0xE, 0x93}}, 3, {0}},
        {{{1, 856, 0xE, 0x93}}, 6, {0, 0}},
        {{{1, 0, 0xE, 0x91}}, 6, {}},
    });
    // E8y sets the channel's default pan, which later samples bring; 8xx
    // pans once.
    expect_sent(Op::Pan, {
        {{{0, 0, 0x8, 0xC0}}, 1, {0xC0}},
        {{{0, 0, 0xE, 0x83}, {1, 0, 0, 0}}, 7, {48, 48}},
    });
    pt_reset();  // a reset keeps the default the module set
    EXPECT_EQ(replay.channel_pan[0], 3);
}

// E4y and E7y with y 0-3 restart the wave where they stand; from 4 on they
// only choose it, and the wave goes on from where the row before left it.
TEST(PlayerEffects, WaveformChoicesFromFourOnKeepTheWavesPosition)
{
    for (const auto& [op, effect] : {std::pair{Op::Period, 0x4}, {Op::Volume, 0x7}}) {
        const auto with = [&](uint8_t choice) {
            return sent_by(op, {{1, 428, uint8_t(effect), 0x5F}, {0, 0, 0xE, uint8_t(effect << 4 | choice)},
                                {0, 0, uint8_t(effect), 0}}, 18);
        };
        EXPECT_EQ(with(4), with(0xC)) << effect;
        EXPECT_NE(with(4), with(0)) << effect;
    }
}

// 4xy and 7xy with x or y 0 go on with the speed or depth the row before
// set; any other value replaces it.
TEST(PlayerEffects, AZeroSpeedOrDepthKeepsTheLastOne)
{
    for (const auto& [op, effect] : {std::pair{Op::Period, 0x4}, {Op::Volume, 0x7}}) {
        const auto second_row = [&](uint8_t param) {
            return sent_by(op, {{1, 428, uint8_t(effect), 0x5F}, {0, 0, uint8_t(effect), param}}, 18);
        };
        const std::vector<int64_t> same = second_row(0x5F);
        EXPECT_EQ(second_row(0x0F), same) << effect;
        EXPECT_EQ(second_row(0x50), same) << effect;
        EXPECT_NE(second_row(0x1F), same) << effect;
        EXPECT_NE(second_row(0x51), same) << effect;
    }
}
