// Replay routine: advances ticks, rows and order positions and starts the
// notes of each row through the sound device.
#include <atomic>

#include "player/effects.h"
#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"

ReplayState replay;
void (*pt_tick_observer)(const TickReport& report) = nullptr;

// The position as the main thread sees it: the only player values that cross
// threads, so atomics; each is read whole.
static std::atomic<int32_t> published_order_pos{0};
static std::atomic<int32_t> published_row{0};

constexpr int32_t kHighestSample = 31;

// The row first, the order position after it with release: a reader that
// sees the new order position also sees the new row, so a read at a pattern
// change can only lag (old order, new row), never run ahead to the old row of
// the next pattern, which could end the show early.
static void publish_position()
{
    published_row.store(replay.player.row, std::memory_order_relaxed);
    published_order_pos.store(replay.player.order_pos, std::memory_order_release);
}

int32_t pt_song_position()
{
    const int32_t order_pos = published_order_pos.load(std::memory_order_acquire);
    const int32_t row = published_row.load(std::memory_order_relaxed);
    return order_pos * 100 + row;
}

void pt_reset()
{
    for (ChannelState& channel : replay.channels) {
        // glissando survives a reset.
        const int32_t glissando = channel.glissando;
        channel = ChannelState{};
        channel.glissando = glissando;
    }
    PlayerState& player = replay.player;
    player.order_pos = -1;
    player.row = 63;
    player.break_row = 0;
    player.speed = 6;
    player.tick = 5;
    player.vib_wave = sine_wave;
    player.trem_wave = sine_wave;
    pt_build_waveforms();
    publish_position();
}

int pt_load(uint8_t* data, size_t size)
{
    // A refused module leaves the position at 0.
    replay.player.order_pos = 0;
    replay.player.row = 0;
    publish_position();
    if (!pt_takemod(data, size)) return 0;
    pt_reset();
    return 1;
}

// Counts down every running pattern delay; true when any was running, which
// makes this tick-0 slot an empty one.
static bool count_down_pattern_delays(uint32_t channels)
{
    bool delayed = false;
    for (uint32_t c = 0; c < channels; c++) {
        if (replay.channels[c].delay_count > 0) {
            replay.channels[c].delay_count -= 1;
            delayed = true;
        }
    }
    return delayed;
}

// Returns whether the row start moved to another order position.
static bool advance_row(uint32_t channels)
{
    PlayerState& player = replay.player;
    const ModSong& song = replay.song;
    int32_t row = player.row + 1;
    int32_t order_pos = player.order_pos;
    // Unsigned, so a row pulled below 0 by a pattern loop also ends the pattern.
    const bool new_order = static_cast<uint32_t>(row) >= 64;
    if (new_order) {
        row = player.break_row;
        player.break_row = 0;
        order_pos += 1;
        if (static_cast<uint32_t>(order_pos) >= song.song_length) order_pos = song.restart;
    }
    player.row = row;
    player.order_pos = order_pos;
    player.row_cells = song.patterns[song.order[order_pos]] + row * channels * 4;
    return new_order;
}

// The note part of a row start: sample, volume, pan, period and trigger.
static void start_cell(int32_t c, const uint8_t* cell)
{
    ChannelState& channel = replay.channels[c];
    const int32_t sample = cell[0];
    const int32_t note = cell[1];
    const int32_t command = cell[2];
    const bool note_delayed = command == 0xE && (cell[3] >> 4) == 0xD;

    // Sample numbers above 31 name no sample and are ignored.
    if (sample != 0 && sample <= kHighestSample) {
        channel.sample = sample;
        channel.volume = replay.samples[sample].volume;
        if (command != 0xC) sound_device.set_volume(channel.volume);
        if (command != 0x8) sound_device.set_panning(replay.channel_pan[c] * 16);
        sound_device.set_sample(sample);
    }
    if (note < kNoNote) {
        channel.finetune = replay.samples[channel.sample].finetune;
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

// One tick's work; fills the parts of report that only it knows.
static void play_tick(TickReport* report)
{
    const uint32_t channels = replay.song.channels;
    // No module loaded (or a refused one): nothing to play.
    if (channels == 0) return;

    PlayerState& player = replay.player;
    if (player.speed != 0) {
        if (player.tick + 1 < static_cast<uint32_t>(player.speed)) {
            player.tick += 1;
        } else {
            player.tick = 0;
            if (count_down_pattern_delays(channels)) return;
            report->row_started = true;
            report->new_order = advance_row(channels);
            report->started_order_pos = player.order_pos;
            report->started_row = player.row;
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

void pt_tick()
{
    TickReport report{};
    play_tick(&report);
    // Published once per tick, after the row's commands (jumps and breaks
    // among them) have had their say.
    publish_position();
    if (!pt_tick_observer) return;
    report.order_pos = replay.player.order_pos;
    report.row = replay.player.row;
    // A channel's pattern loop counts down while it repeats its rows.
    for (uint32_t c = 0; c < replay.song.channels && c < kMaxChannels; ++c)
        report.pattern_loop = report.pattern_loop || replay.channels[c].loop_count > 0;
    pt_tick_observer(report);
}
