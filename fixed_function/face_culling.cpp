// Faces that culling would turn away, told on the CPU from their object-space
// corners, so an array of closed shapes sends only the faces that can show:
// the cube field's lattice is half back faces. A face's winding on screen is
// which side of its plane the centre of projection lies on, so the test is a
// cross and a dot product a face, with no vertex transformed. That holds for
// a face reaching behind the eye too: what clipping leaves of it lies in the
// same plane, wound the same way.
#include <cmath>

#include "fixed_function/layer_state.h"

// Faces seen within about a twentieth of a degree of edge on are sent: there
// rounding could decide their winding either way, and GL culls them itself
// if they turn away.
static constexpr float kEdgeOn = 1e-3f;

bool begin_face_culling(FaceCulling* culling)
{
    if (!layer.cull_face || layer.cull_mode == GL_FRONT_AND_BACK) return false;
    projection_centre(culling->centre);
    culling->kept_sign = (layer.front_face == GL_CCW) == (layer.cull_mode == GL_BACK) ? 1.0f : -1.0f;
    return true;
}

bool surely_culled(const FaceCulling& culling, const float* a, const float* b, const float* c)
{
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    // From the face toward the centre of projection (a direction when it
    // lies at infinity, as under glOrtho), scaled by its w.
    const float* e = culling.centre;
    const float d[3] = {a[0] * e[3] - e[0], a[1] * e[3] - e[1], a[2] * e[3] - e[2]};
    const float facing = (n[0] * d[0] + n[1] * d[1] + n[2] * d[2]) * culling.kept_sign;
    const float n_squared = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    const float d_squared = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    return facing < -kEdgeOn * std::sqrt(n_squared * d_squared);
}
