// Starting the ticks. Apart from the device code because the silent device's
// timer needs the player's timer_tick.
#include <SDL.h>

#include "player/player.h"
#include "sound/sound_device.h"

void start_playback(int32_t ticks_per_second)
{
    set_tick_rate(ticks_per_second);
    if (sound_mode != 0) {
        SDL_PauseAudio(0);  // from now on the audio callback runs pt_tick
        return;
    }
    SDL_Init(SDL_INIT_TIMER);
    if (tick_interval > 0) SDL_SetTimer(static_cast<uint32_t>(tick_interval), timer_tick);
}
