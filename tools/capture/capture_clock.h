// The capture's own show clock: simulated time and the song position the
// frame being drawn was given, installed in place of the live clock.
#pragma once
#include <cstdint>

// Installs the capture clock as the show clock, and the tick recorder as the
// player's tick observer.
void install_capture_clock();
// seconds: simulated time since the first frame; position: the song position
// in force at the frame's sample.
void capture_clock_set(double seconds, int32_t position);
