// The generated soundtrack: its file format, its sync with the picture
// flashes, the effects it uses, and its running time and level when played
// through the demo's own loader, player, mixer and audio callback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "gfx/effects/flash_tables.h"
#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"
#include "tests/test_files.h"

namespace {

constexpr size_t kDemoBufferSize = 300000;
constexpr int32_t kEndPosition = 1921;  // the demo stops once past 1920

std::vector<uint8_t> bytes = read_file(SOUNDTRACK_MOD_PATH);
uint8_t buffer[kDemoBufferSize];

// Loads the file as the demo does: device first, then the module in its buffer.
bool load()
{
    if (bytes.size() > sizeof buffer) return false;
    std::fill(std::begin(buffer), std::end(buffer), 0);
    std::copy(bytes.begin(), bytes.end(), buffer);
    install_offline_device(2, kTicksPerSecond, pt_tick);
    return pt_load(buffer, bytes.size()) == 1;
}

// The converted cell: sample, note index, command, parameter.
const uint8_t* cell(int32_t position, int channel)
{
    const uint8_t* pattern = replay.song.patterns[replay.song.order[position / 100]];
    return pattern + (position % 100 * 4 + channel) * 4;
}

int sample_named(const char* name)
{
    for (int n = 1; n <= 31; ++n)
        if (std::string(reinterpret_cast<const char*>(&bytes[20 + 30 * (n - 1)]), 22).c_str() == std::string(name))
            return n;
    return 0;
}

// Some channel starts the sample at that position at once: a note with the
// sample, not delayed, not started past its beginning.
bool starts_sample_at(int32_t position, int sample)
{
    for (int ch = 0; ch < 4; ++ch) {
        const uint8_t* c = cell(position, ch);
        const bool delayed = c[2] == 0xE && (c[3] >> 4) == 0xD;
        if (c[0] == sample && c[1] != kNoNote && !delayed && c[2] != 0x9) return true;
    }
    return false;
}

TEST(Soundtrack, IsAFourChannelModuleWhoseSamplesEndTheFileAndLoopInside)
{
    ASSERT_TRUE(load()) << last_error;
    EXPECT_STREQ(replay.song.signature, "M.K.");
    EXPECT_GE(replay.song.song_length, 20);
    EXPECT_LT(bytes[951], replay.song.song_length) << "restart position outside the song";
    size_t offset = 1084 + (replay.song.last_pattern + 1u) * 1024;
    int used = 0;
    // The header as written: the loader would quietly fix lengths, loops and volumes.
    auto word_bytes = [](size_t at) { return (bytes[at] << 8 | bytes[at + 1]) * 2u; };
    for (int n = 1; n <= 31; ++n) {
        const size_t header = 20 + 30 * (n - 1);
        const uint32_t length = word_bytes(header + 22);
        if (length == 0) continue;
        SCOPED_TRACE(n);
        ++used;
        EXPECT_LE(bytes[header + 25], 64) << "volume";
        EXPECT_LE(word_bytes(header + 26) + word_bytes(header + 28), length) << "loop";
        ASSERT_LE(offset + length, bytes.size()) << "sample data cut short";
        // A one-shot that has finished keeps adding its first byte in the
        // mixer, so that byte must be silence.
        EXPECT_EQ(bytes[offset], 0);
        int peak = 0;
        for (uint32_t i = 0; i < length; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(static_cast<int8_t>(bytes[offset + i]))));
        EXPECT_GT(peak, 64) << "sample is nearly silent";
        offset += length;
    }
    EXPECT_EQ(offset, bytes.size()) << "sample data does not end the file";
    EXPECT_GE(used, 9);
    for (const char* name : {"kick", "snare", "closed hat", "open hat", "crash", "bass", "pad", "lead", "pluck"})
        EXPECT_NE(sample_named(name), 0) << name;
}

TEST(Soundtrack, KicksAndAccentsLandOnTheFlashPositionsAndEveryCommandIsUsed)
{
    ASSERT_TRUE(load()) << last_error;
    const int kick = sample_named("kick"), crash = sample_named("crash");
    ASSERT_TRUE(kick != 0 && crash != 0);
    int kicks = 0, accents = 0;
    for (const int32_t* k = kick_positions; *k >= 0; ++k, ++kicks)
        EXPECT_TRUE(starts_sample_at(*k, kick)) << "no kick at " << *k;
    for (const int32_t* a = overlay_positions; *a >= 0; ++a, ++accents)
        EXPECT_TRUE(starts_sample_at(*a, crash)) << "no accent at " << *a;
    EXPECT_EQ(kicks, 62);
    EXPECT_EQ(accents, 45);

    std::set<int> commands, extended;
    for (int o = 0; o < replay.song.song_length; ++o)
        for (int i = 0; i < 64 * 4; ++i) {
            const uint8_t* c = cell(o * 100 + i / 4, i % 4);
            if (c[2] == 0 && c[3] == 0) continue;  // empty, not an arpeggio
            commands.insert(c[2]);
            if (c[2] == 0xE) extended.insert(c[3] >> 4);
        }
    for (int cmd = 0; cmd < 16; ++cmd) EXPECT_TRUE(commands.count(cmd)) << "command " << cmd;
    for (int sub = 1; sub <= 0xE; ++sub) EXPECT_TRUE(extended.count(sub)) << "E sub-command " << sub;
}

TEST(Soundtrack, GeneratorWritesTheSameBytesEveryRun)
{
    const std::string path = scratch_dir("soundtrack") + "/again.mod";
    ASSERT_EQ(run_command(std::string(MAKE_SOUNDTRACK_PATH) + " " + path), 0);
    EXPECT_TRUE(read_file(path) == bytes);
    EXPECT_NE(run_command(std::string(MAKE_SOUNDTRACK_PATH) + " 2>/dev/null"), 0)
        << "a missing output path must be refused";
}

// The rows the player starts, seen through its tick observer.
std::set<int32_t> rows_started;
long ticks_to_end = -1;
long ticks_run = 0;

void observe(const TickReport& report)
{
    ++ticks_run;
    if (report.row_started) rows_started.insert(report.started_order_pos * 100 + report.started_row);
    if (ticks_to_end < 0 && report.order_pos * 100 + report.row >= kEndPosition) ticks_to_end = ticks_run - 1;
}

// Plays the module in the demo's request size up to the end of the show.
TEST(Soundtrack, PlaysEveryRowFor148SecondsCleanlyAtTheRightLevelAndEndsInSilence)
{
    ASSERT_TRUE(load()) << last_error;
    pt_tick_observer = observe;
    std::vector<int16_t> request(2048);
    int peak = 0;
    long clipped = 0, loud_after_end = 0, samples = 0;
    int32_t position = -37;
    for (int guard = 0; guard < 10000 && position < kEndPosition; ++guard) {
        const int32_t before = position;
        audio_callback(nullptr, reinterpret_cast<uint8_t*>(request.data()), 4096);
        position = pt_song_position();
        samples += 2048;
        for (int16_t v : request) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
            if (v >= 32767 || v <= -32767) ++clipped;
            // Every sample of a request that began at or after row 20 of the
            // last pattern belongs to the faded-out end.
            if (before >= 1920 && v != 0) ++loud_after_end;
        }
    }
    pt_tick_observer = nullptr;
    ASSERT_GE(position, kEndPosition);
    // Ticks follow the output: 882 samples a tick, within one request.
    EXPECT_NEAR(ticks_to_end / static_cast<double>(kTicksPerSecond), 148.0, 1.0);
    EXPECT_NEAR(samples, ticks_to_end * 882.0, 2048.0 + 882.0);
    for (int32_t order_start = 0; order_start < kEndPosition; order_start += 100)
        for (int32_t p = order_start; p < order_start + 64 && p < kEndPosition; ++p)
            EXPECT_TRUE(rows_started.count(p)) << "position " << p << " is skipped";
    EXPECT_EQ(clipped, 0);
    const double peak_db = 20.0 * std::log10(peak / 32768.0);
    std::printf("rendered %.2f s, peak %d (%.2f dBFS)\n", samples / 44100.0, peak, peak_db);
    EXPECT_GE(peak_db, -6.0);
    EXPECT_LE(peak_db, -1.0);
    EXPECT_EQ(loud_after_end, 0) << "the outro has not decayed to silence by row 20";
}

}  // namespace
