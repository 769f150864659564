// Effect commands: the row-start and later-tick action of every command.
#include "player/effects.h"

#include <algorithm>

#include "player/player.h"
#include "player/tables.h"
#include "sound/sound_device.h"

static int32_t period_of(const ChannelState& channel, int32_t note)
{
    return period_table[channel.finetune][note];
}

// Tone portamento: moves period toward target_period by porta_speed, never past it.
static void slide_to_target(ChannelState& channel)
{
    if (channel.period < channel.target_period) {
        channel.period = std::min(channel.period + channel.porta_speed, channel.target_period);
    } else if (channel.period > channel.target_period) {
        channel.period = std::max(channel.period - channel.porta_speed, channel.target_period);
    }
}

// The nearest note at or below the current pitch: from index 84 down, the
// first period not below the channel's period (index 0 if none is).
static int32_t glissando_period(const ChannelState& channel)
{
    int32_t i = kNoNote;
    while (i > 0 && period_of(channel, i) < channel.period) i--;
    return period_of(channel, i);
}

static void vibrato_step(ChannelState& channel)
{
    int32_t period = channel.period + replay.player.vib_wave[channel.vib_pos] * channel.vib_depth / 127;
    // A deep vibrato on a very short period (or on a channel that never had a
    // note) would go below 0, which is no pitch at all: send 0, the still voice.
    if (period < 0) period = 0;
    sound_device.set_period(period);
    channel.vib_pos = (channel.vib_pos + channel.vib_speed) & 63;
}

// xx above 15 raises the volume by x (y ignored), otherwise lowers it by y;
// sent even when nothing changed.
static void volume_slide(ChannelState& channel, int32_t param)
{
    if (param > 15) channel.volume += param >> 4;
    else channel.volume -= param & 0x0F;
    channel.volume = std::clamp(channel.volume, 0, 64);
    sound_device.set_volume(channel.volume);
}

static void tremolo(ChannelState& channel, int32_t param)
{
    const int32_t x = param >> 4;
    const int32_t y = param & 0x0F;
    if (y != 0) channel.trem_depth = 2 * y;
    if (x != 0) channel.trem_speed = x;
    const int32_t volume = channel.volume + replay.player.trem_wave[channel.trem_pos] * channel.trem_depth / 127;
    channel.trem_pos = (channel.trem_pos + channel.trem_speed) & 63;
    sound_device.set_volume(std::clamp(volume, 0, 64));
}

// Arpeggio offsets past the last column use the last column.
static int32_t arpeggio_note(int32_t note, int32_t offset) { return std::min(note + offset, kNoNote); }

// ECy and EDy fire on tick y, or on the row's last tick when y is beyond it.
static bool is_timed_tick(int32_t y)
{
    const int32_t tick = static_cast<int32_t>(replay.player.tick);
    return tick == y || (tick == replay.player.speed - 1 && y >= replay.player.speed);
}

// Restarts the cell's note on the channel (retrigger, note delay).
static void restart_note(ChannelState& channel, int32_t note)
{
    channel.period = period_of(channel, note);
    sound_device.set_volume(channel.volume);
    sound_device.set_period(channel.period);
    sound_device.trigger(0);
}

static void pattern_loop(ChannelState& channel, int32_t count)
{
    const int32_t row = replay.player.row;
    if (count == 0) {
        channel.loop_row = row;
        return;
    }
    if (channel.loop_count == 0) {
        channel.loop_count = count;
    } else {
        channel.loop_count -= 1;
        if (channel.loop_count == 0) return;
    }
    replay.player.row = channel.loop_row - 1;
}

static void extended_row_start(int32_t c, ChannelState& channel, int32_t x, int32_t y)
{
    switch (x) {
    case 0x1:  // fine portamento up by y, not above the table's highest pitch
        if (channel.period > kPeriodMin) {
            channel.period = std::max(channel.period - y, kPeriodMin);
            sound_device.set_period(channel.period);
        }
        break;
    case 0x2:  // fine portamento down by y, not below the lowest pitch
        if (channel.period < kPeriodMax) {
            channel.period = std::min(channel.period + y, kPeriodMax);
            sound_device.set_period(channel.period);
        }
        break;
    case 0x3: channel.glissando = y; break;
    case 0x4:  // the vibrato waveform is shared by all channels
        if (y <= 3) channel.vib_pos = 0;
        replay.player.vib_wave = waveform_select[y & 3];
        break;
    case 0x5: channel.finetune = y; break;
    case 0x6: pattern_loop(channel, y); break;
    case 0x7:
        if (y <= 3) channel.trem_pos = 0;
        replay.player.trem_wave = waveform_select[y & 3];
        break;
    case 0x8:
        replay.channel_pan[c] = static_cast<uint8_t>(y);
        sound_device.set_panning(y * 16);
        break;
    case 0xA:
        if (channel.volume < 64) {
            channel.volume = std::min(channel.volume + y, 64);
            sound_device.set_volume(channel.volume);
        }
        break;
    case 0xB:
        if (channel.volume > 0) {
            channel.volume = std::max(channel.volume - y, 0);
            sound_device.set_volume(channel.volume);
        }
        break;
    case 0xE: channel.delay_count = y; break;
    default: break;  // E0y, E9y, ECy, EDy, EFy: nothing at row start
    }
}

void pt_effect_row_start(int32_t c, const uint8_t* cell)
{
    ChannelState& channel = replay.channels[c];
    const int32_t param = cell[3];
    switch (cell[2]) {
    case 0x0:
        if (param != 0) sound_device.set_period(period_of(channel, channel.note));
        break;
    case 0x8: sound_device.set_panning(param); break;
    case 0x9: sound_device.trigger(static_cast<uint32_t>(param) * 256); break;
    case 0xB:  // the next row is row break_row of order position xx (or restart)
        replay.player.row = 63;
        replay.player.order_pos = param - 1;
        break;
    case 0xC:
        channel.volume = std::min(param, 64);
        sound_device.set_volume(channel.volume);
        break;
    case 0xD: {
        // Decimal reading; a row beyond the pattern starts the next one at row 0.
        const int32_t break_row = 10 * (param >> 4) + (param & 0x0F);
        replay.player.row = 63;
        replay.player.break_row = break_row > 63 ? 0 : break_row;
        break;
    }
    case 0xE: extended_row_start(c, channel, param >> 4, param & 0x0F); break;
    case 0xF:  // above 31 would be a tempo; the tick rate stays fixed
        if (param <= 31) replay.player.speed = param;
        break;
    default: break;
    }
}

static void extended_later_tick(ChannelState& channel, const uint8_t* cell, int32_t x, int32_t y)
{
    const int32_t note = cell[1];
    switch (x) {
    case 0x9:  // retrigger every y ticks
        if (y != 0 && note < kNoNote && replay.player.tick % static_cast<uint32_t>(y) == 0)
            restart_note(channel, note);
        break;
    case 0xC:  // note cut; volume keeps its value
        if (is_timed_tick(y)) sound_device.set_volume(0);
        break;
    case 0xD:  // note delay
        if (note < kNoNote && is_timed_tick(y)) {
            channel.note = note;
            restart_note(channel, note);
        }
        break;
    default: break;
    }
}

void pt_effect_later_tick(int32_t c, const uint8_t* cell)
{
    ChannelState& channel = replay.channels[c];
    const int32_t param = cell[3];
    const int32_t x = param >> 4;
    const int32_t y = param & 0x0F;
    switch (cell[2]) {
    case 0x0:
        if (param != 0) {
            const uint32_t phase = replay.player.tick % 3;
            const int32_t offset = phase == 0 ? 0 : (phase == 1 ? x : y);
            sound_device.set_period(period_of(channel, arpeggio_note(channel.note, offset)));
        }
        break;
    case 0x1:
        channel.period -= param;
        if (channel.period <= 26) channel.period = kPeriodMin;
        sound_device.set_period(channel.period);
        break;
    case 0x2:
        channel.period = std::min(channel.period + param, kPeriodMax);
        sound_device.set_period(channel.period);
        break;
    case 0x3:
        if (param != 0) channel.porta_speed = param;
        slide_to_target(channel);
        sound_device.set_period(channel.glissando == 0 ? channel.period : glissando_period(channel));
        break;
    case 0x4:
        if (y != 0) channel.vib_depth = y;
        if (x != 0) channel.vib_speed = x;
        vibrato_step(channel);
        break;
    case 0x5:  // the stored porta_speed; xx is the volume slide
        slide_to_target(channel);
        sound_device.set_period(channel.period);
        volume_slide(channel, param);
        break;
    case 0x6:
        vibrato_step(channel);
        volume_slide(channel, param);
        break;
    case 0x7: tremolo(channel, param); break;
    case 0xA: volume_slide(channel, param); break;
    case 0xE: extended_later_tick(channel, cell, x, y); break;
    default: break;
    }
}
