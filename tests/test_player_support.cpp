#include "tests/test_player_support.h"

#include <algorithm>
#include <cstring>

#include "player/player.h"
#include "sound/sound_device.h"

std::vector<DeviceCall> recorded_calls;
std::vector<Registration> recorded_samples;
int32_t recorded_channel_count = -1;
std::vector<uint8_t> test_module_buffer;

static void record(Op op, int64_t arg) { recorded_calls.push_back({op, arg}); }
static void rec_nothing() {}
static void rec_master_volume(int32_t) {}
static void rec_register(int32_t slot, const int8_t* data, uint32_t length, uint32_t loop_start,
                         uint32_t loop_end, int32_t looping)
{
    recorded_samples.push_back({slot, data, length, loop_start, loop_end, looping});
}
static void rec_channel_count(int32_t count) { recorded_channel_count = count; }
static void rec_select(int32_t index) { record(Op::Select, index); }
static void rec_sample(int32_t slot) { record(Op::Sample, slot); }
static void rec_period(int32_t period) { record(Op::Period, period); }
static void rec_volume(int32_t volume) { record(Op::Volume, volume); }
static void rec_pan(int32_t pan) { record(Op::Pan, pan); }
static void rec_trigger(uint32_t offset) { record(Op::Trigger, offset); }

void install_recording_device()
{
    sound_device = SoundDevice{rec_nothing, rec_master_volume, rec_nothing, rec_register,
                               rec_channel_count, rec_select, rec_sample, rec_period,
                               rec_volume, rec_pan, rec_trigger};
    recorded_calls.clear();
    recorded_samples.clear();
    recorded_channel_count = -1;
}

int load_test_bytes(const std::vector<uint8_t>& bytes, size_t buffer_size)
{
    install_recording_device();
    replay = ReplayState{};
    test_module_buffer.assign(std::max(buffer_size, bytes.size()), 0);
    std::copy(bytes.begin(), bytes.end(), test_module_buffer.begin());
    return pt_load(test_module_buffer.data(), buffer_size);
}

int load_test_module(const ModWriter& writer, size_t buffer_size)
{
    return load_test_bytes(mw_build(writer), buffer_size);
}

ModWriter basic_module()
{
    ModWriter writer;
    writer.samples[1].data.assign(64, 10);
    writer.samples[1].volume = 48;
    mw_set_cell(writer, 0, 63, 0, MwCell{});
    return writer;
}

std::vector<DeviceCall> calls_for_channel(int32_t channel)
{
    std::vector<DeviceCall> out;
    bool inside = false;
    for (const DeviceCall& call : recorded_calls) {
        if (call.op == Op::Select) {
            inside = call.arg == channel;
            continue;
        }
        if (inside) out.push_back(call);
    }
    return out;
}

std::vector<DeviceCall> tick_channel(int32_t channel)
{
    recorded_calls.clear();
    pt_tick();
    return calls_for_channel(channel);
}

int32_t position_now()
{
    // What the main thread reads, so every sequencing test checks it too.
    return pt_song_position();
}
