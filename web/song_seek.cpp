#include "web/song_seek.h"

#include "app/sections.h"
#include "player/player.h"

// A song that has not ended after twenty minutes of ticks never will.
static constexpr int64_t kMostTicks = 20 * 60 * 50;

bool seek_song_position(int32_t position, SongSeek* seek)
{
    *seek = SongSeek{};
    for (int64_t tick = 0; tick < kMostTicks; ++tick) {
        pt_tick();
        const int32_t now = pt_song_position();
        if (seek->first_row_tick < 0 && now >= 0) {
            seek->first_row_tick = tick;
            seek->first_row_position = now;
        }
        if (now == position) {
            seek->tick = tick;
            return true;
        }
        // -37 before the first row reads far above the end too.
        if (seek->first_row_tick >= 0 && static_cast<uint32_t>(now) > kLastPosition) return false;
    }
    return false;
}

bool parse_song_position(const char* text, int32_t* position)
{
    int32_t value = 0;
    int digits = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        if (digits == 4) return false;
        value = value * 10 + (text[digits] - '0');
    }
    if (digits == 0 || text[digits] != '\0' || value < 0 || static_cast<uint32_t>(value) > kLastPosition) return false;
    *position = value;
    return true;
}
