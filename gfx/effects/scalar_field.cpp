#include "gfx/effects/scalar_field.h"

float scalar_field[kFieldSize][kFieldSize][kFieldSize];
float iso_level = 0.5f;
float cell_scale[3] = {1.0f, 1.0f, 1.0f};

// Not built yet.
void field_clear() {}
void field_update(float) {}
