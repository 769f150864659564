// The soundtrack generator's in-memory song: synthesised samples, pattern
// cells in note-index form and the order list, before they become MOD bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kSongChannels = 4;
constexpr int kPatternRows = 64;
constexpr int kNoCellNote = -1;

// Sample numbers as they appear in pattern cells (1-based, as in the file).
enum SampleId : int {
    kKick = 1,
    kSnare = 2,
    kClosedHat = 3,
    kOpenHat = 4,
    kCrash = 5,
    kBass = 6,
    kPad = 7,
    kLead = 8,
    kPluck = 9,
    kNoise = 10,
    kSampleCount = 10,
};

// One synthesised sample. Lengths and loop points are in bytes and always
// even, because the file stores them in 16-bit words. loop_length 2 means
// "plays once", as trackers write it.
struct SynthSample {
    std::string name;
    std::vector<int8_t> data;
    int32_t volume;        // default volume 0..64
    int32_t finetune;      // 0..15 (8..15 are -8..-1)
    uint32_t loop_start;   // bytes
    uint32_t loop_length;  // bytes; 2 = no loop
};

// A cell before conversion to file bytes: note is a column of the finetune-0
// period row (24 = C-1 .. 59 = B-3), or kNoCellNote.
struct Cell {
    int32_t sample;
    int32_t note;
    int32_t command;  // 0..15
    int32_t param;    // 0..255
};

struct Pattern {
    Cell cells[kPatternRows][kSongChannels];
};

struct Song {
    std::vector<SynthSample> samples;  // index 0 is sample 1
    std::vector<Pattern> patterns;
    std::vector<int32_t> order;        // pattern number per order position
};

// Note index from a tracker note name "C-1".."B-3" (sharps as "C#2").
// Aborts with a message on anything else, since a typo in the score is a bug.
int32_t note_index(const char* name);

// Fills song.samples with every instrument, deterministically.
void synthesise_samples(Song& song);

// Writes every pattern and the order list into song (samples must exist).
void compose_song(Song& song);

// Serialises the song as a 4-channel "M.K." module.
std::vector<uint8_t> write_module(const Song& song);
