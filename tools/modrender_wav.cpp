#include "tools/modrender_wav.h"

static void put_u32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; i++) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

static void put_u16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

int wav_write_header(FILE* file, int32_t rate, int32_t bits, uint32_t data_bytes)
{
    const uint32_t block_align = static_cast<uint32_t>(bits / 8);
    uint8_t header[kWavHeaderSize] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0};
    put_u32(header + 4, 36 + data_bytes);
    put_u16(header + 20, 1);  // PCM
    put_u16(header + 22, 1);  // mono
    put_u32(header + 24, static_cast<uint32_t>(rate));
    put_u32(header + 28, static_cast<uint32_t>(rate) * block_align);
    put_u16(header + 32, block_align);
    put_u16(header + 34, static_cast<uint32_t>(bits));
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    put_u32(header + 40, data_bytes);
    return std::fwrite(header, 1, sizeof header, file) == sizeof header ? 1 : 0;
}
