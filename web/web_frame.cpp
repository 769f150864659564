// ?frame=POS@SECONDS: the frame periodica-capture --frames-at POS@SECONDS
// writes, drawn in the browser (at the canvas's size: 1024x768, or N times
// that with the page's &scale=N, as the capture's --width/--height draw). The show is stepped offline from its start
// on the capture's simulated 60 fps clock and sample-counted ticks, the
// frames before the asked one stepped unseen as the capture steps them, a
// stretch of them per animation frame so the page stays responsive.
#include <GL/gl.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstdio>

#include "app/shell.h"
#include "app/startup.h"
#include "fixed_function/fixed_function.h"
#include "gfx/textures.h"
#include "offline/frame_target.h"
#include "offline/offline_clock.h"
#include "offline/offline_frame.h"
#include "offline/offline_step.h"
#include "offline/offline_ticks.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "web/web.h"

// Wall time spent stepping per animation frame, milliseconds.
static constexpr double kStretchMs = 100;

static FrameTarget target;
// The canvas's drawing buffer: 1024x768, or that times the page's &scale=N.
static int picture_width = kScreenWidth, picture_height = kScreenHeight;
static std::string target_text;
static OfflineShow show;
static UnseenDrawing drawing{fixed_function_draw_nothing};

// Draws the next frame of the show; true once it was the asked one, false
// with *stop set when the show ended or can't go on before it.
static bool draw_next_frame(bool* stop)
{
    int32_t position = 0;
    std::string reason;
    if (!offline_show_next(&show, &position, &reason)) {
        report_failure("the frame at " + target_text + " was never reached: " + reason);
        *stop = true;
        return false;
    }
    const bool due = frame_due(target.position, target.seconds, offline_show_sample(show));
    offline_show_run(show, position, due, picture_width, picture_height, fixed_function_flush, &drawing);
    // As the capture: the frame that first passes the end is still drawn.
    if (!due && static_cast<uint32_t>(position) > kLastPosition) {
        report_failure("the frame at " + target_text + " was never reached: the show ended after position " +
                       std::to_string(kLastPosition));
        *stop = true;
    }
    return due;
}

static EM_BOOL step_frames(double, void*)
{
    const double started = emscripten_get_now();
    bool stop = false;
    while (!stop && emscripten_get_now() - started < kStretchMs) {
        if (draw_next_frame(&stop)) {
            std::printf("periodica: frame drawn\n");
            return EM_FALSE;
        }
    }
    return stop ? EM_FALSE : EM_TRUE;
}

int start_single_frame(const char* text)
{
    target_text = text;
    std::string error;
    if (!parse_frame_target(target_text, &target, &error)) {
        report_failure("?frame=" + target_text + ": " + error);
        return 1;
    }
    if (!make_web_context(&error)) {
        report_failure(error);
        return 1;
    }

    // The capture's start-up: no menu, the 16-bit 44.1 kHz device offline.
    install_offline_clock();
    load_textures();
    if (!read_module_file(kModulePath)) {
        report_failure("the module data/zentaro.mod is missing from the page");
        return 1;
    }
    install_offline_device(2, kTicksPerSecond, pt_tick);
    load_song_and_effects();
    glClearColor(0, 0, 0, 0);
    glEnable(GL_TEXTURE_2D);

    emscripten_get_canvas_element_size("#canvas", &picture_width, &picture_height);
    offline_show_start(&show, kOfflineFps, audio_callback);
    emscripten_request_animation_frame_loop(step_frames, nullptr);
    return 0;
}
