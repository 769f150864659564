// Lines as triangles: ES may draw lines only one pixel wide (WebGL always
// does), so each segment becomes the parallelogram OpenGL fills for a wide
// aliased line. The CPU only records the four corners, each with both of
// the line's ends; the vertex shader cuts the line at the near plane, picks
// the widening axis (straight up and down for a line more across than up,
// else left and right), moves the corner half the width in pixels along it
// and winds the pair as a face culling keeps, since lines are never culled.
// Lines are drawn unlit (the demo lights none).
#include "fixed_function/layer_state.h"

void batch_line(const LayerVertex& a, const LayerVertex& b)
{
    LayerVertex corners[4] = {a, a, b, b};
    for (int k = 0; k < 4; ++k) {
        const LayerVertex& own = k < 2 ? a : b;
        const LayerVertex& other = k < 2 ? b : a;
        for (int axis = 0; axis < 3; ++axis) {
            corners[k].position[axis] = own.position[axis];
            corners[k].extra[axis] = other.position[axis];
        }
        corners[k].control = kVertexLine + (k < 2 ? kVertexLineFirst : 0) + (k % 2 == 0 ? kVertexLineLeft : 0);
    }
    const uint16_t i = batch_vertices(corners, 4);
    batch_triangle(i, i + 2, i + 3);
    batch_triangle(i, i + 3, i + 1);
}
