// The batch: vertices in object space gather here with the matrices they
// were given under, and go to ES as one indexed GL_TRIANGLES draw when the
// draw state changes or the picture is read. The vertex shader does the
// per-vertex work: it transforms by its vertex's matrix slot, lights, clamps
// the colour and widens lines. Each batch carries a table of matrix slots
// (as many as the driver's uniforms hold, up to kMostSlots); a sprite drawn
// under its own matrix takes a slot, not a draw call. Four shader programs
// cover texturing on or off and alpha test on or off, so a program without
// the test never discards and keeps early depth tests.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "fixed_function/es_functions.h"
#include "fixed_function/layer_state.h"
#include "fixed_function/shaders.h"

static constexpr int kMostSlots = 64;
// Uniform vectors besides the slots: two lights (direction, diffuse), the
// viewport and line settings, and room for the driver's own.
static constexpr int kOtherUniformVectors = 8;
static constexpr int kSlotVectors = kSlotFloats / 4;

// What every draw's vertex shader reads besides the slots, from the layer's
// state when the batch is drawn.
struct SharedUniforms {
    float light_direction[6];
    float light_diffuse[6];  // zero for a light that is off
    float viewport_half[2];  // pixels
    float line_half_width;   // pixels
    float want_ccw;          // 1 when a face culling keeps winds counter-clockwise on screen
};

struct Program {
    GLuint name;
    GLint slots, light_direction, light_diffuse, viewport_half, line, alpha_reference;
    SharedUniforms set;  // what it was last given
    float alpha_reference_set;
};

static std::vector<LayerVertex> batch;
static std::vector<uint16_t> indices;
static std::vector<float> slot_table;  // slot_count slots of kSlotFloats
static int slot_count = 0;
static int most_slots = 1;
static Program programs[4];
static int program_in_use = -1;

enum : GLuint { kPosition = 0, kExtra = 1, kColor = 2, kTexcoord = 3, kControl = 4 };

// Untextured programs pass no texture coordinates on: every varying costs
// the rasteriser work for each triangle. The lighting is the default
// material (ambient 0.2, diffuse 0.8, no specular or emission) under the
// default scene ambient 0.2, with each light's diffuse term; lights keep
// their default black ambient and their specular meets the material's black.
static const char kVertexShader[] = R"(
attribute vec3 position;
attribute vec3 extra;
attribute vec4 color;
attribute vec2 texcoord;
attribute float control;
uniform vec3 light_direction[2];
uniform vec3 light_diffuse[2];
varying vec4 v_color;
#if TEXTURING
varying vec2 v_texcoord;
#endif

void main()
{
    float slot = floor(control / 16.0);
    float flags = control - slot * 16.0;
    int base = int(slot) * 7;
    if (mod(floor(flags / 2.0), 2.0) > 0.5) {
        bool first = mod(floor(flags / 4.0), 2.0) > 0.5;
        gl_Position = line_corner(base, position, extra, first, flags >= 8.0 ? -1.0 : 1.0);
        v_color = color;
    } else {
        gl_Position = to_clip(base, position);
        if (mod(flags, 2.0) > 0.5) {
            vec3 n = slots[base + 4].xyz * extra.x + slots[base + 5].xyz * extra.y + slots[base + 6].xyz * extra.z;
            vec3 sum = vec3(0.2 * 0.2);
            sum += max(dot(n, light_direction[0]), 0.0) * 0.8 * light_diffuse[0];
            sum += max(dot(n, light_direction[1]), 0.0) * 0.8 * light_diffuse[1];
            v_color = vec4(clamp(sum, 0.0, 1.0), 1.0);  // alpha: the material's diffuse alpha
        } else {
            v_color = color;
        }
    }
#if TEXTURING
    v_texcoord = texcoord;
#endif
}
)";

// Texturing modulates the colour; the alpha test keeps alpha above the
// reference (GL_GREATER, the one test the demo asks for).
static const char kFragmentShader[] = R"(
uniform sampler2D picture;
uniform float alpha_reference;
varying vec4 v_color;
#if TEXTURING
varying vec2 v_texcoord;
#endif
void main()
{
    vec4 c = v_color;
#if TEXTURING
    c *= texture2D(picture, v_texcoord);
#endif
#if ALPHA_TEST
    if (!(c.a > alpha_reference)) discard;
#endif
    gl_FragColor = c;
}
)";

static bool build_program(int index, std::string* error)
{
    const std::string prefix = std::string("#define TEXTURING ") + ((index & 1) ? "1" : "0") +
                               "\n#define ALPHA_TEST " + ((index & 2) ? "1" : "0") +
                               "\n#define SLOTS " + std::to_string(most_slots) + "\n";
    static const char* const kAttributes[] = {"position", "extra", "color", "texcoord", "control"};
    const GLuint name = build_layer_program(prefix, kVertexShader, kFragmentShader, kAttributes, 5, error);
    if (!name) return false;
    Program& program = programs[index];
    program.name = name;
    program.slots = es.GetUniformLocation(name, "slots");
    program.light_direction = es.GetUniformLocation(name, "light_direction");
    program.light_diffuse = es.GetUniformLocation(name, "light_diffuse");
    program.viewport_half = es.GetUniformLocation(name, "viewport_half");
    program.line = es.GetUniformLocation(name, "line");
    program.alpha_reference = es.GetUniformLocation(name, "alpha_reference");
    std::memset(&program.set, 0xff, sizeof program.set);  // NaNs: the first draw sets every value
    program.alpha_reference_set = -1;  // no reference is -1, so the first use sets it
    return true;
}

static GLuint vertex_buffer, index_buffer;

static void point_attribute(GLuint attribute, GLint size, size_t offset, GLenum type = GL_FLOAT)
{
    es.VertexAttribPointer(attribute, size, type, type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE,
                           static_cast<GLsizei>(sizeof(LayerVertex)), reinterpret_cast<const void*>(offset));
    es.EnableVertexAttribArray(attribute);
}

void bind_batch_buffers()
{
    es.BindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    point_attribute(kPosition, 3, offsetof(LayerVertex, position));
    point_attribute(kExtra, 3, offsetof(LayerVertex, extra));
    point_attribute(kColor, 4, offsetof(LayerVertex, color), GL_UNSIGNED_BYTE);
    point_attribute(kTexcoord, 2, offsetof(LayerVertex, texcoord));
    point_attribute(kControl, 1, offsetof(LayerVertex, control));
    program_in_use = -1;  // another program may have been in use
}

bool init_batch(std::string* error)
{
    GLint vectors = 0;
    es.GetIntegerv(GL_MAX_VERTEX_UNIFORM_VECTORS, &vectors);
    most_slots = std::clamp((vectors - kOtherUniformVectors) / kSlotVectors, 1, kMostSlots);
    for (int index = 0; index < 4; ++index)
        if (!build_program(index, error)) return false;
    program_in_use = -1;
    GLuint buffers[2] = {0, 0};
    es.GenBuffers(2, buffers);
    vertex_buffer = buffers[0];
    index_buffer = buffers[1];
    es.BindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    // The buffers stay bound and the attributes stay pointed into them. They
    // are sized once for a full batch, so a flush only copies into them:
    // allocating megabytes at each flush cost more than the copy. A batch
    // has at most three indices a vertex (a polygon of n vertices has n - 2
    // triangles; a quad or a line has 6 indices for 4 vertices).
    es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kMaxBatchVertices * sizeof(LayerVertex)), nullptr,
                  GL_DYNAMIC_DRAW);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(3 * kMaxBatchVertices * sizeof(uint16_t)),
                  nullptr, GL_DYNAMIC_DRAW);
    bind_batch_buffers();
    batch.clear();
    indices.clear();
    slot_table.assign(static_cast<size_t>(most_slots) * kSlotFloats, 0);
    slot_count = 0;
    return true;
}

LayerVertex* batch_space(size_t count, uint16_t* first, float* slot)
{
    if (batch.size() + count > kMaxBatchVertices) flush_batch();
    if (layer.matrices_changed || slot_count == 0) {
        if (slot_count == most_slots) flush_batch();
        matrix_slot(&slot_table[static_cast<size_t>(slot_count) * kSlotFloats]);
        ++slot_count;
        layer.matrices_changed = false;
    }
    *slot = static_cast<float>(slot_count - 1) * kSlotStride;
    *first = static_cast<uint16_t>(batch.size());
    batch.resize(batch.size() + count);
    return batch.data() + *first;
}

uint16_t batch_vertices(const LayerVertex* vertices, size_t count)
{
    uint16_t first = 0;
    float slot = 0;
    LayerVertex* out = batch_space(count, &first, &slot);
    for (size_t k = 0; k < count; ++k) {
        out[k] = vertices[k];
        out[k].control += slot;
    }
    return first;
}

void batch_triangle(uint16_t a, uint16_t b, uint16_t c)
{
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

static SharedUniforms shared_uniforms()
{
    SharedUniforms u{};
    for (int l = 0; l < 2; ++l) {
        const Light& light = layer.lights[l];
        for (int c = 0; c < 3; ++c) {
            u.light_direction[l * 3 + c] = light.direction[c];
            u.light_diffuse[l * 3 + c] = light.enabled ? light.diffuse[c] : 0;
        }
    }
    u.viewport_half[0] = static_cast<float>(layer.viewport[2]) / 2;
    u.viewport_half[1] = static_cast<float>(layer.viewport[3]) / 2;
    u.line_half_width = layer.line_width / 2;
    u.want_ccw = (layer.front_face == GL_CCW) == (layer.cull_mode != GL_FRONT) ? 1 : 0;
    return u;
}

void line_uniform_values(float viewport_half[2], float line[2])
{
    const SharedUniforms u = shared_uniforms();
    viewport_half[0] = u.viewport_half[0];
    viewport_half[1] = u.viewport_half[1];
    line[0] = u.line_half_width;
    line[1] = u.want_ccw;
}

// Hands the program what changed since it last drew.
static void set_uniforms(Program& program)
{
    const SharedUniforms u = shared_uniforms();
    if (std::memcmp(&u, &program.set, sizeof u) != 0) {
        es.Uniform3fv(program.light_direction, 2, u.light_direction);
        es.Uniform3fv(program.light_diffuse, 2, u.light_diffuse);
        es.Uniform2f(program.viewport_half, u.viewport_half[0], u.viewport_half[1]);
        es.Uniform2f(program.line, u.line_half_width, u.want_ccw);
        program.set = u;
    }
    if (layer.draw.alpha_test && program.alpha_reference_set != layer.draw.alpha_reference) {
        es.Uniform1f(program.alpha_reference, layer.draw.alpha_reference);
        program.alpha_reference_set = layer.draw.alpha_reference;
    }
    es.Uniform4fv(program.slots, slot_count * kSlotVectors, slot_table.data());
}

bool layer_draws_nothing = false;

void flush_batch()
{
    if (!indices.empty() && !layer_draws_nothing) {
        const int index = (layer.draw.texturing ? 1 : 0) | (layer.draw.alpha_test ? 2 : 0);
        if (index != program_in_use) {
            es.UseProgram(programs[index].name);
            program_in_use = index;
        }
        set_uniforms(programs[index]);
        es.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(batch.size() * sizeof(LayerVertex)),
                         batch.data());
        es.BufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                         indices.data());
        es.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    }
    batch.clear();
    indices.clear();
    slot_count = 0;
}

void fixed_function_flush()
{
    flush_batch();
}

void fixed_function_draw_nothing(bool on)
{
    flush_batch();
    layer_draws_nothing = on;
}
