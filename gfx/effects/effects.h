// The scene effects the timeline calls each frame. Times are seconds;
// textures are OpenGL texture names.
#pragma once
#include <GL/gl.h>
#include <cstdint>

// What an effect leaves for the frames after it. A show stepped unseen to a
// frame (a still, a chapter, a show started part-way) runs only the effects
// that keep state and leaves out those that only draw, so each effect the
// timeline calls says here, beside it, which it is. An effect keeps state
// when anything it sets outlives its frame: arrays it fills, times it
// latches, OpenGL state a later frame would see. test_unseen_steps leaves
// out each draw-only effect in turn and fails where that shows.
enum class FrameState : bool { draws_only = false, kept = true };

void picture_flashes();  // latches its kick and overlay times
constexpr FrameState kPictureFlashesState = FrameState::kept;
void strip_drop_in(GLuint texture, double t);
constexpr FrameState kStripDropInState = FrameState::draws_only;
void sprite_rain(GLuint texture, double t);
constexpr FrameState kSpriteRainState = FrameState::draws_only;
void sprite_column(GLuint texture, double t);
constexpr FrameState kSpriteColumnState = FrameState::draws_only;
void sprite_tunnel(GLuint texture, double t);
constexpr FrameState kSpriteTunnelState = FrameState::draws_only;
void sprite_grid_pulse(GLuint texture, double t, double bias);
constexpr FrameState kSpriteGridPulseState = FrameState::draws_only;
void draw_rings(double t);
constexpr FrameState kDrawRingsState = FrameState::draws_only;

void tube_clear();
void tube_update(float t);  // fills tube_twist
constexpr FrameState kTubeUpdateState = FrameState::kept;
void tube_draw(float phase);
constexpr FrameState kTubeDrawState = FrameState::draws_only;

void draw_cube_field(float t);
constexpr FrameState kDrawCubeFieldState = FrameState::draws_only;
void draw_cube(float value, float x, float y, float z);

void draw_iso_surface(float t);
constexpr FrameState kDrawIsoSurfaceState = FrameState::draws_only;
void polygonise_cell(const float values[8], float x, float y, float z);
void emit_edge_vertex(int edge, const float values[8], float x, float y, float z, float level);

// Marching-cubes triangles per case: up to five triangles as edge triples,
// -1 ends the list. Case bit n is set when corner n is above the level.
extern const int32_t tri_table[256][15];

// Twist angle of each of the tube's 60 rings, radians; zeroed by tube_clear,
// rewritten by tube_update, read by tube_draw.
constexpr int kTubeRings = 60;
extern float tube_twist[kTubeRings];
