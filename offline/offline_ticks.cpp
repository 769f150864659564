#include "offline/offline_ticks.h"

#include <cmath>
#include <cstring>

static constexpr int kOrders = 128;
static constexpr int kRows = 64;

static int32_t history[kTickHistory];
static int64_t recorded = 0;
static int64_t first_start[kOrders * kRows];
static bool played[kOrders * kRows];
static int32_t previous_order = -1;
static int32_t previous_row = 63;
static int64_t loop_tick = -1;
static int32_t loop_position = 0;

int64_t sample_of_frame(int64_t frame, int fps)
{
    return frame * kSampleRate / fps;
}

int64_t tick_at_sample(int64_t sample)
{
    return sample / kSamplesPerTick;
}

void ticks_reset()
{
    recorded = 0;
    for (int64_t& tick : first_start) tick = -1;
    std::memset(played, 0, sizeof played);
    previous_order = -1;
    previous_row = 63;
    loop_tick = -1;
    loop_position = 0;
}

static int slot_of(int32_t order_pos, int32_t row)
{
    if (order_pos < 0 || order_pos >= kOrders || row < 0 || row >= kRows) return -1;
    return order_pos * kRows + row;
}

void ticks_record(int32_t order_pos, int32_t row, bool pattern_loop)
{
    const int32_t position = order_pos * 100 + row;
    const int64_t tick = recorded++;
    history[tick % kTickHistory] = position;
    const int slot = slot_of(order_pos, row);
    if (slot >= 0) {
        // A pattern loop replays rows within one order position; that is
        // part of the song, anything else landing on a played row ends it.
        const bool went_back = order_pos != previous_order || (row < previous_row && !pattern_loop);
        if (went_back && played[slot] && loop_tick < 0) {
            loop_tick = tick;
            loop_position = position;
        }
        if (first_start[slot] < 0) first_start[slot] = tick;
        played[slot] = true;
    }
    previous_order = order_pos;
    previous_row = row;
}

int64_t ticks_done()
{
    return recorded;
}

bool ticks_position_at(int64_t tick, int32_t* position)
{
    if (tick < 0 || tick >= recorded || tick < recorded - kTickHistory) return false;
    *position = history[tick % kTickHistory];
    return true;
}

int64_t ticks_first_start(int32_t position)
{
    if (position < 0) return -1;
    const int slot = slot_of(position / 100, position % 100);
    return slot < 0 ? -1 : first_start[slot];
}

int64_t ticks_loop_tick(int32_t* position)
{
    if (position) *position = loop_position;
    return loop_tick;
}

bool frame_due(int32_t position, double seconds, int64_t sample)
{
    const int64_t start = ticks_first_start(position);
    return start >= 0 && sample >= start * kSamplesPerTick + std::llround(seconds * kSampleRate);
}
