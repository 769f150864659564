// Sample slots and voices: the sound state the module player controls.
#pragma once
#include <cstdint>

struct SampleSlot {
    const int8_t* data;   // points into the module buffer, not owned
    uint32_t length;      // samples (bytes)
    uint32_t loop_start;  // sample index the loop restarts from
    uint32_t loop_end;    // last index played before wrapping (inclusive)
    int32_t looping;      // 1 loops, 0 plays once
};

// Each voice exists twice: the player side, written by the voice operations,
// and the mixer side, which carries the live position (see latch_voice).
// Position and step are 32.32 fixed point.
struct Voice {
    const int8_t* data;
    int32_t sample_slot;
    uint32_t volume;             // 0..64 as the player sends it
    uint32_t position_fraction;  // units of 2^-32 sample
    uint32_t position;           // integer sample index
    uint32_t step_fraction;      // units of 2^-32 sample per output sample
    int32_t step;                // integer samples per output sample
    uint32_t loop_start;
    uint32_t loop_end;
    uint32_t looping;
    uint32_t length;
    uint32_t pan;                // 0..255, stored only: the mixer is mono
    int32_t period_changed;      // set by set_period, cleared by the latch
    int32_t new_note;            // set by trigger, cleared by the latch
};

constexpr int kVoiceCount = 32;

// Everything the voice operations and the mixer remember, in one record:
// `voices = VoiceState{}` is the state before any device was installed.
struct VoiceState {
    SampleSlot sample_slots[kVoiceCount] = {};
    Voice player_voices[kVoiceCount] = {};
    Voice mixer_voices[kVoiceCount] = {};
    Voice* current_voice = nullptr;  // target of the voice operations
    int32_t mixer_rate = 44100;      // output samples per second
    int32_t master_volume = 63;      // 0..252
    int32_t channel_count = 4;       // voices latched and mixed
};
extern VoiceState voices;

// The nine voice operations installed into the SoundDevice table.
void register_sample(int32_t slot, const int8_t* data, uint32_t length,
                     uint32_t loop_start, uint32_t loop_end, int32_t looping);
void set_channel_count(int32_t count);
void select_voice(int32_t index);
void set_sample(int32_t slot);
void set_period(int32_t period);
void set_volume(int32_t volume);
void set_panning(int32_t pan);
void trigger(uint32_t offset);
void set_master_volume(int32_t volume);

void init_voices(int32_t rate);
void advance_position(Voice* voice);
void latch_voice(Voice* mixer_voice, Voice* player_voice);
