// ?from=POS: the live show started at song position POS. Before it begins,
// the show is stepped offline from its start up to POS, as ?frame= steps it
// (the capture's simulated 60 fps clock and sample-counted ticks, every frame
// through the layer, which keeps its state but draws nothing meanwhile), so
// the timeline's latches, the picture flashes and the effects' own state
// hold what a show played from the start holds there; the live show then
// goes on with them.
//
// The frames are stepped unseen as the capture steps them (offline_frame.h):
// the effects that keep state only, nothing drawn.
#include <GL/gl.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/shell.h"
#include "app/startup.h"
#include "app/timeline.h"
#include "fixed_function/fixed_function.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "offline/offline_clock.h"
#include "offline/offline_frame.h"
#include "offline/offline_step.h"
#include "offline/offline_ticks.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "web/web.h"

static OfflineShow show;
// Nothing stepped reaches the GPU: a software one on a busy machine took
// seconds for each animation frame's 100 ms of stepped frames, and held back
// the next animation frame that long (a minute before the show).
static UnseenDrawing drawing{fixed_function_draw_nothing};
static int32_t target = 0;
static int picture_width = kScreenWidth, picture_height = kScreenHeight;
static double started_ms = 0;

// Tests (?steps): a step of the stepping on the page's console.
EM_JS(void, note_stepping, (const char* text), {
    if (typeof periodicaStep === 'function') periodicaStep('stepping: ' + UTF8ToString(text));
});

// seek: where the song first reaches position.
bool seek_main_player(int32_t position, SongSeek* seek)
{
    if (!read_module_file(kModulePath) || !pt_load(module_buffer, kModuleBufferSize)) return false;
    return seek_song_position(position, seek);
}

void start_stepping_to(int32_t position)
{
    target = position;
    started_ms = emscripten_get_now();
    emscripten_get_canvas_element_size("#canvas", &picture_width, &picture_height);
    install_offline_clock();
    read_module_file(kModulePath);
    install_offline_device(2, kTicksPerSecond, pt_tick);
    load_song_and_effects();
    offline_show_start(&show, kOfflineFps, audio_callback);
    note_stepping("begins");
}

// Back to the live show's way: the layer drawing, no tick observer, the main
// thread's player on the silent device, which ticks only if the show plays
// silently.
static void end_stepping()
{
    offline_show_unhide(&drawing);
    pt_tick_observer = nullptr;
    sound_mode = 0;
    install_nosound_device();
    sound_device.init();
    sound_device.set_master_volume(64);
    sound_device.start();
}

bool step_towards_start(double budget_ms, bool* failed)
{
    const double began = emscripten_get_now();
    while (emscripten_get_now() - began < budget_ms) {
        int32_t position = 0;
        std::string reason;
        if (!offline_show_next(&show, &position, &reason) || past_the_end(position)) {
            std::printf("periodica: position %d was never reached: %s\n", target, reason.c_str());
            *failed = true;
            end_stepping();
            return true;
        }
        if (position == target) {
            std::printf("periodica: stepped to position %d in %.1f s\n", target,
                        (emscripten_get_now() - started_ms) / 1000);
            end_stepping();
            return true;
        }
        offline_show_run(show, position, false, picture_width, picture_height, fixed_function_flush, &drawing);
    }
    return false;
}
