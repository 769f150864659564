// Mixer cost per voice-sample, and one 16-bit audio callback as a fraction
// of the 2048-sample buffer period it has to fit in (46.4 ms at 44100 Hz).
// Goal: at most 1.0 ns per voice-sample for 4 looping voices.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "sound/mixer.h"
#include "sound/sound_device.h"
#include "sound/voices.h"

// The callback's ticks do no player work here: only mixing is measured.

static constexpr uint32_t kSampleBytes = 60000;
static int8_t sample_data[kSampleBytes];

// Typical module notes at 44100 Hz: periods from 856 down to 113.
static void set_up_voices(int32_t voices, bool looping)
{
    install_offline_device(2, 50, [] {});
    for (uint32_t i = 0; i < kSampleBytes; ++i) sample_data[i] = static_cast<int8_t>(std::rand() & 0xFF);
    // A loop over most of the sample, as long instrument loops are; one-shots
    // are long enough that most requests play them through.
    sound_device.register_sample(1, sample_data, kSampleBytes, 1000, kSampleBytes - 1, looping ? 1 : 0);
    sound_device.set_channel_count(voices);
    for (int32_t i = 0; i < voices; ++i) {
        sound_device.select_voice(i);
        sound_device.set_sample(1);
        sound_device.set_volume(48);
        sound_device.set_period(113 + (i * 97) % 743);
        sound_device.trigger(0);
    }
}

static void retrigger_one_shots(int32_t voices)
{
    for (int32_t i = 0; i < voices; ++i) {
        sound_device.select_voice(i);
        sound_device.set_period(113 + (i * 97) % 743);
        sound_device.trigger(static_cast<uint32_t>(i * 1000));
    }
}

static void mix_benchmark(benchmark::State& state, bool looping)
{
    const int32_t voices = static_cast<int32_t>(state.range(0));
    constexpr int32_t kRequest = 2048;
    set_up_voices(voices, looping);
    std::vector<uint8_t> output(2 * kRequest);
    for (auto _ : state) {
        if (!looping) retrigger_one_shots(voices);
        mix_samples(output.data(), kRequest, 1);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.counters["per_voice_sample"] = benchmark::Counter(
        static_cast<double>(voices) * kRequest, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}

static void BM_MixLooping(benchmark::State& state) { mix_benchmark(state, true); }
static void BM_MixOneShot(benchmark::State& state) { mix_benchmark(state, false); }
BENCHMARK(BM_MixLooping)->Arg(4)->Arg(32);
BENCHMARK(BM_MixOneShot)->Arg(4)->Arg(32);

static void BM_AudioCallback16Bit(benchmark::State& state)
{
    set_up_voices(4, true);
    std::vector<uint8_t> stream(4096);
    for (auto _ : state) {
        audio_callback(nullptr, stream.data(), 4096);
        benchmark::DoNotOptimize(stream.data());
        benchmark::ClobberMemory();
    }
    // Seconds per callback divided by the 2048 / 44100 s the buffer lasts.
    state.counters["buffer_fraction"] = benchmark::Counter(
        2048.0 / 44100.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AudioCallback16Bit);

BENCHMARK_MAIN();
