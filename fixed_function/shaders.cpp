#include "fixed_function/shaders.h"

#include "fixed_function/es_functions.h"

// A wide line's corner: the line is cut at the near plane (z >= -w), then
// the corner is moved half the width along the axis across the line
// (straight up and down for a line more across than up, else left and
// right), to the side that winds the pair of triangles as a face culling
// keeps: lines are never culled.
const char kVertexShaderCommon[] = R"(
uniform vec4 slots[SLOTS * 7];
uniform vec2 viewport_half;  // pixels
uniform vec2 line;  // half width in pixels, 1 when kept faces wind counter-clockwise

vec4 to_clip(int base, vec3 p)
{
    return slots[base] * p.x + slots[base + 1] * p.y + slots[base + 2] * p.z + slots[base + 3];
}

vec4 line_corner(int base, vec3 own_end, vec3 other_end, bool first, float side)
{
    vec4 own = to_clip(base, own_end);
    vec4 other = to_clip(base, other_end);
    vec4 a = first ? own : other;
    vec4 b = first ? other : own;
    float da = a.z + a.w;
    float db = b.z + b.w;
    if (da < 0.0 && db < 0.0) return vec4(2.0, 2.0, 2.0, 1.0);  // all four corners alike: nothing drawn
    if (da < 0.0) a = a + (b - a) * (da / (da - db));
    if (db < 0.0) b = b + (a - b) * (db / (db - da));
    vec2 d = (b.xy / b.w - a.xy / a.w) * viewport_half;
    bool across = abs(d.x) >= abs(d.y);
    bool ccw = across ? d.x > 0.0 : d.y < 0.0;
    if (ccw != (line.y > 0.5)) side = -side;
    vec4 p = first ? a : b;
    if (across) p.y += side * line.x / viewport_half.y * p.w;
    else p.x += side * line.x / viewport_half.x * p.w;
    return p;
}
)";

// Every fragment shader's floats: high precision where the device has it.
static const char kFragmentPrecision[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
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

static GLuint compile(GLenum type, const GLchar* const parts[], int count, std::string* error)
{
    const GLuint shader = es.CreateShader(type);
    es.ShaderSource(shader, count, parts, nullptr);
    es.CompileShader(shader);
    const bool compiled = succeeded(shader, GL_COMPILE_STATUS, es.GetShaderiv, es.GetShaderInfoLog,
                                    "the layer's shader does not compile: ", error);
    return compiled ? shader : 0;
}

GLuint build_layer_program(const std::string& prefix, const char* vertex, const char* fragment,
                           const char* const attributes[], int attribute_count, std::string* error)
{
    const GLchar* vertex_parts[3] = {prefix.c_str(), kVertexShaderCommon, vertex};
    const GLchar* fragment_parts[3] = {prefix.c_str(), kFragmentPrecision, fragment};
    const GLuint vertex_shader = compile(GL_VERTEX_SHADER, vertex_parts, 3, error);
    const GLuint fragment_shader = compile(GL_FRAGMENT_SHADER, fragment_parts, 3, error);
    if (!vertex_shader || !fragment_shader) return 0;
    const GLuint program = es.CreateProgram();
    es.AttachShader(program, vertex_shader);
    es.AttachShader(program, fragment_shader);
    for (int k = 0; k < attribute_count; ++k) es.BindAttribLocation(program, static_cast<GLuint>(k), attributes[k]);
    es.LinkProgram(program);
    if (!succeeded(program, GL_LINK_STATUS, es.GetProgramiv, es.GetProgramInfoLog,
                   "the layer's shaders do not link: ", error))
        return 0;
    return program;
}
