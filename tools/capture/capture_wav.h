// Mono 16-bit 44100 Hz WAV output, written as the capture goes; the sizes in
// the header are filled in when the file is closed.
#pragma once
#include <cstdint>
#include <cstdio>

struct WavWriter {
    FILE* file = nullptr;
    uint64_t samples = 0;
    bool failed = false;
};

// False when the file can't be created.
bool wav_open(WavWriter* wav, const char* path);
void wav_append(WavWriter* wav, const int16_t* samples, size_t count);
// Writes the final header and closes; false if any write failed.
bool wav_close(WavWriter* wav);
// The 44-byte header for count samples.
void wav_header(uint8_t header[44], uint64_t count);
