#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "gfx/unit_quad.h"

static constexpr int kGridSize = 20;

// A 20 x 20 grid, 0.2 apart from (-2, -2) to (1.8, 1.8), of sprites whose
// sizes ripple in a travelling wave around 0.1 + bias. Scales below zero
// become 0, so a bias under -1/6 hides the grid (the quads are still issued).
// Drawn with alpha testing, not blending, in the caller's colour; texturing
// is left on, the matrix restored.
void sprite_grid_pulse(GLuint texture, double t, double bias)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    glAlphaFunc(GL_GREATER, 0.5f);
    glPushMatrix();
    for (int i = 0; i < kGridSize; ++i) {
        const double wobble = std::cos(i + t) / 30;
        for (int j = 0; j < kGridSize; ++j) {
            glPushMatrix();
            glTranslatef(static_cast<float>(0.2 * (j - 10)), static_cast<float>(0.2 * (i - 10)), 0);
            double s = std::sin(0.5 * j + 0.5 * i + 2 * t) / 30 + bias + wobble + 0.1;
            if (s < 0) s = 0;
            glScalef(static_cast<float>(s), static_cast<float>(s), 0);
            draw_unit_quad();
            glPopMatrix();
        }
    }
    glDisable(GL_ALPHA_TEST);
    glPopMatrix();
}
