// Minimal RIFF/WAVE writing for the offline renderer.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr long kWavHeaderSize = 44;

// Writes a 44-byte PCM header for mono audio at the current file position.
// bits is 8 (unsigned samples) or 16 (signed little-endian); data_bytes is
// the size of the sample data that follows. Returns 1 on success, 0 on a
// write error.
int wav_write_header(FILE* file, int32_t rate, int32_t bits, uint32_t data_bytes);
