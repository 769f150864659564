// Where the 2D effects put their quads, from GL_FEEDBACK output under an
// orthographic view mapping eye space linearly to the window; the blend function.
#pragma once
#include <GL/gl.h>

#include <cmath>
#include <utility>
#include <vector>

#include "tests/gl_test_context.h"

// Eye x, y in -64..64 at 10 pixels per unit; eye z in -200..200.
inline void linear_view()
{
    glViewport(0, 0, 1280, 1280);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-64, 64, -64, 64, -200, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// One drawn quad in eye space. The unit quad's corners (-1,-1), (1,-1),
// (1,1), (-1,1) are told apart by their texture coordinates.
struct Quad {
    std::vector<FeedbackVertex> vertices;  // window space
    double x, y, z, angle, half_width;     // centre; degrees of the x edge
    double y_min, y_max, t_min, t_max;
};

inline Quad make_quad(const std::vector<FeedbackVertex>& vertices)
{
    Quad q{vertices, 0, 0, 0, 0, 0, 1e9, -1e9, 1e9, -1e9};
    double cx[4] = {}, cy[4] = {};
    for (const FeedbackVertex& v : vertices) {
        const double x = v.x / 10 - 64, y = v.y / 10 - 64;
        q.z = (0.5 - v.z) * 400;
        q.y_min = std::fmin(q.y_min, y), q.y_max = std::fmax(q.y_max, y);
        q.t_min = std::fmin(q.t_min, v.t), q.t_max = std::fmax(q.t_max, v.t);
        const int corner = v.s < 0.5 ? (v.t > 0.5 ? 0 : 3) : (v.t > 0.5 ? 1 : 2);
        cx[corner] = x, cy[corner] = y;
    }
    q.x = (cx[0] + cx[2]) / 2, q.y = (cy[0] + cy[2]) / 2;
    q.angle = std::atan2(cy[1] - cy[0], cx[1] - cx[0]) * 180 / M_PI;
    q.half_width = std::hypot(cx[1] - cx[0], cy[1] - cy[0]) / 2;
    return q;
}

// The driver may hand a quad back whole or as two triangles.
inline std::vector<Quad> captured_quads(void (*draw)())
{
    std::vector<Quad> quads;
    std::vector<FeedbackVertex> pending;
    for (const auto& polygon : feedback_polygons(capture_feedback(draw))) {
        pending.insert(pending.end(), polygon.begin(), polygon.end());
        if (polygon.size() == 3 && pending.size() == 3) continue;
        quads.push_back(make_quad(pending));
        pending.clear();
    }
    return quads;
}

// Difference of two angles in degrees, folded into -180..180.
inline double angle_gap(double a, double b) { return std::remainder(a - b, 360.0); }

inline std::pair<GLint, GLint> blend_function()
{
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    return {src, dst};
}
