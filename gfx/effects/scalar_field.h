// The 16x16x16 scalar grid shared by the cube field and the iso-surface.
// Lattice point [i][j][k] stands at model coordinates
// ((i - 8) * cell_scale[0], (j - 8) * cell_scale[1], (k - 8) * cell_scale[2]).
#pragma once

#include "gfx/effects/effects.h"  // FrameState

constexpr int kFieldSize = 16;

extern float scalar_field[kFieldSize][kFieldSize][kFieldSize];  // [x][y][z], values 0..3
extern float iso_level;       // 0.5 until the first field_update, then 0.1
extern float cell_scale[3];   // per-axis vertex scale, all 1.0

// Zeroes every value of the grid.
void field_clear();
// Sets iso_level to 0.1 and refills the grid from three spherical sources
// placed by t (seconds, already scaled by the caller).
void field_update(float t);
constexpr FrameState kFieldUpdateState = FrameState::kept;  // fills scalar_field
