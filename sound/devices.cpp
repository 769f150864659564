// The two sound devices: NoSound (silent, ticks from a timer) and SDL audio
// (mono 8-bit 22050 Hz or 16-bit 44100 Hz, ticks from the audio callback).
// Both install the same voice operations; only init differs.
#include <SDL.h>

#include "sound/sound_device.h"
#include "sound/voices.h"

// The desired format lives for the whole run, as SDL may keep referring to it.
static SDL_AudioSpec audio_request;

static void do_nothing() {}

static void init_for_device_rate()
{
    init_voices(device_rate);
}

static void install_voice_operations()
{
    sound_device.set_master_volume = set_master_volume;
    sound_device.register_sample = register_sample;
    sound_device.set_channel_count = set_channel_count;
    sound_device.select_voice = select_voice;
    sound_device.set_sample = set_sample;
    sound_device.set_period = set_period;
    sound_device.set_volume = set_volume;
    sound_device.set_panning = set_panning;
    sound_device.trigger = trigger;
}

int install_nosound_device()
{
    // The voices are never initialised here: the operations only keep the
    // voice records current, and nothing mixes them.
    sound_device.init = do_nothing;
    sound_device.start = do_nothing;
    install_voice_operations();
    device_name = "Kelvaro NoSound Device 2.0c";
    return 1;
}

static bool open_sdl_audio(int32_t rate)
{
    device_rate = rate;
    audio_request = SDL_AudioSpec{};
    audio_request.freq = rate;
    audio_request.format = rate >= sound_mode_rate(2) ? AUDIO_S16LSB : AUDIO_U8;
    audio_request.channels = 1;
    audio_request.samples = 2048;
    audio_request.callback = audio_callback;
    audio_request.userdata = nullptr;
    // No obtained record: SDL converts to whatever the hardware wants. The
    // device opens paused; start_playback unpauses it.
    return SDL_OpenAudio(&audio_request, nullptr) >= 0;
}

static void install_sdl_operations()
{
    sound_device.init = init_for_device_rate;
    sound_device.start = do_nothing;
    install_voice_operations();
    device_name = "SDL audio";
}

int install_sdl_audio_device(int32_t rate)
{
    if (!open_sdl_audio(rate)) {
        device_error = "SDL audio error";
        return 0;
    }
    install_sdl_operations();
    return 1;
}

void install_offline_device(int32_t mode, int32_t ticks_per_second, TickFunction tick)
{
    sound_mode = mode;
    device_rate = sound_mode_rate(mode == 1 ? 1 : 2);
    install_sdl_operations();
    sound_device.init();
    sound_device.set_master_volume(64);
    sound_device.start();
    set_tick_rate(ticks_per_second, tick);
    reset_audio_carry();
}
