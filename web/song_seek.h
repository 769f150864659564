// Where a song position first plays, found by ticking the player alone (no
// sound is made): what a show started part-way needs, on the page's main
// thread and in the audio module alike.
#pragma once
#include <cstdint>

struct SongSeek {
    int64_t tick = -1;             // the tick after which the position first holds
    int64_t first_row_tick = -1;   // the tick after which the first row (position >= 0) holds
    int32_t first_row_position = 0;
};

// Ticks the song just loaded until its position first equals position. False
// when the show ends (past kLastPosition) or twenty minutes pass first; the
// player is then left wherever that was.
bool seek_song_position(int32_t position, SongSeek* seek);
// One "POS" of ?from= into *position (0..kLastPosition); false otherwise.
bool parse_song_position(const char* text, int32_t* position);
