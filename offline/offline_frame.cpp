#include "offline/offline_frame.h"

#include "app/shell.h"
#include "app/timeline.h"
#include "offline/offline_audio.h"
#include "offline/offline_ticks.h"

// The position a tail's length ahead must still be in the tick history.
static_assert(kDrawnTailSamples / kSamplesPerTick + 2 * kRequestSamples / kSamplesPerTick < kTickHistory);

FrameUse offline_frame_use(const OfflineShow& show, int32_t position, const WantedFrames& wanted)
{
    const int64_t sample = offline_show_sample(show);
    if (wanted.wanted(wanted.context, sample, position)) return FrameUse::seen;
    const int64_t ahead = sample + kDrawnTailSamples;
    const int64_t tick = tick_at_sample(ahead);
    int32_t later = 0;
    // A song that can't be run that far can't be told about: run it in full.
    if (!audio_run_through_tick(tick) || !ticks_position_at(tick, &later)) return FrameUse::tail;
    return wanted.wanted(wanted.context, ahead, later) ? FrameUse::tail : FrameUse::stepped;
}

void offline_show_run(const OfflineShow& show, int32_t position, FrameUse use, int width, int height,
                      void (*flush)(), UnseenDrawing* drawing)
{
    const bool hidden = use != FrameUse::seen;
    if (hidden != drawing->hidden) {
        drawing->hide(hidden);
        drawing->hidden = hidden;
    }
    // Effects a test installed stay for the frames that run every effect.
    const SceneEffects installed = scene_effects;
    if (use == FrameUse::stepped) scene_effects = kUnseenEffects;
    // Read unsigned, as the live show reads it.
    draw_frame(static_cast<double>(static_cast<uint32_t>(position)), width, height);
    scene_effects = installed;
    if (flush) flush();
    audio_forget_before(offline_show_sample(show));
}
