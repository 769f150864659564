// The table of sound-device operations through which the module player
// reaches the sound output, the device menu and playback start.
#pragma once
#include <atomic>
#include <cstdint>

// Every slot is filled by an installer; a device that does not need an
// operation installs one that does nothing, so no slot is ever null once a
// device (or the silent fallback) has been installed.
struct SoundDevice {
    void (*init)();                             // prepare the voices for the device rate
    void (*set_master_volume)(int32_t volume);  // 0..252 (larger values are clamped)
    void (*start)();
    // slot 1..31; data is signed 8-bit; length, loop start and loop end in
    // bytes (loop end inclusive); looping 0 or 1.
    void (*register_sample)(int32_t slot, const int8_t* data, uint32_t length,
                            uint32_t loop_start, uint32_t loop_end, int32_t looping);
    void (*set_channel_count)(int32_t count);   // voices mixed, 0..32
    void (*select_voice)(int32_t index);        // 0..31; target of the calls below
    void (*set_sample)(int32_t slot);
    void (*set_period)(int32_t period);         // Amiga period; 0 stops the voice's step
    void (*set_volume)(int32_t volume);         // 0..64
    void (*set_panning)(int32_t pan);           // 0..255
    void (*trigger)(uint32_t offset);           // restart at offset (samples)
};

extern SoundDevice sound_device;

// The player's tick, handed to the sound side when playback starts: the
// audio callback (or the silent device's timer) runs it, tick_rate times a
// second of output.
using TickFunction = void (*)();

// 0 = silent (timer-driven), 1 = unsigned 8-bit 22050 Hz, 2 = signed 16-bit 44100 Hz.
// Written on the main thread before playback starts, read by the tick thread.
extern int32_t sound_mode;
// Output samples per second of a sound mode: 22050 (1), 44100 (2), 0 otherwise.
constexpr int32_t sound_mode_rate(int32_t mode)
{
    return mode == 1 ? 22050 : mode == 2 ? 44100 : 0;
}
extern int32_t device_rate;    // output samples per second handed to the voices
extern std::atomic<int32_t> tick_rate;  // player ticks per second, set by start_playback
extern int32_t tick_interval;  // 1000 / tick_rate, milliseconds
extern const char* device_name;
extern const char* device_error;

// Prints the four menu lines on standard output, reads one word from standard
// input and installs the chosen device. Returns 1 when the chosen device was
// installed; otherwise falls back to the silent device (one line on standard
// error) and returns 0. Either way the table is complete afterwards.
int select_sound_device();
int install_nosound_device();                // always 1
int install_sdl_audio_device(int32_t rate);  // 1, or 0 when SDL audio can't be opened

// Starts the ticks of tick: unpauses SDL audio (modes 1, 2), whose callback
// runs it, or starts a timer running timer_tick every 1000 / ticks_per_second
// ms (mode 0).
void start_playback(int32_t ticks_per_second, TickFunction tick);
// SDL timer callback of the silent device: runs the tick when sound_mode is
// 0; returns interval so the timer keeps going.
uint32_t timer_tick(uint32_t interval);

// For tools that render without SDL (the offline renderer, the capture):
// sets sound_mode to mode (1 or 2) and the device rate to 22050 or 44100,
// installs exactly the operations of the SDL audio device, runs init,
// set_master_volume(64) and start as the menu does, and sets the tick as
// start_playback does, without touching SDL. Afterwards audio_callback can be
// called directly to produce the demo's bytes.
void install_offline_device(int32_t mode, int32_t ticks_per_second, TickFunction tick);

// SDL 1.2 audio callback: fills length bytes of stream in tick-sized slices,
// running the tick before each slice (see audio_callback.cpp).
void audio_callback(void* user_data, uint8_t* stream, int length);
// Forgets any slice owed from an earlier callback, so the next callback
// starts with a tick at its first sample, as the demo's first one does.
void reset_audio_carry();
// Stores the tick, tick_interval = 1000 / tick_rate (0 when the rate is not
// positive) and tick_rate; start_playback and install_offline_device both
// use it.
void set_tick_rate(int32_t ticks_per_second, TickFunction tick);
// Runs the tick set by set_tick_rate (nothing before one is set).
void run_tick();
