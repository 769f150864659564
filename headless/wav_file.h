// Mono PCM WAV files for the offline tools, written as the sound comes; the
// sizes in the header are filled in when the file is closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

constexpr size_t kWavHeaderSize = 44;
// Bytes gathered before each write to the file: a 280 s render at 16 bits
// (24.7 MB) takes about 25 writes.
constexpr size_t kWavBlockSize = 1 << 20;

struct WavWriter {
    FILE* file = nullptr;               // unbuffered: every write is one whole block
    int32_t rate = 0;                   // samples per second
    int32_t bits = 16;                  // 8 (unsigned samples) or 16 (signed little-endian)
    uint64_t samples = 0;               // appended so far
    bool failed = false;                // a write went wrong
    std::unique_ptr<uint8_t[]> block;   // kWavBlockSize bytes, of which the first
    size_t pending = 0;                 // `pending` are not written yet
};

// Creates the file with a header for no samples yet; false when it can't be
// created.
bool wav_open(WavWriter* wav, const char* path, int32_t rate, int32_t bits);
// Appends 16-bit samples, stored little-endian.
void wav_append(WavWriter* wav, const int16_t* samples, size_t count);
// Appends samples already in the file's byte layout: count samples of
// bits / 8 bytes each.
void wav_append_bytes(WavWriter* wav, const uint8_t* bytes, size_t count);
// Writes what is pending and the final header, and closes; false if any
// write failed (errno tells why).
bool wav_close(WavWriter* wav);
// The 44-byte header for count samples of the given rate and bits.
void wav_header(uint8_t header[kWavHeaderSize], int32_t rate, int32_t bits, uint64_t count);
