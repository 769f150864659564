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
    int32_t samples = 0;  // L: samples in this buffer
    int32_t rate = 0;
    int32_t bytes_per_sample = 0;
    if (sound_mode == 1) {
        samples = length;
        rate = sound_mode_rate(1);
        bytes_per_sample = 1;
    } else if (sound_mode == 2) {
        samples = length / 2;
        rate = sound_mode_rate(2);
        bytes_per_sample = 2;
    } else {
        return;
    }
    if (samples <= 0) return;
    const int32_t sixteen_bit = bytes_per_sample == 2 ? 1 : 0;
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
