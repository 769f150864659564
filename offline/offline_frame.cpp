#include "offline/offline_frame.h"

#include "app/shell.h"
#include "app/timeline.h"
#include "offline/offline_audio.h"

static void hide(UnseenDrawing* drawing, bool hidden)
{
    if (hidden == drawing->hidden) return;
    drawing->hide(hidden);
    drawing->hidden = hidden;
}

void offline_show_run(const OfflineShow& show, int32_t position, bool seen, int width, int height,
                      void (*flush)(), UnseenDrawing* drawing)
{
    hide(drawing, !seen);
    // Effects a test installed stay for the frames drawn in full.
    const SceneEffects installed = scene_effects;
    if (!seen) scene_effects = kUnseenEffects;
    // Read unsigned, as the live show reads it.
    draw_frame(static_cast<double>(static_cast<uint32_t>(position)), width, height);
    scene_effects = installed;
    if (flush) flush();
    audio_forget_before(offline_show_sample(show));
}

void offline_show_unhide(UnseenDrawing* drawing)
{
    hide(drawing, false);
}
