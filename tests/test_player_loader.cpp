// The MOD loader: header fields, pattern conversion, sample placement and the
// refusals of modules that don't fit their buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "player/player.h"
#include "player/tables.h"
#include "tests/test_player_support.h"

static ModWriter with_signature(const char* tag, uint32_t channels)
{
    ModWriter writer = basic_module();
    std::memcpy(writer.signature, tag, 4);
    writer.channels = channels;
    writer.patterns.clear();
    return writer;
}

TEST(PlayerLoader, SignatureTableGivesChannelCounts)
{
    const struct { const char* tag; uint32_t channels; } known[] = {
        {"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},  {"FLT8", 8},  {"OCTA", 8},
        {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10}, {"12CH", 12}, {"14CH", 14}, {"16CH", 16}, {"18CH", 18},
        {"20CH", 20}, {"22CH", 22}, {"24CH", 24}, {"26CH", 26}, {"28CH", 28}, {"30CH", 30}, {"32CH", 32},
    };
    for (const auto& entry : known) {
        ASSERT_EQ(load_test_module(with_signature(entry.tag, entry.channels)), 1) << entry.tag;
        EXPECT_EQ(replay.song.channels, entry.channels) << entry.tag;
        EXPECT_EQ(recorded_channel_count, static_cast<int32_t>(entry.channels)) << entry.tag;
        // The sample follows one pattern of channels * 256 bytes.
        ASSERT_EQ(recorded_samples.size(), 1u);
        EXPECT_EQ(recorded_samples[0].data - reinterpret_cast<int8_t*>(test_module_buffer.data()),
                  1084 + entry.channels * 256)
            << entry.tag;
    }
}

TEST(PlayerLoader, UnknownSignaturesAreRefusedAndLeaveNothingPlayable)
{
    for (const char* tag : {"STOP", "m.k.", "M.K ", "XXXX"}) {
        EXPECT_EQ(load_test_module(with_signature(tag, 4)), 0) << tag;
        EXPECT_STREQ(last_error, "pt_takemod error: unknown module type!");
        EXPECT_EQ(replay.song.channels, 0u);
        EXPECT_TRUE(recorded_samples.empty());
        EXPECT_EQ(recorded_channel_count, -1);
        EXPECT_EQ(position_now(), 0);  // pt_load cleared it and did not reset
        // The demo's timer may still tick: that must do nothing.
        for (int i = 0; i < 20; i++) pt_tick();
        EXPECT_TRUE(recorded_calls.empty());
        EXPECT_EQ(position_now(), 0);
    }
}

TEST(PlayerLoader, HeaderFieldsAreStoredWithTheirLimits)
{
    ModWriter writer = basic_module();
    writer.samples[1].volume = 64;
    writer.samples[2] = {std::vector<int8_t>(8, 1), -1, 0x3A, 65, 1, 2};
    writer.samples[3] = {std::vector<int8_t>(8, 1), -1, 0xF0, 200, 0, 1};
    writer.restart = 126;
    writer.song_length = 2;
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(replay.samples[1].volume, 64);
    EXPECT_EQ(replay.samples[2].volume, 64);
    EXPECT_EQ(replay.samples[3].volume, 64);
    EXPECT_EQ(replay.samples[2].finetune, 0x0A);
    EXPECT_EQ(replay.samples[3].finetune, 0);
    EXPECT_EQ(replay.samples[2].length, 8u);
    EXPECT_EQ(replay.samples[2].loop_start, 2u);
    EXPECT_EQ(replay.samples[2].loop_length, 4u);
    EXPECT_EQ(replay.song.restart, 126);
    EXPECT_EQ(replay.song.song_length, 2);
    EXPECT_STREQ(replay.song.signature, "M.K.");

    for (uint8_t restart : {127, 255}) {
        writer.restart = restart;
        ASSERT_EQ(load_test_module(writer), 1);
        EXPECT_EQ(replay.song.restart, 0) << int(restart);
    }
}

TEST(PlayerLoader, LastPatternCountsEveryOrderEntryAndPlacesSamplesAfterIt)
{
    ModWriter writer = basic_module();
    writer.song_length = 3;
    writer.order[0] = 0;
    writer.order[1] = 1;
    writer.order[2] = 2;
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(replay.song.last_pattern, 2);
    ASSERT_EQ(recorded_samples.size(), 1u);
    const int8_t* base = reinterpret_cast<int8_t*>(test_module_buffer.data());
    EXPECT_EQ(recorded_samples[0].data - base, 4156);
    EXPECT_EQ(replay.song.patterns[2] - test_module_buffer.data(), 1084 + 2048);

    // An entry past song_length still counts.
    writer.order[100] = 5;
    ASSERT_EQ(load_test_module(writer), 1);
    EXPECT_EQ(replay.song.last_pattern, 5);
    EXPECT_EQ(recorded_samples[0].data - base, 1084 + 6 * 1024);
}

TEST(PlayerLoader, EmptySamplesTakeNoBytesAndAreNotRegistered)
{
    ModWriter writer = basic_module();
    writer.samples[2].data.clear();
    writer.samples[3].data.assign(16, 3);
    ASSERT_EQ(load_test_module(writer), 1);
    ASSERT_EQ(recorded_samples.size(), 2u);
    EXPECT_EQ(recorded_samples[0].slot, 1);
    EXPECT_EQ(recorded_samples[1].slot, 3);
    EXPECT_EQ(recorded_samples[1].data - recorded_samples[0].data, 64);
    EXPECT_EQ(recorded_samples[1].length, 16u);
}

TEST(PlayerLoader, LoopFlagNeedsMoreThanOneWord)
{
    ModWriter writer = basic_module();
    writer.samples[1].loop_start_words = 4;
    writer.samples[1].loop_length_words = 1;
    writer.samples[2] = {std::vector<int8_t>(64, 1), -1, 0, 64, 4, 2};
    writer.samples[3] = {std::vector<int8_t>(64, 1), -1, 0, 64, 0, 0};
    ASSERT_EQ(load_test_module(writer), 1);
    ASSERT_EQ(recorded_samples.size(), 3u);
    EXPECT_EQ(recorded_samples[0].looping, 0);
    EXPECT_EQ(recorded_samples[0].loop_start, 8u);
    EXPECT_EQ(recorded_samples[0].loop_end, 10u);
    EXPECT_EQ(recorded_samples[1].looping, 1);
    EXPECT_EQ(recorded_samples[1].loop_end, 12u);
    EXPECT_EQ(recorded_samples[2].looping, 0);
    EXPECT_EQ(recorded_samples[2].loop_end, 0u);
}

TEST(PlayerLoader, CellsAreConvertedInPlace)
{
    ModWriter writer = basic_module();
    // Raw bytes 0x10 0x35 0x5C 0x20: sample 0x15, period 53, command C, parameter 0x20.
    mw_set_cell(writer, 0, 0, 0, MwCell{0x15, 53, 0xC, 0x20});
    const uint16_t periods[] = {856, 855, 0, 4000, 28, 27, 113, 3424};
    const uint8_t notes[] = {24, 25, 84, 0, 83, 84, 59, 0};
    for (int i = 0; i < 8; i++) mw_set_cell(writer, 0, 1 + i, 1, MwCell{0, periods[i], 0, 0});
    const std::vector<uint8_t> bytes = mw_build(writer);
    ASSERT_EQ(bytes[1084], 0x10);
    ASSERT_EQ(bytes[1085], 0x35);
    ASSERT_EQ(bytes[1086], 0x5C);
    ASSERT_EQ(load_test_bytes(bytes, 300000), 1);
    const uint8_t* cell = replay.song.patterns[0];
    EXPECT_EQ(cell[0], 0x15);
    EXPECT_EQ(cell[1], 72);
    EXPECT_EQ(cell[2], 0x0C);
    EXPECT_EQ(cell[3], 0x20);
    for (int i = 0; i < 8; i++) {
        const uint8_t* converted = replay.song.patterns[0] + (1 + i) * 16 + 4;
        EXPECT_EQ(converted[1], notes[i]) << "period " << periods[i];
        EXPECT_EQ(converted[0], 0);
        EXPECT_EQ(converted[2], 0);
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
    EXPECT_EQ(replay.song.channels, 0u);
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

TEST(PlayerLoader, SampleDataIsCutToTheBuffer)
{
    ModWriter writer = basic_module();
    writer.samples[2].data.assign(100, 5);
    writer.samples[3].data.assign(10, 5);
    const std::vector<uint8_t> bytes = mw_build(writer);
    const size_t sample2_start = 1084 + 1024 + 64;
    ASSERT_EQ(load_test_bytes(bytes, sample2_start + 40), 1);
    ASSERT_EQ(recorded_samples.size(), 2u);
    EXPECT_EQ(recorded_samples[1].slot, 2);
    EXPECT_EQ(recorded_samples[1].length, 40u);
    EXPECT_EQ(replay.samples[2].length, 40u);
    // Nothing is left for sample 3.
    EXPECT_EQ(replay.samples[3].length, 0u);
}

TEST(PlayerLoader, LoopsStayReadableInsideTheBuffer)
{
    ModWriter writer = basic_module();
    // Sample 1 (64 bytes): the usual loop ending exactly at the sample's end.
    writer.samples[1].loop_start_words = 16;
    writer.samples[1].loop_length_words = 16;
    // Sample 2: loop end beyond the sample, brought to its end.
    writer.samples[2] = {std::vector<int8_t>(32, 1), -1, 0, 64, 8, 100};
    // Sample 3: loop start beyond the sample, loop dropped.
    writer.samples[3] = {std::vector<int8_t>(32, 1), -1, 0, 64, 40, 4};
    // Sample 4, the last one: loop to its end.
    writer.samples[4] = {std::vector<int8_t>(32, 1), -1, 0, 64, 0, 16};
    const std::vector<uint8_t> bytes = mw_build(writer);

    // With zero padding after the file the byte past sample 4 exists: kept.
    ASSERT_EQ(load_test_bytes(bytes, 300000), 1);
    ASSERT_EQ(recorded_samples.size(), 4u);
    EXPECT_EQ(recorded_samples[0].loop_end, 64u);
    EXPECT_EQ(recorded_samples[0].looping, 1);
    EXPECT_EQ(recorded_samples[1].loop_start, 16u);
    EXPECT_EQ(recorded_samples[1].loop_end, 32u);
    EXPECT_EQ(recorded_samples[1].looping, 1);
    EXPECT_EQ(recorded_samples[2].loop_end, 0u);
    EXPECT_EQ(recorded_samples[2].looping, 0);
    EXPECT_EQ(recorded_samples[3].loop_end, 32u);

    // The buffer ends with sample 4: its loop must stop at its last byte.
    ASSERT_EQ(load_test_bytes(bytes, bytes.size()), 1);
    ASSERT_EQ(recorded_samples.size(), 4u);
    EXPECT_EQ(recorded_samples[0].loop_end, 64u);  // the next sample's first byte
    EXPECT_EQ(recorded_samples[3].loop_end, 31u);
    EXPECT_EQ(recorded_samples[3].looping, 1);
    for (const Registration& r : recorded_samples) {
        const size_t offset = r.data - reinterpret_cast<int8_t*>(test_module_buffer.data());
        EXPECT_LT(offset + std::max<size_t>(r.length - 1, r.loop_end), bytes.size()) << r.slot;
    }
}
