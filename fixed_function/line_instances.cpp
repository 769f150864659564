// Long runs of wide lines (an outline of thousands of edges in one call) as
// instances: a four-corner quad kept in a GPU buffer, drawn once per
// segment, with the segment's two ends and colour read per instance. A
// segment then costs the CPU and the bus 28 bytes instead of four batch
// corners (160). Needs instanced drawing (OpenGL ES 3, or WebGL 1's
// ANGLE_instanced_arrays); without it, or for textured, alpha-tested or
// two-coloured lines, the caller batches the corners instead.
#include <cstddef>
#include <cstring>
#include <vector>

#include "fixed_function/es_functions.h"
#include "fixed_function/layer_state.h"
#include "fixed_function/shaders.h"

// Fewer segments than this go to the batch, with the triangles around them.
static constexpr size_t kFewestInstanced = 64;

enum : GLuint { kCorner = 0, kFirst = 1, kSecond = 2, kColor = 3, kUnused = 4 };

static void (*vertex_attrib_divisor)(GLuint, GLuint);
static void (*draw_elements_instanced)(GLenum, GLsizei, GLenum, const void*, GLsizei);
static GLuint program = 0;  // 0: instances not offered
static GLuint corner_buffer, corner_index_buffer, instance_buffer;
static GLint slots_location, viewport_location, line_location;
static size_t instance_capacity = 0;
static std::vector<LineInstance> instances;

static const char kVertexShader[] = R"(
attribute vec2 corner;  // x: 1 at the first end, else 0; y: the side, -1 or 1
attribute vec3 first_end;
attribute vec3 second_end;
attribute vec4 color;
varying vec4 v_color;
void main()
{
    bool first = corner.x > 0.5;
    gl_Position = line_corner(0, first ? first_end : second_end, first ? second_end : first_end, first, corner.y);
    v_color = color;
}
)";

static const char kFragmentShader[] = R"(
varying vec4 v_color;
void main()
{
    gl_FragColor = v_color;
}
)";

// The corners in the batch's order (first end minus, plus; second end
// minus, plus) and its two triangles.
static const float kCorners[4][2] = {{1, -1}, {1, 1}, {0, -1}, {0, 1}};
static const uint16_t kCornerIndices[6] = {0, 2, 3, 0, 3, 1};

static bool offered(const char* text, const char* word)
{
    return text && std::strstr(text, word);
}

bool init_line_instances(EsLookup lookup, std::string* error)
{
    program = 0;
    const auto* version = reinterpret_cast<const char*>(es.GetString(GL_VERSION));
    const auto* extensions = reinterpret_cast<const char*>(es.GetString(GL_EXTENSIONS));
    const bool core = offered(version, "OpenGL ES 3");
    if (!core && !offered(extensions, "ANGLE_instanced_arrays")) return true;
    vertex_attrib_divisor = reinterpret_cast<void (*)(GLuint, GLuint)>(
        lookup(core ? "glVertexAttribDivisor" : "glVertexAttribDivisorANGLE"));
    draw_elements_instanced = reinterpret_cast<void (*)(GLenum, GLsizei, GLenum, const void*, GLsizei)>(
        lookup(core ? "glDrawElementsInstanced" : "glDrawElementsInstancedANGLE"));
    if (!vertex_attrib_divisor || !draw_elements_instanced) return true;  // batched, as without

    static const char* const kAttributes[] = {"corner", "first_end", "second_end", "color"};
    const GLuint built = build_layer_program("#define SLOTS 1\n", kVertexShader, kFragmentShader, kAttributes, 4, error);
    if (!built) return false;
    slots_location = es.GetUniformLocation(built, "slots");
    viewport_location = es.GetUniformLocation(built, "viewport_half");
    line_location = es.GetUniformLocation(built, "line");
    GLuint buffers[3];
    es.GenBuffers(3, buffers);
    corner_buffer = buffers[0];
    corner_index_buffer = buffers[1];
    instance_buffer = buffers[2];
    es.BindBuffer(GL_ARRAY_BUFFER, corner_buffer);
    es.BufferData(GL_ARRAY_BUFFER, sizeof kCorners, kCorners, GL_STATIC_DRAW);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, corner_index_buffer);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kCornerIndices, kCornerIndices, GL_STATIC_DRAW);
    instance_capacity = 0;
    bind_batch_buffers();
    program = built;
    return true;
}

static void point_instances(GLuint attribute, GLint size, size_t offset, GLenum type = GL_FLOAT)
{
    es.VertexAttribPointer(attribute, size, type, type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE,
                           static_cast<GLsizei>(sizeof(LineInstance)), reinterpret_cast<const void*>(offset));
    vertex_attrib_divisor(attribute, 1);
}

LineInstance* line_instances(size_t segments)
{
    if (!program || segments < kFewestInstanced || layer.draw.texturing || layer.draw.alpha_test) return nullptr;
    instances.resize(segments);
    return instances.data();
}

void draw_line_instances(size_t segments)
{
    flush_batch();  // what came before is drawn before

    es.UseProgram(program);
    float slot[kSlotFloats];
    matrix_slot(slot);
    es.Uniform4fv(slots_location, kSlotFloats / 4, slot);
    float viewport_half[2], line[2];
    line_uniform_values(viewport_half, line);
    es.Uniform2f(viewport_location, viewport_half[0], viewport_half[1]);
    es.Uniform2f(line_location, line[0], line[1]);

    const size_t bytes = segments * sizeof(LineInstance);
    es.BindBuffer(GL_ARRAY_BUFFER, instance_buffer);
    if (segments > instance_capacity) {
        instance_capacity = segments * 2;
        es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instance_capacity * sizeof(LineInstance)), nullptr,
                      GL_DYNAMIC_DRAW);
    }
    es.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), instances.data());
    point_instances(kFirst, 3, offsetof(LineInstance, first));
    point_instances(kSecond, 3, offsetof(LineInstance, second));
    point_instances(kColor, 4, offsetof(LineInstance, color), GL_UNSIGNED_BYTE);
    es.BindBuffer(GL_ARRAY_BUFFER, corner_buffer);
    es.VertexAttribPointer(kCorner, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    es.DisableVertexAttribArray(kUnused);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, corner_index_buffer);
    draw_elements_instanced(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr, static_cast<GLsizei>(segments));

    for (GLuint attribute : {kFirst, kSecond, kColor}) vertex_attrib_divisor(attribute, 0);
    bind_batch_buffers();
}
