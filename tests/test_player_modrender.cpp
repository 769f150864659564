// The offline renderer: refusals, output length, one pass of the song, and
// bytes equal to the demo's audio callback driven directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "player/player.h"
#include "sound/sound_device.h"
#include "tests/test_files.h"
#include "tests/test_player_support.h"

#ifndef MODRENDER_PATH
#error "MODRENDER_PATH must name the modrender binary (tests/player.cmake sets it)"
#endif

static const std::string dir = scratch_dir("modrender");
static std::string temp_path(const std::string& name) { return dir + "/" + name; }

// Exit status of modrender with the arguments (its output goes to a log file).
static int run_modrender(const std::string& arguments)
{
    return run_command(std::string(MODRENDER_PATH) + " " + arguments + " >" + temp_path("log") + " 2>&1");
}

// Two order positions of a sounding, looping sample.
static ModWriter song_module()
{
    ModWriter writer = basic_module();
    for (int i = 0; i < 64; i++) writer.samples[1].data[i] = static_cast<int8_t>(i * 4 - 128);
    writer.samples[1].loop_start_words = 0;
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
    const std::string out = temp_path("refused.wav");
    std::remove(out.c_str());
    ModWriter unknown = song_module();
    unknown.signature[0] = 'X';
    write_file(temp_path("unknown.mod"), mw_build(unknown));
    EXPECT_EQ(run_modrender(temp_path("unknown.mod") + " " + out), 1);
    EXPECT_FALSE(file_exists(out));
    EXPECT_NE(read_text(temp_path("log")).find("unknown module type"), std::string::npos);

    // A file cut inside its header: the zero padding has no signature.
    std::vector<uint8_t> truncated = mw_build(song_module());
    truncated.resize(1000);
    write_file(temp_path("truncated.mod"), truncated);
    EXPECT_EQ(run_modrender(temp_path("truncated.mod") + " " + out), 1);
    EXPECT_FALSE(file_exists(out));
    // Cut inside its patterns it plays as the demo would: the rest is zero.
    truncated = mw_build(song_module());
    truncated.resize(1500);
    write_file(temp_path("truncated.mod"), truncated);
    EXPECT_EQ(run_modrender(temp_path("truncated.mod") + " " + out + " --seconds 1"), 0);
    EXPECT_EQ(read_file(out).size(), 44u + 88200);
    std::remove(out.c_str());

    EXPECT_EQ(run_modrender(temp_path("no_such_file.mod") + " " + out), 1);
    EXPECT_FALSE(file_exists(out));
    EXPECT_EQ(run_modrender(temp_path("unknown.mod") + " " + out + " --mode 3"), 2);
    EXPECT_EQ(run_modrender(temp_path("unknown.mod") + " " + out + " --seconds -1"), 2);
    EXPECT_FALSE(file_exists(out));
}

TEST(Modrender, SecondsGiveTheWavLength)
{
    write_file(temp_path("song.mod"), mw_build(song_module()));
    const std::string out = temp_path("seconds.wav");
    ASSERT_EQ(run_modrender(temp_path("song.mod") + " " + out + " --seconds 2"), 0);
    std::vector<uint8_t> wav = read_file(out);
    ASSERT_EQ(wav.size(), 44u + 2 * 44100 * 2);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(le32(wav, 40), 2u * 44100 * 2);
    EXPECT_EQ(wav[34], 16);

    ASSERT_EQ(run_modrender(temp_path("song.mod") + " " + out + " --mode 1 --seconds 1.5"), 0);
    wav = read_file(out);
    ASSERT_EQ(wav.size(), 44u + 33075);
    EXPECT_EQ(le32(wav, 24), 22050u);
    EXPECT_EQ(wav[34], 8);
}

TEST(Modrender, OnePassEndsWhereTheSongWouldRepeat)
{
    write_file(temp_path("song.mod"), mw_build(song_module()));
    const std::string out = temp_path("pass.wav");
    ASSERT_EQ(run_modrender(temp_path("song.mod") + " " + out), 0);
    EXPECT_EQ(read_file(out).size(), 44u + 2 * 64 * 6 * 882 * 2);

    // A pattern loop replays rows inside one position and does not end the
    // pass; the jump back to position 0 does. Rows: 0..8, 4..8, 4..8, then B00.
    ModWriter looped = song_module();
    looped.song_length = 1;
    mw_set_cell(looped, 0, 4, 3, MwCell{0, 0, 0xE, 0x60});
    mw_set_cell(looped, 0, 8, 3, MwCell{0, 0, 0xE, 0x62});
    mw_set_cell(looped, 0, 9, 3, MwCell{0, 0, 0xB, 0x00});
    write_file(temp_path("looped.mod"), mw_build(looped));
    ASSERT_EQ(run_modrender(temp_path("looped.mod") + " " + out + " --mode 1"), 0);
    EXPECT_EQ(read_file(out).size(), 44u + (10 + 5 + 5) * 6 * 441);
}

TEST(Modrender, OutputIsTheDemoCallbacksBytes)
{
    const std::vector<uint8_t> file = mw_build(song_module());
    write_file(temp_path("song.mod"), file);
    for (int32_t mode : {1, 2}) {
        const std::string out = temp_path("direct.wav");
        ASSERT_EQ(run_modrender(temp_path("song.mod") + " " + out + " --seconds 3 --mode " +
                                std::to_string(mode)), 0);
        const std::vector<uint8_t> wav = read_file(out);

        // The demo: device installed, module read into its 300000-byte buffer,
        // loaded, then SDL's 2048-sample requests.
        install_offline_device(mode, kTicksPerSecond, pt_tick);
        std::vector<uint8_t> buffer(300000, 0);
        std::copy(file.begin(), file.end(), buffer.begin());
        ASSERT_EQ(pt_load(buffer.data(), buffer.size()), 1);
        const int request = mode == 2 ? 4096 : 2048;
        std::vector<uint8_t> expected;
        std::vector<uint8_t> chunk(request);
        while (expected.size() < wav.size() - 44) {
            audio_callback(nullptr, chunk.data(), request);
            expected.insert(expected.end(), chunk.begin(), chunk.end());
        }
        expected.resize(wav.size() - 44);
        ASSERT_EQ(wav.size(), 44u + 3 * (mode == 2 ? 88200 : 22050));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), wav.begin() + 44)) << "mode " << mode;
        // Not silence: the sample sounds.
        const uint8_t quiet = mode == 2 ? 0 : 128;
        EXPECT_NE(std::count_if(expected.begin(), expected.end(), [&](uint8_t b) { return b != quiet; }), 0);
    }
}

// F00 freezes the song: the row that sets it plays its first tick and then
// stands for ever, so one pass ends after that tick, with a line saying so.
TEST(Modrender, OnePassEndsWhereTheSongFreezes)
{
    ModWriter frozen = song_module();
    mw_set_cell(frozen, 0, 5, 2, MwCell{0, 0, 0xF, 0x00});
    write_file(temp_path("frozen.mod"), mw_build(frozen));
    const std::string out = temp_path("frozen.wav");
    ASSERT_EQ(run_modrender(temp_path("frozen.mod") + " " + out), 0);
    EXPECT_EQ(read_file(out).size(), 44u + (5 * 6 + 1) * 882 * 2);
    EXPECT_NE(read_text(temp_path("log")).find("stops at position 5 (speed 0)"), std::string::npos);
}
