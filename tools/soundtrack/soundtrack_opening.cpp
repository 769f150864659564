// The first third of the piece: the intro that builds from a pad and plucks,
// the syncopated first drop, and the breakdown that winds back up.
#include "tools/soundtrack/soundtrack_notation.h"
#include "tools/soundtrack/soundtrack_score.h"

namespace {

// Roots on each bar start, and from row glide_row a tone-portamento glide
// into the next bar's root (next_chord after the last bar).
static void write_gliding_bass(Pattern& p, const char* const chords[4], const char* next_chord, int glide_row)
{
    for (int bar = 0; bar < 4; ++bar) {
        Chord here = chord_named(chords[bar]);
        Chord next = chord_named(bar < 3 ? chords[bar + 1] : next_chord);
        put_note(p, bar * 16, kBassCh, kBass, here.bass_root);
        write_glide(p, bar * 16 + glide_row, kBassCh, kBass, next.bass_root, 0x0C, bar * 16 + 15);
    }
}

// Short chip-chord hits: struck, held one row, cut on the next.
static void write_stabs(Pattern& p, const char* const chords[4], const int* rows, int bars)
{
    for (int bar = 0; bar < bars; ++bar) {
        Chord c = chord_named(chords[bar]);
        for (const int* r = rows; *r >= 0; ++r) {
            int row = bar * 16 + *r;
            put_note(p, row, kChordCh, kPad, c.pad_root, kArpeggio, c.arpeggio);
            put_fx(p, row + 1, kChordCh, kArpeggio, c.arpeggio);
            put_fx(p, row + 2, kChordCh, kExtended, ext(kNoteCut, 1));
        }
    }
}

// Noise rising from C-1: every other row slides the pitch up, the rows
// between swell the volume a step.
static void write_riser(Pattern& p, int ch, int first, int last, int32_t start_volume)
{
    put_note(p, first, ch, kNoise, note_index("C-1"), kSetVolume, start_volume);
    for (int r = first + 1; r <= last; ++r) {
        if ((r - first) % 2) put_fx(p, r, ch, kPortaUp, 0x08);
        else put_fx(p, r, ch, kExtended, ext(kFineVolumeUp, 1));
    }
}

}  // namespace

void write_intro(Pattern& p, int order_pos)
{
    static const int slow_tones[] = {0, 1, 2, 3, -1};
    static const int rolling_tones[] = {0, 1, 2, 1, 3, 2, 1, 2, -1};
    static const int climbing_tones[] = {0, 1, 2, 3, 4, 3, 2, 1, -1};
    if (order_pos == 0) {
        put_fx(p, 0, kDrumCh, kSetSpeed, 6);
        put_fx(p, 1, kDrumCh, kExtended, ext(kPanPosition, 5));
        put_fx(p, 0, kBassCh, kSetPan, 0x60);
        // The pad fades in from silence, one volume step per row.
        put_note(p, 0, kChordCh, kPad, chord_named("Am").pad_root, kSetVolume, 0);
        for (int r = 1; r <= 20; ++r) put_fx(p, r, kChordCh, kExtended, ext(kFineVolumeUp, 1));
        for (int bar = 1; bar < 4; ++bar)
            put_note(p, bar * 16, kChordCh, 0, chord_named(kMainChords[bar]).pad_root,
                     bar == 1 ? kExtended : 0, bar == 1 ? ext(kFineVolumeUp, 1) : 0);
        write_pluck_arps(p, kTopCh, kMainChords, slow_tones, 4, 14);
        return;
    }
    write_gliding_bass(p, kMainChords, "Am", 12);
    if (order_pos == 1) {
        // The accent opens the bar on the drum channel; quarter hats follow.
        write_drums(p, kDrumCh, "8:h 12:h 16:h 20:h 24:h 28:h 32:h 36:h 40:h 44:h 48:h 52:h 56:h 60:h");
        for (int bar = 0; bar < 4; ++bar)
            put_note(p, bar * 16, kChordCh, kPad, chord_named(kMainChords[bar]).pad_root);
        write_pluck_arps(p, kTopCh, kMainChords, rolling_tones, 2, 16);
        return;
    }
    static const int strikes[] = {8, -1};
    write_chip_chords(p, kMainChords, strikes);
    write_drums(p, kDrumCh,
                "8:h 10:h 12:S 14:h 16:h 18:h 20:h 22:h 24:h 26:h 28:S 30:h 40:h 42:h 44:S 46:h");
    if (order_pos == 2) {
        write_drums(p, kDrumCh, "48:h 50:h 52:h 54:h 56:h 58:h 60:S 62:h");
        write_pluck_arps(p, kTopCh, kMainChords, climbing_tones, 2, 16);
        return;
    }
    // Order 3 builds: a snare roll that speeds up and a riser over the
    // second half, with sixteenth plucks underneath.
    write_drums(p, kDrumCh, "48:S 50:S 52:S 54:S 56:r3 58:r3 60:r2 62:r2");
    clear_rows(p, kChordCh, 32, 63);
    write_riser(p, kChordCh, 32, 63, 8);
    write_pluck_arps(p, kTopCh, kMainChords, climbing_tones, 1, 16);
}

void write_drop(Pattern& p, int order_pos)
{
    static const int stab_rows[] = {0, 6, 10, 13, -1};
    write_drums(p, kDrumCh, "4:S 12:S 20:S 28:S 36:S 44:S");
    write_bass_bars(p, kMainChords, "0:0 3:0s 6:12s 8:0 10:0s 11:7s 14:12s");
    if (order_pos == 4) {
        write_drums(p, kDrumCh, "14:g 46:g 52:S 60:S");
        write_stabs(p, kMainChords, stab_rows, 4);
        write_drum_bars(p, kTopCh, "6:H 10:H 14:H");
        return;
    }
    // Order 5: the beat plays out in the first half and falls away in the
    // last bar; the bass dives and fades while the pad swells into the
    // breakdown and the lead's pickup enters.
    write_drums(p, kDrumCh, "40:g 46:g 56:g");
    write_stabs(p, kMainChords, stab_rows, 3);
    put_note(p, 48, kChordCh, kPad, chord_named("F").pad_root, kSetVolume, 8);
    for (int r = 49; r <= 63; ++r) put_fx(p, r, kChordCh, kExtended, ext(kFineVolumeUp, 1));
    clear_rows(p, kBassCh, 48, 63);
    put_note(p, 48, kBassCh, kBass, chord_named("G").bass_root);
    for (int r = 50; r <= 55; ++r) put_fx(p, r, kBassCh, kPortaDown, 0x04);
    put_note(p, 56, kBassCh, 0, chord_named("F").bass_root, kTonePorta, 0x08);
    for (int r = 57; r <= 63; ++r) put_fx(p, r, kBassCh, kTonePortaSlide, 0x01);
    write_drums(p, kTopCh, "6:H 10:H 18:H 22:H 30:H 34:H 38:H 42:H 46:H");
    write_melody(p, kTopCh, kLead, "50:B-2 52:C-3 54:D-3 56:E-3", 20, 0x32);
}

void write_breakdown(Pattern& p)
{
    const char* const chords[4] = {"F", "G", "Em", "Am"};
    // Drums: the accent at the top, then a snare build that doubles up,
    // stutters (two rows looped once at half the ticks, so the stutter
    // takes the time of two ordinary rows) and rolls into the next section.
    write_drums(p, kDrumCh,
                "32:S 40:S 44:S 48:S 50:S 52:S 54:S 56:r3 57:r3 58:r2 59:r2 60:S 61:S 62:r1 63:r1");
    put_fx(p, 60, kDrumCh, kExtended, ext(kPatternLoop, 0));
    put_fx(p, 61, kDrumCh, kExtended, ext(kPatternLoop, 1));
    put_fx(p, 60, kBassCh, kSetSpeed, 3);
    put_fx(p, 62, kBassCh, kSetSpeed, 6);
    // Bass: long roots joined by glides that step through the semitones.
    put_note(p, 0, kBassCh, kBass, chord_named("F").bass_root, kExtended, ext(kGlissando, 1));
    write_glide(p, 12, kBassCh, 0, chord_named("G").bass_root, 0x10, 15);
    write_glide(p, 28, kBassCh, 0, chord_named("Em").bass_root, 0x10, 31);
    write_glide(p, 44, kBassCh, 0, chord_named("Am").bass_root, 0x10, 47);
    put_fx(p, 56, kBassCh, kExtended, ext(kGlissando, 0));
    // Pad: the chord's third, shimmering with a gentle sine tremolo.
    for (int bar = 0; bar < 4; ++bar) {
        Chord c = chord_named(chords[bar]);
        put_note(p, bar * 16, kChordCh, kPad, c.pad_root + c.third, kTremolo, 0x42);
        for (int r = 1; r < 16; ++r) put_fx(p, bar * 16 + r, kChordCh, kTremolo, 0);
    }
    replace_fx(p, 63, kChordCh, kPatternBreak, 0);  // row 63 anyway: numbering stays intact
    // Lead: the breakdown theme, sung softly, fading at the end.
    write_melody(p, kTopCh, kLead,
                 "0:C-3 6:A-2 8:F-3 12:E-3 16:D-3 22:B-2 24:G-3 28:F-3 32:E-3 38:B-2 40:G-2 44:B-2 "
                 "48:A-2 56:~",
                 22, 0x42);
    put_fx(p, 1, kTopCh, kExtended, ext(kVibratoWave, 0));
}
