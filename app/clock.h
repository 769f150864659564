// The live demo's clock: wall time from SDL and the player's song position.
#pragma once
#include "gfx/show_clock.h"

// live_demo_time: seconds since its first call, millisecond resolution.
// live_song_position: the position the player last published.
extern const ShowClock kLiveClock;
