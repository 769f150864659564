// The demo's two time axes.
#pragma once
#include <cstdint>

// Seconds since the first call, millisecond resolution.
double demo_time();
// order_pos * 100 + row; -37 from the player's reset until the first row.
int32_t song_position();
