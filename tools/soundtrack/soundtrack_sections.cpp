// The middle and the end of the piece: four sections of distinct texture
// (pluck groove, gated pad, chip-chord lead, broken beat), the finale and
// the outro that fades to silence.
#include "tools/soundtrack/soundtrack_notation.h"
#include "tools/soundtrack/soundtrack_score.h"

namespace {

// The main theme, full length, and its answer; for the channels it shares
// with the accents, "call" phrases that leave the first four rows of each
// bar to the crash.
const char* const kThemeA =
    "0:E-3 6:D-3 8:C-3 12:B-2 14:C-3 16:A-2 24:C-3 28:D-3 32:E-3 38:G-3 40:E-3 44:D-3 46:C-3 "
    "48:D-3 56:B-2 60:G-2";
const char* const kThemeB =
    "0:E-3 6:D-3 8:C-3 12:E-3 14:G-3 16:A-3 24:G-3 26:F-3 28:E-3 32:G-3 38:E-3 40:C-3 44:D-3 "
    "46:E-3 48:D-3 56:B-2 58:C-3 60:D-3";
const char* const kCallA =
    "4:E-3 6:D-3 8:C-3 10:D-3 12:E-3 20:A-2 22:C-3 24:F-3 26:E-3 28:C-3 36:G-3 38:E-3 40:C-3 "
    "42:E-3 44:G-3 52:D-3 54:B-2 56:G-2 58:B-2 60:D-3";
const char* const kCallB =
    "4:A-3 6:G-3 8:E-3 10:D-3 12:E-3 20:C-3 22:A-2 24:C-3 26:F-3 28:E-3 36:E-3 38:G-3 40:C-3 "
    "42:D-3 44:E-3 52:D-3 54:E-3 56:D-3 58:B-2 60:G-2";

}  // namespace

void write_section_pluck(Pattern& p, int order_pos)
{
    // Sixteenth plucks under the theme, off-beat bass, a backbeat with a
    // soft kick on the third beat.
    static const int tones[] = {0, 1, 2, 3, 2, 1, 3, 4, -1};
    write_drum_bars(p, kDrumCh, "4:S 8:k 12:S 14:g");
    write_bass_bars(p, kMainChords, "2:0s 6:0s 10:12s 14:7s");
    write_pluck_arps(p, kChordCh, kMainChords, tones, 1, 16);
    write_melody(p, kTopCh, kLead, order_pos == 7 ? kThemeA : kCallA, 24, 0x32);
}

void write_section_gate(Pattern& p, int order_pos)
{
    // Half time: snare on the third beat, a pad pulsing through a square
    // tremolo, and a bass whose glides step through the semitones.
    const char* const chords[4] = {"Dm", "F", "Am", "G"};
    write_drum_bars(p, kDrumCh, "4:h 6:h 8:S 12:h 14:h");
    if (order_pos == 9) {
        put_fx(p, 1, kDrumCh, kExtended, ext(kTremoloWave, 2));
    } else {
        clear_rows(p, kDrumCh, 56, 63);
        write_drums(p, kDrumCh, "56:S 58:g 60:S 61:S 62:r3 63:r2");
    }
    for (int bar = 0; bar < 4; ++bar) {
        Chord here = chord_named(chords[bar]);
        Chord next = chord_named(bar < 3 ? chords[bar + 1] : (order_pos == 9 ? "Dm" : "Am"));
        put_note(p, bar * 16, kBassCh, kBass, here.bass_root);
        put_note(p, bar * 16 + 8, kBassCh, kBass, here.bass_root + 12, kExtended, ext(kNoteCut, 3));
        write_glide(p, bar * 16 + 12, kBassCh, kBass, next.bass_root, 0x0A, bar * 16 + 15);
        put_note(p, bar * 16, kChordCh, kPad, here.pad_root, kTremolo, 0x43);
        put_note(p, bar * 16 + 8, kChordCh, kPad, here.pad_root + here.third, kTremolo, 0x43);
        for (int r = 1; r < 16; ++r)
            if (r != 8) put_fx(p, bar * 16 + r, kChordCh, kTremolo, 0);
    }
    if (order_pos == 9) put_fx(p, 0, kBassCh, kExtended, ext(kGlissando, 1));
    else replace_fx(p, 63, kBassCh, kExtended, ext(kGlissando, 0));  // glide has arrived by now
    write_melody(p, kTopCh, kLead,
                 order_pos == 9
                     ? "4:F-3 6:E-3 8:D-3 10:A-2 12:D-3 20:A-2 22:C-3 24:F-3 26:E-3 28:C-3 36:E-3 38:C-3 "
                       "40:A-2 42:C-3 44:E-3 52:D-3 54:B-2 56:G-2 58:B-2 60:D-3"
                     : "4:A-3 6:G-3 8:F-3 10:E-3 12:D-3 20:C-3 22:A-2 24:C-3 26:F-3 28:A-3 36:G-3 38:E-3 "
                       "40:C-3 42:A-2 44:E-3 52:D-3 54:G-3 56:B-2 58:D-3 60:G-3",
                 22, 0x32);
}

void write_section_lead(Pattern& p, int order_pos)
{
    // Chip chords, a walking bass and the theme sung out with vibrato; the
    // second pass lifts the chords an eighth of a semitone and bends the
    // long high note down and back.
    write_drum_bars(p, kDrumCh, "2:h 4:S 6:h 8:h 10:k 12:S 14:h 15:f");
    write_bass_bars(p, kMainChords, "0:0 2:0s 4:12s 6:0s 8:7 10:0s 12:12s 14:7s");
    if (order_pos == 11) {
        static const int strikes[] = {6, 10, -1};
        write_chip_chords(p, kMainChords, strikes);
        write_melody(p, kTopCh, kLead, kThemeA, 26, 0x43);
        return;
    }
    static const int no_strikes[] = {-1};
    write_chip_chords(p, kMainChords, no_strikes);
    replace_fx(p, 1, kChordCh, kExtended, ext(kFinetune, 1));
    replace_fx(p, 33, kChordCh, kExtended, ext(kFinetune, 1));
    write_melody(p, kTopCh, kLead, kThemeB, 26, 0x43);
    replace_fx(p, 20, kTopCh, kExtended, ext(kFineDown, 1));
    replace_fx(p, 21, kTopCh, kExtended, ext(kFineDown, 1));
    replace_fx(p, 22, kTopCh, kExtended, ext(kFineUp, 1));
    replace_fx(p, 23, kTopCh, kExtended, ext(kFineUp, 1));
}

void write_section_broken(Pattern& p, int order_pos)
{
    // Broken beat: plucks every third row against the four-row beat, bass
    // hits that start past their attack, open hats between the accents.
    const char* const chords[4] = {"F", "G", "Am", "E"};
    static const int tones[] = {0, 2, 3, 1, 4, 2, 5, 3, -1};
    write_drum_bars(p, kDrumCh, "4:S 6:h 7:g 10:k 12:S 14:h 15:h");
    write_bass_bars(p, chords, "0:0 3:0o 6:12s 8:0 11:0o 14:7s");
    write_pluck_arps(p, kChordCh, chords, tones, 3, 20);
    write_drum_bars(p, kTopCh, "6:H 10:H 14:H");
    if (order_pos == 13) return;
    // The last bar winds up into the finale: a roll that ends in a
    // doubled-up pause (one row held for a second pass at half the ticks,
    // so it lasts one ordinary row) and a riser in place of the plucks.
    clear_rows(p, kDrumCh, 52, 63);
    write_drums(p, kDrumCh, "52:S 54:S 56:r3 58:r2 60:r2 61:r1 62:r1 63:r1");
    replace_fx(p, 62, kBassCh, kExtended, ext(kPatternDelay, 1));
    put_fx(p, 63, kBassCh, kSetSpeed, 6);
    clear_rows(p, kChordCh, 48, 63);
    put_note(p, 48, kChordCh, kNoise, note_index("C-1"), kSetVolume, 10);
    for (int r = 49; r <= 63; ++r) put_fx(p, r, kChordCh, kPortaUp, 0x0A);
    replace_fx(p, 62, kChordCh, kSetSpeed, 3);
}

void write_finale(Pattern& p, int order_pos)
{
    static const int strikes[] = {3, 6, 10, 12, -1};
    write_drum_bars(p, kDrumCh, "4:S 8:k 12:S 14:h 15:g");
    if (order_pos == 18) {
        clear_rows(p, kDrumCh, 49, 63);
        write_drums(p, kDrumCh, "52:S 56:S 58:S 60:r3 62:r2");
    }
    write_bass_bars(p, kMainChords, "0:0 2:0s 4:12s 6:0s 8:0 10:12s 12:7s 14:12s");
    write_chip_chords(p, kMainChords, strikes);
    const char* melody = order_pos == 15 ? kThemeA : (order_pos == 17 ? kCallB : kCallA);
    write_melody(p, kTopCh, kLead, melody, 26, 0x43);
}

void write_outro(Pattern& p)
{
    // One A minor sound that dies away: bass, pad and lead fade at their
    // own rates and every voice is cut well before row 20.
    put_note(p, 0, kBassCh, kBass, chord_named("Am").bass_root, kSetVolume, 32);
    for (int r = 2; r <= 10; ++r) put_fx(p, r, kBassCh, kVolumeSlide, 0x01);
    put_note(p, 0, kChordCh, kPad, chord_named("Am").pad_root, kSetVolume, 20);
    for (int r = 1; r <= 10; ++r) put_fx(p, r, kChordCh, kExtended, ext(kFineVolumeDown, 2));
    put_note(p, 0, kTopCh, kLead, note_index("A-2"), kSetVolume, 24);
    for (int r = 2; r <= 8; ++r) put_fx(p, r, kTopCh, kVibratoSlide, 0x01);
    for (int ch = 0; ch < kSongChannels; ++ch) put_fx(p, 18, ch, kExtended, ext(kNoteCut, 1));
    put_fx(p, 63, kDrumCh, kPositionJump, 0);
}
