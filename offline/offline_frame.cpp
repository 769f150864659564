#include "offline/offline_frame.h"

#include "app/shell.h"
#include "offline/offline_audio.h"

void offline_show_draw(const OfflineShow& show, int32_t position, int width, int height, void (*flush)())
{
    // Read unsigned, as the live show reads it.
    draw_frame(static_cast<double>(static_cast<uint32_t>(position)), width, height);
    if (flush) flush();
    audio_forget_before(offline_show_sample(show));
}
