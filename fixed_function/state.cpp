// Switches and settings. What ES has is passed on after the batch drawn so
// far is flushed (only when the value changes); texturing, the alpha test,
// the lights and the line width live in the layer (the shader's choice and
// its uniforms); lighting itself is marked on each vertex.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "fixed_function/es_functions.h"
#include "fixed_function/layer_state.h"

LayerState layer;

// Mirrors of ES state, so repeated settings cost no flush.
static GLenum blend_source = GL_ONE, blend_destination = GL_ZERO;
static GLenum depth_function = GL_LESS;
static float depth_near = 0, depth_far = 1;
static GLuint bound_texture = 0;

static bool* es_switch(GLenum cap)
{
    switch (cap) {
    case GL_BLEND: return &layer.blend;
    case GL_DEPTH_TEST: return &layer.depth_test;
    case GL_CULL_FACE: return &layer.cull_face;
    default: return nullptr;
    }
}

static bool* layer_switch(GLenum cap)
{
    switch (cap) {
    case GL_TEXTURE_2D: return &layer.draw.texturing;
    case GL_ALPHA_TEST: return &layer.draw.alpha_test;
    case GL_LIGHTING: return &layer.lighting;
    case GL_LIGHT0: return &layer.lights[0].enabled;
    case GL_LIGHT1: return &layer.lights[1].enabled;
    default: return nullptr;
    }
}

static void set_switch(GLenum cap, bool on)
{
    if (bool* mirrored = es_switch(cap)) {
        if (*mirrored == on) return;
        flush_batch();
        *mirrored = on;
        if (on) es.Enable(cap);
        else es.Disable(cap);
        return;
    }
    bool* own = layer_switch(cap);
    if (!own || *own == on) return;
    // Each vertex says whether it is lit, so only the other switches change
    // what the batch so far needs.
    if (cap != GL_LIGHTING) flush_batch();
    *own = on;
}

void glEnable(GLenum cap)
{
    set_switch(cap, true);
}

void glDisable(GLenum cap)
{
    set_switch(cap, false);
}

GLboolean glIsEnabled(GLenum cap)
{
    const bool* state = es_switch(cap);
    if (!state) state = layer_switch(cap);
    return state && *state ? GL_TRUE : GL_FALSE;
}

void glBlendFunc(GLenum source, GLenum destination)
{
    if (source == blend_source && destination == blend_destination) return;
    flush_batch();
    blend_source = source;
    blend_destination = destination;
    es.BlendFunc(source, destination);
}

void glAlphaFunc(GLenum, GLclampf reference)
{
    const float clamped = std::fmin(1.0f, std::fmax(0.0f, reference));
    if (clamped == layer.draw.alpha_reference) return;
    flush_batch();
    layer.draw.alpha_reference = clamped;
}

void glDepthFunc(GLenum function)
{
    if (function == depth_function) return;
    flush_batch();
    depth_function = function;
    es.DepthFunc(function);
}

void glDepthRange(GLclampd near, GLclampd far)
{
    const float n = static_cast<float>(near), f = static_cast<float>(far);
    if (n == depth_near && f == depth_far) return;
    flush_batch();
    depth_near = n;
    depth_far = f;
    es.DepthRangef(n, f);
}

void glCullFace(GLenum mode)
{
    if (mode == layer.cull_mode) return;
    flush_batch();
    layer.cull_mode = mode;
    es.CullFace(mode);
}

void glFrontFace(GLenum mode)
{
    if (mode == layer.front_face) return;
    flush_batch();
    layer.front_face = mode;
    es.FrontFace(mode);
}

// As in OpenGL, an aliased line's width is the nearest whole number of
// pixels (at least 1): a fractional width would step a pixel thicker and
// thinner along the line.
void glLineWidth(GLfloat width)
{
    const float whole = std::max(1.0f, std::round(width));
    if (whole == layer.line_width) return;
    flush_batch();
    layer.line_width = whole;
}

// Diffuse colour, and the direction of a directional light (w = 0), carried
// into eye space by the model-view matrix of the moment.
void glLightfv(GLenum name, GLenum parameter, const GLfloat* values)
{
    if (name != GL_LIGHT0 && name != GL_LIGHT1) return;
    Light& light = layer.lights[name - GL_LIGHT0];
    if (parameter == GL_DIFFUSE && std::memcmp(light.diffuse, values, sizeof light.diffuse) != 0) {
        flush_batch();
        std::memcpy(light.diffuse, values, sizeof light.diffuse);
    }
    if (parameter != GL_POSITION) return;
    const float* m = layer.stack[0][layer.depth[0]].m;
    float d[3];
    for (int row = 0; row < 3; ++row) d[row] = m[row] * values[0] + m[4 + row] * values[1] + m[8 + row] * values[2];
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    float direction[3];
    for (int row = 0; row < 3; ++row) direction[row] = length > 0 ? d[row] / length : 0;
    if (std::memcmp(direction, light.direction, sizeof direction) == 0) return;
    flush_batch();
    std::memcpy(light.direction, direction, sizeof direction);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    const int wanted[4] = {x, y, width, height};
    if (std::memcmp(wanted, layer.viewport, sizeof wanted) == 0) return;
    flush_batch();
    std::memcpy(layer.viewport, wanted, sizeof wanted);
    es.Viewport(x, y, width, height);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    es.ClearColor(r, g, b, a);
}

void glClear(GLbitfield mask)
{
    flush_batch();
    if (!layer_draws_nothing) es.Clear(mask);
}

void glFinish()
{
    flush_batch();
    es.Finish();
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels)
{
    flush_batch();
    es.ReadPixels(x, y, width, height, format, type, pixels);
}

void glPixelStorei(GLenum name, GLint value)
{
    es.PixelStorei(name, value);
}

void glGetIntegerv(GLenum name, GLint* values)
{
    es.GetIntegerv(name, values);
}

void glGenTextures(GLsizei count, GLuint* names)
{
    es.GenTextures(count, names);
}

void glBindTexture(GLenum target, GLuint texture)
{
    if (texture == bound_texture) return;
    flush_batch();
    bound_texture = texture;
    es.BindTexture(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value)
{
    flush_batch();
    es.TexParameteri(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    flush_batch();
    es.TexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
}

bool fixed_function_init(EsLookup lookup, std::string* error)
{
    if (!fill_es_functions(lookup, error) || !init_batch(error) || !init_line_runs(error)) return false;
    layer = LayerState{};
    reset_matrices();
    layer.color[0] = layer.color[1] = layer.color[2] = layer.color[3] = 1;
    layer.normal[2] = 1;
    const float light0_diffuse[4] = {1, 1, 1, 1};
    const float default_direction[3] = {0, 0, 1};  // position (0, 0, 1, 0)
    for (Light& light : layer.lights) {
        light.diffuse[3] = 1;
        std::memcpy(light.direction, default_direction, sizeof default_direction);
    }
    std::memcpy(layer.lights[0].diffuse, light0_diffuse, sizeof light0_diffuse);
    layer.front_face = GL_CCW;
    layer.cull_mode = GL_BACK;
    layer.line_width = 1;
    es.GetIntegerv(GL_VIEWPORT, layer.viewport);
    // ES to OpenGL's defaults, which the mirrors above and here now hold,
    // whatever a context used before (a second start on it) left there.
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE}) es.Disable(cap);
    blend_source = GL_ONE;
    blend_destination = GL_ZERO;
    es.BlendFunc(blend_source, blend_destination);
    depth_function = GL_LESS;
    es.DepthFunc(depth_function);
    depth_near = 0;
    depth_far = 1;
    es.DepthRangef(depth_near, depth_far);
    es.CullFace(layer.cull_mode);
    es.FrontFace(layer.front_face);
    bound_texture = 0;
    es.BindTexture(GL_TEXTURE_2D, 0);
    return true;
}
