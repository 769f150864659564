// The library mixes in stretches; on long random runs it must match, bit for
// bit, the straightforward per-sample rules below (written independently of
// it), for single voices and whole requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "sound/mixer.h"
#include "sound/voices.h"

// Per output sample: advance with fraction carry, wrap or end, then add.
// (inline: GCC then inlines this hot loop; as static it runs markedly slower.)
inline void reference_mix_voice(Voice& v, int32_t* acc, int32_t n, uint32_t a)
{
    for (int32_t k = 0; k < n; ++k) {
        v.position += static_cast<uint32_t>(v.step);
        const uint32_t before = v.position_fraction;
        v.position_fraction += v.step_fraction;
        if (v.position_fraction < before) v.position += 1;
        if (v.looping != 0) {
            if (v.position > v.loop_end) v.position = v.loop_start + 1;
        } else if (v.position >= v.length) {
            v.position = 0;
            v.step = 0;
            v.step_fraction = 0;
            v.volume = 0;
        }
        acc[k] = static_cast<int32_t>(static_cast<uint32_t>(acc[k]) +
                                      a * static_cast<uint32_t>(int32_t{v.data[v.position]}));
    }
}

static void reference_latch(Voice& m, Voice& p)
{
    const Voice kept = m;
    m = p;
    if (p.new_note == 0) std::tie(m.position, m.position_fraction) = std::tie(kept.position, kept.position_fraction);
    if (p.period_changed == 0) std::tie(m.step, m.step_fraction) = std::tie(kept.step, kept.step_fraction);
    p.new_note = 0;
    p.period_changed = 0;
}

// One whole request with an unbounded accumulator (acc must hold n entries).
static void reference_mix_samples(Voice* mixer, Voice* player, int32_t channels, int32_t master,
                                  int32_t* acc, uint8_t* out, int32_t n, bool sixteen_bit)
{
    for (int32_t i = 0; i < channels; ++i) reference_latch(mixer[i], player[i]);
    std::fill(acc, acc + n, 0);
    for (int32_t i = 0; i < channels; ++i) {
        if (mixer[i].length == 0 || mixer[i].volume == 0) continue;
        reference_mix_voice(mixer[i], acc, n, mixer[i].volume * static_cast<uint32_t>(master) * 255u / 8064u);
    }
    for (int32_t k = 0; k < n; ++k) {
        if (sixteen_bit) {
            const int32_t v = std::clamp(acc[k], -32768, 32767);
            out[2 * k] = static_cast<uint8_t>(v & 0xFF);
            out[2 * k + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
        } else {
            out[k] = static_cast<uint8_t>(std::clamp(acc[k] >> 9, -128, 127) + 128);
        }
    }
}

static constexpr uint32_t kDataSize = 8192;
static int8_t random_data[kDataSize];

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

// What the mixer carries from one request to the next.
static auto live_state(const Voice& v)
{
    return std::make_tuple(v.position, v.position_fraction, v.step, v.step_fraction, v.volume);
}

TEST(MixerAgainstReference, SingleVoicesOnRandomRuns)
{
    std::mt19937 rng(20240611);
    for (int8_t& value : random_data) value = static_cast<int8_t>(rng() & 0xFF);
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
            ASSERT_EQ(live_state(fast_voice), live_state(slow_voice)) << "run " << run;
        }
    }
}

TEST(MixerAgainstReference, WholeRequestsWithPlayerChangesBetweenThem)
{
    std::mt19937 rng(77);
    for (int8_t& value : random_data) value = static_cast<int8_t>(rng() & 0xFF);
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
            // A new sample and volume; position and step change only through the operations.
            std::tie(p.data, p.length, p.loop_start, p.loop_end, p.looping, p.volume) =
                std::tie(fresh.data, fresh.length, fresh.loop_start, fresh.loop_end, fresh.looping, fresh.volume);
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
            ASSERT_EQ(live_state(voices.mixer_voices[i]), live_state(mixer_copy[i])) << "run " << run;
            ASSERT_EQ(voices.player_voices[i].new_note, 0);
            ASSERT_EQ(voices.player_voices[i].period_changed, 0);
        }
    }
}
