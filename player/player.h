// The module player: song data, replay state, loader and tick.
#pragma once
#include <cstddef>
#include <cstdint>

struct ModSample {
    uint32_t length;       // bytes
    uint8_t finetune;      // period_table row 0..15
    int32_t volume;        // 0..64
    uint32_t loop_start;   // bytes
    uint32_t loop_length;  // bytes
};

struct ModSong {
    uint8_t song_length;
    int32_t restart;
    uint8_t order[128];
    char signature[5];
    uint32_t channels;       // 0 until a module is loaded
    uint8_t last_pattern;
    uint8_t* patterns[128];  // converted patterns inside the module buffer
    int32_t cursor;          // read offset from the buffer start
};

// The replay routine's own state. Only the tick thread touches it once
// playback runs; the main thread sees the position through pt_song_position.
struct PlayerState {
    int32_t speed;                  // ticks per row; 0 freezes the song
    uint32_t tick;                  // tick within the row, 0 = row start
    int32_t order_pos;
    int32_t row;
    int32_t break_row;
    uint8_t* row_cells;             // first cell of the current row
    const int16_t* vib_wave;
    const int16_t* trem_wave;
};

struct ChannelState {
    int32_t sample;
    int32_t note;
    int32_t period;
    int32_t target_period;
    int32_t porta_speed;
    int32_t finetune;
    int32_t volume;
    int32_t glissando;
    int32_t vib_pos, vib_depth, vib_speed;
    int32_t trem_pos, trem_depth, trem_speed;
    int32_t loop_row, loop_count;
    int32_t delay_count;
};

constexpr int kMaxChannels = 32;
// Player ticks per second: the Amiga's 50 Hz frame rate, which the music's
// speeds are written for.
constexpr int32_t kTicksPerSecond = 50;

// Everything the module player remembers, in one record: the song as loaded,
// the replay position and every channel. `replay = ReplayState{}` is a
// player that has loaded nothing.
struct ReplayState {
    ModSample samples[32] = {};  // entry 0 unused
    ModSong song = {};
    PlayerState player = {};
    ChannelState channels[kMaxChannels] = {};
    // Default pan per channel: 7, 9, 9, 7 repeated. pt_reset leaves it alone.
    uint8_t channel_pan[kMaxChannels] = {7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7,
                                         7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7};
};

extern ReplayState replay;
extern const char* last_error;   // why pt_takemod refused the last module

// What one tick did, for tools that follow the song (the offline renderer,
// the capture).
struct TickReport {
    int32_t order_pos;          // position in force after the tick, as
    int32_t row;                // pt_song_position will give it
    bool row_started;           // a row started in this tick: the one below,
    int32_t started_order_pos;  // before its own jump or break commands
    int32_t started_row;        // moved the position on
    bool new_order;             // that row start moved to another order position
    bool pattern_loop;          // a channel's pattern loop is repeating rows
};
// Called at the end of every pt_tick, on the tick's thread. Null: not called.
extern void (*pt_tick_observer)(const TickReport& report);

// Parses the module in data[0..size); 1 on success, 0 (with last_error) on
// refusal. The buffer must stay alive and unmoved: patterns are converted in
// place and samples are registered by pointer into it. Refused: a header or
// patterns that don't fit in size bytes, an unknown signature, song length 0,
// an order entry above 127. Sample data is cut to the bytes present and loop
// points are kept within the sample (see loader.cpp). Not to be run twice on
// one buffer: the conversion is destructive.
int pt_takemod(uint8_t* data, size_t size);
// Clears order_pos and row, runs pt_takemod and, on success, pt_reset.
int pt_load(uint8_t* data, size_t size);
// Player state to its start values (before row 0 of order position 0, song
// position -37) and the computed waveforms built.
void pt_reset();
// One tick (kTicksPerSecond per second). Plays nothing while no module is
// loaded.
void pt_tick();
// order_pos * 100 + row as last published by the player (at the end of every
// tick, and by pt_load and pt_reset); safe to call from any thread. The two
// halves are read separately, the order position first: a read at a pattern
// change may pair the new row with the old order position, never the reverse.
int32_t pt_song_position();
