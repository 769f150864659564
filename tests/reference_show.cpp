#include "tests/reference_show.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/startup.h"
#include "player/player.h"
#include "sound/sound_device.h"
#include "tests/test_files.h"

std::vector<int32_t> reference_positions;
std::vector<int16_t> reference_sound;

std::vector<int16_t> samples_of(const std::vector<uint8_t>& bytes, size_t from)
{
    std::vector<int16_t> samples;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

// The demo's start-up and SDL's requests of 4096 bytes.
bool render_reference(const std::string& path, double seconds)
{
    const size_t requests = static_cast<size_t>(std::ceil(seconds * 44100 / 2048));
    if (reference_sound.size() >= requests * 2048) return true;
    static uint8_t module[kModuleBufferSize];  // the demo's buffer
    const std::vector<uint8_t> file = read_file(path);
    if (file.empty()) return false;
    std::copy(file.begin(), file.begin() + std::min(file.size(), sizeof module), module);
    install_offline_device(2, kTicksPerSecond, pt_tick);
    if (pt_load(module, sizeof module) != 1) return false;
    reference_positions.clear();
    pt_tick_observer = [](const TickReport& r) { reference_positions.push_back(r.order_pos * 100 + r.row); };
    std::vector<uint8_t> bytes(requests * 4096);
    for (size_t at = 0; at < bytes.size(); at += 4096) audio_callback(nullptr, bytes.data() + at, 4096);
    reference_sound = samples_of(bytes, 0);
    return true;
}

std::vector<int16_t> reference_slice(int64_t from, int64_t to)
{
    return std::vector<int16_t>(reference_sound.begin() + from, reference_sound.begin() + to);
}

int64_t sample_of(int64_t frame, int fps)
{
    return frame * 44100 / fps;
}

int32_t position_of(int64_t frame, int fps)
{
    return reference_positions.at(sample_of(frame, fps) / 882);
}

int64_t first_show_frame(int fps)
{
    int64_t frame = 0;
    while (static_cast<uint32_t>(position_of(frame, fps)) > 100) ++frame;
    return frame;
}

Span expected_span(int fps, int32_t from, int32_t to)
{
    int64_t frame = first_show_frame(fps);
    while (position_of(frame, fps) < from) ++frame;
    Span span{frame, frame};
    while (position_of(span.last, fps) <= to) ++span.last;
    return span;
}

int64_t expected_single_frame(int fps, int32_t position, double seconds)
{
    size_t tick = 0;
    while (reference_positions.at(tick) != position) ++tick;
    const int64_t sample = static_cast<int64_t>(tick) * 882 + std::llround(seconds * 44100);
    int64_t frame = 0;
    while (sample_of(frame, fps) < sample) ++frame;
    return frame;
}

std::string frame_file(const std::string& dir, int64_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(index));
    return dir + name;
}
