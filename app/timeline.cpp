#include "app/timeline.h"

#include <GL/gl.h>

#include <cmath>

#include "app/sections.h"
#include "app/shell.h"
#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "gfx/line_width.h"
#include "gfx/show_clock.h"
#include "gfx/textures.h"

const SceneEffects kDemoEffects = {
    picture_flashes, strip_drop_in, sprite_rain,  sprite_column,  sprite_tunnel,   sprite_grid_pulse,
    draw_rings,      tube_update,   tube_draw,    field_update,   draw_cube_field, draw_iso_surface,
};
SceneEffects scene_effects = kDemoEffects;

// An effect left out of a frame nobody sees.
template <typename... Args>
static void left_out(Args...)
{
}

template <FrameState kState, typename... Args>
static constexpr auto unseen(void (*effect)(Args...))
{
    return kState == FrameState::kept ? effect : &left_out<Args...>;
}

const SceneEffects kUnseenEffects = {
    unseen<kPictureFlashesState>(picture_flashes),
    unseen<kStripDropInState>(strip_drop_in),
    unseen<kSpriteRainState>(sprite_rain),
    unseen<kSpriteColumnState>(sprite_column),
    unseen<kSpriteTunnelState>(sprite_tunnel),
    unseen<kSpriteGridPulseState>(sprite_grid_pulse),
    unseen<kDrawRingsState>(draw_rings),
    unseen<kTubeUpdateState>(tube_update),
    unseen<kTubeDrawState>(tube_draw),
    unseen<kFieldUpdateState>(field_update),
    unseen<kDrawCubeFieldState>(draw_cube_field),
    unseen<kDrawIsoSurfaceState>(draw_iso_surface),
};
// Each slot of both tables above is filled: a slot added to SceneEffects
// without its FrameState would be left null here.
static_assert(sizeof(SceneEffects) == 12 * sizeof(void (*)()), "a new effect needs its slot in both tables");

double zoom_start = 0.0;
double pulse_start = 0.0;
double strip_start = 0.0;

// Every time argument below is a fresh demo_time() read, in the order the
// reads are written; where one value depends on two reads they are taken
// into locals first, since argument evaluation order is unspecified.

// Whether position p has reached section s, and whether it lies within it
// (before the next one starts).
static bool reached(double p, Section s)
{
    return p >= kSections[s].first;
}

static bool within(double p, Section s)
{
    return reached(p, s) && p < kSections[s + 1].first;
}

// Sets a start latch on its first use; it is never cleared, so coming back
// into a section keeps the first value.
static void latch(double* start)
{
    if (*start == 0.0) *start = demo_time();
}

// A length in the demo window's pixels, in pixels of a picture of another
// size (truncated).
static GLint scaled(GLint value, int size, int window_size)
{
    return static_cast<GLint>(static_cast<int64_t>(value) * size / window_size);
}

// Shrinks the whole picture into the centre from the moment the zoom began:
// full picture at 0 s, 1/16 of its width and height at 1 s. The rectangle is
// worked out in the demo window's whole pixels and then scaled, so a picture
// of another size zooms in the same steps as the window.
static void zoom_out_viewport(int width, int height)
{
    latch(&zoom_start);
    const double u = demo_time() - zoom_start;
    const double e = 1.0 / (15 * u * u + 1);
    const GLint x = static_cast<GLint>(kScreenWidth / 2 - kScreenWidth / 2 * e);
    const GLint y = static_cast<GLint>(kScreenHeight / 2 - kScreenHeight / 2 * e);
    const GLint w = static_cast<GLint>(kScreenWidth * e);
    const GLint h = static_cast<GLint>(kScreenHeight * e);
    glViewport(scaled(x, width, kScreenWidth), scaled(y, height, kScreenHeight), scaled(w, width, kScreenWidth),
               scaled(h, height, kScreenHeight));
}

// The 3D effects draw untextured and depth-tested.
static void begin_3d()
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

static void end_3d()
{
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
}

// The grid pulse with a bias swinging with the clock: the bias from one read,
// the time argument from the next.
static void swinging_grid_pulse(double amplitude, double offset)
{
    const double bias = amplitude * std::sin(demo_time()) + offset;
    const double t = demo_time();
    scene_effects.sprite_grid_pulse(textures[7], t, bias);
}

// Left on the model-view matrix for the rest of the frame, on purpose: the
// tunnel drawn after them sways with the view.
static void sway_rotations()
{
    glRotatef(static_cast<float>(20 * std::sin(demo_time())), 0, 1, 0);
    glRotatef(static_cast<float>(5 * std::cos(demo_time())), 1, 0, 0);
}

static void opening()
{
    scene_effects.draw_rings(demo_time());
    scene_effects.strip_drop_in(textures[5], demo_time());
}

static void tilted_pulse_and_iso_surface()
{
    glPushMatrix();
    glRotatef(45, 0, 0, 1);
    glColor3f(0.6f, 0, 0.8f);
    swinging_grid_pulse(1.0 / 13.0, -0.05);
    glColor3f(1, 1, 1);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0, 0, -28);
    begin_3d();
    scene_effects.field_update(static_cast<float>(demo_time() * (1.0 / 3.0)));
    scene_effects.draw_iso_surface(static_cast<float>(2 * demo_time()));
    end_3d();
    glPopMatrix();

    scene_effects.sprite_column(textures[4], demo_time());
}

static void tube_section()
{
    glColor3f(0.6f, 0, 0.6f);
    swinging_grid_pulse(0.1, 0.0);

    glPushMatrix();
    begin_3d();
    scene_effects.tube_update(static_cast<float>(demo_time()));
    glTranslatef(-3, 0, 0);  // tube_draw loads its own matrix over this
    scene_effects.tube_draw(static_cast<float>(2 * demo_time()));
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();

    glColor3f(0.7f, 0, 0.7f);
    swinging_grid_pulse(0.05, -0.1);
    scene_effects.sprite_rain(textures[2], demo_time());
}

static void finale(double p)
{
    scene_effects.draw_rings(demo_time());
    if (reached(p, kSectionCubeField)) glClear(GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glTranslatef(0, 0, -12);
    begin_3d();
    scene_effects.field_update(static_cast<float>(demo_time() * (1.0 / 7.0)));
    scene_effects.draw_cube_field(static_cast<float>(2 * demo_time()));
    end_3d();
    glPopMatrix();
    // A falling clock makes the column sink.
    scene_effects.sprite_column(textures[4], 10000 - demo_time());
}

static void spin_section()
{
    scene_effects.sprite_rain(textures[2], demo_time());
    sway_rotations();
    scene_effects.sprite_tunnel(textures[2], demo_time());
}

static void strip_section()
{
    latch(&strip_start);
    scene_effects.strip_drop_in(textures[6], (demo_time() - strip_start) * 1.5);
    sway_rotations();
    scene_effects.sprite_tunnel(textures[4], demo_time());
}

// Black grid growing out of nothing from the section's start; the black is
// left in force for the next frame's first drawing.
static void pulse_section()
{
    latch(&pulse_start);
    const double d = demo_time() - pulse_start;
    glColor3f(0, 0, 0);
    scene_effects.sprite_grid_pulse(textures[7], demo_time(), d * (1.0 / 3.0) - 0.5);
}

void run_timeline(double p, int width, int height)
{
    set_picture_lines(height);
    if (p > kSections[kSectionCubeField].last) zoom_out_viewport(width, height);
    if (!reached(p, kSectionPictureFlashes)) opening();
    if (within(p, kSectionIsoSurfaceColumn)) tilted_pulse_and_iso_surface();
    if (within(p, kSectionTube)) tube_section();
    if (reached(p, kSectionRingsAndCubeField)) finale(p);
    scene_effects.picture_flashes();
    if (within(p, kSectionPlasmaRainTunnel)) spin_section();
    // The column is drawn a second time, after the flashes.
    if (within(p, kSectionIsoSurfaceColumn)) scene_effects.sprite_column(textures[4], demo_time());
    if (within(p, kSectionSunsetStripsTunnel)) strip_section();
    if (within(p, kSectionGrowingGrid)) pulse_section();
}
