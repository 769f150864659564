// The live show in a browser: the desktop's start-up, frames and end, with
// the frame loop on the browser's animation frames. The busy wait for the
// first row becomes frames that draw nothing; the end hands the page back
// its start screen instead of quitting.
#include <SDL.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstdio>

#include "app/shell.h"
#include "fixed_function/fixed_function.h"
#include "gfx/show_clock.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "web/web.h"

// A page opened with ?autoplay may be refused sound until a click; when the
// browser's sound has not started this long after the start, the show plays
// silently from the timer. After the Play button it starts at once.
static constexpr double kSoundWaitMs = 1000;

enum class Stage { waiting_for_sound, waiting_for_first_row, showing };
static Stage stage = Stage::waiting_for_sound;
static double start_ms = 0;
static int quit_count = 0;
// The console line per order position: the order last reported, and the
// frames drawn and show time since.
static int32_t reported_order = -1;
static int frames_since_report = 0;
static double report_seconds = 0;

// The sound device's browser side (SDL's Web Audio context), which SDL keeps
// in its own JavaScript object.
EM_JS(int, browser_sound_running, (), {
    return typeof SDL != 'undefined' && SDL.audioContext && SDL.audioContext.state == 'running' ? 1 : 0;
});
// A refused resume stays pending until the context is closed, which then
// rejects it: nothing to report, the show has gone silent already.
EM_JS(void, resume_browser_sound, (), {
    if (typeof SDL != 'undefined' && SDL.audioContext) SDL.audioContext.resume().catch(function() {});
});
// Closes the context and drops SDL's page-wide listener, so nothing of this
// run outlives it. A context still suspended may have a resume pending (SDL
// resumes it on the page's next click), which closing would reject uncaught:
// such a context is closed once it runs.
EM_JS(void, release_browser_sound, (), {
    if (typeof SDL == 'undefined') return;
    window.removeEventListener('unload', SDL.receiveEvent);
    var context = SDL.audioContext;
    SDL.audioContext = null;
    if (!context || context.state == 'closed') return;
    if (context.state == 'suspended') context.resume().then(function() { context.close(); }, function() {});
    else context.close();
});
EM_JS(void, show_ended_on_page, (), {
    if (Module['onShowEnd']) Module['onShowEnd']();
});

static void play_silently()
{
    SDL_CloseAudio();
    release_browser_sound();
    sound_mode = 0;
    install_nosound_device();
    std::fputs("periodica: the browser did not start the sound; playing silently\n", stderr);
}

static void report_position()
{
    ++frames_since_report;
    const int32_t position = song_position();
    if (position < 0 || position / 100 == reported_order) return;
    const double now = demo_time();
    if (reported_order < 0) {
        std::printf("periodica: position %d at %.2f s\n", position, now);
    } else {
        const double rate = now > report_seconds ? frames_since_report / (now - report_seconds) : 0;
        std::printf("periodica: position %d at %.2f s, %.1f frames a second\n", position, now, rate);
    }
    reported_order = position / 100;
    report_seconds = now;
    frames_since_report = 0;
}

static void end_show()
{
    emscripten_html5_remove_all_event_listeners();
    SDL_SetTimer(0, nullptr);
    SDL_CloseAudio();
    release_browser_sound();
    show_ended_on_page();
}

static EM_BOOL on_click(int, const EmscriptenMouseEvent*, void*)
{
    ++quit_count;
    return EM_FALSE;
}

// Takes the show one animation frame further: the sound started (or given
// up for silence), the first row awaited, or a frame drawn.
static void advance_show()
{
    if (stage == Stage::waiting_for_sound) {
        if (sound_mode != 0 && !browser_sound_running()) {
            if (emscripten_get_now() - start_ms < kSoundWaitMs) return;
            play_silently();
        }
        start_playback(kTicksPerSecond, pt_tick);
        stage = Stage::waiting_for_first_row;
    }
    if (stage == Stage::waiting_for_first_row) {
        if (before_first_row()) return;
        demo_time();  // fixes the clock's zero at the first frame
        stage = Stage::showing;
    }
    if (draw_live_frame()) ++quit_count;
    fixed_function_flush();
    report_position();
}

// One animation frame; false ends the loop.
static EM_BOOL animation_frame(double, void*)
{
    if (quit_count == 0) advance_show();
    if (quit_count == 0) return EM_TRUE;
    end_show();
    return EM_FALSE;
}

int start_web_show()
{
    std::string error;
    if (!make_web_context(&error)) {
        report_failure(error);
        return 1;
    }
    SDL_Init(SDL_INIT_TIMER);  // starts SDL's clock, which the live clock reads
    if (!start_up_show()) {
        report_failure("the module data/zentaro.mod is missing from the page");
        return 1;
    }
    resume_browser_sound();
    start_ms = emscripten_get_now();
    // Registered now, so the click that started the show does not end it.
    emscripten_set_mousedown_callback("#stage", nullptr, EM_FALSE, on_click);
    emscripten_request_animation_frame_loop(animation_frame, nullptr);
    return 0;
}
