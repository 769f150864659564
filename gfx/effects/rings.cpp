#include "gfx/effects/effects.h"

// Not built yet.
void draw_rings(double) {}
