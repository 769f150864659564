#include "gfx/effects/effects.h"

// Not built yet.
void tube_clear() {}
void tube_update(float) {}
void tube_draw(float) {}
