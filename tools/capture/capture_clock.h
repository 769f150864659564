// The capture's own demo clock and song position: demo_time() and
// song_position() are defined here instead of by the live clock, and return
// what the frame being drawn was given.
#pragma once
#include <cstdint>

// seconds: simulated time since the first frame; position: the song position
// in force at the frame's sample.
void capture_clock_set(double seconds, int32_t position);
