// The show clock of the show stepped offline: simulated time and the song
// position the frame being drawn was given, installed in place of the live
// clock.
#pragma once
#include <cstdint>

// Installs the offline clock as the show clock, and the tick recorder
// (offline_ticks.h) as the player's tick observer.
void install_offline_clock();
// seconds: simulated time since the first frame; position: the song position
// in force at the frame's sample.
void offline_clock_set(double seconds, int32_t position);
