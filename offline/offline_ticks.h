// The song positions the show stepped offline sees: the player's position
// after each tick, for the most recent ticks, plus the first tick of every
// position and the tick at which the song went back to a row it had already
// played. Ticks are counted in output samples, not in wall time.
#pragma once
#include <cstdint>

#include "player/player.h"
#include "sound/sound_device.h"

// Offline, the show plays the demo's 16-bit 44.1 kHz sound.
constexpr int64_t kSampleRate = sound_mode_rate(2);
constexpr int64_t kSamplesPerTick = kSampleRate / kTicksPerSecond;
constexpr int64_t kTickHistory = 256;     // far more than one sound request runs ahead

// Output sample at which frame k stands (sample 0 = start of playback).
int64_t sample_of_frame(int64_t frame, int fps);
// The last tick started at or before sample: tick n starts at 882 n.
int64_t tick_at_sample(int64_t sample);

void ticks_reset();
// Called once after every player tick with the player's order position and
// row, and whether a channel's pattern loop is repeating rows.
void ticks_record(int32_t order_pos, int32_t row, bool pattern_loop = false);
int64_t ticks_done();
// Position (order * 100 + row) in force after tick; false when tick has not
// run yet or has left the history.
bool ticks_position_at(int64_t tick, int32_t* position);
// First tick that started position (order 0-127, row 0-63); -1 if none yet.
int64_t ticks_first_start(int32_t position);
// First tick at which the song went back to a row it had already played at
// that order position, other than by a pattern loop: a new order position
// began there, or the row went back within the same order position (a song
// of one order restarting, or a jump to its own order). -1 if it hasn't. The
// position it went back to is stored in *position when not null.
int64_t ticks_loop_tick(int32_t* position = nullptr);
// True once sample has reached the frame shown seconds (>= 0) after position
// first started; false while that position has not started.
bool frame_due(int32_t position, double seconds, int64_t sample);
