// The show clock while the browser plays the sound: the song position and
// the time of the sample that reaches the listener's ear when the frame
// being drawn is shown, so the picture is in step with what is heard.
//
// Samples are counted from the sound's first sample, at 44100 a second. The
// sound's maker says where each position starts; the frame says which sample
// is heard when it is shown.
#pragma once
#include <cstdint>

#include "gfx/show_clock.h"

constexpr double kHeardSampleRate = 44100;

// Forgets every position and what was heard: nothing is heard yet.
void heard_clock_reset();
// Position starts at sample first_sample; calls come in the order the sound
// is made (first_sample not decreasing).
void heard_clock_add(int64_t first_sample, int32_t position);
// The sample heard when the frame being drawn is shown (fractional; below 0
// before the first). Every read of the clock until the next call gives it.
void heard_clock_hear(double sample);

// position: the last position that started at or before the heard sample;
// -37 (before the first row) until one has. time: seconds from the start of
// the first row (the first position at or above 0) to the heard sample,
// millisecond resolution; 0 until that row is heard.
extern const ShowClock kHeardClock;
