// The 16x16x16 scalar grid shared by the cube field and the iso-surface.
#pragma once

constexpr int kFieldSize = 16;

extern float scalar_field[kFieldSize][kFieldSize][kFieldSize];  // [x][y][z]
extern float iso_level;       // 0.5 until the first field_update, then 0.1
extern float cell_scale[3];   // per-axis vertex scale, all 1.0

void field_clear();
void field_update(float t);
