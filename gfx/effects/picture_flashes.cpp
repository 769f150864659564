#include "gfx/effects/effects.h"

// Not built yet.
void picture_flashes() {}
