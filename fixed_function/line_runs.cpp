// Long runs of wide lines of one colour (an outline of thousands of edges in
// one call), drawn from their ends alone in one draw. Each segment's ends are
// written six times over, first first second second first first; its four
// corners are the first four of those six vertices, each reading its own end
// where it stands and the other end two vertices on, so one stream of ends
// serves both attributes. Which corner a vertex is, and the indices joining
// the corners, come from kept buffers. A segment costs 72 bytes (as batch
// corners it costs 172). Instancing a kept quad would send 28, but a
// software GPU (SwiftShader, Chromium's fallback) runs every instance as a
// draw of its own: the cube field's 10,000 edges took it 80 ms a frame.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "fixed_function/es_functions.h"
#include "fixed_function/layer_state.h"
#include "fixed_function/shaders.h"

// Fewer segments than this go to the batch, with the triangles around them.
static constexpr size_t kFewestInRun = 64;
static constexpr size_t kEntriesPerSegment = 6;
// A draw's indices are 16-bit: 10,922 segments of 6 vertices each.
static constexpr size_t kMostInDraw = 65536 / kEntriesPerSegment;

enum : GLuint { kCorner = 0, kOwnEnd = 1, kOtherEnd = 2 };
constexpr GLuint kAttributesUsed = 3;  // of the batch's 5

static GLuint program = 0;
static GLuint corner_buffer, index_buffer, ends_buffer;
static GLint slots_location, viewport_location, line_location, color_location;
static size_t ends_capacity = 0;  // segments
static std::vector<LineEnds> ends;

static const char kVertexShader[] = R"(
attribute vec2 corner;  // x: 1 at the first end, else 0; y: the side, -1 or 1
attribute vec3 own_end;
attribute vec3 other_end;
uniform vec4 line_color;
varying vec4 v_color;
void main()
{
    gl_Position = line_corner(0, own_end, other_end, corner.x > 0.5, corner.y);
    v_color = line_color;
}
)";

static const char kFragmentShader[] = R"(
varying vec4 v_color;
void main()
{
    gl_FragColor = v_color;
}
)";

// A segment's six vertices' corners (first end minus, plus; second end
// minus, plus; two that only lend their ends) and its two triangles.
static const float kCorners[kEntriesPerSegment][2] = {{1, -1}, {1, 1}, {0, -1}, {0, 1}, {0, 0}, {0, 0}};
static const uint16_t kCornerIndices[6] = {0, 2, 3, 0, 3, 1};

bool init_line_runs(std::string* error)
{
    program = 0;
    static const char* const kAttributes[] = {"corner", "own_end", "other_end"};
    const GLuint built = build_layer_program("#define SLOTS 1\n", kVertexShader, kFragmentShader, kAttributes, 3, error);
    if (!built) return false;
    slots_location = es.GetUniformLocation(built, "slots");
    viewport_location = es.GetUniformLocation(built, "viewport_half");
    line_location = es.GetUniformLocation(built, "line");
    color_location = es.GetUniformLocation(built, "line_color");
    GLuint buffers[3];
    es.GenBuffers(3, buffers);
    corner_buffer = buffers[0];
    index_buffer = buffers[1];
    ends_buffer = buffers[2];
    std::vector<float> corners;
    std::vector<uint16_t> indices;
    for (size_t s = 0; s < kMostInDraw; ++s) {
        for (const auto& corner : kCorners) corners.insert(corners.end(), corner, corner + 2);
        for (uint16_t k : kCornerIndices) indices.push_back(static_cast<uint16_t>(s * kEntriesPerSegment + k));
    }
    es.BindBuffer(GL_ARRAY_BUFFER, corner_buffer);
    es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(float)), corners.data(),
                  GL_STATIC_DRAW);
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                  indices.data(), GL_STATIC_DRAW);
    ends_capacity = 0;
    bind_batch_buffers();
    program = built;
    return true;
}

LineEnds* line_run(size_t segments)
{
    if (!program || segments < kFewestInRun || layer.draw.texturing || layer.draw.alpha_test) return nullptr;
    ends.resize(segments);
    return ends.data();
}

void draw_line_run(size_t segments, const uint8_t color[4])
{
    flush_batch();  // what came before is drawn before
    if (layer_draws_nothing) return;

    es.UseProgram(program);
    float slot[kSlotFloats];
    matrix_slot(slot);
    es.Uniform4fv(slots_location, kSlotFloats / 4, slot);
    float viewport_half[2], line[2];
    line_uniform_values(viewport_half, line);
    es.Uniform2f(viewport_location, viewport_half[0], viewport_half[1]);
    es.Uniform2f(line_location, line[0], line[1]);
    // As the batch's vertices carry it: bytes, read back as n / 255.
    const float rgba[4] = {color[0] / 255.0f, color[1] / 255.0f, color[2] / 255.0f, color[3] / 255.0f};
    es.Uniform4fv(color_location, 1, rgba);

    es.BindBuffer(GL_ARRAY_BUFFER, ends_buffer);
    if (segments > ends_capacity) {
        ends_capacity = segments * 2;
        es.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(ends_capacity * sizeof(LineEnds)), nullptr,
                      GL_DYNAMIC_DRAW);
    }
    es.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(segments * sizeof(LineEnds)), ends.data());
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    for (GLuint attribute = kAttributesUsed; attribute < 5; ++attribute) es.DisableVertexAttribArray(attribute);
    constexpr GLsizei kEndBytes = 3 * sizeof(float);
    for (size_t first = 0; first < segments; first += kMostInDraw) {
        const size_t count = std::min(kMostInDraw, segments - first);
        const size_t offset = first * sizeof(LineEnds);
        es.BindBuffer(GL_ARRAY_BUFFER, ends_buffer);
        es.VertexAttribPointer(kOwnEnd, 3, GL_FLOAT, GL_FALSE, kEndBytes, reinterpret_cast<const void*>(offset));
        es.VertexAttribPointer(kOtherEnd, 3, GL_FLOAT, GL_FALSE, kEndBytes,
                               reinterpret_cast<const void*>(offset + 2 * kEndBytes));
        es.BindBuffer(GL_ARRAY_BUFFER, corner_buffer);
        es.VertexAttribPointer(kCorner, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        es.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(count * 6), GL_UNSIGNED_SHORT, nullptr);
    }
    bind_batch_buffers();
}
