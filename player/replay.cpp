// Replay routine: advances ticks, rows and order positions and starts the
// notes of each row through the sound device.
#include "player/effects.h"
#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"

PlayerState player;
ChannelState channel_states[kMaxChannels];
// Default pan per channel: 7, 9, 9, 7 repeated. pt_reset leaves it alone.
uint8_t channel_pan[kMaxChannels] = {7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7,
                                     7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7};
void (*pt_row_observer)(int32_t order_pos, int32_t row, int32_t new_order) = nullptr;
uint64_t pt_tick_count = 0;

constexpr int32_t kHighestSample = 31;

void pt_reset()
{
    for (ChannelState& channel : channel_states) {
        // glissando survives a reset.
        const int32_t glissando = channel.glissando;
        channel = ChannelState{};
        channel.glissando = glissando;
    }
    player.order_pos.store(-1, std::memory_order_relaxed);
    player.row.store(63, std::memory_order_relaxed);
    player.break_row = 0;
    player.speed = 6;
    player.tick = 5;
    player.vib_wave = sine_wave;
    player.trem_wave = sine_wave;
    pt_build_waveforms();
}

// Counts down every running pattern delay; true when any was running, which
// makes this tick-0 slot an empty one.
static bool count_down_pattern_delays(uint32_t channels)
{
    bool delayed = false;
    for (uint32_t c = 0; c < channels; c++) {
        if (channel_states[c].delay_count > 0) {
            channel_states[c].delay_count -= 1;
            delayed = true;
        }
    }
    return delayed;
}

static void advance_row(uint32_t channels)
{
    int32_t row = player.row.load(std::memory_order_relaxed) + 1;
    int32_t order_pos = player.order_pos.load(std::memory_order_relaxed);
    // Unsigned, so a row pulled below 0 by a pattern loop also ends the pattern.
    const bool new_order = static_cast<uint32_t>(row) >= 64;
    if (new_order) {
        row = player.break_row;
        player.break_row = 0;
        order_pos += 1;
        if (static_cast<uint32_t>(order_pos) >= song.song_length) order_pos = song.restart;
    }
    // The row first, the order position after it with release: a reader that
    // sees the new order position also sees the new row, so a read at a
    // pattern change can only lag (old order, new row), never run ahead to
    // the old row of the next pattern, which could end the show early.
    player.row.store(row, std::memory_order_relaxed);
    if (new_order) player.order_pos.store(order_pos, std::memory_order_release);
    player.row_cells = song.patterns[song.order[order_pos]] + row * channels * 4;
    if (pt_row_observer) pt_row_observer(order_pos, row, new_order ? 1 : 0);
}

// The note part of a row start: sample, volume, pan, period and trigger.
static void start_cell(int32_t c, const uint8_t* cell)
{
    ChannelState& channel = channel_states[c];
    const int32_t sample = cell[0];
    const int32_t note = cell[1];
    const int32_t command = cell[2];
    const bool note_delayed = command == 0xE && (cell[3] >> 4) == 0xD;

    // Sample numbers above 31 name no sample and are ignored.
    if (sample != 0 && sample <= kHighestSample) {
        channel.sample = sample;
        channel.volume = mod_samples[sample].volume;
        if (command != 0xC) sound_device.set_volume(channel.volume);
        if (command != 0x8) sound_device.set_panning(channel_pan[c] * 16);
        sound_device.set_sample(sample);
    }
    if (note < kNoNote) {
        channel.finetune = mod_samples[channel.sample].finetune;
        const int32_t period = period_table[channel.finetune][note];
        channel.target_period = period;
        if (command != 0x3 && command != 0x5 && !note_delayed) {
            channel.period = period;
            sound_device.set_period(period);
            if (command != 0x9) sound_device.trigger(0);
            channel.note = note;
        }
    }
}

void pt_tick()
{
    pt_tick_count += 1;
    const uint32_t channels = song.channels;
    // No module loaded (or a refused one): nothing to play.
    if (channels == 0) return;

    if (player.speed != 0) {
        if (player.tick + 1 < static_cast<uint32_t>(player.speed)) {
            player.tick += 1;
        } else {
            player.tick = 0;
            if (count_down_pattern_delays(channels)) return;
            advance_row(channels);
        }
    }
    const uint8_t* cells = player.row_cells;
    if (cells == nullptr) return;
    for (uint32_t c = 0; c < channels; c++) {
        const uint8_t* cell = cells + c * 4;
        const int32_t channel = static_cast<int32_t>(c);
        sound_device.select_voice(channel);
        if (player.tick == 0) {
            start_cell(channel, cell);
            pt_effect_row_start(channel, cell);
        } else {
            pt_effect_later_tick(channel, cell);
        }
    }
}

uint32_t timer_tick(uint32_t interval)
{
    if (sound_mode == 0) pt_tick();
    return interval;
}
