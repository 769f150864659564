#include "gfx/effects/effects.h"

// Not built yet.
void sprite_grid_pulse(GLuint, double, double) {}
