#include "gfx/effects/effects.h"

// Not built yet.
void sprite_column(GLuint, double) {}
