// The live show in a browser: the desktop's frames and end, with the frame
// loop on the browser's animation frames. The sound is made on the
// browser's audio thread (page_sound.js, audio_module.cpp); this thread only
// draws, each frame at the song position and time heard when it is shown.
// Where the browser gives no sound, the show plays silently from the timer,
// as the desktop's silent device does. The end hands the page back its
// start screen instead of quitting. A show started part-way (?from=POS)
// first steps the effects there unseen (web_from.cpp); the sound, heard or
// silent, starts at POS with its clock counted from the song's start.
#include <GL/gl.h>
#include <SDL.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/html5_webgl.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/clock.h"
#include "app/shell.h"
#include "app/startup.h"
#include "fixed_function/fixed_function.h"
#include "gfx/show_clock.h"
#include "offline/offline_ticks.h"  // kSamplesPerTick: the heard sound's ticks are these samples too
#include "player/player.h"
#include "sound/sound_device.h"
#include "web/draw_scale.h"
#include "web/heard_clock.h"
#include "web/web.h"

// The sound's context must run this soon after the start, or the browser
// refused it (a page opened with ?autoplay may need a click first) and the
// show plays silently. Firefox on a fresh profile took more than a second to
// open its sound here. A context that runs gets longer for the worklet to
// make its first sample.
static constexpr double kSoundWaitMs = 3000;
static constexpr double kWorkletWaitMs = 5000;
// Reports come every 4 quanta (11.6 ms); one older than this is held up.
static constexpr double kFreshReportMs = 30;
// The longest frames wait, with fresh reports, for sound that is not made:
// a stall's queued reports reach the page within a few frames.
static constexpr double kLongestHoldMs = 1000;
// Position changes taken from the page per call.
static constexpr int kChangesPerTake = 64;
// Wall time spent stepping towards ?from='s position per animation frame.
static constexpr double kSteppingMs = 100;

enum class Stage { stepping_to_start, waiting_for_sound, waiting_for_first_row, showing };
static Stage stage = Stage::waiting_for_sound;
// ?from=: the position the show starts at (0: the start), and where the
// song first gets there.
static int32_t from_position = 0;
static SongSeek from_seek;
static int32_t silent_clock_start = -1;
static bool heard = false;  // the sound plays: frames follow what is heard
static double frame_sample = -1;  // the sample heard when this frame is shown
static double start_ms = 0;
static int quit_count = 0;
// Tests' notes: frames held back, waiting for the first row, drawn at the
// end of the sound made.
static int held_frames = 0;
static int waiting_frames = 0;
static int beyond_frames = 0;
static double drawn_sample = -1;  // the furthest sample a frame was drawn at
static double held_since_ms = -1;  // the first of the frames held since the last drawn
static const char* end_reason = "";
// The picture's size last drawn at: the canvas's drawing buffer, the
// screen's pixels (as the page measures them) at the scale of the moment.
static int picture_width = 0, picture_height = 0;
static int device_width = 0;  // the screen's pixels across, as last measured
static bool full_resolution = false;  // ?resolution=full: the scale stays 1
static double last_drawn_timestamp = -1;  // the animation frame last drawn, or -1 when the last one was not
// The console line per order position: the order last reported, and the
// frames drawn and show time since.
static int32_t reported_order = -1;
static int frames_since_report = 0;
static double report_seconds = 0;

// The page's sound (page_sound.js), opened by the click that started the
// show; absent where the browser offers no AudioWorklet.
EM_JS(int, sound_offered, (), { return Module['sound'] ? 1 : 0; });
EM_JS(void, start_sound, (const uint8_t* song, int size, int from), {
    Module['sound'].start(HEAPU8.slice(song, song + size).buffer, from);
});
// 1 once the sound's first sample is made, -1 when it failed, else 0.
EM_JS(int, sound_state, (), {
    const sound = Module['sound'];
    if (!sound || sound.state == 'failed') return -1;
    return sound.state == 'playing' ? 1 : 0;
});
EM_JS(int, sound_running, (), { return Module['sound'].running() ? 1 : 0; });
// Why the sound failed, into text (capacity bytes).
EM_JS(void, copy_sound_failure, (char* text, int capacity), {
    const sound = Module['sound'];
    stringToUTF8(sound && sound.failure ? sound.failure : 'the sound did not start', text, capacity);
});
EM_JS(double, heard_sample, (double timestamp), { return Module['sound'].heardSample(timestamp); });
EM_JS(double, samples_made, (), { return Module['sound'].made; });
// The samples whose position changes have come (the worklet makes them some
// 49 ms before they play).
EM_JS(double, samples_known, (), { return Module['sound'].known; });
// Milliseconds since the worklet's last report reached the page.
EM_JS(double, report_age_ms, (), { return performance.now() - Module['sound'].lastReport; });
// Moves up to capacity (first sample, position) pairs into pairs; their count.
EM_JS(int, take_position_changes, (int32_t* pairs, int capacity), {
    const changes = Module['sound'].changes;
    const count = Math.min(changes.length / 2, capacity);
    HEAP32.set(changes.splice(0, count * 2), pairs >> 2);
    return count;
});
// The screen's pixels across the canvas, as the page measures them; the
// canvas's own width where the page doesn't say.
EM_JS(int, device_drawing_width, (), {
    return Module['deviceWidth'] ? Module['deviceWidth']() : Module['canvas'].width;
});
EM_JS(int, full_resolution_asked, (), { return Module['resolution'] === 'full' ? 1 : 0; });
EM_JS(void, note_frame, (int position, double sample), { Module['sound'].noteFrame(position, sample); });
EM_JS(void, close_sound, (), { if (Module['sound']) Module['sound'].close(); });
// Benchmarks: the position the animation frame drew, read by a wrapper of
// requestAnimationFrame (bench/web_frame_time.sh).
EM_JS(void, note_drawn_position, (int position), { window.periodicaDrawn = position; });
// The toolchain's SDL_Init listens for the window's unload, which would keep
// this program (its memory, its WebGL context) alive after its show: every
// Play would leave one behind, and past 16 live contexts the browser takes
// the oldest away, saying so. A page's program never needs the unload.
EM_JS(void, forget_sdl_unload_listener, (), { window.removeEventListener('unload', SDL.receiveEvent); });
// Tests (?steps): a step of the show's start on the page's console.
EM_JS(void, note_step, (const char* text), {
    if (typeof periodicaStep === 'function') periodicaStep('show: ' + UTF8ToString(text));
});
EM_JS(void, note_clocks, (), { periodicaStep('show: clocks: ' + Module['sound'].clocks()); });

// Tests (?steps): one of every 60 calls (a second of frames) notes its text,
// with the sound's clocks when the show is heard; *count counts the calls.
__attribute__((format(printf, 2, 3))) static void note_now_and_then(int* count, const char* format, ...)
{
    if (++*count % 60 != 1) return;
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    note_step(text);
    if (heard) note_clocks();
}
// The show is over; text, when not empty, says why it ended early.
EM_JS(void, show_ended_on_page, (const char* text), {
    if (Module['onShowEnd']) Module['onShowEnd'](UTF8ToString(text));
});

// The page's choice of sound device, in place of the desktop's menu (the
// page has no choice): the worklet plays the module file as read, before
// the player converts it in place; this thread's player has the silent
// device, which ticks only if the show plays silently.
static int choose_page_sound_device()
{
    if (sound_offered() && from_position == 0) start_sound(module_buffer, static_cast<int>(kModuleBufferSize), 0);
    install_nosound_device();
    sound_device.init();
    sound_device.set_master_volume(64);
    sound_device.start();
    return 1;
}

// The silent show from ?from='s position: the clock counts from the first
// row's start, as the show from the start would reach the position.
static double silent_from_time()
{
    if (silent_clock_start == -1) silent_clock_start = static_cast<int32_t>(SDL_GetTicks());
    const int32_t elapsed_ms = static_cast<int32_t>(SDL_GetTicks() - static_cast<uint32_t>(silent_clock_start));
    const int64_t skipped_ms = (from_seek.tick - from_seek.first_row_tick) * (1000 / kTicksPerSecond);
    return static_cast<double>(skipped_ms + elapsed_ms) * 0.001;
}

static void play_silently()
{
    close_sound();
    if (from_position > 0 && seek_main_player(from_position, &from_seek))
        install_show_clock(ShowClock{silent_from_time, pt_song_position});
    start_playback(kTicksPerSecond, pt_tick);
}

// The sound from the module file as read (the player converts it in place),
// at song position from.
static void start_sound_at(int32_t from)
{
    read_module_file(kModulePath);
    if (sound_offered()) start_sound(module_buffer, static_cast<int>(kModuleBufferSize), from);
}

// ?from=POS settled: the effects are stepped there before the show goes on,
// or, where the song never gets there, the show plays from its start.
static void choose_start(const char* text)
{
    if (!parse_song_position(text, &from_position)) {
        std::printf("periodica: ?from=%s is not a song position (order * 100 + row, 0 to %u); "
                    "the show plays from the start\n", text, kLastPosition);
    } else if (from_position == 0) {
        // The start itself.
    } else if (!seek_main_player(from_position, &from_seek)) {
        std::printf("periodica: the song never reaches position %d; the show plays from the start\n", from_position);
    } else {
        start_stepping_to(from_position);
        stage = Stage::stepping_to_start;
        return;
    }
    from_position = 0;
    start_sound_at(0);
    load_song_and_effects();
}

// Settles whether the show is heard or silent; false while it can't tell.
static bool sound_settled()
{
    const int state = sound_offered() ? sound_state() : -1;
    if (state == 1) {
        note_step("the sound plays; frames follow it");
        heard_clock_reset();
        install_show_clock(kHeardClock);
        heard = true;
        return true;
    }
    const double waited = emscripten_get_now() - start_ms;
    if (state == 0 && waited < (sound_running() ? kWorkletWaitMs : kSoundWaitMs)) return false;
    char reason[200] = "this browser offers no sound worklet";
    if (state == 0)
        std::snprintf(reason, sizeof reason, "%s", sound_running() ? "the sound worklet made nothing"
                                                                   : "the browser did not start the sound");
    else if (sound_offered())
        copy_sound_failure(reason, sizeof reason);
    note_step("plays silently");
    std::fprintf(stderr, "periodica: %s; playing silently\n", reason);
    play_silently();
    return true;
}

// Brings the heard clock to the frame begun at timestamp; false when the
// frame would be shown beyond the sound played, as the page has heard,
// while the worklet's reports are late (the page was stalled and they wait
// in its queue), so it is better not drawn. Beyond it with fresh reports is
// usual: the frame is shown a frame interval from now, and on a device with
// little latency that sound is not played yet; its rows are known, though,
// as the worklet makes the sound ahead. Beyond even that with fresh
// reports, the rest of a stall's reports may still wait in the queue, so
// the frame waits too, but not for good: after kLongestHoldMs the estimate
// is taken to be wrong (the sound can't be heard before it is made) and the
// frame is drawn at the last sample known. Nor does the picture go back in
// time.
static bool hear_frame(double timestamp)
{
    int32_t pairs[kChangesPerTake * 2];
    for (int count; (count = take_position_changes(pairs, kChangesPerTake)) > 0;) {
        for (int i = 0; i < count; ++i) heard_clock_add(pairs[2 * i], pairs[2 * i + 1]);
    }
    frame_sample = std::max(heard_sample(timestamp), drawn_sample);
    const double made = samples_made();
    const double known = samples_known();
    const bool fresh = report_age_ms() < kFreshReportMs;
    if (frame_sample >= known || (frame_sample >= made && !fresh)) {
        const double now = emscripten_get_now();
        if (held_since_ms < 0) held_since_ms = now;
        if (!fresh || now - held_since_ms < kLongestHoldMs) return false;
        note_now_and_then(&beyond_frames, "frame %.0f samples beyond the sound known, drawn at its end (%d so far)",
                          frame_sample - known, beyond_frames + 1);
        frame_sample = known - 1;
    } else {
        held_since_ms = -1;
    }
    heard_clock_hear(frame_sample);
    drawn_sample = frame_sample;
    return true;
}

static void report_position()
{
    ++frames_since_report;
    const int32_t position = song_position();
    if (position < 0 || position / 100 == reported_order) return;
    const double now = demo_time();
    if (reported_order < 0) {
        std::printf("periodica: position %d at %.2f s, drawn at %dx%d\n", position, now, picture_width,
                    picture_height);
    } else {
        const double rate = now > report_seconds ? frames_since_report / (now - report_seconds) : 0;
        std::printf("periodica: position %d at %.2f s, %.1f frames a second, drawn at %dx%d\n", position, now, rate,
                    picture_width, picture_height);
    }
    reported_order = position / 100;
    report_seconds = now;
    frames_since_report = 0;
}

static void end_show()
{
    note_step("ends");
    emscripten_html5_remove_all_event_listeners();
    SDL_SetTimer(0, nullptr);
    close_sound();
    show_ended_on_page(end_reason);
}

// The page: a click or tap on the picture ends the show at the next frame
// (the page has closed its sound already).
extern "C" EMSCRIPTEN_KEEPALIVE void end_show_soon()
{
    ++quit_count;
}

// A phone may take the GPU back (another app wants it): the show ends, and
// the page's start screen says why; Play starts a fresh one.
static EM_BOOL on_context_lost(int, const void*, void*)
{
    ++quit_count;
    close_sound();
    end_reason = "The browser took the picture away (its WebGL context was lost). Play starts the show again.";
    std::printf("periodica: the WebGL context was lost; the show ends\n");
    return EM_TRUE;
}

// The drawing buffer for the frame begun at timestamp: the screen's pixels
// at the scale the frames' timing asks for (a width a multiple of 4, 4:3),
// and the viewport with it. A new screen size (a resize, a turned phone)
// starts the scale afresh, with the floor for its lines.
static void fit_picture(double timestamp)
{
    const int device = std::max(4, device_drawing_width());
    if (device != device_width) {
        device_width = device;
        draw_scale_reset(device * 3 / 4);
    } else if (!full_resolution && last_drawn_timestamp >= 0) {
        draw_scale_frame(timestamp - last_drawn_timestamp);
    }
    last_drawn_timestamp = timestamp;
    int width = static_cast<int>(std::lround(device * (full_resolution ? 1.0 : draw_scale())));
    width = std::max(4, width - width % 4);
    const int height = width * 3 / 4;
    if (width == picture_width && height == picture_height) return;
    emscripten_set_canvas_element_size("#canvas", width, height);
    picture_width = width;
    picture_height = height;
    glViewport(0, 0, width, height);
}

// Takes the show one animation frame further: the sound started (or given
// up for silence), the first row awaited, or a frame drawn.
static void advance_show(double timestamp)
{
    if (stage == Stage::stepping_to_start) {
        bool failed = false;
        if (!step_towards_start(kSteppingMs, &failed)) return;
        if (failed) {
            // The stepping's player disagrees with the seek's: nothing to show.
            ++quit_count;
            end_reason = "The show could not be started part-way.";
            return;
        }
        install_show_clock(kLiveClock);  // the offline one stands still; sound_settled picks the show's
        start_sound_at(from_position);
        start_ms = emscripten_get_now();
        stage = Stage::waiting_for_sound;
        return;
    }
    if (stage == Stage::waiting_for_sound) {
        if (!sound_settled()) return;
        stage = Stage::waiting_for_first_row;
    }
    if (heard && !hear_frame(timestamp)) {
        last_drawn_timestamp = -1;
        note_now_and_then(&held_frames,
                          "frame held (%d so far): heard sample %.0f, %.0f made, %.0f known, last report %.0f ms ago",
                          held_frames + 1, frame_sample, samples_made(), samples_known(), report_age_ms());
        return;
    }
    if (stage == Stage::waiting_for_first_row) {
        // From ?from='s position, the rows before it are the skipped ones;
        // the first frame is the position's own even when it comes late
        // (a short row, a slow first frame).
        if (from_position > 0 ? song_position() < from_position : before_first_row()) {
            note_now_and_then(&waiting_frames, "waiting for the first row (%d frames so far): position %d",
                              waiting_frames + 1, static_cast<int>(song_position()));
            last_drawn_timestamp = -1;
            return;
        }
        if (heard && from_position > 0 && song_position() != from_position)
            heard_clock_hear(static_cast<double>(from_seek.tick * kSamplesPerTick));
        demo_time();  // fixes the live clock's zero at the first frame
        stage = Stage::showing;
        note_step("first frame");
    }
    fit_picture(timestamp);
    if (draw_live_frame(picture_width, picture_height)) ++quit_count;
    fixed_function_flush();
    if (heard) note_frame(song_position(), frame_sample);
    report_position();
    note_drawn_position(song_position());
}

// One animation frame; false ends the loop.
static EM_BOOL animation_frame(double timestamp, void*)
{
    if (quit_count == 0) advance_show(timestamp);
    if (quit_count == 0) return EM_TRUE;
    end_show();
    return EM_FALSE;
}

int start_web_show(const char* from)
{
    std::string error;
    if (!make_web_context(&error)) {
        report_failure(error);
        return 1;
    }
    SDL_Init(SDL_INIT_TIMER);  // starts SDL's clock, which the live clock reads
    forget_sdl_unload_listener();
    start_ms = emscripten_get_now();
    full_resolution = full_resolution_asked();
    if (from) from_position = -1;  // the sound waits until the start is chosen
    if (!start_up_show_choosing(choose_page_sound_device)) {
        report_failure("the module data/zentaro.mod is missing from the page");
        return 1;
    }
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, on_context_lost);
    if (from) choose_start(from);
    emscripten_request_animation_frame_loop(animation_frame, nullptr);
    return 0;
}
