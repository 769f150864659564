#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "gfx/line_width.h"

static constexpr int kRingCount = 10;
static constexpr double kRingStep = 0.4;      // inner radius grows by this per ring
static constexpr double kRingWidth = 0.2;     // outer radius = inner + width
static constexpr double kHalfDepth = 0.2;     // rings span z -0.2..0.2
static constexpr double kCentreRadius = 0.4;  // circle the centres run around
static constexpr int kMaxSamples = 32;

struct AngleSamples {
    int count;
    double sin_a[kMaxSamples];
    double cos_a[kMaxSamples];
};

// The angles grow by 2*pi/30 by repeated addition while they stay within
// 2*pi + 0.2: 31 samples, the last at 2*pi, so every strip closes. They are
// the same for every ring, so their sines and cosines are taken once a frame.
static void sample_angles(AngleSamples& samples)
{
    const double two_pi = 2 * M_PI;
    samples.count = 0;
    for (double a = 0; a <= two_pi + 0.2 && samples.count < kMaxSamples; a += two_pi / 30) {
        samples.sin_a[samples.count] = std::sin(a);
        samples.cos_a[samples.count] = std::cos(a);
        ++samples.count;
    }
}

// Angle 0 points straight up from the ring's centre.
static void ring_vertex(const AngleSamples& s, int n, double radius, double z, double cx, double cy)
{
    glVertex3f(static_cast<float>(radius * s.sin_a[n] + cx), static_cast<float>(radius * s.cos_a[n] + cy),
               static_cast<float>(z));
}

// One pass over all ten rings: pass 0 front faces, 1 inner walls, 2 outer
// walls (triangle strips), 3 outer rims, 4 inner rims (line strips).
static void ring_pass(int pass, const AngleSamples& s, const double centre_x[], const double centre_y[])
{
    double r = 0;
    for (int ring = 0; ring < kRingCount; ++ring, r += kRingStep) {
        const double cx = centre_x[ring], cy = centre_y[ring];
        const double outer = r + kRingWidth;
        glBegin(pass < 3 ? GL_TRIANGLE_STRIP : GL_LINE_STRIP);
        for (int n = 0; n < s.count; ++n) {
            switch (pass) {
            case 0:
                ring_vertex(s, n, r, kHalfDepth, cx, cy);
                ring_vertex(s, n, outer, kHalfDepth, cx, cy);
                break;
            case 1:
                ring_vertex(s, n, r, -kHalfDepth, cx, cy);
                ring_vertex(s, n, r, kHalfDepth, cx, cy);
                break;
            case 2:
                ring_vertex(s, n, outer, -kHalfDepth, cx, cy);
                ring_vertex(s, n, outer, kHalfDepth, cx, cy);
                break;
            case 3:
                ring_vertex(s, n, outer, kHalfDepth, cx, cy);
                break;
            default:
                ring_vertex(s, n, r, kHalfDepth, cx, cy);
                break;
            }
        }
        glEnd();
    }
}

// Ten purple washers whose centres circle at 4 rad/s, each 0.5 rad ahead of
// the one inside it, swaying about y; black rims drawn over everything.
// Leaves depth test, texturing and culling off, line width 2, colour white.
void draw_rings(double t)
{
    glPushMatrix();
    glTranslatef(0, 0, -2);
    glRotatef(static_cast<float>(20 * std::sin(t)), 0, 1, 0);
    // The tilt is cos 2t degrees itself, so it stays within one degree.
    glRotatef(static_cast<float>(std::cos(2 * t)), 1, 0, 0);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);

    AngleSamples samples;
    sample_angles(samples);
    double centre_x[kRingCount], centre_y[kRingCount];
    for (int ring = 0; ring < kRingCount; ++ring) {
        const double phase = 4 * t + ring * 0.5;
        centre_x[ring] = kCentreRadius * std::cos(phase);
        centre_y[ring] = kCentreRadius * std::sin(phase);
    }

    for (int pass = 0; pass < 5; ++pass) {
        glPushMatrix();
        if (pass == 0) {
            glColor3f(0.8f, 0, 0.8f);
        } else if (pass < 3) {
            glColor3f(0.6f, 0, 0.6f);
        } else {
            glDisable(GL_DEPTH_TEST);
            glLineWidth(outline_width());
            glColor3f(0, 0, 0);
        }
        ring_pass(pass, samples, centre_x, centre_y);
        glPopMatrix();
    }

    glDisable(GL_DEPTH_TEST);
    glPopMatrix();
    glColor3f(1, 1, 1);
}
