#include "gfx/effects/effects.h"

// Not built yet.
void sprite_tunnel(GLuint, double) {}
