// The MOD loader: header fields, pattern conversion, sample placement and the
// refusals of modules that don't fit their buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "player/player.h"
#include "tests/test_player_support.h"

using Rows = std::vector<std::vector<int64_t>>;

// The recorded registrations with data offsets counted from base.
static Rows registered(int64_t base)
{
    Rows out = recorded_samples;
    for (std::vector<int64_t>& r : out) r[1] -= base;
    return out;
}

TEST(PlayerLoader, SignatureTableGivesChannelCountsAndRefusesOtherTags)
{
    const struct { const char* tag; uint32_t channels; } known[] = {
        {"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},  {"FLT8", 8},  {"OCTA", 8},
        {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10}, {"12CH", 12}, {"14CH", 14}, {"16CH", 16}, {"18CH", 18},
        {"20CH", 20}, {"22CH", 22}, {"24CH", 24}, {"26CH", 26}, {"28CH", 28}, {"30CH", 30}, {"32CH", 32},
    };
    ModWriter writer = basic_module();
    for (const auto& entry : known) {
        std::memcpy(writer.signature, entry.tag, 4);
        writer.channels = entry.channels;
        ASSERT_EQ(load_test_module(writer), 1) << entry.tag;
        EXPECT_EQ(recorded_channel_count, static_cast<int32_t>(entry.channels)) << entry.tag;
        // The sample follows one pattern of channels * 256 bytes.
        EXPECT_EQ(registered(1084 + entry.channels * 256), (Rows{{1, 0, 64, 0, 2, 0}})) << entry.tag;
    }
    writer.channels = 4;
    for (const char* tag : {"STOP", "m.k.", "M.K ", "XXXX"}) {
        std::memcpy(writer.signature, tag, 4);
        EXPECT_EQ(load_test_module(writer), 0) << tag;
        EXPECT_STREQ(last_error, "pt_takemod error: unknown module type!");
        EXPECT_TRUE(recorded_samples.empty());
        EXPECT_EQ(recorded_channel_count, -1);
        // pt_load cleared the position and did not reset; the demo's timer
        // may still tick, which must do nothing.
        for (int i = 0; i < 20; i++) pt_tick();
        EXPECT_TRUE(recorded_calls.empty());
        EXPECT_EQ(pt_song_position(), 0);
    }
}

TEST(PlayerLoader, HeaderFieldsAreStoredWithTheirLimitsAndSamplesFollowTheLastPattern)
{
    ModWriter writer = basic_module();
    // 0x3B: the mask keeps every bit of the low nibble, none of the high.
    writer.samples[2] = {std::vector<int8_t>(8, 1), -1, 0x3B, 65, 1, 2};
    writer.restart = 126;
    writer.song_length = 3;
    writer.order[1] = 1;
    writer.order[2] = 2;
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(replay.samples[2].volume, 64);
    EXPECT_EQ(replay.samples[2].finetune, 0x0B);
    EXPECT_EQ(replay.song.restart, 126);
    EXPECT_STREQ(replay.song.signature, "M.K.");
    EXPECT_EQ(replay.song.last_pattern, 2);
    EXPECT_EQ(recorded_samples.at(0).at(1), 1084 + 3 * 1024);
    EXPECT_EQ(replay.song.patterns[2] - test_module_buffer.data(), 1084 + 2048);

    // An order entry past song_length still counts; a restart from 127 on is 0.
    writer.order[100] = 5;
    writer.restart = 127;
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(replay.song.last_pattern, 5);
    EXPECT_EQ(recorded_samples.at(0).at(1), 1084 + 6 * 1024);
    EXPECT_EQ(replay.song.restart, 0);
}

TEST(PlayerLoader, CellsAreConvertedInPlace)
{
    ModWriter writer = basic_module();
    // Raw bytes 0x10 0x35 0x5C 0x20: sample 0x15, period 53, command C, parameter 0x20.
    mw_set_cell(writer, 0, 0, 0, MwCell{0x15, 53, 0xC, 0x20});
    const uint16_t periods[] = {856, 855, 0, 4000, 28, 27, 113, 3424};
    const uint8_t notes[] = {24, 25, 84, 0, 83, 84, 59, 0};
    for (int i = 0; i < 8; i++) mw_set_cell(writer, 0, 1 + i, 1, MwCell{0, periods[i], 0, 0});
    ASSERT_EQ(load_test_bytes(mw_build(writer), 300000), 1);
    // The conversion stays inside the patterns: sample 1's bytes are as written.
    EXPECT_EQ(std::vector<uint8_t>(test_module_buffer.begin() + 2108, test_module_buffer.begin() + 2108 + 64),
              std::vector<uint8_t>(64, 10));
    const uint8_t* cell = replay.song.patterns[0];
    EXPECT_EQ(std::vector<uint8_t>(cell, cell + 4), (std::vector<uint8_t>{0x15, 72, 0x0C, 0x20}));
    for (int i = 0; i < 8; i++) {
        const uint8_t* converted = replay.song.patterns[0] + (1 + i) * 16 + 4;
        EXPECT_EQ(std::vector<uint8_t>(converted, converted + 4), (std::vector<uint8_t>{0, notes[i], 0, 0}))
            << "period " << periods[i];
    }
}

TEST(PlayerLoader, RefusesModulesThatDoNotFitOrNamePatternsThatCannotExist)
{
    ModWriter writer = basic_module();
    writer.song_length = 2;
    writer.order[1] = 1;
    const std::vector<uint8_t> bytes = mw_build(writer);
    const size_t patterns_end = 1084 + 2 * 1024;

    EXPECT_EQ(load_test_bytes(bytes, 1083), 0);
    EXPECT_STREQ(last_error, "pt_takemod error: module header is incomplete!");
    EXPECT_EQ(load_test_bytes(bytes, patterns_end - 1), 0);
    EXPECT_STREQ(last_error, "pt_takemod error: patterns reach past the end of the module!");
    // Exactly the patterns and no sample data is a valid (silent) module.
    EXPECT_EQ(load_test_bytes(bytes, patterns_end), 1);
    EXPECT_TRUE(recorded_samples.empty());

    ModWriter bad_order = writer;
    bad_order.order[127] = 128;
    bad_order.pattern_count = 2;
    EXPECT_EQ(load_test_module(bad_order), 0);
    EXPECT_STREQ(last_error, "pt_takemod error: order entry above 127!");

    ModWriter empty_song = writer;
    empty_song.song_length = 0;
    EXPECT_EQ(load_test_module(empty_song), 0);
    EXPECT_STREQ(last_error, "pt_takemod error: song length is 0!");

    ModWriter long_song = writer;
    long_song.song_length = 200;
    EXPECT_EQ(load_test_module(long_song), 1);
    EXPECT_EQ(replay.song.song_length, 128);
}

// Samples follow each other from the end of the patterns; a loop must be
// more than one word, end inside the sample (or on the byte after it, when
// that byte is in the buffer) and start inside it; data is cut to the buffer.
TEST(PlayerLoader, SamplesAreRegisteredInsideTheBufferWithTheirLoops)
{
    ModWriter writer = basic_module();
    writer.samples[1].loop_start_words = 16;  // to the sample's end
    writer.samples[1].loop_length_words = 16;
    writer.samples[2].data.clear();  // empty: no bytes, not registered
    writer.samples[3] = {std::vector<int8_t>(32, 1), -1, 0, 64, 8, 100};  // past the end
    writer.samples[4] = {std::vector<int8_t>(32, 1), -1, 0, 64, 40, 4};   // starts past the end
    writer.samples[5] = {std::vector<int8_t>(64, 1), -1, 0, 64, 4, 1};    // one word
    writer.samples[6] = {std::vector<int8_t>(64, 1), -1, 0, 64, 8, 2};    // two words
    writer.samples[7] = {std::vector<int8_t>(32, 1), -1, 0, 64, 0, 16};   // the last, to its end
    const std::vector<uint8_t> bytes = mw_build(writer);
    const size_t patterns_end = 1084 + 1024;
    // With zero padding after the file the byte past sample 7 exists.
    ASSERT_EQ(load_test_bytes(bytes, 300000), 1);
    EXPECT_EQ(registered(patterns_end), (Rows{{1, 0, 64, 32, 64, 1}, {3, 64, 32, 16, 32, 1}, {4, 96, 32, 0, 0, 0},
                                              {5, 128, 64, 8, 10, 0}, {6, 192, 64, 16, 20, 1},
                                              {7, 256, 32, 0, 32, 1}}));
    // The buffer ends with sample 7: its loop stops at its last byte.
    ASSERT_EQ(load_test_bytes(bytes, bytes.size()), 1);
    EXPECT_EQ(registered(patterns_end).back(), (std::vector<int64_t>{7, 256, 32, 0, 31, 1}));
    // Cut inside sample 3: nothing is left for the later ones.
    ASSERT_EQ(load_test_bytes(bytes, patterns_end + 64 + 20), 1);
    EXPECT_EQ(registered(patterns_end), (Rows{{1, 0, 64, 32, 64, 1}, {3, 64, 20, 16, 19, 1}}));
    // One byte of sample 3 left: no loop fits in it.
    ASSERT_EQ(load_test_bytes(bytes, patterns_end + 64 + 1), 1);
    EXPECT_EQ(registered(patterns_end), (Rows{{1, 0, 64, 32, 64, 1}, {3, 64, 1, 0, 0, 0}}));
}
