// The module player: song data, replay state, loader and tick.
#pragma once
#include <atomic>
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

// order_pos and row are written by the tick thread and read by the main
// thread (song_position), so they are atomics; relaxed order is enough.
struct PlayerState {
    int32_t speed;                  // ticks per row; 0 freezes the song
    uint32_t tick;                  // tick within the row, 0 = row start
    std::atomic<int32_t> order_pos;
    std::atomic<int32_t> row;
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

extern ModSample mod_samples[32];   // entry 0 unused
extern ModSong song;
extern PlayerState player;
extern ChannelState channel_states[kMaxChannels];
extern uint8_t channel_pan[kMaxChannels];
extern const char* last_error;   // why pt_takemod refused the last module

// For tools that follow the song (the offline renderer): called by pt_tick
// right after a row starts, with the new order position and row; new_order
// is 1 when that row start moved to another order position. Null: not called.
extern void (*pt_row_observer)(int32_t order_pos, int32_t row, int32_t new_order);
// pt_tick calls since program start.
extern uint64_t pt_tick_count;

// Cursor readers over the buffer given to pt_takemod.
uint16_t pt_getword();
uint8_t pt_getbyte();
void pt_skip(int32_t count);
void pt_convert_pattern(uint8_t* cells);

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
// One tick (50 per second). Does nothing while no module is loaded.
void pt_tick();
// SDL timer callback for the silent device: ticks when sound_mode is 0.
uint32_t timer_tick(uint32_t interval);
