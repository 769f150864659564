#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "gfx/unit_quad.h"

static constexpr int kRainLayers = 3;
static constexpr int kRainSpritesPerLayer = 12;

// 36 sprites in three layers at z -12, -8 and -4, falling 2 units per second
// through a 14-unit band and spinning, added over the scene. The layer
// translations add up to zero, so the matrix comes back as it went in without
// a push; colour, blend function and texture binding stay as set.
void sprite_rain(GLuint texture, double t)
{
    glTranslatef(0, 0, -12);
    glColor4f(1, 1, 1, 0.5f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, texture);

    // Keeps growing across layers: sprite k turns by 50t + 10k degrees.
    double angle = 50 * t;
    for (int layer = 0; layer < kRainLayers; ++layer) {
        for (int j = 0; j < kRainSpritesPerLayer; ++j) {
            glPushMatrix();
            const double x = std::fmod(j + 7 * layer, 12) - 6;
            // 100000 keeps the dividend positive for any time the show reaches.
            const double y = std::fmod(3 * j + 100000 - 2 * t + 5 * layer, 14) - 7;
            glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
            glRotatef(static_cast<float>(j % 2 == 1 ? angle : -angle), 0, 0, 1);
            draw_unit_quad();
            glPopMatrix();
            angle += 10;
        }
        glTranslatef(0, 0, 4);
    }
    glDisable(GL_BLEND);
}
