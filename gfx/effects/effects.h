// The scene effects the timeline calls each frame. Times are seconds;
// textures are OpenGL texture names.
#pragma once
#include <GL/gl.h>
#include <cstdint>

void picture_flashes();
void strip_drop_in(GLuint texture, double t);
void sprite_rain(GLuint texture, double t);
void sprite_column(GLuint texture, double t);
void sprite_tunnel(GLuint texture, double t);
void sprite_grid_pulse(GLuint texture, double t, double bias);
void draw_rings(double t);

void tube_clear();
void tube_update(float t);
void tube_draw(float phase);

void draw_cube_field(float t);
void draw_cube(float value, float x, float y, float z);

void draw_iso_surface(float t);
void polygonise_cell(const float values[8], float x, float y, float z);
void emit_edge_vertex(int edge, const float values[8], float x, float y, float z, float level);

// Marching-cubes triangles per case: up to five triangles as edge triples,
// -1 ends the list. Case bit n is set when corner n is above the level.
extern const int32_t tri_table[256][15];

// Twist angle of each of the tube's 60 rings, radians; zeroed by tube_clear,
// rewritten by tube_update, read by tube_draw.
constexpr int kTubeRings = 60;
extern float tube_twist[kTubeRings];
