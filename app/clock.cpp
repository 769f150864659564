#include "app/clock.h"

#include <SDL.h>

#include "player/player.h"

// SDL tick count of the first call; -1 until then.
static int32_t clock_start = -1;

double demo_time()
{
    if (clock_start == -1) clock_start = static_cast<int32_t>(SDL_GetTicks());
    const int32_t elapsed_ms = static_cast<int32_t>(SDL_GetTicks() - static_cast<uint32_t>(clock_start));
    return elapsed_ms * 0.001;
}

int32_t song_position()
{
    // Two whole reads, the order position first (acquire, pairing with the
    // player's release): a read at a pattern change may pair the new row
    // with the old order position for one frame, never the reverse.
    const int32_t order_pos = player.order_pos.load(std::memory_order_acquire);
    const int32_t row = player.row.load(std::memory_order_relaxed);
    return order_pos * 100 + row;
}
