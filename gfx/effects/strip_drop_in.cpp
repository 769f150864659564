#include "gfx/effects/effects.h"

// Not built yet.
void strip_drop_in(GLuint, double) {}
