#include "gfx/effects/effects.h"

// Not built yet.
void draw_iso_surface(float) {}
void polygonise_cell(const float*, float, float, float) {}
void emit_edge_vertex(int, const float*, float, float, float, float) {}
