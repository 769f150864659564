// The batch: vertices already in clip space gather here and go to ES as one
// indexed GL_TRIANGLES draw when the draw state changes or the picture is
// read. Indexed, so a quad costs Mesa's vertex stage four vertices, not six.
// Four shader programs cover texturing on or off and alpha test on or off,
// so a program without the test never discards and keeps early depth tests.
#include <cstddef>
#include <vector>

#include "fixed_function/es_functions.h"
#include "fixed_function/layer_state.h"

static std::vector<BatchVertex> batch;
static std::vector<uint16_t> indices;
static GLuint programs[4];
static GLint alpha_reference_location[4];
static int program_in_use = -1;
static float alpha_reference_set[4];

enum : GLuint { kPosition = 0, kColor = 1, kTexcoord = 2 };

// Untextured programs pass no texture coordinates on: every varying costs
// the rasteriser work for each triangle.
static const char kVertexShader[] = R"(
attribute vec4 position;
attribute vec4 color;
attribute vec2 texcoord;
varying vec4 v_color;
#if TEXTURING
varying vec2 v_texcoord;
#endif
void main()
{
    gl_Position = position;
    v_color = color;
#if TEXTURING
    v_texcoord = texcoord;
#endif
}
)";

// Texturing modulates the colour; the alpha test keeps alpha above the
// reference (GL_GREATER, the one test the demo asks for).
static const char kFragmentShader[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
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

// True when a shader compiled or a program linked; otherwise what, followed
// by the driver's log, in error.
static bool succeeded(GLuint object, GLenum status, void (*get)(GLuint, GLenum, GLint*),
                      void (*get_log)(GLuint, GLsizei, GLsizei*, GLchar*), const char* what, std::string* error)
{
    GLint ok = 0;
    get(object, status, &ok);
    if (ok) return true;
    char log[512] = "";
    get_log(object, sizeof log, nullptr, log);
    *error = std::string(what) + log;
    return false;
}

static GLuint compile(GLenum type, const char* prefix, const char* source, std::string* error)
{
    const GLuint shader = es.CreateShader(type);
    const GLchar* parts[2] = {prefix, source};
    es.ShaderSource(shader, 2, parts, nullptr);
    es.CompileShader(shader);
    const bool compiled = succeeded(shader, GL_COMPILE_STATUS, es.GetShaderiv, es.GetShaderInfoLog,
                                    "the layer's shader does not compile: ", error);
    return compiled ? shader : 0;
}

static bool build_program(int index, std::string* error)
{
    const std::string prefix = std::string("#define TEXTURING ") + ((index & 1) ? "1" : "0") +
                               "\n#define ALPHA_TEST " + ((index & 2) ? "1" : "0") + "\n";
    const GLuint vertex = compile(GL_VERTEX_SHADER, prefix.c_str(), kVertexShader, error);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, prefix.c_str(), kFragmentShader, error);
    if (!vertex || !fragment) return false;
    const GLuint program = es.CreateProgram();
    es.AttachShader(program, vertex);
    es.AttachShader(program, fragment);
    es.BindAttribLocation(program, kPosition, "position");
    es.BindAttribLocation(program, kColor, "color");
    es.BindAttribLocation(program, kTexcoord, "texcoord");
    es.LinkProgram(program);
    if (!succeeded(program, GL_LINK_STATUS, es.GetProgramiv, es.GetProgramInfoLog,
                   "the layer's shaders do not link: ", error))
        return false;
    programs[index] = program;
    alpha_reference_location[index] = es.GetUniformLocation(program, "alpha_reference");
    alpha_reference_set[index] = -1;  // no reference is -1, so the first use sets it
    return true;
}

bool init_batch(std::string* error)
{
    for (int index = 0; index < 4; ++index)
        if (!build_program(index, error)) return false;
    program_in_use = -1;
    GLuint buffers[2] = {0, 0};
    es.GenBuffers(2, buffers);
    es.BindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    // The buffers stay bound and the attributes stay pointed into them. They
    // are sized once for a full batch, so a flush only copies into them:
    // allocating megabytes at each flush cost more than the copy. A batch
    // has at most three indices a vertex (a polygon of n vertices has n - 2
    // triangles; a quad or a line has 6 indices for 4 vertices).
    es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kMaxBatchVertices * sizeof(BatchVertex)), nullptr,
                  GL_DYNAMIC_DRAW);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(3 * kMaxBatchVertices * sizeof(uint16_t)),
                  nullptr, GL_DYNAMIC_DRAW);
    const auto stride = static_cast<GLsizei>(sizeof(BatchVertex));
    es.VertexAttribPointer(kPosition, 4, GL_FLOAT, GL_FALSE, stride,
                           reinterpret_cast<const void*>(offsetof(BatchVertex, position)));
    es.VertexAttribPointer(kColor, 4, GL_FLOAT, GL_FALSE, stride,
                           reinterpret_cast<const void*>(offsetof(BatchVertex, color)));
    es.VertexAttribPointer(kTexcoord, 2, GL_FLOAT, GL_FALSE, stride,
                           reinterpret_cast<const void*>(offsetof(BatchVertex, texcoord)));
    es.EnableVertexAttribArray(kPosition);
    es.EnableVertexAttribArray(kColor);
    es.EnableVertexAttribArray(kTexcoord);
    batch.clear();
    indices.clear();
    return true;
}

uint16_t batch_vertices(const BatchVertex* vertices, size_t count)
{
    if (batch.size() + count > kMaxBatchVertices) flush_batch();
    const auto first = static_cast<uint16_t>(batch.size());
    batch.insert(batch.end(), vertices, vertices + count);
    return first;
}

void batch_triangle(uint16_t a, uint16_t b, uint16_t c)
{
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

void flush_batch()
{
    if (indices.empty()) {
        batch.clear();
        return;
    }
    const int index = (layer.draw.texturing ? 1 : 0) | (layer.draw.alpha_test ? 2 : 0);
    if (index != program_in_use) {
        es.UseProgram(programs[index]);
        program_in_use = index;
    }
    if (layer.draw.alpha_test && alpha_reference_set[index] != layer.draw.alpha_reference) {
        es.Uniform1f(alpha_reference_location[index], layer.draw.alpha_reference);
        alpha_reference_set[index] = layer.draw.alpha_reference;
    }
    es.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(batch.size() * sizeof(BatchVertex)), batch.data());
    es.BufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                     indices.data());
    es.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT, nullptr);
    batch.clear();
    indices.clear();
}

void fixed_function_flush()
{
    flush_batch();
}
