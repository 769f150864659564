// Audio callback slicing: ticks are counted through the tick this test hands in,
// which also restarts voice 0 on a level naming the tick, so every output
// sample shows which tick's slice it belongs to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "sound/mixer.h"
#include "sound/sound_device.h"
#include "sound/voices.h"

static int32_t ticks = 0;
static int8_t tick_levels[128];  // tick_levels[i] = i

static int32_t level_of_tick(int32_t tick)
{
    return (tick - 1) % 60 + 1;  // 512 * 60 still fits 16 bits
}

static void count_tick()
{
    ++ticks;
    sound_device.select_voice(0);
    sound_device.trigger(static_cast<uint32_t>(level_of_tick(ticks)));
}

// The demo's set-up without SDL, then one looping voice at step 0 whose
// amplitude is 512 (volume 100, master 162): level i sums to 512 * i.
static void start(int32_t mode, int32_t ticks_per_second)
{
    install_offline_device(mode, ticks_per_second, count_tick);
    // The voices step at the mode's own rate, or every note plays off pitch.
    EXPECT_EQ(voices.mixer_rate, mode == 1 ? 22050 : 44100);
    for (int i = 0; i < 128; ++i) tick_levels[i] = static_cast<int8_t>(i);
    sound_device.register_sample(1, tick_levels, 128, 0, 127, 1);
    sound_device.set_channel_count(1);
    sound_device.set_master_volume(162);
    sound_device.select_voice(0);
    sound_device.set_sample(1);
    sound_device.set_volume(100);
    ticks = 0;
}

// Runs one callback of length bytes; appends the level of each output sample.
static void run_callback(int length, std::vector<int32_t>& levels)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(length) + 8, 0xEE);
    audio_callback(nullptr, buffer.data(), length);
    if (sound_mode == 2) {
        for (int k = 0; k < length / 2; ++k) {
            int16_t sample = 0;
            std::memcpy(&sample, buffer.data() + 2 * k, 2);
            levels.push_back(sample / 512);
        }
    } else {
        for (int k = 0; k < length; ++k) levels.push_back(buffer[static_cast<size_t>(k)] - 128);
    }
    const size_t written = sound_mode == 2 ? static_cast<size_t>(length / 2) * 2 : static_cast<size_t>(length);
    for (size_t k = written; k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0xEE) << "byte " << k << " overwritten";
}

TEST(AudioCallback, TicksFollowTheSamplesOutputForAnyBufferLengths)
{
    std::mt19937 rng(5);
    // (mode, ticks per second); at 1 a slice is longer than any buffer.
    const int32_t cases[][2] = {{1, 50}, {2, 50}, {2, 60}, {1, 7}, {2, 13}, {1, 1}, {2, 1}};
    for (const auto& c : cases) {
        start(c[0], c[1]);
        const int32_t slice = (c[0] == 1 ? 22050 : 44100) / c[1];
        std::vector<int32_t> levels;
        run_callback(c[0] - 1, levels);  // not one whole sample: no tick, nothing written
        ASSERT_EQ(ticks, 0);
        for (int call = 0; call < 60; ++call) {
            // Two slices, then one: buffers ending on slice boundaries. Then a
            // slice's first sample, a carry leaving one, that one alone, a
            // slice's first two, one and two of a long carry; then random.
            const int32_t owed = ticks * slice - static_cast<int32_t>(levels.size());
            const int32_t smallest[] = {owed + 1, owed + slice - 1, owed, owed + 2, 1, 2};
            run_callback(call < 2 ? (2 - call) * slice * c[0]
                         : call < 8 ? smallest[call - 2] * c[0]
                                    : static_cast<int>(1 + rng() % 5000),
                         levels);
            // A tick opens every slice that has begun, including one that
            // begins exactly at the end of this buffer (its slice is owed whole).
            ASSERT_EQ(ticks, static_cast<int32_t>(levels.size()) / slice + 1)
                << "mode " << c[0] << " rate " << c[1] << " call " << call;
        }
        // Sample n of the whole output belongs to the slice of tick n / slice + 1.
        for (size_t n = 0; n < levels.size(); ++n)
            ASSERT_EQ(levels[n], level_of_tick(static_cast<int32_t>(n) / slice + 1)) << "sample " << n;
    }
}

TEST(AudioCallback, SilentModeWritesNothingAndNoTickRateWritesSilence)
{
    start(2, 50);
    sound_mode = 0;
    std::vector<uint8_t> buffer(64, 0x5A);
    audio_callback(nullptr, buffer.data(), 64);
    EXPECT_EQ(buffer, std::vector<uint8_t>(64, 0x5A));
    EXPECT_EQ(ticks, 0);

    // A rate that leaves no samples per tick: the whole buffer is the mode's
    // silence (and the odd byte of a 16-bit buffer stays untouched).
    const int32_t cases[][3] = {{1, 0, 2048}, {2, 0, 4097}, {2, -50, 4096}, {1, 30000, 2048}, {2, 50000, 4096}};
    for (const auto& [mode, rate, length] : cases) {
        start(mode, rate);
        std::vector<uint8_t> bytes(static_cast<size_t>(length) + 8, 0xEE);
        audio_callback(nullptr, bytes.data(), length);
        const int32_t bytes_per_sample = mode;
        std::vector<uint8_t> expected(static_cast<size_t>(length / bytes_per_sample * bytes_per_sample),
                                      mode == 1 ? 128 : 0);
        expected.resize(bytes.size(), 0xEE);
        const size_t right = static_cast<size_t>(std::mismatch(bytes.begin(), bytes.end(), expected.begin()).first -
                                                 bytes.begin());
        EXPECT_EQ(right, bytes.size()) << "mode " << mode << " rate " << rate << ": the first bytes as expected";
        EXPECT_EQ(ticks, 0) << "mode " << mode << " rate " << rate;
    }
}
