// Turns the composed song into the bytes of a 4-channel "M.K." module, and
// reads tracker note names for the score.
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

static void put_word(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

static void put_text(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

static void put_sample_header(std::vector<uint8_t>& out, const SynthSample* s)
{
    if (!s) {
        put_text(out, "", 22);
        put_word(out, 0);
        out.push_back(0);
        out.push_back(0);
        put_word(out, 0);
        put_word(out, 1);
        return;
    }
    if (s->data.size() % 2 || s->data.size() > 131070) fail("bad sample length", s->name.c_str());
    if (s->loop_start + s->loop_length > s->data.size()) fail("loop past the sample end", s->name.c_str());
    put_text(out, s->name, 22);
    put_word(out, static_cast<uint32_t>(s->data.size() / 2));
    out.push_back(static_cast<uint8_t>(s->finetune & 0x0F));
    out.push_back(static_cast<uint8_t>(s->volume));
    put_word(out, s->loop_start / 2);
    put_word(out, s->loop_length / 2);
}

static void put_cell(std::vector<uint8_t>& out, const Cell& c)
{
    uint32_t period = 0;
    if (c.note != kNoCellNote) {
        if (c.note < kFirstNote || c.note > kLastNote) fail("note outside C-1..B-3", "pattern cell");
        period = kPeriods[c.note - kFirstNote];
    }
    if (c.sample < 0 || c.sample > 31 || c.command < 0 || c.command > 15 || c.param < 0 || c.param > 255)
        fail("cell field out of range", "pattern cell");
    out.push_back(static_cast<uint8_t>((c.sample & 0xF0) | (period >> 8)));
    out.push_back(static_cast<uint8_t>(period & 0xFF));
    out.push_back(static_cast<uint8_t>(((c.sample & 0x0F) << 4) | c.command));
    out.push_back(static_cast<uint8_t>(c.param));
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
    std::vector<uint8_t> out;
    put_text(out, "zentaro", 20);
    for (size_t n = 0; n < 31; ++n) put_sample_header(out, n < song.samples.size() ? &song.samples[n] : nullptr);
    out.push_back(static_cast<uint8_t>(song.order.size()));
    out.push_back(0);  // restart at the first order position
    int32_t highest = 0;
    for (size_t i = 0; i < 128; ++i) {
        int32_t pattern = i < song.order.size() ? song.order[i] : 0;
        if (pattern < 0 || pattern >= static_cast<int32_t>(song.patterns.size())) fail("order names no pattern", "order");
        if (pattern > highest) highest = pattern;
        out.push_back(static_cast<uint8_t>(pattern));
    }
    put_text(out, "M.K.", 4);
    // Every pattern up to the highest one named is stored, as readers expect.
    for (int32_t p = 0; p <= highest; ++p)
        for (int row = 0; row < kPatternRows; ++row)
            for (int ch = 0; ch < kSongChannels; ++ch) put_cell(out, song.patterns[p].cells[row][ch]);
    for (const SynthSample& s : song.samples) out.insert(out.end(), s.data.begin(), s.data.end());
    return out;
}
