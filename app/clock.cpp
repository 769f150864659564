#include "app/clock.h"

#include <SDL.h>

#include "player/player.h"

// SDL tick count of the first call; -1 until then.
static int32_t clock_start = -1;

static double live_demo_time()
{
    if (clock_start == -1) clock_start = static_cast<int32_t>(SDL_GetTicks());
    const int32_t elapsed_ms = static_cast<int32_t>(SDL_GetTicks() - static_cast<uint32_t>(clock_start));
    return elapsed_ms * 0.001;
}

const ShowClock kLiveClock = {live_demo_time, pt_song_position};
