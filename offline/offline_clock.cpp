#include "offline/offline_clock.h"

#include "gfx/show_clock.h"
#include "player/player.h"
#include "offline/offline_ticks.h"

static double frame_seconds = 0.0;
static int32_t frame_position = -37;  // the player's value before its first row

void offline_clock_set(double seconds, int32_t position)
{
    frame_seconds = seconds;
    frame_position = position;
}

// Constant within a frame: live, two reads in one frame differ by at most a
// millisecond; here they are equal, which keeps offline frames reproducible.
static double frame_time()
{
    return frame_seconds;
}

static int32_t frame_song_position()
{
    return frame_position;
}

// Every player tick is recorded with the position it leaves.
static void record_tick(const TickReport& report)
{
    ticks_record(report.order_pos, report.row, report.pattern_loop);
}

void install_offline_clock()
{
    install_show_clock(ShowClock{frame_time, frame_song_position});
    pt_tick_observer = record_tick;
}
