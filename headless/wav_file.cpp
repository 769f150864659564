#include "headless/wav_file.h"

#include <cstring>

static void put_u32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

static void put_u16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void wav_header(uint8_t header[kWavHeaderSize], int32_t rate, int32_t bits, uint64_t count)
{
    const uint32_t bytes_per_sample = static_cast<uint32_t>(bits / 8);
    const uint32_t data_bytes = static_cast<uint32_t>(count * bytes_per_sample);
    const uint8_t tags[][4] = {{'R', 'I', 'F', 'F'}, {'W', 'A', 'V', 'E'}, {'f', 'm', 't', ' '}, {'d', 'a', 't', 'a'}};
    for (int i = 0; i < 4; ++i) header[i] = tags[0][i];
    put_u32(header + 4, 36 + data_bytes);
    for (int i = 0; i < 4; ++i) header[8 + i] = tags[1][i];
    for (int i = 0; i < 4; ++i) header[12 + i] = tags[2][i];
    put_u32(header + 16, 16);  // PCM format chunk size
    put_u16(header + 20, 1);   // PCM
    put_u16(header + 22, 1);   // mono
    put_u32(header + 24, static_cast<uint32_t>(rate));
    put_u32(header + 28, static_cast<uint32_t>(rate) * bytes_per_sample);  // bytes per second
    put_u16(header + 32, static_cast<uint16_t>(bytes_per_sample));         // bytes per frame
    put_u16(header + 34, static_cast<uint16_t>(bits));
    for (int i = 0; i < 4; ++i) header[36 + i] = tags[3][i];
    put_u32(header + 40, data_bytes);
}

// Writes the pending bytes as one block.
static void flush_block(WavWriter* wav)
{
    if (wav->pending != 0 && std::fwrite(wav->block.get(), 1, wav->pending, wav->file) != wav->pending)
        wav->failed = true;
    wav->pending = 0;
}

// Room for at least `least` more bytes in the block.
static uint8_t* block_room(WavWriter* wav, size_t least, size_t* room)
{
    if (kWavBlockSize - wav->pending < least) flush_block(wav);
    *room = kWavBlockSize - wav->pending;
    return wav->block.get() + wav->pending;
}

bool wav_open(WavWriter* wav, const char* path, int32_t rate, int32_t bits)
{
    *wav = WavWriter{};
    wav->rate = rate;
    wav->bits = bits;
    wav->file = std::fopen(path, "wb");
    if (!wav->file) return false;
    // The writer gathers whole blocks itself; stdio would cut them into
    // pieces of its own buffer size.
    std::setvbuf(wav->file, nullptr, _IONBF, 0);
    wav->block = std::make_unique_for_overwrite<uint8_t[]>(kWavBlockSize);  // no need to clear it
    wav_header(wav->block.get(), rate, bits, 0);
    wav->pending = kWavHeaderSize;
    return true;
}

void wav_append(WavWriter* wav, const int16_t* samples, size_t count)
{
    if (!wav->file) return;
    size_t done = 0;
    while (done < count) {
        size_t room = 0;
        uint8_t* at = block_room(wav, 2, &room);
        const size_t chunk = count - done < room / 2 ? count - done : room / 2;
        for (size_t i = 0; i < chunk; ++i) put_u16(at + 2 * i, static_cast<uint16_t>(samples[done + i]));
        wav->pending += 2 * chunk;
        done += chunk;
    }
    wav->samples += count;
}

void wav_append_bytes(WavWriter* wav, const uint8_t* bytes, size_t count)
{
    if (!wav->file) return;
    const size_t size = count * static_cast<size_t>(wav->bits / 8);
    size_t done = 0;
    while (done < size) {
        size_t room = 0;
        uint8_t* at = block_room(wav, 1, &room);
        const size_t chunk = size - done < room ? size - done : room;
        std::memcpy(at, bytes + done, chunk);
        wav->pending += chunk;
        done += chunk;
    }
    wav->samples += count;
}

bool wav_close(WavWriter* wav)
{
    if (!wav->file) return false;
    flush_block(wav);
    uint8_t header[kWavHeaderSize];
    wav_header(header, wav->rate, wav->bits, wav->samples);
    if (std::fseek(wav->file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, wav->file) != sizeof header)
        wav->failed = true;
    if (std::fclose(wav->file) != 0) wav->failed = true;
    wav->file = nullptr;
    wav->block.reset();
    return !wav->failed;
}
