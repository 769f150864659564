// Mono mixer: latch, sum the voices without interpolation, convert.
//
// Per output sample a voice advances its 32.32 position, wraps (looping) or
// ends (one-shot), then adds amplitude * data[position]. The loops below run
// that rule in stretches: they compute how many samples can pass before the
// position could cross the loop end or the sample end, run those in a tight
// loop, and take the crossing sample through the exact per-sample rule. The
// output is identical to stepping sample by sample.
#include "sound/mixer.h"

#include <cstring>

static int32_t mix_accumulator[kMixAccumulatorSize];

// Position and step as one 64-bit number: integer part in the high word.
// Adding them equals the 32-bit add with fraction carry of advance_position.
static uint64_t packed_position(const Voice* voice)
{
    return (static_cast<uint64_t>(voice->position) << 32) | voice->position_fraction;
}

static uint64_t packed_step(const Voice* voice)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(voice->step)) << 32) | voice->step_fraction;
}

static void store_position(Voice* voice, uint64_t position)
{
    voice->position = static_cast<uint32_t>(position >> 32);
    voice->position_fraction = static_cast<uint32_t>(position);
}

// Unsigned arithmetic so that absurd volumes wrap instead of overflowing.
static inline void accumulate(int32_t* entry, uint32_t amplitude, int8_t sample)
{
    *entry = static_cast<int32_t>(static_cast<uint32_t>(*entry) +
                                  amplitude * static_cast<uint32_t>(static_cast<int32_t>(sample)));
}

// Samples that can be taken without the position passing limit (the largest
// packed position still inside): every P + j * step for j = 1..result stays
// at or below limit, without 64-bit wrap.
static int32_t safe_run(uint64_t position, uint64_t step, uint64_t limit, int32_t remaining)
{
    if (position > limit) return 0;
    if (step == 0) return remaining;
    const uint64_t steps = (limit - position) / step;
    return steps < static_cast<uint64_t>(remaining) ? static_cast<int32_t>(steps) : remaining;
}

// The tight loop: run samples from accumulator entry k on, where the caller
// has made sure that no wrap or end can happen. Returns the next entry.
static int32_t mix_run(const int8_t* data, int32_t* accumulator, int32_t k, int32_t run, uint64_t* position,
                       uint64_t step, uint32_t amplitude)
{
    uint64_t p = *position;
    for (const int32_t end = k + run; k < end; ++k) {
        p += step;
        accumulate(&accumulator[k], amplitude, data[p >> 32]);
    }
    *position = p;
    return k;
}

static void mix_looping(Voice* voice, int32_t* accumulator, int32_t count, uint32_t amplitude)
{
    const int8_t* data = voice->data;
    const uint64_t step = packed_step(voice);
    const uint64_t limit = (static_cast<uint64_t>(voice->loop_end) << 32) | 0xFFFFFFFFu;
    uint64_t position = packed_position(voice);
    int32_t k = 0;
    while (k < count) {
        const int32_t run = safe_run(position, step, limit, count - k);
        k = mix_run(data, accumulator, k, run, &position, step, amplitude);
        if (k == count) break;
        // The crossing sample, by the per-sample rule (including 32-bit wrap).
        store_position(voice, position);
        advance_position(voice);
        // The overshoot past the loop end is dropped; the fraction is kept.
        if (voice->position > voice->loop_end) voice->position = voice->loop_start + 1;
        accumulate(&accumulator[k], amplitude, data[voice->position]);
        ++k;
        position = packed_position(voice);
    }
    store_position(voice, position);
}

static void mix_one_shot(Voice* voice, int32_t* accumulator, int32_t count, uint32_t amplitude)
{
    const int8_t* data = voice->data;
    uint64_t step = packed_step(voice);
    uint64_t position = packed_position(voice);
    int32_t k = 0;
    while (k < count) {
        // limit: the last packed position whose integer part is below length.
        const int32_t run = voice->length == 0
                                ? 0
                                : safe_run(position, step, (static_cast<uint64_t>(voice->length) << 32) - 1,
                                           count - k);
        k = mix_run(data, accumulator, k, run, &position, step, amplitude);
        if (k == count) break;
        store_position(voice, position);
        advance_position(voice);
        if (voice->position >= voice->length) {
            // Ended: parked on index 0 with no step until the player triggers
            // it or sets a period. The amplitude of this call still applies,
            // so the rest of the call adds amplitude * data[0].
            voice->position = 0;
            voice->step = 0;
            voice->step_fraction = 0;
            voice->volume = 0;
            step = 0;
        }
        accumulate(&accumulator[k], amplitude, data[voice->position]);
        ++k;
        position = packed_position(voice);
    }
    store_position(voice, position);
}

void mix_voice(Voice* voice, int32_t* accumulator, int32_t count, uint32_t amplitude)
{
    if (count <= 0) return;
    if (voice->looping != 0) {
        mix_looping(voice, accumulator, count, amplitude);
    } else {
        mix_one_shot(voice, accumulator, count, amplitude);
    }
}

static void convert_16_bit(uint8_t* output, const int32_t* accumulator, int32_t count)
{
    for (int32_t k = 0; k < count; ++k) {
        int32_t value = accumulator[k];
        if (value < -32768) value = -32768;
        if (value > 32767) value = 32767;
        const int16_t sample = static_cast<int16_t>(value);
        // Native byte order; the output may sit at any byte offset.
        std::memcpy(output + 2 * k, &sample, sizeof sample);
    }
}

static void convert_8_bit(uint8_t* output, const int32_t* accumulator, int32_t count)
{
    for (int32_t k = 0; k < count; ++k) {
        // Arithmetic shift: floor division by 512, so -1 becomes -1 (127 out).
        int32_t value = accumulator[k] >> 9;
        if (value < -128) value = -128;
        if (value > 127) value = 127;
        output[k] = static_cast<uint8_t>(value + 128);
    }
}

void mix_samples(uint8_t* output, int32_t count, int32_t sixteen_bit)
{
    int32_t mixed = voices.channel_count;
    if (mixed < 0) mixed = 0;
    if (mixed > kVoiceCount) mixed = kVoiceCount;

    for (int32_t i = 0; i < mixed; ++i) latch_voice(&voices.mixer_voices[i], &voices.player_voices[i]);

    // Which voices play and how loud is decided once per call, as if the
    // whole request fitted the accumulator; a larger request is then mixed
    // piece by piece with the same decisions.
    bool active[kVoiceCount];
    uint32_t amplitudes[kVoiceCount];
    for (int32_t i = 0; i < mixed; ++i) {
        const Voice& voice = voices.mixer_voices[i];
        // A skipped voice is not advanced: it resumes where it stopped.
        active[i] = voice.length != 0 && voice.volume != 0;
        // volume * master * 255 / 8064, truncated: 129 at 64 and 64.
        amplitudes[i] = voice.volume * static_cast<uint32_t>(voices.master_volume) * 255u / 8064u;
    }

    const int32_t bytes_per_sample = sixteen_bit != 0 ? 2 : 1;
    int32_t done = 0;
    while (done < count) {
        const int32_t piece = count - done < kMixAccumulatorSize ? count - done : kMixAccumulatorSize;
        std::memset(mix_accumulator, 0, sizeof(int32_t) * static_cast<size_t>(piece));
        for (int32_t i = 0; i < mixed; ++i) {
            if (active[i]) mix_voice(&voices.mixer_voices[i], mix_accumulator, piece, amplitudes[i]);
        }
        uint8_t* out = output + static_cast<size_t>(done) * bytes_per_sample;
        if (sixteen_bit != 0) {
            convert_16_bit(out, mix_accumulator, piece);
        } else {
            convert_8_bit(out, mix_accumulator, piece);
        }
        done += piece;
    }
}
