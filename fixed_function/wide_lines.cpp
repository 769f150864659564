// Lines as triangles: ES may draw lines only one pixel wide (WebGL always
// does), so each segment becomes the parallelogram OpenGL fills for a wide
// aliased line: a line more across than up is widened straight up and down
// by the line width in pixels, any other straight left and right.
#include <cmath>

#include "fixed_function/layer_state.h"

static BatchVertex mix(const BatchVertex& a, const BatchVertex& b, float t)
{
    BatchVertex out;
    for (int k = 0; k < 4; ++k) out.position[k] = a.position[k] + (b.position[k] - a.position[k]) * t;
    for (int k = 0; k < 4; ++k) out.color[k] = a.color[k] + (b.color[k] - a.color[k]) * t;
    for (int k = 0; k < 2; ++k) out.texcoord[k] = a.texcoord[k] + (b.texcoord[k] - a.texcoord[k]) * t;
    return out;
}

// Distance inside the near plane (z >= -w in clip space).
static float near_distance(const BatchVertex& v)
{
    return v.position[2] + v.position[3];
}

void batch_line(const BatchVertex& from, const BatchVertex& to)
{
    // Cut at the near plane first: the widening divides by w.
    BatchVertex a = from, b = to;
    const float da = near_distance(a), db = near_distance(b);
    if (da < 0 && db < 0) return;
    if (da < 0) a = mix(a, b, da / (da - db));
    if (db < 0) b = mix(b, a, db / (db - da));

    const float half_width_x = static_cast<float>(layer.viewport[2]) / 2;
    const float half_width_y = static_cast<float>(layer.viewport[3]) / 2;
    const float dx = (b.position[0] / b.position[3] - a.position[0] / a.position[3]) * half_width_x;
    const float dy = (b.position[1] / b.position[3] - a.position[1] / a.position[3]) * half_width_y;
    // Half the width, in normalised device units along the widened axis.
    const bool across = std::fabs(dx) >= std::fabs(dy);
    const int axis = across ? 1 : 0;
    const float half = layer.line_width / 2 / (across ? half_width_y : half_width_x);

    BatchVertex corners[4] = {a, a, b, b};
    corners[0].position[axis] -= half * a.position[3];
    corners[1].position[axis] += half * a.position[3];
    corners[2].position[axis] -= half * b.position[3];
    corners[3].position[axis] += half * b.position[3];
    // Lines are never culled: wind the pair as a face culling keeps.
    const float ax = corners[2].position[0] / b.position[3] - corners[0].position[0] / a.position[3];
    const float ay = corners[2].position[1] / b.position[3] - corners[0].position[1] / a.position[3];
    const float bx = corners[3].position[0] / b.position[3] - corners[0].position[0] / a.position[3];
    const float by = corners[3].position[1] / b.position[3] - corners[0].position[1] / a.position[3];
    const bool counter_clockwise = ax * by - ay * bx > 0;
    const bool front = counter_clockwise == (layer.front_face == GL_CCW);
    const bool kept = front == (layer.cull_mode != GL_FRONT);
    const uint16_t i = batch_vertices(corners, 4);
    if (kept) {
        batch_triangle(i, i + 2, i + 3);
        batch_triangle(i, i + 3, i + 1);
    } else {
        batch_triangle(i, i + 3, i + 2);
        batch_triangle(i, i + 1, i + 3);
    }
}
