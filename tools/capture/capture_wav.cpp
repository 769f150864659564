#include "tools/capture/capture_wav.h"

static void put_u32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

static void put_u16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void wav_header(uint8_t header[44], uint64_t count)
{
    const uint32_t data_bytes = static_cast<uint32_t>(count * 2);
    const uint8_t tags[][4] = {{'R', 'I', 'F', 'F'}, {'W', 'A', 'V', 'E'}, {'f', 'm', 't', ' '}, {'d', 'a', 't', 'a'}};
    for (int i = 0; i < 4; ++i) header[i] = tags[0][i];
    put_u32(header + 4, 36 + data_bytes);
    for (int i = 0; i < 4; ++i) header[8 + i] = tags[1][i];
    for (int i = 0; i < 4; ++i) header[12 + i] = tags[2][i];
    put_u32(header + 16, 16);         // PCM format chunk size
    put_u16(header + 20, 1);          // PCM
    put_u16(header + 22, 1);          // mono
    put_u32(header + 24, 44100);      // samples per second
    put_u32(header + 28, 44100 * 2);  // bytes per second
    put_u16(header + 32, 2);          // bytes per frame
    put_u16(header + 34, 16);         // bits per sample
    for (int i = 0; i < 4; ++i) header[36 + i] = tags[3][i];
    put_u32(header + 40, data_bytes);
}

bool wav_open(WavWriter* wav, const char* path)
{
    *wav = WavWriter{};
    wav->file = std::fopen(path, "wb");
    if (!wav->file) return false;
    uint8_t header[44];
    wav_header(header, 0);
    wav->failed = std::fwrite(header, 1, sizeof header, wav->file) != sizeof header;
    return true;
}

void wav_append(WavWriter* wav, const int16_t* samples, size_t count)
{
    if (!wav->file) return;
    uint8_t bytes[4096];
    size_t done = 0;
    while (done < count) {
        const size_t chunk = count - done < sizeof bytes / 2 ? count - done : sizeof bytes / 2;
        for (size_t i = 0; i < chunk; ++i) put_u16(bytes + 2 * i, static_cast<uint16_t>(samples[done + i]));
        if (std::fwrite(bytes, 2, chunk, wav->file) != chunk) wav->failed = true;
        done += chunk;
    }
    wav->samples += count;
}

bool wav_close(WavWriter* wav)
{
    if (!wav->file) return false;
    uint8_t header[44];
    wav_header(header, wav->samples);
    if (std::fseek(wav->file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, wav->file) != sizeof header)
        wav->failed = true;
    if (std::fclose(wav->file) != 0) wav->failed = true;
    wav->file = nullptr;
    return !wav->failed;
}
