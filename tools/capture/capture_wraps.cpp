#include "tools/capture/capture_wraps.h"

#include <GL/gl.h>

#include <atomic>
#include <cstdint>

#include "app/shell.h"
#include "player/player.h"
#include "tools/capture/capture_ticks.h"

static int picture_width = kScreenWidth;
static int picture_height = kScreenHeight;

void set_viewport_scale(int width, int height)
{
    picture_width = width;
    picture_height = height;
}

// pt_tick is a C++ function, so the wrapped symbol is its mangled name.
extern "C" void __real__Z7pt_tickv();
extern "C" void __wrap__Z7pt_tickv()
{
    __real__Z7pt_tickv();
    // A channel's pattern loop counts down while it repeats its rows.
    bool pattern_loop = false;
    for (uint32_t channel = 0; channel < song.channels && channel < kMaxChannels; ++channel)
        pattern_loop = pattern_loop || channel_states[channel].loop_count > 0;
    ticks_record(player.order_pos.load(std::memory_order_relaxed), player.row.load(std::memory_order_relaxed),
                 pattern_loop);
}

extern "C" void __real_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
extern "C" void __wrap_glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    auto scale = [](int64_t value, int size, int window) { return static_cast<GLint>(value * size / window); };
    __real_glViewport(scale(x, picture_width, kScreenWidth), scale(y, picture_height, kScreenHeight),
                      scale(width, picture_width, kScreenWidth), scale(height, picture_height, kScreenHeight));
}
