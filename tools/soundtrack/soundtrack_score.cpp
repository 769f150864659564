// The assembly of the whole song: sections in order, then the kicks and
// accents that the picture flashes are timed to.
#include "tools/soundtrack/soundtrack_score.h"

#include "gfx/effects/flash_tables.h"
#include "tools/soundtrack/soundtrack_notation.h"

namespace {

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
