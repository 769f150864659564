// Placeholder bodies until the sound output is built.
#include "sound/mixer.h"
#include "sound/sound_device.h"
#include "sound/voices.h"

SoundDevice sound_device;
int32_t sound_mode = 0;
int32_t device_rate = 44100;
int32_t tick_rate = 0;
int32_t tick_interval = 0;
const char* device_name = "";
const char* device_error = "";

int select_sound_device() { return 0; }
int install_nosound_device() { return 1; }
int install_sdl_audio_device(int32_t) { return 0; }
int open_sdl_audio(int32_t) { return 0; }
void install_voice_operations() {}
void start_playback(int32_t) {}
void install_offline_device(int32_t, int32_t) {}
void audio_callback(void*, uint8_t*, int) {}
