// Placeholder bodies until the module player is built.
#include "player/player.h"
#include "player/tables.h"

ModSample mod_samples[32];
ModSong song;
PlayerState player;
ChannelState channel_states[kMaxChannels];
uint8_t channel_pan[kMaxChannels];
const char* last_error = "";

int pt_takemod(uint8_t*, size_t) { return 0; }
int pt_load(uint8_t*, size_t) { return 0; }
void pt_reset() {}
void pt_tick() {}
uint32_t timer_tick(uint32_t interval) { return interval; }
