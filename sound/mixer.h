// Mono mixer: sums the mixer-side voices into a 32-bit accumulator and
// converts to unsigned 8-bit or signed 16-bit output.
#pragma once
#include <cstdint>
#include "sound/voices.h"

constexpr int kMixAccumulatorSize = 20480;

// Writes count mono samples to output: signed 16-bit native order when
// sixteen_bit is non-zero (2 bytes each), else unsigned 8-bit (1 byte each).
// Latches the player-side voices first. Allocation-free.
void mix_samples(uint8_t* output, int32_t count, int32_t sixteen_bit);
// Adds count samples of one voice, scaled by amplitude, into accumulator.
void mix_voice(Voice* voice, int32_t* accumulator, int32_t count, uint32_t amplitude);
