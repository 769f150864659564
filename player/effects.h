// Effect commands of a converted cell, run by pt_tick after select_voice for
// the cell's channel. Internal to the player.
#pragma once
#include <cstdint>

// Cell bytes: sample number, note index (84 = none), command 0..15, parameter.
// channel is 0..31.

// Tick 0, after the row-start note steps.
void pt_effect_row_start(int32_t channel, const uint8_t* cell);
// Ticks 1 .. speed - 1 of the row.
void pt_effect_later_tick(int32_t channel, const uint8_t* cell);
