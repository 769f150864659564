// MOD loader: reads the header, converts the patterns in place and hands the
// samples to the sound device by pointer into the caller's buffer.
#include <cstring>

#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"

const char* last_error = "";

// The buffer pt_takemod is working on and how many bytes of it may be read.
static uint8_t* module_base = nullptr;
static size_t module_size = 0;

constexpr int32_t kHeaderSize = 1084;  // ends with the four-byte signature at 1080

struct SignatureEntry {
    char tag[5];
    uint32_t channels;
};

// Searched in order; "STOP" ends the table and is never matched itself.
static const SignatureEntry signature_table[] = {
    {"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},  {"FLT8", 8},
    {"OCTA", 8},  {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10}, {"12CH", 12}, {"14CH", 14},
    {"16CH", 16}, {"18CH", 18}, {"20CH", 20}, {"22CH", 22}, {"24CH", 24}, {"26CH", 26},
    {"28CH", 28}, {"30CH", 30}, {"32CH", 32}, {"STOP", 0},
};

// Reads past the permitted size give 0 instead of touching memory beyond it;
// pt_takemod refuses such a file before it relies on the values.
static uint8_t pt_getbyte()
{
    const int32_t at = replay.song.cursor;
    replay.song.cursor += 1;
    if (at < 0 || static_cast<size_t>(at) >= module_size) return 0;
    return module_base[at];
}

static uint16_t pt_getword()
{
    const uint16_t high = pt_getbyte();
    const uint16_t low = pt_getbyte();
    return static_cast<uint16_t>((high << 8) | low);
}

static void pt_skip(int32_t count) { replay.song.cursor += count; }

static uint32_t channels_for_signature(const char* signature)
{
    for (const SignatureEntry& entry : signature_table) {
        if (entry.channels == 0) break;
        if (std::memcmp(entry.tag, signature, 4) == 0) return entry.channels;
    }
    return 0;
}

// Note index of a period: the first finetune-0 column whose period does not
// exceed it; 84 (no note) for 0 and for anything below the table.
static uint8_t note_index_of_period(uint32_t period)
{
    int32_t k = 0;
    while (k < kNoNote && period_table[0][k] > period) k++;
    return static_cast<uint8_t>(k);
}

static void pt_convert_pattern(uint8_t* cells)
{
    const uint32_t cell_count = replay.song.channels * 64;
    for (uint32_t i = 0; i < cell_count; i++) {
        uint8_t* cell = cells + i * 4;
        const uint32_t period = ((cell[0] & 0x0Fu) << 8) | cell[1];
        cell[0] = static_cast<uint8_t>((cell[0] & 0xF0) | (cell[2] >> 4));
        cell[2] = cell[2] & 0x0F;
        cell[1] = note_index_of_period(period);
    }
}

static void read_sample_headers()
{
    for (int n = 1; n <= 31; n++) {
        ModSample& sample = replay.samples[n];
        pt_skip(22);
        sample.length = pt_getword() * 2u;
        sample.finetune = pt_getbyte() & 0x0F;
        const uint8_t volume = pt_getbyte();
        sample.volume = volume >= 65 ? 64 : volume;
        sample.loop_start = pt_getword() * 2u;
        sample.loop_length = pt_getword() * 2u;
    }
}

// Cuts a sample to the bytes present and keeps its loop readable. The mixer
// plays a loop up to and including index loop end, so the usual loop that
// ends at the sample's end (loop end = length) reads one byte past the
// sample. That is kept on purpose: it is how such modules sound, and the
// byte (the next sample's first, or the zero padding) is inside the buffer.
// Only when the sample ends at the very end of the buffer is the loop end
// pulled back to the last byte of the sample.
static void fit_sample(ModSample& sample, size_t data_offset)
{
    const size_t available = module_size - data_offset;
    if (sample.length > available) sample.length = static_cast<uint32_t>(available);
    if (sample.length == 0) return;

    const bool byte_after_in_buffer = data_offset + sample.length < module_size;
    const uint64_t loop_end_limit = byte_after_in_buffer ? sample.length : sample.length - 1;
    const uint64_t loop_end = static_cast<uint64_t>(sample.loop_start) + sample.loop_length;
    if (loop_end <= loop_end_limit) return;
    if (sample.loop_start < loop_end_limit) {
        sample.loop_length = static_cast<uint32_t>(loop_end_limit - sample.loop_start);
    } else {
        sample.loop_start = 0;
        sample.loop_length = 0;
    }
}

static void register_samples()
{
    for (int n = 1; n <= 31; n++) {
        ModSample& sample = replay.samples[n];
        if (sample.length == 0) continue;
        fit_sample(sample, static_cast<size_t>(replay.song.cursor));
        if (sample.length == 0) continue;
        const int8_t* data = reinterpret_cast<const int8_t*>(module_base + replay.song.cursor);
        const int32_t looping = sample.loop_length > 2 ? 1 : 0;
        sound_device.register_sample(n, data, sample.length, sample.loop_start,
                                     sample.loop_start + sample.loop_length, looping);
        replay.song.cursor += static_cast<int32_t>(sample.length);
    }
}

static int refuse(const char* reason)
{
    last_error = reason;
    replay.song.channels = 0;
    return 0;
}

int pt_takemod(uint8_t* data, size_t size)
{
    module_base = data;
    module_size = size;
    replay.song.channels = 0;
    replay.song.cursor = 0;
    if (data == nullptr || size < static_cast<size_t>(kHeaderSize))
        return refuse("pt_takemod error: module header is incomplete!");

    pt_skip(20);
    read_sample_headers();
    replay.song.song_length = pt_getbyte();
    const uint8_t restart = pt_getbyte();
    replay.song.restart = restart >= 127 ? 0 : restart;
    for (uint8_t& entry : replay.song.order) entry = pt_getbyte();
    for (int i = 0; i < 4; i++) replay.song.signature[i] = static_cast<char>(pt_getbyte());
    replay.song.signature[4] = '\0';

    const uint32_t channels = channels_for_signature(replay.song.signature);
    if (channels == 0) return refuse("pt_takemod error: unknown module type!");
    if (replay.song.song_length == 0) return refuse("pt_takemod error: song length is 0!");
    // The order table has 128 entries; a longer song plays those.
    if (replay.song.song_length > 128) replay.song.song_length = 128;

    uint8_t last_pattern = 0;
    for (uint8_t entry : replay.song.order) {
        if (entry > 127) return refuse("pt_takemod error: order entry above 127!");
        if (entry > last_pattern) last_pattern = entry;
    }
    replay.song.last_pattern = last_pattern;

    const size_t pattern_bytes = static_cast<size_t>(channels) * 256;
    if (kHeaderSize + (last_pattern + 1u) * pattern_bytes > size)
        return refuse("pt_takemod error: patterns reach past the end of the module!");

    replay.song.channels = channels;
    for (uint32_t p = 0; p <= last_pattern; p++) {
        replay.song.patterns[p] = module_base + replay.song.cursor;
        pt_convert_pattern(module_base + replay.song.cursor);
        replay.song.cursor += static_cast<int32_t>(pattern_bytes);
    }
    register_samples();
    sound_device.set_channel_count(static_cast<int32_t>(channels));
    return 1;
}
