// Starting the ticks: the audio callback runs them, or without sound a timer.
#include <SDL.h>

#include "sound/sound_device.h"

uint32_t timer_tick(uint32_t interval)
{
    if (sound_mode == 0) run_tick();
    return interval;
}

void start_playback(int32_t ticks_per_second, TickFunction tick)
{
    set_tick_rate(ticks_per_second, tick);
    if (sound_mode != 0) {
        SDL_PauseAudio(0);  // from now on the audio callback runs the tick
        return;
    }
    SDL_Init(SDL_INIT_TIMER);
    if (tick_interval > 0) SDL_SetTimer(static_cast<uint32_t>(tick_interval), timer_tick);
}
