#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"

static constexpr int kStripCount = 4;
static constexpr float kStripHalfHeight = 0.25f;
static constexpr float kStripSpacing = 0.48f;  // strips overlap by 0.02
static constexpr double kTimeScale = 0.25;     // strips start 4 s apart

// Four horizontal strips of the picture, each falling in from 4 units above
// its rest place (centres 0.7, 0.22, -0.26, -0.74) and settling with a damped
// bounce, added over the scene in the current colour. Leaves blending off,
// texturing on, the blend function (ONE, ONE) and the matrix as it was.
void strip_drop_in(GLuint texture, double t)
{
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ONE);
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTranslatef(0, 0.7f, 0);
    const double scaled = t * kTimeScale;
    for (int i = 0; i < kStripCount; ++i) {
        glPushMatrix();
        if (scaled >= i) {
            const double u = scaled - i;
            const double bounce = std::cos(10 * u) / ((u + 0.5) * (u + 0.5));
            glTranslatef(0, static_cast<float>(bounce), 0);
            // Quarter i of the picture counted from the top, upright.
            const float bottom_t = (i + 1) / 4.0f;
            const float top_t = i / 4.0f;
            glBegin(GL_POLYGON);
            glTexCoord2f(0, bottom_t);
            glVertex3f(-1, -kStripHalfHeight, 0);
            glTexCoord2f(1, bottom_t);
            glVertex3f(1, -kStripHalfHeight, 0);
            glTexCoord2f(1, top_t);
            glVertex3f(1, kStripHalfHeight, 0);
            glTexCoord2f(0, top_t);
            glVertex3f(-1, kStripHalfHeight, 0);
            glEnd();
        }
        glPopMatrix();
        glTranslatef(0, -kStripSpacing, 0);
    }
    glDisable(GL_BLEND);
    glPopMatrix();
}
