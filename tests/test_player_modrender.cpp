// The offline renderer: refusals, output length, one pass of the song, and
// bytes equal to the demo's audio callback driven directly.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "player/player.h"
#include "sound/sound_device.h"
#include "tests/test_files.h"
#include "tests/test_player_support.h"

static const std::string dir = scratch_dir("modrender");
static const std::string out = dir + "/out.wav";

static std::string write_module(const std::string& name, const std::vector<uint8_t>& bytes)
{
    write_file(dir + "/" + name, bytes);
    return dir + "/" + name;
}

// Exit status of modrender rendering in to out (its messages go to the log).
static int run_modrender(const std::string& in, const std::string& options = "")
{
    std::remove(out.c_str());
    return run_command(std::string(MODRENDER_PATH) + " " + in + " " + out + options + " >" + dir + "/log 2>&1");
}

// Two order positions of a sounding, looping sample.
static ModWriter song_module()
{
    ModWriter writer = basic_module();
    for (int i = 0; i < 64; i++) writer.samples[1].data[i] = static_cast<int8_t>(i * 4 - 128);
    writer.samples[1].loop_length_words = 32;
    writer.song_length = 2;
    writer.order[1] = 1;
    mw_set_cell(writer, 0, 0, 0, MwCell{1, 428, 0, 0});
    mw_set_cell(writer, 1, 0, 1, MwCell{1, 214, 0x4, 0x46});
    mw_set_cell(writer, 1, 32, 2, MwCell{1, 320, 0xA, 0x01});
    return writer;
}

TEST(Modrender, RefusesBadFilesWithoutWritingOutput)
{
    ModWriter unknown = song_module();
    unknown.signature[0] = 'X';
    const std::string unknown_path = write_module("unknown.mod", mw_build(unknown));
    const struct { std::string in, options; int status; } refusals[] = {
        {dir + "/no_such_file.mod", "", 1}, {unknown_path, " --mode 3", 2}, {unknown_path, " --seconds -1", 2},
        {unknown_path, "", 1}};
    for (const auto& refusal : refusals) {
        EXPECT_EQ(run_modrender(refusal.in, refusal.options), refusal.status) << refusal.in << refusal.options;
        EXPECT_FALSE(file_exists(out)) << refusal.in << refusal.options;
    }
    EXPECT_NE(read_text(dir + "/log").find("unknown module type"), std::string::npos);  // the last one's

    // Cut inside its patterns it plays as the demo would: the rest is zero.
    std::vector<uint8_t> truncated = mw_build(song_module());
    truncated.resize(1500);
    EXPECT_EQ(run_modrender(write_module("truncated.mod", truncated), " --seconds 1"), 0);
    EXPECT_EQ(read_file(out).size(), 44u + 88200);
}

TEST(Modrender, OnePassEndsWhereTheSongWouldRepeatOrFreezes)
{
    ASSERT_EQ(run_modrender(write_module("song.mod", mw_build(song_module()))), 0);
    EXPECT_EQ(read_file(out).size(), 44u + 2 * 64 * 6 * 882 * 2);

    // A pattern loop replays rows inside one position and does not end the
    // pass; the jump back to position 0 does. Rows: 0..8, 4..8, 4..8, then B00.
    ModWriter looped = song_module();
    looped.song_length = 1;
    mw_set_cell(looped, 0, 4, 3, MwCell{0, 0, 0xE, 0x60});
    mw_set_cell(looped, 0, 8, 3, MwCell{0, 0, 0xE, 0x62});
    mw_set_cell(looped, 0, 9, 3, MwCell{0, 0, 0xB, 0x00});
    ASSERT_EQ(run_modrender(write_module("looped.mod", mw_build(looped)), " --mode 1"), 0);
    EXPECT_EQ(read_file(out).size(), 44u + (10 + 5 + 5) * 6 * 441);

    // F00 freezes the song: the row that sets it plays its first tick and
    // then stands for ever, so the pass ends after that tick, with a line
    // saying so.
    ModWriter frozen = song_module();
    mw_set_cell(frozen, 0, 5, 2, MwCell{0, 0, 0xF, 0x00});
    ASSERT_EQ(run_modrender(write_module("frozen.mod", mw_build(frozen))), 0);
    EXPECT_EQ(read_file(out).size(), 44u + (5 * 6 + 1) * 882 * 2);
    EXPECT_NE(read_text(dir + "/log").find("stops at position 5 (speed 0)"), std::string::npos);
}

// Mode 1 is 8-bit at 22050 Hz, mode 2 16-bit at 44100 Hz; either gives the
// bytes of the demo's callback, for the seconds asked.
TEST(Modrender, OutputIsTheDemoCallbacksBytesForTheSecondsAsked)
{
    const std::vector<uint8_t> file = mw_build(song_module());
    const std::string song = write_module("song.mod", file);
    const struct { int32_t mode; std::string seconds; uint32_t rate; uint8_t bits; size_t bytes; } cases[] = {
        {1, "1.5", 22050, 8, 33075}, {2, "2", 44100, 16, 2 * 44100 * 2}};
    for (const auto& c : cases) {
        ASSERT_EQ(run_modrender(song, " --seconds " + c.seconds + " --mode " + std::to_string(c.mode)), 0);
        const std::vector<uint8_t> wav = read_file(out);
        ASSERT_EQ(wav.size(), 44 + c.bytes);
        EXPECT_EQ(le32(wav, 24), c.rate);
        EXPECT_EQ(wav[34], c.bits);

        // The demo: device installed, module read into its 300000-byte buffer,
        // loaded, then SDL's 2048-sample requests.
        install_offline_device(c.mode, kTicksPerSecond, pt_tick);
        std::vector<uint8_t> buffer(300000, 0);
        std::copy(file.begin(), file.end(), buffer.begin());
        ASSERT_EQ(pt_load(buffer.data(), buffer.size()), 1);
        std::vector<uint8_t> expected;
        std::vector<uint8_t> chunk(2048 * c.bits / 8);
        while (expected.size() < c.bytes) {
            audio_callback(nullptr, chunk.data(), static_cast<int>(chunk.size()));
            expected.insert(expected.end(), chunk.begin(), chunk.end());
        }
        expected.resize(c.bytes);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wav.begin() + 44)) << "mode " << c.mode;
        // Not silence: the sample sounds.
        const uint8_t quiet = c.mode == 2 ? 0 : 128;
        EXPECT_NE(std::count_if(expected.begin(), expected.end(), [&](uint8_t b) { return b != quiet; }), 0);
    }
}

// A tool past its limit is ended with all it started and fails the test; one
// that ends in time leaves nothing behind either.
static std::string sleeper;
static int sleeper_status = 0;
TEST(RunCommand, NothingAToolStartsOutlivesItAndATimeoutFailsTheTest)
{
    const std::string pid_file = dir + "/sleeper.pid";
    for (const bool waits : {true, false}) {
        sleeper = "sleep 30 & echo $! >'" + pid_file + "'" + (waits ? "; wait" : "");
        const auto started = std::chrono::steady_clock::now();
        if (waits) EXPECT_NONFATAL_FAILURE(sleeper_status = run_command(sleeper, 1), "timed out after 1 s");
        if (!waits) sleeper_status = run_command(sleeper, 1);
        EXPECT_EQ(sleeper_status, waits ? -1 : 0);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));  // not waited out
        const int pid = std::atoi(read_text(pid_file).c_str());
        ASSERT_GT(pid, 0);
        EXPECT_NE(kill(pid, 0), 0) << "the background sleeper is still there (waits " << waits << ")";
    }
}
