// SDL 1.2's single timer, which the toolchain's SDL lacks: the silent
// device's ticks (sound/playback_start.cpp) come from it. The browser calls
// back on its own clock; a late call makes up the calls it missed, so the
// song keeps its pace while the page is busy.
#include <SDL.h>
#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

static SDL_OldTimerCallback timer_callback = nullptr;
static long interval_id = 0;
static double next_due_ms = 0;    // browser clock, milliseconds
static uint32_t interval_ms = 0;

static void run_due_calls(void*)
{
    const double now = emscripten_get_now();
    while (timer_callback && next_due_ms <= now) {
        timer_callback(interval_ms);
        next_due_ms += interval_ms;
    }
}

// As SDL 1.2: a zero interval or no callback stops the timer; 0 on success.
extern "C" int SDL_SetTimer(Uint32 interval, SDL_OldTimerCallback callback)
{
    if (interval_id != 0) emscripten_clear_interval(interval_id);
    interval_id = 0;
    timer_callback = interval != 0 ? callback : nullptr;
    if (!timer_callback) return 0;
    interval_ms = interval;
    next_due_ms = emscripten_get_now() + interval;
    interval_id = emscripten_set_interval(run_due_calls, interval, nullptr);
    return 0;
}
