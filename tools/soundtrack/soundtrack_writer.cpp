// Turns the composed song into the bytes of a 4-channel "M.K." module, and
// reads tracker note names for the score.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/common/mod_writer.h"
#include "tools/soundtrack/soundtrack_song.h"

namespace {

constexpr int kFirstNote = 24;  // C-1
constexpr int kLastNote = 59;   // B-3

// The three ProTracker octaves at finetune 0, C-1 to B-3.
const uint16_t kPeriods[36] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};

[[noreturn]] static void fail(const char* what, const char* detail)
{
    std::fprintf(stderr, "make_soundtrack: %s: %s\n", what, detail);
    std::exit(1);
}

// Checks a sample the way the file format needs it and describes it.
static MwSample sample_entry(const SynthSample& s)
{
    if (s.data.size() % 2 || s.data.size() > 131070) fail("bad sample length", s.name.c_str());
    if (s.loop_start + s.loop_length > s.data.size()) fail("loop past the sample end", s.name.c_str());
    MwSample entry;
    entry.data = s.data;
    entry.finetune = static_cast<uint8_t>(s.finetune & 0x0F);
    entry.volume = static_cast<uint8_t>(s.volume);
    entry.loop_start_words = static_cast<uint16_t>(s.loop_start / 2);
    entry.loop_length_words = static_cast<uint16_t>(s.loop_length / 2);
    return entry;
}

static MwCell cell_entry(const Cell& c)
{
    uint16_t period = 0;
    if (c.note != kNoCellNote) {
        if (c.note < kFirstNote || c.note > kLastNote) fail("note outside C-1..B-3", "pattern cell");
        period = kPeriods[c.note - kFirstNote];
    }
    if (c.sample < 0 || c.sample > 31 || c.command < 0 || c.command > 15 || c.param < 0 || c.param > 255)
        fail("cell field out of range", "pattern cell");
    return MwCell{static_cast<uint8_t>(c.sample), period, static_cast<uint8_t>(c.command),
                  static_cast<uint8_t>(c.param)};
}

}  // namespace

int32_t note_index(const char* name)
{
    static const char* const letters[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                            "F#", "G-", "G#", "A-", "A#", "B-"};
    if (std::strlen(name) == 3) {
        for (int semitone = 0; semitone < 12; ++semitone) {
            if (name[0] == letters[semitone][0] && name[1] == letters[semitone][1] &&
                name[2] >= '1' && name[2] <= '3')
                return kFirstNote + (name[2] - '1') * 12 + semitone;
        }
    }
    fail("unknown note name", name);
}

std::vector<uint8_t> write_module(const Song& song)
{
    if (song.order.empty() || song.order.size() > 128) fail("bad order list", "length");
    if (song.samples.size() > 31) fail("too many samples", "more than 31");
    ModWriter writer;
    writer.title = "zentaro";
    writer.channels = kSongChannels;
    writer.song_length = static_cast<uint8_t>(song.order.size());
    writer.restart = 0;  // restart at the first order position
    for (size_t n = 0; n < song.samples.size(); ++n) {
        writer.samples[n + 1] = sample_entry(song.samples[n]);
        writer.sample_names[n + 1] = song.samples[n].name;
    }
    for (size_t n = song.samples.size() + 1; n <= 31; ++n) writer.samples[n].volume = 0;  // unused slots
    for (size_t i = 0; i < song.order.size(); ++i) {
        const int32_t pattern = song.order[i];
        if (pattern < 0 || pattern >= static_cast<int32_t>(song.patterns.size())) fail("order names no pattern", "order");
        writer.order[i] = static_cast<uint8_t>(pattern);
    }
    // Every pattern up to the highest one named is stored, as readers expect.
    for (int32_t p = 0; p < static_cast<int32_t>(song.patterns.size()); ++p)
        for (int row = 0; row < kPatternRows; ++row)
            for (int ch = 0; ch < kSongChannels; ++ch) mw_set_cell(writer, p, row, ch, cell_entry(song.patterns[p].cells[row][ch]));
    return mw_build(writer);
}
