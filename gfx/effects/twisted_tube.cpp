#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "gfx/line_width.h"

float tube_twist[kTubeRings];

static constexpr int kTubeSides = 4;
static constexpr double kTubeRadius = 5;
static constexpr double kEdgeRadius = 5.001;  // lines just outside the faces
static constexpr double kEdgeZPush = 0.01;
static constexpr double kRingSpacing = 0.5;
// Not 2*pi: the last side stops 0.0012 rad short of the first, as it always has.
static constexpr double kSideTurn = 6.282;
static constexpr float kSegmentShade = 0.016666668f;  // 1/60 per segment

void tube_clear()
{
    for (float& twist : tube_twist) twist = 0;
}

// Steady spin, a fixed twist along the tube, a common wobble and a wave
// running along the rings.
void tube_update(float t)
{
    const double wobble = std::sin(t * 1.05f);
    const double wave_phase = 2 * std::sin(t + wobble);
    for (int k = 0; k < kTubeRings; ++k) {
        const float along = k * 0.05f + t;
        const float wave_angle = k * 0.2f;
        tube_twist[k] = static_cast<float>(along + wobble + std::cos(wave_angle + wave_phase));
    }
}

// Surface and edge-line points of one ring at each side angle (side 4 is
// the closing angle 6.282), as the floats handed to glVertex.
struct RingPoints {
    float surface[kTubeSides + 1][3];
    float edge[kTubeSides + 1][3];
};

static void ring_points(int k, float phase, RingPoints& out)
{
    const float offset_angle = 0.2f * k + phase;
    const double offset = std::sin(offset_angle);
    const double y = kRingSpacing * k;
    for (int j = 0; j <= kTubeSides; ++j) {
        const float angle = static_cast<float>(kSideTurn * j / kTubeSides + tube_twist[k]);
        const double s = std::sin(angle), c = std::cos(angle);
        out.surface[j][0] = static_cast<float>(kTubeRadius * s + offset);
        out.surface[j][1] = static_cast<float>(y);
        out.surface[j][2] = static_cast<float>(kTubeRadius * c);
        out.edge[j][0] = static_cast<float>(kEdgeRadius * s + offset);
        out.edge[j][1] = static_cast<float>(y);
        out.edge[j][2] = static_cast<float>(kEdgeRadius * c + kEdgeZPush);
    }
}

// Draws the tube for phase T (seconds) at (-3, -15, -20) under its own
// model-view matrix. Leaves colour black, line width 2 and culling as it
// was.
//
// The faces wind counter-clockwise seen from outside, and the tube's open
// ends lie beyond the top and bottom of the view: every face turned away
// from the eye lies behind one turned toward it, so those are culled rather
// than filled and then covered. Only outline pixels, where a face seen from
// behind meets one seen from the front at the same depth, can change.
void tube_draw(float phase)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-3, -15, -20);
    const GLboolean was_culling = glIsEnabled(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    // Each ring's points serve two segments: compute them once.
    RingPoints rings[kTubeRings];
    for (int k = 0; k < kTubeRings; ++k) ring_points(k, phase, rings[k]);

    for (int i = 0; i + 1 < kTubeRings; ++i) {
        const RingPoints& near = rings[i];
        const RingPoints& far = rings[i + 1];
        const float shade = i * kSegmentShade;
        for (int j = 0; j < kTubeSides; ++j) {
            const float side = j / 4.0f;
            // Green goes negative on the first rings' lower sides; GL clamps it.
            glColor4f(shade, shade - side, side, 1);
            glBegin(GL_QUADS);
            glVertex3fv(near.surface[j]);
            glVertex3fv(near.surface[j + 1]);
            glVertex3fv(far.surface[j + 1]);
            glVertex3fv(far.surface[j]);
            glEnd();
            glColor4f(0, 0, 0, 1);
            glLineWidth(outline_width());
            glBegin(GL_LINES);
            glVertex3fv(near.edge[j]);
            glVertex3fv(far.edge[j]);
            glVertex3fv(near.edge[j + 1]);
            glVertex3fv(far.edge[j + 1]);
            glEnd();
        }
    }
    if (!was_culling) glDisable(GL_CULL_FACE);
}
