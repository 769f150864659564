#include "capture/capture_progress.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

static bool drawn = false;
static std::chrono::steady_clock::time_point last_draw;

void progress_show(double fraction, int32_t position, int64_t frames)
{
    static const bool terminal = isatty(STDERR_FILENO) != 0;
    if (!terminal) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - last_draw < std::chrono::milliseconds(100)) return;
    last_draw = now;
    drawn = true;
    if (fraction < 0) fraction = 0;
    if (fraction > 1) fraction = 1;
    constexpr int kBarWidth = 30;
    char bar[kBarWidth + 1];
    const int filled = static_cast<int>(fraction * kBarWidth);
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  position %4d  frame %lld ", bar, static_cast<int>(fraction * 100),
                 position, static_cast<long long>(frames));
    std::fflush(stderr);
}

void progress_clear()
{
    if (!drawn) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn = false;
}
