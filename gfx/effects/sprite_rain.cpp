#include "gfx/effects/effects.h"

// Not built yet.
void sprite_rain(GLuint, double) {}
