#include "gfx/effects/picture_flashes.h"

#include <GL/gl.h>

#include <cstdint>

#include "gfx/effects/effects.h"
#include "gfx/effects/flash_tables.h"
#include "gfx/show_clock.h"
#include "gfx/textures.h"
#include "gfx/unit_quad.h"

double kick_start = 0.0;
double kick_sign = 1.0;
double overlay_start = 0.0;
int overlay_pick = 0;

static constexpr double kPictureScale = 1.33;  // the quad spans the view's width
static constexpr double kKickLength = 0.2;     // seconds
static constexpr double kOverlayLength = 0.6;  // seconds

// Kept as the soundtrack's beat lists were written: every matching entry
// acts, in every frame the position matches. A kick row therefore keeps
// restarting the pulse (it plays out after the row) and flips the tilt once
// per frame.
static void scan_kicks(int32_t pos)
{
    for (const int32_t* entry = kick_positions; *entry != -1; ++entry) {
        if (*entry != pos) continue;
        kick_start = demo_time();
        kick_sign = -kick_sign;
    }
}

// A running overlay is never restarted; a listed row that outlasts an
// overlay triggers the next one.
static void scan_overlays(int32_t pos)
{
    for (const int32_t* entry = overlay_positions; *entry != -1; ++entry) {
        if (*entry != pos || overlay_start > 0.0) continue;
        overlay_start = demo_time();
        overlay_pick = 1 - overlay_pick;
    }
}

// Applies the kick zoom-and-tilt (or the plain picture scale) to the matrix
// and returns the picture's brightness.
static float apply_kick()
{
    if (!(kick_start > 0.0)) {
        glScalef(static_cast<float>(kPictureScale), static_cast<float>(kPictureScale), 0);
        return 0.8f;
    }
    const double d = demo_time() - kick_start;
    if (d > kKickLength) {
        // The pulse is over; this last frame is still drawn bright.
        glScalef(static_cast<float>(kPictureScale), static_cast<float>(kPictureScale), 0);
        kick_start = 0.0;
        return 1.0f;
    }
    // 0 at d = 0, 0.15 at d = 0.1, 0 again at d = 0.2.
    const double s = (0.01 - (d - 0.1) * (d - 0.1)) * 15;
    glRotatef(static_cast<float>(kick_sign * s * 5), 0, 0, 1);
    const float scale = static_cast<float>(s + kPictureScale);
    glScalef(scale, scale, 0);
    return 1.0f;
}

static void draw_overlay()
{
    glBindTexture(GL_TEXTURE_2D, textures[overlay_pick == 0 ? 2 : 4]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glPushMatrix();
    glColor3f(1, 1, 1);
    const double d = demo_time() - overlay_start;
    if (d > kOverlayLength) {
        // Last frame: a degenerate quad that shows nothing.
        glScalef(0, 0, 0);
        overlay_start = 0.0;
    } else {
        // 0 at d = 0, 1.8 at d = 0.3, 0 again at d = 0.6.
        const double s = (0.09 - (d - 0.3) * (d - 0.3)) * 20;
        glRotatef(static_cast<float>((demo_time() - overlay_start) * 140), 0, 0, 1);
        glScalef(static_cast<float>(s), static_cast<float>(s), 0);
    }
    draw_unit_quad();
    glDisable(GL_BLEND);
    glPopMatrix();
}

void picture_flashes()
{
    // Two reads: the order index from the first (as unsigned, so the -37
    // before the first row falls out), the beat match from the second.
    const uint32_t order = static_cast<uint32_t>(song_position()) / 100;
    const int32_t pos = song_position();
    if (order >= static_cast<uint32_t>(kOrderPictureCount)) return;

    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    // Kicks and overlays are timed even in patterns without a picture.
    scan_kicks(pos);
    scan_overlays(pos);
    const float brightness = apply_kick();
    const int32_t picture = order_pictures[order];
    if (picture != -1) {
        glBindTexture(GL_TEXTURE_2D, textures[picture]);
        glColor3f(brightness, brightness, brightness);
        draw_unit_quad();
    }
    glPopMatrix();

    if (overlay_start > 0.0) draw_overlay();
    glColor3f(1, 1, 1);
}
