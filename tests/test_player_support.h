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

extern std::vector<DeviceCall> recorded_calls;
// Per register_sample: slot, data offset in test_module_buffer, length, loop
// start, loop end, looping.
extern std::vector<std::vector<int64_t>> recorded_samples;
extern int32_t recorded_channel_count;   // -1 until set_channel_count
extern std::vector<uint8_t> test_module_buffer;

// Installs a recording sound_device with cleared records and a fresh player,
// copies bytes into a zero-filled buffer of buffer_size bytes (at least the
// file's size) and returns pt_load's result on it.
int load_test_bytes(const std::vector<uint8_t>& bytes, size_t buffer_size);
int load_test_module(const ModWriter& writer, size_t buffer_size = 300000);
// A 4-channel "M.K." module with one pattern and sample 1 (64 bytes, volume 48).
ModWriter basic_module();
// Runs one pt_tick and returns the calls it made for one channel (the calls
// after that channel's select_voice and before the next select_voice).
std::vector<DeviceCall> tick_channel(int32_t channel);
