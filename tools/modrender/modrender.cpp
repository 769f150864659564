// modrender IN.mod OUT.wav [--seconds N] [--mode 1|2]
//
// Renders a module to a mono WAV file with the demo's own loader, replay
// routine, mixer and audio callback, in the demo's 2048-sample requests, so
// the samples are the bytes the demo hands SDL from the start of playback.
// Without --seconds it renders one pass of the song (at most 20 minutes): up
// to where it goes back to a row it has played, or where it stops (speed 0).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/startup.h"
#include "headless/wav_file.h"
#include "player/player.h"
#include "sound/sound_device.h"

// Zero bytes after a larger file, as the demo's buffer has after a short one.
constexpr size_t kExtraPadding = 4096;
// Nothing a MOD file can describe comes near this.
constexpr long kLargestModule = 16L * 1024 * 1024;
constexpr int32_t kRequestSamples = 2048;
constexpr double kLongestSeconds = 10000.0;
constexpr int64_t kPassCapSeconds = 20 * 60;

struct RenderOptions {
    const char* in_path = nullptr;
    const char* out_path = nullptr;
    double seconds = 0.0;  // 0: one pass of the song
    int32_t mode = 2;
};

static void print_usage()
{
    std::fprintf(stderr, "usage: modrender IN.mod OUT.wav [--seconds N] [--mode 1|2]\n");
}

// 1 when the command line is usable; otherwise prints why.
static int parse_options(int argc, char** argv, RenderOptions* options)
{
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (std::strcmp(arg, "--seconds") == 0 && has_value) {
            char* end = nullptr;
            options->seconds = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options->seconds > 0.0) || options->seconds > kLongestSeconds) {
                std::fprintf(stderr, "modrender: --seconds needs a number above 0 and at most %.0f\n",
                             kLongestSeconds);
                return 0;
            }
        } else if (std::strcmp(arg, "--mode") == 0 && has_value) {
            const char* value = argv[++i];
            if (std::strcmp(value, "1") != 0 && std::strcmp(value, "2") != 0) {
                std::fprintf(stderr, "modrender: --mode is 1 (8-bit 22050 Hz) or 2 (16-bit 44100 Hz)\n");
                return 0;
            }
            options->mode = value[0] - '0';
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "modrender: unknown or incomplete option %s\n", arg);
            return 0;
        } else if (!options->in_path) {
            options->in_path = arg;
        } else if (!options->out_path) {
            options->out_path = arg;
        } else {
            std::fprintf(stderr, "modrender: too many arguments\n");
            return 0;
        }
    }
    if (!options->out_path) {
        print_usage();
        return 0;
    }
    return 1;
}

// Reads the file into a zero-filled buffer laid out as the demo's. 1 on
// success; otherwise prints why.
static int read_module(const char* path, std::vector<uint8_t>* buffer)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "modrender: %s: %s\n", path, std::strerror(errno));
        return 0;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > static_cast<size_t>(kLargestModule)) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "modrender: %s: cannot be read\n", path);
        return 0;
    }
    if (bytes.size() > static_cast<size_t>(kLargestModule)) {
        std::fprintf(stderr, "modrender: %s: too large for a module\n", path);
        return 0;
    }
    const size_t size = bytes.size() <= kModuleBufferSize ? kModuleBufferSize : bytes.size() + kExtraPadding;
    buffer->assign(size, 0);
    std::copy(bytes.begin(), bytes.end(), buffer->begin());
    return 1;
}

// One pass ends where a new order position starts at a row already played
// at that position (pattern loops stay within one position, so they never
// end it), or after the tick at which the song froze (speed 0: the row
// stands for ever).
struct PassTracker {
    bool rows_played[128][64];
    int64_t ticks = 0;          // ticks seen since the module was loaded
    int64_t end_tick = -1;      // index of the first tick not in the pass
    int32_t frozen_at = -1;     // position where the song froze, -1 if it didn't
};
static PassTracker pass;

static void observe_tick(const TickReport& report)
{
    const int64_t tick = pass.ticks++;
    if (pass.end_tick >= 0) return;
    if (replay.player.speed == 0) {
        pass.end_tick = tick + 1;
        pass.frozen_at = report.order_pos * 100 + report.row;
        return;
    }
    if (!report.row_started) return;
    const int32_t order_pos = report.started_order_pos;
    const int32_t row = report.started_row;
    if (order_pos < 0 || order_pos >= 128 || row < 0 || row >= 64) return;
    if (report.new_order && pass.rows_played[order_pos][row]) {
        pass.end_tick = tick;
        return;
    }
    pass.rows_played[order_pos][row] = true;
}

static void show_progress(int64_t samples, int32_t rate, bool done)
{
    std::fprintf(stderr, "\rmodrender: %.1f s rendered%s", static_cast<double>(samples) / rate, done ? "\n" : "");
    std::fflush(stderr);
}

// Renders into the open file after its header; the number of samples
// written, or -1 on a write error.
static int64_t render(WavWriter* out, const RenderOptions& options, int32_t rate)
{
    const int32_t bytes_per_sample = options.mode == 2 ? 2 : 1;
    const int32_t slice = rate / kTicksPerSecond;
    const bool one_pass = options.seconds == 0.0;
    int64_t limit = one_pass ? kPassCapSeconds * rate : std::llround(options.seconds * rate);
    const bool progress = isatty(fileno(stderr)) != 0;
    uint8_t request[kRequestSamples * 2] = {};
    int64_t written = 0;
    int64_t requests = 0;
    auto last_shown = std::chrono::steady_clock::now();
    while (written < limit) {
        audio_callback(nullptr, request, kRequestSamples * bytes_per_sample);
        if (one_pass && pass.end_tick >= 0) limit = std::min(limit, pass.end_tick * slice);
        const int64_t take = std::min<int64_t>(kRequestSamples, limit - written);
        if (take <= 0) break;
        wav_append_bytes(out, request, static_cast<size_t>(take));
        if (out->failed) return -1;
        written += take;
        // The clock is read every 64 requests; the line is redrawn at most 10 times a second.
        if (progress && ++requests % 64 == 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now - last_shown >= std::chrono::milliseconds(100)) {
                show_progress(written, rate, false);
                last_shown = now;
            }
        }
    }
    if (progress) show_progress(written, rate, true);
    return written;
}

static int fail_output(WavWriter* out, const char* path)
{
    std::fprintf(stderr, "modrender: %s: cannot be written: %s\n", path, std::strerror(errno));
    if (out->file) std::fclose(out->file);
    out->file = nullptr;
    std::remove(path);
    return 1;
}

int main(int argc, char** argv)
{
    RenderOptions options;
    if (!parse_options(argc, argv, &options)) return 2;
    std::vector<uint8_t> module;
    if (!read_module(options.in_path, &module)) return 1;

    // The device first: its init clears the sample slots the loader fills.
    install_offline_device(options.mode, kTicksPerSecond, pt_tick);
    if (!pt_load(module.data(), module.size())) {
        std::fprintf(stderr, "modrender: %s: %s\n", options.in_path, last_error);
        return 1;
    }
    pt_tick_observer = observe_tick;

    const int32_t rate = sound_mode_rate(options.mode);
    const int32_t bits = options.mode == 2 ? 16 : 8;
    WavWriter out;
    if (!wav_open(&out, options.out_path, rate, bits)) return fail_output(&out, options.out_path);

    const auto started = std::chrono::steady_clock::now();
    const int64_t samples = render(&out, options, rate);
    if (samples < 0) return fail_output(&out, options.out_path);
    if (!wav_close(&out)) return fail_output(&out, options.out_path);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    if (options.seconds == 0.0 && pass.frozen_at >= 0)
        std::fprintf(stderr, "modrender: the song stops at position %d (speed 0); the pass ends there\n",
                     pass.frozen_at);
    const double seconds = static_cast<double>(samples) / rate;
    std::printf("modrender: %.2f s of audio rendered in %.3f s (%.1fx realtime)\n", seconds, elapsed,
                elapsed > 0.0 ? seconds / elapsed : 0.0);
    return 0;
}
