#include <GL/gl.h>

#include <cmath>

#include "gfx/additive_sprites.h"
#include "gfx/effects/effects.h"
#include "gfx/unit_quad.h"

static constexpr int kColumnSprites = 10;

// Ten sprites 2 units apart on a 20-unit band at x = 5, z = -10, rising
// 2 units per second (a decreasing t makes them sink), each swinging and
// pulsing between 2/3 and 4/3 of the unit quad. Colour and blend function
// stay as set; the matrix is restored.
void sprite_column(GLuint texture, double t)
{
    begin_additive_sprites(texture, 0.8f);
    glTranslatef(0, 0, -10);
    for (int k = 0; k < kColumnSprites; ++k) {
        glPushMatrix();
        glTranslatef(5, static_cast<float>(std::fmod(2 * k + 2 * t, 20) - 10), 0);
        glRotatef(static_cast<float>(240 * std::sin(t + k) + 10 * k), 0, 0, 1);
        const float s = static_cast<float>(std::sin(t + 3 * k) / 3 + 1);
        glScalef(s, s, 1);
        draw_unit_quad();
        glPopMatrix();
    }
    end_additive_sprites();
}
