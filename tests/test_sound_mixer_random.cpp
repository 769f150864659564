// The library mixes in stretches; on long random runs it must match the
// per-sample rules bit for bit, for single voices and whole requests.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "sound/mixer.h"
#include "sound/voices.h"
#include "test_sound_reference.h"

static constexpr uint32_t kDataSize = 8192;
static int8_t random_data[kDataSize];

static void fill_random_data(std::mt19937& rng)
{
    for (int8_t& value : random_data) value = static_cast<int8_t>(rng() & 0xFF);
}

// A voice whose reads stay inside random_data under the mixing rules.
static Voice random_voice(std::mt19937& rng)
{
    auto below = [&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    Voice v{};
    v.data = random_data;
    v.length = below(8) == 0 ? below(3) : 1 + below(kDataSize);
    v.loop_end = below(8) == 0 ? below(4) : below(kDataSize - 1);
    v.loop_start = below(8) == 0 ? v.loop_end : below(v.loop_end + 1);
    v.looping = below(2);
    v.position = below(kDataSize + 64);  // sometimes already past the end
    v.position_fraction = static_cast<uint32_t>(rng());
    switch (below(6)) {
    case 0: v.step = 0; break;                                        // slow
    case 1: v.step = static_cast<int32_t>(below(40)); break;         // fast
    case 2: v.step = -static_cast<int32_t>(1 + below(3)); break;     // runs backwards
    case 3: v.step = static_cast<int32_t>(0x7FFFFFFF - below(8)); break;  // wraps the index
    default: v.step = static_cast<int32_t>(below(3)); break;
    }
    v.step_fraction = below(3) == 0 ? 0u : static_cast<uint32_t>(rng());
    v.volume = below(65);
    return v;
}

static void expect_same_voice(const Voice& a, const Voice& b, int run)
{
    EXPECT_EQ(a.position, b.position) << "run " << run;
    EXPECT_EQ(a.position_fraction, b.position_fraction) << "run " << run;
    EXPECT_EQ(a.step, b.step) << "run " << run;
    EXPECT_EQ(a.step_fraction, b.step_fraction) << "run " << run;
    EXPECT_EQ(a.volume, b.volume) << "run " << run;
}

TEST(MixerAgainstReference, SingleVoicesOnRandomRuns)
{
    std::mt19937 rng(20240611);
    fill_random_data(rng);
    std::vector<int32_t> fast(5000), slow(5000);
    for (int run = 0; run < 3000; ++run) {
        Voice fast_voice = random_voice(rng);
        Voice slow_voice = fast_voice;
        const uint32_t amplitude = rng() % 2100;
        for (int call = 0; call < 4; ++call) {
            const int32_t count = static_cast<int32_t>(rng() % 5000);
            for (int32_t k = 0; k < count; ++k) fast[k] = slow[k] = static_cast<int32_t>(rng() % 1000) - 500;
            mix_voice(&fast_voice, fast.data(), count, amplitude);
            reference_mix_voice(slow_voice, slow.data(), count, amplitude);
            ASSERT_TRUE(std::equal(fast.begin(), fast.begin() + count, slow.begin())) << "run " << run;
            expect_same_voice(fast_voice, slow_voice, run);
            if (HasFailure()) return;
        }
    }
}

TEST(MixerAgainstReference, WholeRequestsWithPlayerChangesBetweenThem)
{
    std::mt19937 rng(77);
    fill_random_data(rng);
    init_voices(44100);
    Voice player_copy[kVoiceCount], mixer_copy[kVoiceCount];
    static int32_t accumulator[60000];
    static uint8_t expected[2 * 60000 + 16], actual[2 * 60000 + 16];
    for (int run = 0; run < 400; ++run) {
        const int32_t channels = static_cast<int32_t>(1 + rng() % kVoiceCount);
        set_channel_count(channels);
        set_master_volume(static_cast<int32_t>(rng() % 260));
        for (int32_t i = 0; i < channels; ++i) {
            if (rng() % 3 != 0) continue;  // leave some voices as they play
            const Voice fresh = random_voice(rng);
            Voice& p = voices.player_voices[i];
            p.data = fresh.data;
            p.length = fresh.length;
            p.loop_start = fresh.loop_start;
            p.loop_end = fresh.loop_end;
            p.looping = fresh.looping;
            p.volume = fresh.volume;
            select_voice(i);
            if (rng() % 2) set_period(static_cast<int32_t>(27 + rng() % 3600));
            if (rng() % 2) trigger(fresh.position);
        }
        // Mostly callback-sized requests, some larger than the accumulator.
        const int32_t count = static_cast<int32_t>(rng() % 8 == 0 ? 20000 + rng() % 40000 : rng() % 2100);
        const bool sixteen_bit = rng() % 2 != 0;
        std::memcpy(player_copy, voices.player_voices, sizeof player_copy);
        std::memcpy(mixer_copy, voices.mixer_voices, sizeof mixer_copy);
        std::memset(expected, 0xA5, sizeof expected);
        std::memset(actual, 0xA5, sizeof actual);
        reference_mix_samples(mixer_copy, player_copy, channels, voices.master_volume, accumulator, expected, count,
                              sixteen_bit);
        mix_samples(actual, count, sixteen_bit ? 1 : 0);
        // Same bytes, and nothing written past the request.
        ASSERT_EQ(0, std::memcmp(expected, actual, sizeof actual)) << "run " << run << " count " << count;
        for (int32_t i = 0; i < channels; ++i) {
            expect_same_voice(voices.mixer_voices[i], mixer_copy[i], run);
            EXPECT_EQ(voices.player_voices[i].new_note, 0);
            EXPECT_EQ(voices.player_voices[i].period_changed, 0);
        }
        if (HasFailure()) return;
    }
}
