// The show's two time axes as the timeline and the effects read them. The
// live demo, the capture tool and tests each install their own source.
#pragma once
#include <cstdint>

struct ShowClock {
    double (*time)();       // seconds since the first frame, millisecond resolution
    int32_t (*position)();  // order position * 100 + row; -37 before the first row
};

// Every later demo_time() and song_position() reads from clock; both slots
// must be filled. Until one is installed the clock stands at 0 s before the
// first row.
void install_show_clock(ShowClock clock);
// One fresh read of the installed clock each call.
double demo_time();
int32_t song_position();
