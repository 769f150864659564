#include "offline/offline_step.h"

#include "offline/offline_clock.h"
#include "offline/offline_ticks.h"

// Live, the start-up wait would spin for ever; here ten seconds of sound
// without a first row means the song can't be played.
static constexpr int64_t kFirstRowTicks = 10 * 50;
// A show that hasn't ended after twenty minutes never will, nor one whose
// position has stood still for a minute (speed 0 freezes the song).
static constexpr int64_t kLongestShowTicks = 20 * 60 * 50;
static constexpr int64_t kLongestStillTicks = 60 * 50;

void offline_show_start(OfflineShow* show, int fps, AudioCallback callback)
{
    *show = OfflineShow{};
    show->fps = fps;
    audio_reset(callback);
    ticks_reset();
}

int64_t offline_show_sample(const OfflineShow& show)
{
    return sample_of_frame(show.frame, show.fps);
}

// Finds the position at tick, running the sound ahead as far as needed.
static bool position_at(OfflineShow* show, int64_t tick, int32_t* position, std::string* stop_reason)
{
    const bool started = show->first_frame >= 0;
    if (!audio_run_through_tick(tick)) {
        *stop_reason = "the audio callback runs no player tick, so the song never moves";
        return false;
    }
    ticks_position_at(tick, position);
    if (!started && tick > kFirstRowTicks) {
        *stop_reason = "the song never reached its first row (position stays " + std::to_string(*position) +
                       "); is the module playable?";
        return false;
    }
    int32_t back_to = 0;
    const int64_t loop_tick = ticks_loop_tick(&back_to);
    if (started && loop_tick >= 0 && tick >= loop_tick) {
        *stop_reason = "the song went back to position " + std::to_string(back_to) + " (it loops) before the end";
        return false;
    }
    if (tick > kLongestShowTicks) {
        *stop_reason = "the show has not ended after twenty minutes";
        return false;
    }
    if (*position != show->last_position) {
        show->last_position = *position;
        show->position_since = tick;
    } else if (started && tick - show->position_since > kLongestStillTicks) {
        *stop_reason = "the song has stood still at position " + std::to_string(*position) + " for a minute";
        return false;
    }
    return true;
}

bool offline_show_next(OfflineShow* show, int32_t* position, std::string* stop_reason)
{
    for (;;) {
        const int64_t frame = ++show->frame;
        const int64_t sample = sample_of_frame(frame, show->fps);
        if (!position_at(show, tick_at_sample(sample), position, stop_reason)) return false;
        if (show->first_frame < 0) {
            // Live, the start-up wait ends when the position read unsigned is at most 100.
            if (static_cast<uint32_t>(*position) > 100) {
                audio_forget_before(sample);
                continue;
            }
            show->first_frame = frame;
        }
        offline_clock_set(static_cast<double>(frame - show->first_frame) / show->fps, *position);
        return true;
    }
}
