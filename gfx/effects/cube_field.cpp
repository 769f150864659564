#include "gfx/effects/effects.h"

// Not built yet.
void draw_cube_field(float) {}
void draw_cube(float, float, float, float) {}
