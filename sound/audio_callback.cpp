// SDL audio callback: the buffer is cut into tick-sized slices, one player
// tick before each slice, and a slice that does not fit is finished at the start
// of the next buffer without another tick. So the music advances exactly
// tick_rate ticks per second of output, whatever the buffer size.
#include <cstring>

#include "sound/mixer.h"
#include "sound/sound_device.h"

// Samples of the last tick's slice still owed to the next callback.
static int32_t carry = 0;

void reset_audio_carry()
{
    carry = 0;
}

void audio_callback(void*, uint8_t* stream, int length)
{
    if (sound_mode != 1 && sound_mode != 2) return;
    const bool sixteen_bit = sound_mode == 2;
    const int32_t bytes_per_sample = sixteen_bit ? 2 : 1;
    const int32_t samples = length / bytes_per_sample;  // L: samples in this buffer
    const int32_t rate = sound_mode_rate(sound_mode);
    if (samples <= 0) return;
    const int32_t ticks_per_second = tick_rate.load(std::memory_order_acquire);
    const int32_t slice = ticks_per_second > 0 ? rate / ticks_per_second : 0;
    if (slice <= 0) {
        // No usable tick rate: nothing could ever be scheduled, so play
        // silence rather than loop forever or leave the buffer unwritten.
        std::memset(stream, sixteen_bit ? 0 : 128, static_cast<size_t>(samples) * bytes_per_sample);
        return;
    }

    if (carry > samples) {
        // Only with a slice longer than the buffer (very low tick rates):
        // spread the owed samples over as many buffers as they need instead
        // of overrunning this one.
        mix_samples(stream, samples, sixteen_bit);
        carry -= samples;
        return;
    }
    // The samples owed to the previous callback's last tick come first.
    int32_t fill = 0;
    if (carry != 0) {
        mix_samples(stream, carry, sixteen_bit);
        fill = carry;
    }
    while (fill + slice <= samples) {
        run_tick();
        mix_samples(stream + static_cast<size_t>(fill) * bytes_per_sample, slice, sixteen_bit);
        fill += slice;
    }
    // Always a tick here: its slice starts with what is left of this buffer
    // (possibly nothing, which still latches the voices) and the rest is owed.
    const int32_t part = samples - fill;
    run_tick();
    mix_samples(stream + static_cast<size_t>(fill) * bytes_per_sample, part, sixteen_bit);
    carry = slice - part;
}
