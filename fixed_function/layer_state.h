// The layer's own copy of the OpenGL 1.x state it emulates, shared by its
// files. Matrices are column-major, as OpenGL hands them out.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <string>

struct Mat4 {
    float m[16];
};

// A vertex as the ES shaders take it: clip-space position, clamped colour,
// texture coordinates.
struct BatchVertex {
    float position[4];
    float color[4];
    float texcoord[2];
};

struct Light {
    bool enabled;
    float diffuse[4];
    float direction[3];  // unit vector toward the light, eye space
};

// What the shaders and the fragment stages need; a change of any of it
// draws what is batched first.
struct DrawState {
    bool texturing;
    bool alpha_test;
    float alpha_reference;
};

struct LayerState {
    // Matrix stacks: [0] model-view, [1] projection.
    Mat4 stack[2][32];
    int depth[2];
    int mode;  // 0 or 1, the stack glMatrixMode chose
    bool mvp_stale;       // the product below must be recomputed
    Mat4 mvp;             // projection * model-view
    float normal_matrix[9];  // inverse transpose of the model-view's 3x3, column-major

    float color[4];
    float texcoord[2];
    float normal[3];

    bool lighting;
    Light lights[2];

    bool blend, depth_test, cull_face;  // mirrored so glIsEnabled needn't ask
    DrawState draw;
    GLenum front_face, cull_mode;
    float line_width;
    int viewport[4];

    // Client arrays for glDrawArrays/glDrawElements.
    bool vertex_array, normal_array;
    const uint8_t* vertex_pointer;
    int vertex_stride;  // bytes
    const uint8_t* normal_pointer;
    int normal_stride;
};

extern LayerState layer;

inline Mat4& current_matrix()
{
    return layer.stack[layer.mode][layer.depth[layer.mode]];
}

// Both stacks to one identity matrix each, model-view chosen.
void reset_matrices();

// Brings layer.mvp and layer.normal_matrix up to date with the stacks.
void update_derived_matrices();

// Transforms and lights one vertex given in object space.
BatchVertex process_vertex(const float position[3], const float normal[3], const float color[4],
                           const float texcoord[2]);

// Appends count vertices (at most kMaxBatchVertices) to the batch, drawing
// what is batched first if they would not fit, and returns the batch index
// of the first; batch_triangle then joins three of them, by those indices.
constexpr size_t kMaxBatchVertices = 65536;  // ES 2.0 indices are 16-bit
uint16_t batch_vertices(const BatchVertex* vertices, size_t count);
void batch_triangle(uint16_t a, uint16_t b, uint16_t c);
// Appends the wide line from a to b as triangles.
void batch_line(const BatchVertex& a, const BatchVertex& b);
// Draws the batch if anything is in it; state setters call it before a change.
void flush_batch();
// Builds the shaders; false with a reason in error.
bool init_batch(std::string* error);
