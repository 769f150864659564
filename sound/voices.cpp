// Sample slots, the two voice arrays and the voice operations the player
// reaches through the SoundDevice table.
#include "sound/voices.h"

#include <cmath>

VoiceState voices;

// Amiga PAL clock constant: period p plays at 3546836 / p sample bytes per second.
static constexpr int32_t kAmigaClock = 3546836;

void register_sample(int32_t slot, const int8_t* data, uint32_t length, uint32_t loop_start,
                     uint32_t loop_end, int32_t looping)
{
    // An out-of-range slot would write outside the registry; ignore it.
    if (slot < 0 || slot >= kVoiceCount) return;
    SampleSlot& entry = voices.sample_slots[slot];
    entry.data = data;
    entry.length = length;
    entry.loop_start = loop_start;
    entry.loop_end = loop_end;
    entry.looping = looping;
}

void set_channel_count(int32_t count)
{
    // The mixer indexes the voice arrays with it, so keep it inside them.
    if (count < 0) count = 0;
    if (count > kVoiceCount) count = kVoiceCount;
    voices.channel_count = count;
}

void select_voice(int32_t index)
{
    if (index < 0 || index >= kVoiceCount) return;
    voices.current_voice = &voices.player_voices[index];
}

void set_sample(int32_t slot)
{
    if (!voices.current_voice || slot < 0 || slot >= kVoiceCount) return;
    const SampleSlot& entry = voices.sample_slots[slot];
    // Position, step, volume, pan and flags stay: a playing voice carries on
    // at its position in the new data.
    voices.current_voice->sample_slot = slot;
    voices.current_voice->data = entry.data;
    voices.current_voice->loop_start = entry.loop_start;
    voices.current_voice->loop_end = entry.loop_end;
    voices.current_voice->looping = static_cast<uint32_t>(entry.looping);
    voices.current_voice->length = entry.length;
}

void set_period(int32_t period)
{
    if (!voices.current_voice) return;
    Voice& voice = *voices.current_voice;
    if (period != 0 && voices.mixer_rate != 0) {
        const double x = (1.0 / (static_cast<double>(period) * static_cast<double>(voices.mixer_rate))) *
                         static_cast<double>(kAmigaClock);
        double whole = 0.0;
        const double fraction = std::modf(x, &whole);
        // 24 significant fraction bits, the low 8 always zero.
        const int32_t fraction24 = static_cast<int32_t>(fraction * 16777216.0);
        voice.step_fraction = static_cast<uint32_t>(fraction24) << 8;
        // The integer part comes from two truncating divisions, not from x.
        voice.step = kAmigaClock / period / voices.mixer_rate;
    } else {
        voice.step = 0;
        voice.step_fraction = 0;
    }
    voice.period_changed = 1;
}

void set_volume(int32_t volume)
{
    if (!voices.current_voice) return;
    voices.current_voice->volume = static_cast<uint32_t>(volume);
}

void set_panning(int32_t pan)
{
    if (!voices.current_voice) return;
    voices.current_voice->pan = static_cast<uint32_t>(pan);
}

void trigger(uint32_t offset)
{
    if (!voices.current_voice) return;
    Voice& voice = *voices.current_voice;
    // An offset past the loop end plays the sample out once; the loop comes
    // back only with the next set_sample. This holds even when the voice is
    // not restarted below.
    if (offset > voice.loop_end) voice.looping = 0;
    if (offset < voice.length) {
        voice.position = offset;
        voice.position_fraction = 0;
        voice.new_note = 1;
    }
}

void set_master_volume(int32_t volume)
{
    voices.master_volume = volume < 253 ? volume : 252;
}

static void clear_voice(Voice& voice)
{
    voice.data = nullptr;
    voice.sample_slot = 0;
    voice.volume = 0;
    voice.position_fraction = 0;
    voice.position = 0;
    voice.step_fraction = 0;
    voice.step = 0;
    voice.loop_start = 0;
    voice.loop_end = 0;
    voice.looping = 0;
    voice.length = 0;
    voice.pan = 127;
    // Both set so the first latch takes the (zero) position and step.
    voice.period_changed = 1;
    voice.new_note = 1;
}

void init_voices(int32_t rate)
{
    voices.mixer_rate = rate;
    for (int i = 0; i < kVoiceCount; ++i) {
        clear_voice(voices.player_voices[i]);
        clear_voice(voices.mixer_voices[i]);
        voices.sample_slots[i] = SampleSlot{nullptr, 0, 0, 0, 0};
    }
}

void advance_position(Voice* voice)
{
    voice->position += static_cast<uint32_t>(voice->step);
    const uint32_t old_fraction = voice->position_fraction;
    voice->position_fraction = old_fraction + voice->step_fraction;
    if (voice->position_fraction < old_fraction) ++voice->position;
}

void latch_voice(Voice* mixer_voice, Voice* player_voice)
{
    const uint32_t position = mixer_voice->position;
    const uint32_t position_fraction = mixer_voice->position_fraction;
    const int32_t step = mixer_voice->step;
    const uint32_t step_fraction = mixer_voice->step_fraction;

    *mixer_voice = *player_voice;

    // The mixer keeps its live position unless the player restarted the
    // voice, and its step unless the player set a new period.
    if (player_voice->new_note == 0) {
        mixer_voice->position = position;
        mixer_voice->position_fraction = position_fraction;
    } else {
        player_voice->new_note = 0;
    }
    if (player_voice->period_changed == 0) {
        mixer_voice->step = step;
        mixer_voice->step_fraction = step_fraction;
    } else {
        player_voice->period_changed = 0;
    }
}
