// Straightforward per-sample mixer rules, written independently of the
// library, to check the library's stretch-by-stretch mixer against.
#pragma once
#include <cstdint>

#include "sound/voices.h"

inline void reference_advance(Voice& v)
{
    v.position += static_cast<uint32_t>(v.step);
    const uint32_t before = v.position_fraction;
    v.position_fraction += v.step_fraction;
    if (v.position_fraction < before) v.position += 1;
}

inline void reference_mix_voice(Voice& v, int32_t* acc, int32_t n, uint32_t a)
{
    for (int32_t k = 0; k < n; ++k) {
        reference_advance(v);
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

inline void reference_latch(Voice& m, Voice& p)
{
    const Voice kept = m;
    m = p;
    if (p.new_note == 0) {
        m.position = kept.position;
        m.position_fraction = kept.position_fraction;
    }
    if (p.period_changed == 0) {
        m.step = kept.step;
        m.step_fraction = kept.step_fraction;
    }
    p.new_note = 0;
    p.period_changed = 0;
}

// One whole request with an unbounded accumulator (acc must hold n entries).
inline void reference_mix_samples(Voice* mixer, Voice* player, int32_t channels, int32_t master,
                                  int32_t* acc, uint8_t* out, int32_t n, bool sixteen_bit)
{
    for (int32_t i = 0; i < channels; ++i) reference_latch(mixer[i], player[i]);
    for (int32_t k = 0; k < n; ++k) acc[k] = 0;
    for (int32_t i = 0; i < channels; ++i) {
        if (mixer[i].length == 0 || mixer[i].volume == 0) continue;
        const uint32_t a = mixer[i].volume * static_cast<uint32_t>(master) * 255u / 8064u;
        reference_mix_voice(mixer[i], acc, n, a);
    }
    for (int32_t k = 0; k < n; ++k) {
        if (sixteen_bit) {
            const int32_t v = acc[k] < -32768 ? -32768 : acc[k] > 32767 ? 32767 : acc[k];
            out[2 * k] = static_cast<uint8_t>(v & 0xFF);
            out[2 * k + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
        } else {
            int32_t v = acc[k] >> 9;
            v = v < -128 ? -128 : v > 127 ? 127 : v;
            out[k] = static_cast<uint8_t>(v + 128);
        }
    }
}
