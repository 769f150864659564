#include "gfx/effects/effects.h"

// Not built yet.
const int32_t tri_table[256][15] = {};
