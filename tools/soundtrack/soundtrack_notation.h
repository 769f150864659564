// The score's vocabulary, which the section writers share: channel roles,
// effect numbers, chords and small text notations for drum, bass and melody
// lines. It calls nothing of the sections or the score that uses them.
#pragma once
#include <cstdint>

#include "tools/soundtrack/soundtrack_song.h"

// Channel roles. The accent (crash) sits on the top channel while the kick
// plays and on the drum channel in the parts without kick.
constexpr int kDrumCh = 0;
constexpr int kBassCh = 1;
constexpr int kChordCh = 2;
constexpr int kTopCh = 3;

enum Command : int32_t {
    kArpeggio = 0x0,
    kPortaUp = 0x1,
    kPortaDown = 0x2,
    kTonePorta = 0x3,
    kVibrato = 0x4,
    kTonePortaSlide = 0x5,
    kVibratoSlide = 0x6,
    kTremolo = 0x7,
    kSetPan = 0x8,
    kSampleOffset = 0x9,
    kVolumeSlide = 0xA,
    kPositionJump = 0xB,
    kSetVolume = 0xC,
    kPatternBreak = 0xD,
    kExtended = 0xE,
    kSetSpeed = 0xF,
};

// Extended sub-commands (high nibble of the parameter of command E).
enum Extended : int32_t {
    kFineUp = 0x1,
    kFineDown = 0x2,
    kGlissando = 0x3,
    kVibratoWave = 0x4,
    kFinetune = 0x5,
    kPatternLoop = 0x6,
    kTremoloWave = 0x7,
    kPanPosition = 0x8,
    kRetrigger = 0x9,
    kFineVolumeUp = 0xA,
    kFineVolumeDown = 0xB,
    kNoteCut = 0xC,
    kNoteDelay = 0xD,
    kPatternDelay = 0xE,
};

constexpr int32_t ext(int32_t sub, int32_t y) { return (sub << 4) | y; }

// Notes of the drum samples: they are synthesised for these pitches.
constexpr int32_t kDrumNote = 48;    // C-3
constexpr int32_t kCymbalNote = 59;  // B-3

struct Chord {
    int32_t pad_root;    // pad / chip-chord root, F-2..E-3
    int32_t bass_root;   // E-1..D-2
    int32_t arpeggio;    // 0x37 minor, 0x47 major
    int32_t third;       // 3 or 4 semitones
};

// "Am", "F", "C", "G", "Dm", "Em", "E"; aborts on anything else.
Chord chord_named(const char* name);
// The piece's main progression, one chord a bar.
constexpr const char* kMainChords[4] = {"Am", "F", "C", "G"};

// Says what is wrong in the score and where, and ends make_soundtrack.
[[noreturn]] void score_error(const char* what, int row, int ch);
// The cell at row and channel ch; a score error outside the pattern.
Cell& cell_at(Pattern& p, int row, int ch);

// Writes a whole cell (sample may be 0, note may be kNoCellNote).
void put_note(Pattern& p, int row, int ch, int32_t sample, int32_t note,
              int32_t command = 0, int32_t param = 0);
// Sets only the effect of a cell; aborts when the cell already carries a
// different effect, because one of the two would silently be lost.
void put_fx(Pattern& p, int row, int ch, int32_t command, int32_t param);
// Sets the effect of a cell whatever it held (for deliberate overrides of a
// continuation effect such as vibrato or arpeggio).
void replace_fx(Pattern& p, int row, int ch, int32_t command, int32_t param);

// Drum line on one channel: tokens "row:SYMBOL" separated by spaces.
// K kick, k soft kick, S snare, g ghost snare (started past its attack),
// f flammed snare (delayed by three ticks), h closed hat (gated), H open hat,
// X crash, rN snare retriggered every N ticks with rising volume.
// row_offset is added to every row (to repeat a one-bar line).
void write_drums(Pattern& p, int ch, const char* line, int row_offset = 0);
// The same one-bar drum line in each of the four bars.
void write_drum_bars(Pattern& p, int ch, const char* bar_line);
// Tone-portamento glide: the note (with sample, 0 to keep the channel's)
// at row as the target, sliding at speed periods per tick until last_row.
void write_glide(Pattern& p, int row, int ch, int32_t sample, int32_t note, int32_t speed, int last_row);
// Clears rows first..last of one channel.
void clear_rows(Pattern& p, int ch, int first, int last);

// Bass line relative to a chord root per bar: tokens "row:SEMITONES" with an
// optional suffix: "s" staccato (cut after 3 ticks), "o" started past the
// attack, "/" tone-portamento glide into the note. Repeated for each bar;
// every note names the sample, so it plays at the bass's default volume.
void write_bass_bars(Pattern& p, const char* const chords[4], const char* bar_line);

// Melody: tokens "row:NOTE" (tracker names), "row:-" (rest) or "row:~" (the
// held note fades out with vibrato). Held notes get vibrato (vibrato
// parameter) from two rows after their start; vibrato 0 leaves them plain.
// Every note sets the volume with Cxx, so notes after a rest sound again.
void write_melody(Pattern& p, int ch, int32_t sample, const char* line, int32_t volume,
                  int32_t vibrato);

// Chip chords: the chord root on the pad sample with the chord's arpeggio on
// every row of each bar, re-struck on the rows listed in strike_rows (bar-
// relative, -1 terminated; row 0 is always struck). Every strike names the
// sample, so the pad's default volume applies.
void write_chip_chords(Pattern& p, const char* const chords[4], const int* strike_rows);

// Plucked arpeggio: chord tones (root, third, fifth, octave...) chosen by
// step_tones (indices into root,third,fifth,root+12,third+12,fifth+12, -1
// terminated) every step rows, on the pluck sample in the octave below the
// pad root.
void write_pluck_arps(Pattern& p, int ch, const char* const chords[4], const int* step_tones,
                      int step, int32_t volume);
