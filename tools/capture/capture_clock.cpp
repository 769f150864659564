#include "tools/capture/capture_clock.h"

#include "app/clock.h"

static double frame_seconds = 0.0;
static int32_t frame_position = -37;  // the player's value before its first row

void capture_clock_set(double seconds, int32_t position)
{
    frame_seconds = seconds;
    frame_position = position;
}

// Constant within a frame: live, two reads in one frame differ by at most a
// millisecond; here they are equal, which keeps captures reproducible.
double demo_time()
{
    return frame_seconds;
}

int32_t song_position()
{
    return frame_position;
}
