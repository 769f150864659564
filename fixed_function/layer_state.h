// The layer's own copy of the OpenGL 1.x state it emulates, shared by its
// files. Matrices are column-major, as OpenGL hands them out.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <string>

#include "fixed_function/fixed_function.h"

struct Mat4 {
    float m[16];
};

// A vertex as the batch keeps it, still in object space: the shaders
// transform, light and (for lines) widen it. For a triangle's vertex, extra
// is its normal; for a wide line's corner, the line's other end. The colour
// is clamped, as OpenGL clamps it, and sent as bytes (a quarter of the
// floats' size; its steps are the picture's own). control packs the matrix
// slot and what kind of vertex it is (kVertex... below).
struct LayerVertex {
    float position[3];
    float extra[3];
    uint8_t color[4];
    float texcoord[2];
    float control;
};

// control = slot * kSlotStride + flags.
constexpr float kVertexLit = 1;        // light it (colour from the lights, not its own)
constexpr float kVertexLine = 2;       // a wide line's corner
constexpr float kVertexLineFirst = 4;  // ...at the line's first end (else its second)
constexpr float kVertexLineLeft = 8;   // ...on the minus side of the widening axis
constexpr float kSlotStride = 16;

struct Light {
    bool enabled;
    float diffuse[4];
    float direction[3];  // unit vector toward the light, eye space
};

// What picks the program and the fragment stages; a change of any of it
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
    bool matrices_changed;  // since the batch's last matrix slot was taken

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
// fixed_function_draw_nothing's switch: no draw or clear reaches ES.
extern bool layer_draws_nothing;

inline Mat4& current_matrix()
{
    return layer.stack[layer.mode][layer.depth[layer.mode]];
}

// Both stacks to one identity matrix each, model-view chosen.
void reset_matrices();

// The matrices of the moment as one slot of the shaders' table: the product
// projection * model-view, then the model-view's normal matrix (inverse
// transpose of its 3x3) as three columns padded to four floats.
constexpr int kSlotFloats = 28;
void matrix_slot(float out[kSlotFloats]);

// The centre of projection in object space, homogeneous (the point the clip
// matrix's x, y and w rows all send to 0), scaled so that a triangle a b c
// winds counter-clockwise on screen exactly when
// ((b - a) x (c - a)) . (a * centre.w - centre.xyz) > 0.
void projection_centre(float centre[4]);

struct FaceCulling {
    float centre[4];
    float kept_sign;  // 1 when the faces kept wind counter-clockwise, else -1
};
// Readies the test for the state of the moment; false when culling is off
// or culls everything (then ES decides alone).
bool begin_face_culling(FaceCulling* culling);
// True only when culling would surely turn the triangle a b c (object
// space) away: it is clearly not edge on. Otherwise the triangle is sent
// and ES decides.
bool surely_culled(const FaceCulling& culling, const float* a, const float* b, const float* c);

// Appends count vertices (at most kMaxBatchVertices) to the batch under the
// matrices of the moment, drawing what is batched first if they would not
// fit, and returns the batch index of the first; batch_triangle then joins
// three of them, by those indices.
constexpr size_t kMaxBatchVertices = 65536;  // ES 2.0 indices are 16-bit
uint16_t batch_vertices(const LayerVertex* vertices, size_t count);
// The same, for vertices written in place: room for count at the batch's
// end, *first their batch index and *slot what each one's control must add
// for the matrices of the moment.
LayerVertex* batch_space(size_t count, uint16_t* first, float* slot);
void batch_triangle(uint16_t a, uint16_t b, uint16_t c);
// Appends the wide line from a to b: four corners that the shaders place.
void batch_line(const LayerVertex& a, const LayerVertex& b);
// A wide line's two ends (object space) as a run of lines holds them:
// first, first, second, second, first, first.
struct LineEnds {
    float at[6][3];
};
inline void set_line_ends(LineEnds* line, const float first[3], const float second[3])
{
    for (int k = 0; k < 6; ++k)
        for (int c = 0; c < 3; ++c) line->at[k][c] = (k == 2 || k == 3) ? second[c] : first[c];
}

// The current colour as a vertex carries it.
void color_bytes(const float color[4], uint8_t out[4]);
// Room for segments lines, to fill with set_line_ends and then draw in one
// colour with draw_line_run (after what is batched); null when they are few
// or the state wants them batched (textured or alpha-tested).
LineEnds* line_run(size_t segments);
void draw_line_run(size_t segments, const uint8_t color[4]);
// Builds the runs' shaders and kept buffers; false with a reason in error.
bool init_line_runs(std::string* error);
// Binds the batch's buffers and points the attributes into them again.
void bind_batch_buffers();
// The line uniforms of the moment: the viewport's half size in pixels; the
// half line width in pixels and 1 when kept faces wind counter-clockwise.
void line_uniform_values(float viewport_half[2], float line[2]);
// Draws the batch if anything is in it; state setters call it before a change.
void flush_batch();
// Builds the shaders; false with a reason in error.
bool init_batch(std::string* error);
