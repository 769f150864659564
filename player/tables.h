// Period table and the vibrato/tremolo waveforms.
#pragma once
#include <cstdint>

constexpr int kFinetuneRows = 16;
constexpr int kNoteColumns = 85;   // 0..83 notes, 84 repeats 83
constexpr int kNoNote = 84;
constexpr int32_t kPeriodMin = 27;
constexpr int32_t kPeriodMax = 3628;

// [finetune row 0..15][note index 0..84]; rows 8..15 are finetunes -8..-1.
extern const uint16_t period_table[kFinetuneRows][kNoteColumns];

extern const int16_t sine_wave[64];
extern const int16_t square_wave[64];
extern int16_t ramp_wave[64];     // built by pt_build_waveforms
extern int16_t random_wave[64];   // built by pt_build_waveforms
// Chosen by E4y / E7y with y & 3: sine, ramp, square, random.
extern const int16_t* const waveform_select[4];

// Fills ramp_wave (255 - 8i) and random_wave (rand() % 511 - 256, in order).
void pt_build_waveforms();
