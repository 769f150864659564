// Score helpers shared by the section writers, and the assembly of the whole
// song: sections in order, then the kicks and accents that the picture
// flashes are timed to.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gfx/effects/flash_tables.h"
#include "tools/soundtrack/soundtrack_score.h"

namespace {

[[noreturn]] static void score_error(const char* what, int row, int ch)
{
    std::fprintf(stderr, "make_soundtrack: %s (row %d, channel %d)\n", what, row, ch);
    std::exit(1);
}

static Cell& cell_at(Pattern& p, int row, int ch)
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

static Pattern blank_pattern()
{
    Pattern p;
    for (auto& row : p.cells)
        for (Cell& c : row) c = Cell{0, kNoCellNote, 0, 0};
    return p;
}

static int32_t order_of(int32_t position) { return position / 100; }
static int32_t row_of(int32_t position) { return position % 100; }

static bool order_has_kick(int32_t order_pos)
{
    for (const int32_t* k = kick_positions; *k >= 0; ++k)
        if (order_of(*k) == order_pos) return true;
    return false;
}

// Kicks the flashes pulse on: the drum channel plays the kick at full
// volume there, keeping tempo and loop effects already placed on the cell.
static void place_kicks(Song& song)
{
    for (const int32_t* k = kick_positions; *k >= 0; ++k) {
        Pattern& p = song.patterns[song.order[order_of(*k)]];
        Cell& c = cell_at(p, row_of(*k), kDrumCh);
        int32_t sub = c.command == kExtended ? c.param >> 4 : -1;
        if (c.command == kSampleOffset || sub == kRetrigger || sub == kNoteCut || sub == kNoteDelay)
            score_error("a synced kick would be shifted or cut", row_of(*k), kDrumCh);
        c.sample = kKick;
        c.note = kDrumNote;
        if (c.command == kSetVolume) c.command = 0, c.param = 0;
    }
}

// Accents the overlay flashes on: a crash on the top channel while the kick
// owns the drum channel, on the drum channel in the parts without kick.
static void place_accents(Song& song)
{
    for (const int32_t* a = overlay_positions; *a >= 0; ++a) {
        int32_t order_pos = order_of(*a);
        int ch = order_has_kick(order_pos) ? kTopCh : kDrumCh;
        Cell& c = cell_at(song.patterns[song.order[order_pos]], row_of(*a), ch);
        bool continuation = c.command == kVibrato || c.command == kVibratoSlide || c.command == kTremolo ||
                            c.command == kVolumeSlide || c.command == kSetVolume ||
                            (c.command == kArpeggio) || c.command == kPortaUp;
        if (!continuation) score_error("an accent would replace a structural effect", row_of(*a), ch);
        int32_t volume = order_pos < 4 ? 24 : (order_pos >= 16 ? 30 : 28);
        c = Cell{kCrash, kCymbalNote, kSetVolume, volume};
        // A held note's vibrato or slide must not bend the cymbal that
        // replaced it: clear those until the channel's next note.
        Pattern& p = song.patterns[song.order[order_pos]];
        for (int r = row_of(*a) + 1; r < kPatternRows; ++r) {
            Cell& next = cell_at(p, r, ch);
            if (next.sample || next.note != kNoCellNote) break;
            if (next.command == kVibrato || next.command == kVibratoSlide || next.command == kTremolo ||
                next.command == kArpeggio || next.command == kPortaUp || next.command == kTonePorta)
                next.command = 0, next.param = 0;
        }
    }
}

}  // namespace

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

void compose_song(Song& song)
{
    const int order_count = kOrderPictureCount;  // one order position per picture slot
    song.patterns.assign(order_count, blank_pattern());
    song.order.clear();
    for (int i = 0; i < order_count; ++i) song.order.push_back(i);
    for (int i = 0; i < 4; ++i) write_intro(song.patterns[i], i);
    write_drop(song.patterns[4], 4);
    write_drop(song.patterns[5], 5);
    write_breakdown(song.patterns[6]);
    for (int i = 7; i <= 8; ++i) write_section_pluck(song.patterns[i], i);
    for (int i = 9; i <= 10; ++i) write_section_gate(song.patterns[i], i);
    for (int i = 11; i <= 12; ++i) write_section_lead(song.patterns[i], i);
    for (int i = 13; i <= 14; ++i) write_section_broken(song.patterns[i], i);
    for (int i = 15; i <= 18; ++i) write_finale(song.patterns[i], i);
    write_outro(song.patterns[19]);
    place_kicks(song);
    place_accents(song);
}
