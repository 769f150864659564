// The generated soundtrack: its file format, its sync with the picture
// flashes, the effects it uses, its running time, and its level when played
// through the demo's own player and mixer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "gfx/effects/flash_tables.h"
#include "player/player.h"
#include "sound/sound_device.h"

namespace {

constexpr size_t kDemoBufferSize = 300000;
constexpr int32_t kEndPosition = 1921;  // the demo stops once past 1920
constexpr double kTicksPerSecond = 50.0;

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A small reader of its own, independent of the generator's tables.
struct RawCell {
    int sample;
    int period;
    int command;
    int param;
};

struct RawSample {
    std::string name;
    uint32_t length, loop_start, loop_length;
    int volume;
    uint32_t offset;  // where its data starts in the file
};

struct RawModule {
    std::string signature;
    int song_length = 0;
    std::vector<int> order;
    int pattern_count = 0;
    RawSample samples[31];
    std::vector<RawCell> cells;  // pattern, row, channel
    size_t expected_size = 0;

    const RawCell& cell(int order_pos, int row, int ch) const
    {
        return cells[(static_cast<size_t>(order[order_pos]) * 64 + row) * 4 + ch];
    }
};

uint32_t word_at(const std::vector<uint8_t>& b, size_t at) { return (b[at] << 8) | b[at + 1]; }

RawModule parse(const std::vector<uint8_t>& b)
{
    RawModule m;
    if (b.size() < 1084) return m;
    for (int n = 0; n < 31; ++n) {
        size_t h = 20 + 30 * n;
        RawSample& s = m.samples[n];
        s.name.assign(reinterpret_cast<const char*>(&b[h]), 22);
        s.name = s.name.c_str();
        s.length = word_at(b, h + 22) * 2;
        s.volume = b[h + 25];
        s.loop_start = word_at(b, h + 26) * 2;
        s.loop_length = word_at(b, h + 28) * 2;
    }
    m.song_length = b[950];
    int highest = 0;
    for (int i = 0; i < 128; ++i) {
        m.order.push_back(b[952 + i]);
        highest = std::max(highest, static_cast<int>(b[952 + i]));
    }
    m.signature.assign(reinterpret_cast<const char*>(&b[1080]), 4);
    m.pattern_count = highest + 1;
    size_t at = 1084;
    for (int i = 0; i < m.pattern_count * 256 && at + 4 <= b.size(); ++i, at += 4)
        m.cells.push_back({(b[at] & 0xF0) | (b[at + 2] >> 4), ((b[at] & 0x0F) << 8) | b[at + 1],
                           b[at + 2] & 0x0F, b[at + 3]});
    at = 1084 + static_cast<size_t>(m.pattern_count) * 1024;
    for (RawSample& s : m.samples) {
        s.offset = static_cast<uint32_t>(at);
        at += s.length;
    }
    m.expected_size = at;
    return m;
}

int sample_named(const RawModule& m, const char* name)
{
    for (int n = 0; n < 31; ++n)
        if (m.samples[n].name == name) return n + 1;
    return 0;
}

// True when some channel starts the sample on that position at once (a note
// with the sample, not delayed, not started past its beginning).
bool starts_sample_at(const RawModule& m, int32_t position, int sample)
{
    int order_pos = position / 100, row = position % 100;
    for (int ch = 0; ch < 4; ++ch) {
        const RawCell& c = m.cell(order_pos, row, ch);
        bool delayed = c.command == 0xE && (c.param >> 4) == 0xD;
        if (c.sample == sample && c.period != 0 && !delayed && c.command != 0x9) return true;
    }
    return false;
}

// Walks the song as the replay routine sequences it (speed, pattern delay,
// pattern loop, break and jump) and returns the ticks from the first row to
// the start of `target`; every position reached on the way goes to visited.
long ticks_until(const RawModule& m, int32_t target, std::set<int32_t>& visited)
{
    int speed = 6, order_pos = 0, row = 0;
    int loop_row[4] = {0, 0, 0, 0}, loop_count[4] = {0, 0, 0, 0};
    long ticks = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        int32_t position = order_pos * 100 + row;
        if (position == target) return ticks;
        visited.insert(position);
        int delay = 0, next_row = row + 1, next_order = order_pos;
        bool jumped = false;
        for (int ch = 0; ch < 4; ++ch) {
            const RawCell& c = m.cell(order_pos, row, ch);
            int x = c.param >> 4, y = c.param & 0xF;
            if (c.command == 0xF && c.param <= 31) speed = c.param;
            if (c.command == 0xE && x == 0xE) delay = std::max(delay, y);
            if (c.command == 0xE && x == 0x6) {
                if (y == 0) {
                    loop_row[ch] = row;
                } else if (loop_count[ch] == 0) {
                    loop_count[ch] = y;
                    next_row = loop_row[ch];
                } else if (--loop_count[ch] > 0) {
                    next_row = loop_row[ch];
                }
            }
            if (c.command == 0xD) {
                next_order = order_pos + 1;
                int target_row = 10 * x + y;
                next_row = target_row > 63 ? 0 : target_row;  // the player's rule for breaks past the end
                jumped = true;
            }
            if (c.command == 0xB) {
                next_order = c.param;
                next_row = 0;
                jumped = true;
            }
        }
        if (speed == 0) return -1;  // frozen: the song never gets there
        ticks += static_cast<long>(speed) * (delay + 1);
        if (!jumped && next_row > 63) next_row = 0, next_order = order_pos + 1;
        if (next_order >= m.song_length) next_order = 0;
        order_pos = next_order;
        row = next_row;
    }
    return -1;
}

class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bytes_ = read_file(SOUNDTRACK_MOD_PATH);
        module_ = parse(bytes_);
    }
    static std::vector<uint8_t> bytes_;
    static RawModule module_;
};
std::vector<uint8_t> Soundtrack::bytes_;
RawModule Soundtrack::module_;

TEST_F(Soundtrack, IsAFourChannelModuleThatFitsTheDemoBuffer)
{
    ASSERT_GE(bytes_.size(), 1084u);
    EXPECT_EQ(module_.signature, "M.K.");
    EXPECT_LT(bytes_.size(), kDemoBufferSize);
    EXPECT_EQ(bytes_.size(), module_.expected_size) << "sample data does not end the file";
    EXPECT_GE(module_.song_length, 20);
    EXPECT_LE(module_.song_length, 128);
    EXPECT_LT(module_.pattern_count, 128);
    EXPECT_LT(bytes_[951], module_.song_length) << "restart position outside the song";
}

TEST_F(Soundtrack, SamplesAreSoundAndLoopInsideTheirData)
{
    int used = 0;
    for (const RawSample& s : module_.samples) {
        if (s.length == 0) continue;
        ++used;
        SCOPED_TRACE(s.name);
        EXPECT_LE(s.volume, 64);
        EXPECT_LE(s.loop_start + s.loop_length, s.length);
        ASSERT_LE(s.offset + s.length, bytes_.size());
        // A one-shot that has finished keeps adding its first byte in the
        // mixer, so that byte must be silence.
        EXPECT_EQ(bytes_[s.offset], 0);
        int peak = 0;
        for (uint32_t i = 0; i < s.length; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(static_cast<int8_t>(bytes_[s.offset + i]))));
        EXPECT_GT(peak, 64) << "sample is nearly silent";
    }
    EXPECT_GE(used, 9);
    for (const char* name : {"kick", "snare", "closed hat", "open hat", "crash", "bass", "pad", "lead", "pluck"})
        EXPECT_NE(sample_named(module_, name), 0) << name;
}

TEST_F(Soundtrack, KicksAndAccentsLandOnTheFlashPositions)
{
    int kick = sample_named(module_, "kick"), crash = sample_named(module_, "crash");
    ASSERT_NE(kick, 0);
    ASSERT_NE(crash, 0);
    int kicks = 0, accents = 0;
    for (const int32_t* k = kick_positions; *k >= 0; ++k, ++kicks)
        EXPECT_TRUE(starts_sample_at(module_, *k, kick)) << "no kick at " << *k;
    for (const int32_t* a = overlay_positions; *a >= 0; ++a, ++accents)
        EXPECT_TRUE(starts_sample_at(module_, *a, crash)) << "no accent at " << *a;
    EXPECT_EQ(kicks, 62);
    EXPECT_EQ(accents, 45);
}

TEST_F(Soundtrack, UsesEveryCommandAndExtendedCommand)
{
    std::set<int> commands, extended;
    for (int o = 0; o < module_.song_length; ++o)
        for (int row = 0; row < 64; ++row)
            for (int ch = 0; ch < 4; ++ch) {
                const RawCell& c = module_.cell(o, row, ch);
                if (c.command == 0 && c.param == 0) continue;  // empty, not an arpeggio
                commands.insert(c.command);
                if (c.command == 0xE) extended.insert(c.param >> 4);
            }
    for (int cmd = 0; cmd < 16; ++cmd) EXPECT_TRUE(commands.count(cmd)) << "command " << cmd;
    for (int sub = 1; sub <= 0xE; ++sub) EXPECT_TRUE(extended.count(sub)) << "E sub-command " << sub;
}

TEST_F(Soundtrack, ReachesTheEndOfTheShowAfter148SecondsWithEveryRowNumberIntact)
{
    std::set<int32_t> visited;
    long ticks = ticks_until(module_, kEndPosition, visited);
    ASSERT_GT(ticks, 0) << "position 1921 is never reached";
    EXPECT_NEAR(ticks / kTicksPerSecond, 148.0, 1.0);
    for (int32_t p = 0; p < kEndPosition; ++p) {
        if (p % 100 < 64) {
            EXPECT_TRUE(visited.count(p)) << "position " << p << " is skipped";
        }
    }
}

TEST_F(Soundtrack, GeneratorWritesTheSameBytesEveryRun)
{
    std::string path = ::testing::TempDir() + "soundtrack_again.mod";
    std::string command = std::string(MAKE_SOUNDTRACK_PATH) + " " + path;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(read_file(path) == bytes_);
    std::remove(path.c_str());
    EXPECT_NE(std::system((std::string(MAKE_SOUNDTRACK_PATH) + " 2>/dev/null").c_str()), 0)
        << "a missing output path must be refused";
}

// Plays the module through the real loader, replay routine, mixer and audio
// callback, in the demo's request size, up to the end of the show.
TEST_F(Soundtrack, PlaysCleanlyAtTheRightLevelAndEndsInSilence)
{
    static uint8_t buffer[kDemoBufferSize];
    ASSERT_LE(bytes_.size(), sizeof buffer);
    std::copy(bytes_.begin(), bytes_.end(), buffer);
    install_offline_device(2, kTicksPerSecond, pt_tick);
    ASSERT_EQ(pt_load(buffer, bytes_.size()), 1) << last_error;

    std::vector<int16_t> request(2048);
    int peak = 0;
    long clipped = 0, loud_after_end = 0, samples = 0;
    int32_t position = -37;
    for (int guard = 0; guard < 10000 && position < kEndPosition; ++guard) {
        int32_t before = position;
        audio_callback(nullptr, reinterpret_cast<uint8_t*>(request.data()), 4096);
        position = replay.player.order_pos * 100 + replay.player.row;
        samples += 2048;
        for (int16_t v : request) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
            if (v >= 32767 || v <= -32767) ++clipped;
            // Every sample of a request that began at or after row 20 of the
            // last pattern belongs to the faded-out end.
            if (before >= 1920 && v != 0) ++loud_after_end;
        }
    }
    ASSERT_GE(position, kEndPosition);
    EXPECT_NEAR(samples / 44100.0, 148.0, 1.0);
    // The sequencing walk above must agree with the real player to within
    // one request (2048 samples).
    std::set<int32_t> visited;
    long ticks = ticks_until(module_, kEndPosition, visited);
    EXPECT_NEAR(samples / 44100.0, ticks / kTicksPerSecond, 2048.0 / 44100.0 + 0.02);
    EXPECT_EQ(clipped, 0);
    double peak_db = 20.0 * std::log10(peak / 32768.0);
    std::printf("rendered %.2f s, peak %d (%.2f dBFS)\n", samples / 44100.0, peak, peak_db);
    EXPECT_GE(peak_db, -6.0);
    EXPECT_LE(peak_db, -1.0);
    EXPECT_EQ(loud_after_end, 0) << "the outro has not decayed to silence by row 20";
}

}  // namespace
