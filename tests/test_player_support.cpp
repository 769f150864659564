#include "tests/test_player_support.h"

#include <algorithm>

#include "player/player.h"
#include "sound/sound_device.h"

std::vector<DeviceCall> recorded_calls;
std::vector<std::vector<int64_t>> recorded_samples;
int32_t recorded_channel_count = -1;
std::vector<uint8_t> test_module_buffer;

static void record(Op op, int64_t arg) { recorded_calls.push_back({op, arg}); }

int load_test_bytes(const std::vector<uint8_t>& bytes, size_t buffer_size)
{
    sound_device = SoundDevice{
        [] {},
        [](int32_t) {},
        [] {},
        [](int32_t slot, const int8_t* data, uint32_t length, uint32_t loop_start, uint32_t loop_end,
           int32_t looping) {
            const int64_t offset = data - reinterpret_cast<const int8_t*>(test_module_buffer.data());
            recorded_samples.push_back({slot, offset, length, loop_start, loop_end, looping});
        },
        [](int32_t count) { recorded_channel_count = count; },
        [](int32_t index) { record(Op::Select, index); },
        [](int32_t slot) { record(Op::Sample, slot); },
        [](int32_t period) { record(Op::Period, period); },
        [](int32_t volume) { record(Op::Volume, volume); },
        [](int32_t pan) { record(Op::Pan, pan); },
        [](uint32_t offset) { record(Op::Trigger, offset); },
    };
    recorded_calls.clear();
    recorded_samples.clear();
    recorded_channel_count = -1;
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
    return writer;
}

std::vector<DeviceCall> tick_channel(int32_t channel)
{
    recorded_calls.clear();
    pt_tick();
    std::vector<DeviceCall> out;
    bool inside = false;
    for (const DeviceCall& call : recorded_calls) {
        if (call.op == Op::Select) inside = call.arg == channel;
        else if (inside) out.push_back(call);
    }
    return out;
}
