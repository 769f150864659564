// The score's vocabulary: checked cells, chords, and the text notations the
// section writers write their lines in.
#include "tools/soundtrack/soundtrack_notation.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

void score_error(const char* what, int row, int ch)
{
    std::fprintf(stderr, "make_soundtrack: %s (row %d, channel %d)\n", what, row, ch);
    std::exit(1);
}

Cell& cell_at(Pattern& p, int row, int ch)
{
    if (row < 0 || row >= kPatternRows || ch < 0 || ch >= kSongChannels) score_error("cell outside the pattern", row, ch);
    return p.cells[row][ch];
}

// Splits "row:WORD" tokens; returns false at the end of the line.
static bool next_token(const char*& cursor, int& row, std::string& word)
{
    while (*cursor == ' ') ++cursor;
    if (!*cursor) return false;
    char* end = nullptr;
    long value = std::strtol(cursor, &end, 10);
    if (end == cursor || *end != ':') score_error("malformed score token", -1, -1);
    row = static_cast<int>(value);
    cursor = end + 1;
    word.clear();
    while (*cursor && *cursor != ' ') word.push_back(*cursor++);
    return true;
}

Chord chord_named(const char* name)
{
    struct Named {
        const char* name;
        const char* pad;
        const char* bass;
        int32_t third;
    };
    static const Named chords[] = {
        {"Am", "A-2", "A-1", 3}, {"F", "F-2", "F-1", 4}, {"C", "C-3", "C-2", 4}, {"G", "G-2", "G-1", 4},
        {"Dm", "D-3", "D-2", 3}, {"Em", "E-2", "E-1", 3}, {"E", "E-2", "E-1", 4},
    };
    for (const Named& c : chords)
        if (std::strcmp(c.name, name) == 0)
            return Chord{note_index(c.pad), note_index(c.bass), c.third == 3 ? 0x37 : 0x47, c.third};
    score_error("unknown chord", -1, -1);
}

void put_note(Pattern& p, int row, int ch, int32_t sample, int32_t note, int32_t command, int32_t param)
{
    cell_at(p, row, ch) = Cell{sample, note, command, param};
}

void put_fx(Pattern& p, int row, int ch, int32_t command, int32_t param)
{
    Cell& c = cell_at(p, row, ch);
    bool empty = c.command == 0 && c.param == 0;
    if (!empty && (c.command != command || c.param != param)) score_error("two effects on one cell", row, ch);
    c.command = command;
    c.param = param;
}

void replace_fx(Pattern& p, int row, int ch, int32_t command, int32_t param)
{
    Cell& c = cell_at(p, row, ch);
    c.command = command;
    c.param = param;
}

void write_drum_bars(Pattern& p, int ch, const char* bar_line)
{
    for (int bar = 0; bar < 4; ++bar) write_drums(p, ch, bar_line, bar * 16);
}

void write_glide(Pattern& p, int row, int ch, int32_t sample, int32_t note, int32_t speed, int last_row)
{
    put_note(p, row, ch, sample, note, kTonePorta, speed);
    for (int r = row + 1; r <= last_row; ++r) put_fx(p, r, ch, kTonePorta, 0);
}

void clear_rows(Pattern& p, int ch, int first, int last)
{
    for (int r = first; r <= last; ++r) cell_at(p, r, ch) = Cell{0, kNoCellNote, 0, 0};
}

void write_drums(Pattern& p, int ch, const char* line, int row_offset)
{
    int row = 0;
    std::string word;
    while (next_token(line, row, word)) {
        Cell c{0, kDrumNote, 0, 0};
        switch (word[0]) {
        case 'K': c.sample = kKick; break;
        case 'k': c = Cell{kKick, kDrumNote, kSetVolume, 26}; break;
        case 'S': c.sample = kSnare; break;
        case 'g': c = Cell{kSnare, kDrumNote, kSampleOffset, 0x03}; break;   // past the crack
        case 'f': c = Cell{kSnare, kDrumNote, kExtended, ext(kNoteDelay, 3)}; break;
        case 'h': c = Cell{kClosedHat, kCymbalNote, kExtended, ext(kNoteCut, 2)}; break;
        case 'H': c = Cell{kOpenHat, kCymbalNote, 0, 0}; break;
        case 'X': c = Cell{kCrash, kCymbalNote, 0, 0}; break;
        case 'r': c = Cell{kSnare, kDrumNote, kExtended, ext(kRetrigger, std::atoi(word.c_str() + 1))}; break;
        default: score_error("unknown drum symbol", row, ch);
        }
        put_note(p, row + row_offset, ch, c.sample, c.note, c.command, c.param);
    }
}

void write_bass_bars(Pattern& p, const char* const chords[4], const char* bar_line)
{
    for (int bar = 0; bar < 4; ++bar) {
        int32_t root = chord_named(chords[bar]).bass_root;
        const char* cursor = bar_line;
        int row = 0;
        std::string word;
        while (next_token(cursor, row, word)) {
            char* end = nullptr;
            int32_t note = root + static_cast<int32_t>(std::strtol(word.c_str(), &end, 10));
            int32_t command = 0;
            int32_t param = 0;
            if (*end == 's') command = kExtended, param = ext(kNoteCut, 3);
            if (*end == 'o') command = kSampleOffset, param = 0x01;
            if (*end == '/') command = kTonePorta, param = 0x10;
            put_note(p, bar * 16 + row, kBassCh, kBass, note, command, param);
        }
    }
}

void write_melody(Pattern& p, int ch, int32_t sample, const char* line, int32_t volume, int32_t vibrato)
{
    struct Event {
        int row;
        std::string word;
    };
    std::vector<Event> events;
    int row = 0;
    std::string word;
    while (next_token(line, row, word)) events.push_back({row, word});
    for (size_t i = 0; i < events.size(); ++i) {
        int start = events[i].row;
        int stop = i + 1 < events.size() ? events[i + 1].row : kPatternRows;
        const std::string& w = events[i].word;
        if (w == "-") {
            put_note(p, start, ch, 0, kNoCellNote, kSetVolume, 0);
        } else if (w == "~") {
            for (int r = start; r < stop; ++r) put_fx(p, r, ch, kVibratoSlide, 0x02);
        } else {
            put_note(p, start, ch, sample, note_index(w.c_str()), kSetVolume, volume);
            if (vibrato)
                for (int r = start + 2; r < stop; ++r) put_fx(p, r, ch, kVibrato, vibrato);
        }
    }
}

void write_chip_chords(Pattern& p, const char* const chords[4], const int* strike_rows)
{
    for (int bar = 0; bar < 4; ++bar) {
        Chord c = chord_named(chords[bar]);
        for (int r = 0; r < 16; ++r) put_fx(p, bar * 16 + r, kChordCh, kArpeggio, c.arpeggio);
        put_note(p, bar * 16, kChordCh, kPad, c.pad_root, kArpeggio, c.arpeggio);
        for (const int* s = strike_rows; *s >= 0; ++s)
            put_note(p, bar * 16 + *s, kChordCh, kPad, c.pad_root, kArpeggio, c.arpeggio);
    }
}

void write_pluck_arps(Pattern& p, int ch, const char* const chords[4], const int* step_tones, int step,
                      int32_t volume)
{
    int count = 0;
    while (step_tones[count] >= 0) ++count;
    int index = 0;
    for (int bar = 0; bar < 4; ++bar) {
        Chord c = chord_named(chords[bar]);
        const int32_t offsets[6] = {0, c.third, 7, 12, 12 + c.third, 19};
        for (int r = 0; r < 16; r += step) {
            int32_t note = c.pad_root - 12 + offsets[step_tones[index++ % count]];
            put_note(p, bar * 16 + r, ch, kPluck, note, kSetVolume, volume);
        }
    }
}
