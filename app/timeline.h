// The scene timeline: which effects a frame draws, by song position.
#pragma once
#include <GL/gl.h>

// The effects the timeline calls; times in seconds, textures as GL names.
// Every slot is filled: scene_effects holds the demo's own effects until
// something (a test) installs others.
struct SceneEffects {
    void (*picture_flashes)();
    void (*strip_drop_in)(GLuint texture, double t);
    void (*sprite_rain)(GLuint texture, double t);
    void (*sprite_column)(GLuint texture, double t);
    void (*sprite_tunnel)(GLuint texture, double t);
    void (*sprite_grid_pulse)(GLuint texture, double t, double bias);
    void (*draw_rings)(double t);
    void (*tube_update)(float t);
    void (*tube_draw)(float phase);
    void (*field_update)(float t);
    void (*draw_cube_field)(float t);
    void (*draw_iso_surface)(float t);
};
extern SceneEffects scene_effects;
extern const SceneEffects kDemoEffects;
// The demo's effects less those that only draw (each effect's FrameState):
// what a frame nobody sees runs, so the frames after it find every state as
// a show drawn in full leaves it.
extern const SceneEffects kUnseenEffects;

// Start latches, 0.0 until first set; never cleared.
extern double zoom_start;
extern double pulse_start;
extern double strip_start;

// p is the frame's song position read as unsigned 32-bit, as a double;
// width x height is the size in pixels of the picture being drawn, which the
// closing zoom-out shrinks; outlines are 2 pixels wide per 768 of its height,
// however far the zoom-out has shrunk it.
void run_timeline(double p, int width, int height);
