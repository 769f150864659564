#include <GL/gl.h>

#include <cmath>

#include "gfx/additive_sprites.h"
#include "gfx/effects/effects.h"
#include "gfx/unit_quad.h"

static constexpr int kTunnelRings = 6;
static constexpr int kTunnelSpritesPerRing = 10;

// Six rings of ten half-size sprites at radius 2 around the view axis, 10
// units apart on a 60-unit band in front of z = -60, flying toward the
// viewer at 10 units per second and wrapping to the far end. Colour and
// blend function stay as set; the matrix is restored.
void sprite_tunnel(GLuint texture, double t)
{
    begin_additive_sprites(texture, 0.8f);
    glTranslatef(0, 0, -60);
    glRotatef(static_cast<float>(20 * t), 0, 0, 1);
    for (int r = 0; r < kTunnelRings; ++r) {
        // Not undone: each ring's twist adds to those of the rings before it.
        // Rings pair up (r / 2) on the same twist term.
        glRotatef(static_cast<float>(20 * std::sin(2 * t + r / 2)), 0, 0, 1);
        const float z = static_cast<float>(std::fmod(10 * r + 10 * t, 60));
        const float spin = static_cast<float>(180 * std::sin(r + t));
        for (int k = 0; k < kTunnelSpritesPerRing; ++k) {
            glPushMatrix();
            glRotatef(static_cast<float>(36 * k), 0, 0, 1);
            glTranslatef(2, 0, z);
            glScalef(0.5f, 0.5f, 1);
            glRotatef(spin, 0, 0, 1);
            draw_unit_quad();
            glPopMatrix();
        }
    }
    end_additive_sprites();
}
