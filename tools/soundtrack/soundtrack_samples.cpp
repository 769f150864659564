// Synthesis of every instrument of the soundtrack: drums from noise and
// swept sines, tonal voices from sums of harmonics. All randomness comes from
// a fixed-seed generator, so the module is the same on every build.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/soundtrack/soundtrack_song.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPaulaClock = 3546836.0;
// Drums are written at C-3 (period 214), hats and cymbals at B-3 (period 113):
// the playback rate of each sample is the rate it is synthesised at.
constexpr double kDrumRate = kPaulaClock / 214.0;
constexpr double kCymbalRate = kPaulaClock / 113.0;
// Tonal samples are single cycles whose length sets the octave: a cycle of
// 128 bytes at C-2 (period 428) sounds near C2, 64 near C3, 32 near C4.
constexpr double kToneRate = kPaulaClock / 428.0;

struct Noise {
    uint32_t state;
};

static double next_noise(Noise& noise)
{
    // xorshift32: cheap, and identical on every platform.
    noise.state ^= noise.state << 13;
    noise.state ^= noise.state >> 17;
    noise.state ^= noise.state << 5;
    return static_cast<double>(noise.state) / 2147483648.0 - 1.0;
}

// Scales wave so its largest magnitude becomes peak (1..127) and rounds it to
// signed bytes.
static std::vector<int8_t> quantise(const std::vector<double>& wave, double peak)
{
    double largest = 1e-9;
    for (double v : wave) largest = std::fmax(largest, std::fabs(v));
    std::vector<int8_t> out(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) {
        long v = std::lround(wave[i] * peak / largest);
        if (v > 127) v = 127;
        if (v < -127) v = -127;
        out[i] = static_cast<int8_t>(v);
    }
    return out;
}

// One-shot sample: two leading zero bytes (a finished one-shot voice in the
// mixer keeps adding its first byte, so that byte must be silent), the
// sound, a short fade-out and an even length.
static SynthSample one_shot(const char* name, std::vector<double> wave, double peak,
                            int32_t volume)
{
    size_t fade = wave.size() / 16;
    for (size_t i = 0; i < fade; ++i)
        wave[wave.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(fade);
    std::vector<int8_t> body = quantise(wave, peak);
    SynthSample s{name, {0, 0}, volume, 0, 0, 2};
    s.data.insert(s.data.end(), body.begin(), body.end());
    if (s.data.size() % 2) s.data.push_back(0);
    return s;
}

// Looping sample: two zero bytes, an optional attack, then the periodic part
// repeated twice. The loop covers exactly one period of the cycle starting at
// loop_start, and one more period follows it, so a player that plays the loop
// end byte (or one past it) before wrapping still reads the same waveform.
static SynthSample looped(const char* name, const std::vector<double>& attack,
                          const std::vector<double>& cycle, double peak, int32_t volume)
{
    std::vector<double> all(attack);
    for (int repeat = 0; repeat < 2; ++repeat) all.insert(all.end(), cycle.begin(), cycle.end());
    std::vector<int8_t> body = quantise(all, peak);
    SynthSample s{name, {0, 0}, volume, 0, 0, 0};
    s.data.insert(s.data.end(), body.begin(), body.end());
    s.loop_start = static_cast<uint32_t>(2 + attack.size());
    s.loop_length = static_cast<uint32_t>(cycle.size());
    if (s.data.size() % 2 || s.loop_start % 2 || s.loop_length % 2) {
        std::fprintf(stderr, "make_soundtrack: odd loop in sample %s\n", name);
        std::exit(1);
    }
    return s;
}

static std::vector<double> kick_wave()
{
    size_t count = static_cast<size_t>(0.38 * kDrumRate);
    std::vector<double> w(count);
    Noise noise{0x1234567u};
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kDrumRate;
        double freq = 46.0 + 124.0 * std::exp(-t / 0.032);
        phase += kTwoPi * freq / kDrumRate;
        double attack = std::fmin(1.0, t / 0.0015);
        double body = std::sin(phase) * std::exp(-t / 0.17) * attack;
        double click = t < 0.004 ? 0.35 * next_noise(noise) * (1.0 - t / 0.004) : 0.0;
        w[i] = body + click;
    }
    return w;
}

static std::vector<double> snare_wave()
{
    size_t count = static_cast<size_t>(0.26 * kDrumRate);
    std::vector<double> w(count);
    Noise noise{0x9e3779b9u};
    double previous = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kDrumRate;
        double n = next_noise(noise);
        double bright = n - 0.55 * previous;  // tilt the noise towards the top
        previous = n;
        double tone = 0.65 * std::sin(kTwoPi * 188.0 * t) * std::exp(-t / 0.05) +
                      0.3 * std::sin(kTwoPi * 331.0 * t) * std::exp(-t / 0.03);
        double attack = std::fmin(1.0, t / 0.001);
        w[i] = attack * (tone + 0.75 * bright * std::exp(-t / 0.085));
    }
    return w;
}

// Metal: high-passed noise plus a few inharmonic square partials, the usual
// recipe for hats and cymbals. decay is the envelope time constant in seconds.
static std::vector<double> metal_wave(double seconds, double decay, uint32_t seed,
                                      double tone_mix)
{
    static const double partials[6] = {2050.0, 3043.0, 3696.0, 5227.0, 5403.0, 8001.0};
    size_t count = static_cast<size_t>(seconds * kCymbalRate);
    std::vector<double> w(count);
    Noise noise{seed};
    double previous = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kCymbalRate;
        double n = next_noise(noise);
        double high = n - previous;
        previous = n;
        double metal = 0.0;
        for (double f : partials) metal += std::sin(kTwoPi * f * t) >= 0.0 ? 1.0 : -1.0;
        double attack = std::fmin(1.0, t / 0.0008);
        w[i] = attack * std::exp(-t / decay) * (high + tone_mix * metal / 6.0);
    }
    return w;
}

// One period of a band-limited waveform of cycle_length bytes from harmonic
// amplitudes (sine phase, so the cycle starts at zero).
static std::vector<double> harmonic_cycle(size_t cycle_length, const std::vector<double>& amps)
{
    std::vector<double> c(cycle_length, 0.0);
    for (size_t i = 0; i < cycle_length; ++i) {
        double x = kTwoPi * static_cast<double>(i) / static_cast<double>(cycle_length);
        for (size_t k = 0; k < amps.size(); ++k) c[i] += amps[k] * std::sin(x * static_cast<double>(k + 1));
    }
    return c;
}

static SynthSample bass_sample()
{
    // Six harmonics of a soft saw carry the note; an attack of four cycles
    // adds brighter upper harmonics that fade into the loop.
    const size_t cycle = 128;
    std::vector<double> steady_amps;
    for (int k = 1; k <= 6; ++k) steady_amps.push_back(1.0 / k);
    std::vector<double> attack(4 * cycle);
    for (size_t i = 0; i < attack.size(); ++i) {
        double cycles = static_cast<double>(i) / cycle;
        double bright = std::exp(-cycles / 1.2) - std::exp(-4.0 / 1.2);
        double x = kTwoPi * cycles;
        double v = 0.0;
        for (int k = 1; k <= 14; ++k) v += (k <= 6 ? 1.0 : bright) * std::sin(x * k) / k;
        attack[i] = v;
    }
    return looped("bass", attack, harmonic_cycle(cycle, steady_amps), 100.0, 32);
}

static SynthSample pad_sample()
{
    // Two soft saws, 127 and 129 cycles in one 8192-byte loop: they average
    // to a 64-byte cycle and beat slowly against each other.
    const size_t loop = 8192;
    std::vector<double> cycle(loop, 0.0);
    for (size_t i = 0; i < loop; ++i) {
        double x = kTwoPi * static_cast<double>(i) / static_cast<double>(loop);
        for (int k = 1; k <= 9; ++k) {
            double amp = 1.0 / std::pow(k, 1.4);
            cycle[i] += amp * (std::sin(x * 127.0 * k) + std::sin(x * 129.0 * k));
        }
    }
    return looped("pad", {}, cycle, 100.0, 20);
}

static SynthSample lead_sample()
{
    // A pulse of about 30 % duty with its top harmonics rolled off: hollow
    // and bright enough to sit above the pad.
    std::vector<double> amps;
    for (int k = 1; k <= 11; ++k)
        amps.push_back(std::sin(3.141592653589793 * k * 0.3) / k * std::exp(-k / 9.0));
    std::vector<double> cycle = harmonic_cycle(32, amps);
    // Four cycles per loop keep the loop long enough to ride the mixer's
    // loop-wrap rule without audible steps.
    std::vector<double> loop;
    for (int r = 0; r < 4; ++r) loop.insert(loop.end(), cycle.begin(), cycle.end());
    return looped("lead", {}, loop, 96.0, 26);
}

static std::vector<double> pluck_wave()
{
    size_t count = static_cast<size_t>(0.55 * kToneRate);
    std::vector<double> w(count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kToneRate;
        double x = kTwoPi * (kToneRate / 32.0) * t;
        double v = 0.0;
        for (int k = 1; k <= 12; ++k) v += std::sin(x * k) / k * std::exp(-t * (3.0 + 2.2 * k));
        w[i] = v * std::fmin(1.0, t / 0.002);
    }
    return w;
}

static SynthSample noise_sample()
{
    // Looping noise for risers; smoothed around the loop so it wraps cleanly.
    const size_t loop = 4096;
    Noise noise{0x51f0a7c3u};
    std::vector<double> white(loop), cycle(loop);
    for (double& v : white) v = next_noise(noise);
    for (size_t i = 0; i < loop; ++i)
        cycle[i] = white[i] + 0.6 * white[(i + loop - 1) % loop] + 0.3 * white[(i + loop - 2) % loop];
    return looped("noise", {}, cycle, 90.0, 16);
}

}  // namespace

void synthesise_samples(Song& song)
{
    song.samples.clear();
    song.samples.resize(kSampleCount);
    song.samples[kKick - 1] = one_shot("kick", kick_wave(), 126.0, 48);
    song.samples[kSnare - 1] = one_shot("snare", snare_wave(), 112.0, 40);
    song.samples[kClosedHat - 1] = one_shot("closed hat", metal_wave(0.08, 0.018, 0x2545f491u, 0.5), 96.0, 24);
    song.samples[kOpenHat - 1] = one_shot("open hat", metal_wave(0.40, 0.12, 0x6c8e9cf5u, 0.5), 96.0, 22);
    song.samples[kCrash - 1] = one_shot("crash", metal_wave(1.40, 0.45, 0x3c6ef372u, 0.8), 104.0, 28);
    song.samples[kBass - 1] = bass_sample();
    song.samples[kPad - 1] = pad_sample();
    song.samples[kLead - 1] = lead_sample();
    song.samples[kPluck - 1] = one_shot("pluck", pluck_wave(), 104.0, 24);
    song.samples[kNoise - 1] = noise_sample();
}
