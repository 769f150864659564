// Shared helpers of the player tests: a recording SoundDevice table and a
// loader that places a written module in a zero-filled buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/common/mod_writer.h"

enum class Op { Select, Sample, Period, Volume, Pan, Trigger };

struct DeviceCall {
    Op op;
    int64_t arg;
    bool operator==(const DeviceCall&) const = default;
};

struct Registration {
    int32_t slot;
    const int8_t* data;
    uint32_t length, loop_start, loop_end;
    int32_t looping;
};

extern std::vector<DeviceCall> recorded_calls;
extern std::vector<Registration> recorded_samples;
extern int32_t recorded_channel_count;   // -1 until set_channel_count
extern std::vector<uint8_t> test_module_buffer;

// Fills sound_device with functions that only record, and clears the records.
void install_recording_device();
// Resets the player state a previous test may have changed, copies the
// module into a zero-filled buffer of buffer_size bytes (at least the file's
// size) and runs pt_load on it. Returns pt_load's result.
int load_test_module(const ModWriter& writer, size_t buffer_size = 300000);
int load_test_bytes(const std::vector<uint8_t>& bytes, size_t buffer_size);
// A 4-channel "M.K." module with one pattern and sample 1 (64 bytes, volume 48).
ModWriter basic_module();
// Runs one pt_tick and returns the calls it made for one channel (the calls
// after that channel's select_voice and before the next select_voice).
std::vector<DeviceCall> tick_channel(int32_t channel);
// The calls for a channel within the recorded calls of the last tick.
std::vector<DeviceCall> calls_for_channel(int32_t channel);
int32_t position_now();   // order_pos * 100 + row
