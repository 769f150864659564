// A small ProTracker MOD writer for the soundtrack generator, the tests and
// the benchmarks: describe a module in a ModWriter, then mw_build gives the
// file bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MwCell {
    uint8_t sample = 0;    // 0..255 (0 = none); high nibble and low nibble are split in the file
    uint16_t period = 0;   // 12-bit Amiga period, 0 = no note
    uint8_t command = 0;   // 0..15
    uint8_t param = 0;
};

struct MwSample {
    std::vector<int8_t> data;     // written after the patterns
    int32_t length_words = -1;    // header length in words; -1: (data.size() + 1) / 2
    uint8_t finetune = 0;         // header byte as written
    uint8_t volume = 64;          // header byte as written
    uint16_t loop_start_words = 0;
    uint16_t loop_length_words = 1;
};

struct ModWriter {
    std::string title;            // up to 20 bytes kept, zero-padded
    char signature[4] = {'M', '.', 'K', '.'};
    uint32_t channels = 4;        // cells per row written
    uint8_t song_length = 1;
    uint8_t restart = 0;
    uint8_t order[128] = {};
    // Patterns by number, each 64 * channels cells; missing ones are written empty.
    std::vector<std::vector<MwCell>> patterns;
    MwSample samples[32];         // 1..31 used
    std::string sample_names[32]; // up to 22 bytes kept, zero-padded
    // Patterns written: -1 = highest order entry + 1 (what a loader expects).
    int32_t pattern_count = -1;
};

// Sets one cell, growing the pattern list as needed.
void mw_set_cell(ModWriter& writer, int pattern, int row, int channel, MwCell cell);
// The whole file: header, patterns, then sample data of samples 1..31 in order,
// each data vector written as it is, padded with one zero byte to even length.
std::vector<uint8_t> mw_build(const ModWriter& writer);
// Byte offset of the first pattern in the file.
constexpr uint32_t kMwPatternOffset = 1084;
