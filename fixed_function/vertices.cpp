// Vertices in: immediate mode and client arrays. Each vertex is recorded as
// given, in object space, with what it needs to be lit; its primitive is cut
// into triangles (or wide-line corners) for the batch, and the shaders do
// the per-vertex work.
#include <algorithm>
#include <vector>

#include "fixed_function/layer_state.h"

static GLenum primitive = 0;  // the glBegin mode, 0 outside glBegin/glEnd
static std::vector<LayerVertex> pending;  // this primitive's vertices so far

void color_bytes(const float color[4], uint8_t out[4])
{
    for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>(std::min(1.0f, std::max(0.0f, color[c])) * 255 + 0.5f);
}

// color: the current colour as color_bytes gives it, taken once per draw
// of arrays.
static LayerVertex record_vertex(const float position[3], const float normal[3], const uint8_t color[4])
{
    LayerVertex v;
    std::copy(position, position + 3, v.position);
    std::copy(normal, normal + 3, v.extra);
    std::copy(color, color + 4, v.color);
    v.texcoord[0] = layer.texcoord[0];
    v.texcoord[1] = layer.texcoord[1];
    v.control = layer.lighting ? kVertexLit : 0;
    return v;
}

// Joins count vertices that lie in the batch from index first into the
// mode's triangles, as OpenGL assembles them; an unfinished trailing group
// is left out, as there.
static void index_triangles(GLenum mode, uint16_t first, size_t count)
{
    for (size_t k = 0; k + 2 < count; mode == GL_TRIANGLES ? k += 3 : mode == GL_QUADS ? k += 4 : ++k) {
        const auto j = static_cast<uint16_t>(first + k);
        switch (mode) {
        case GL_TRIANGLES:
            batch_triangle(j, j + 1, j + 2);
            break;
        case GL_QUADS:
            // Split on the 0-2 diagonal, as Mesa splits them: it shows where a
            // quad is not flat (the twisted tube's are not).
            if (k + 3 >= count) return;
            batch_triangle(j, j + 1, j + 2);
            batch_triangle(j, j + 2, j + 3);
            break;
        case GL_POLYGON:
            batch_triangle(first, j + 1, j + 2);  // convex, as OpenGL requires: a fan
            break;
        default:
            // Every other strip triangle swaps its first two vertices to keep the winding.
            if (k % 2 == 0) batch_triangle(j, j + 1, j + 2);
            else batch_triangle(j + 1, j, j + 2);
            break;
        }
    }
}

static bool triangle_mode(GLenum mode)
{
    return mode == GL_TRIANGLES || mode == GL_QUADS || mode == GL_TRIANGLE_STRIP || mode == GL_POLYGON;
}

// GL_LINES or GL_LINE_STRIP through count points (position(k): point k's
// three floats) in one colour, drawn as a run when it can be.
template <typename Position>
static bool run_lines(GLenum mode, size_t count, Position position, const uint8_t color[4])
{
    const bool strip = mode == GL_LINE_STRIP;
    const size_t segments = strip ? count - 1 : count / 2;
    LineEnds* lines = line_run(segments);
    if (!lines) return false;
    for (size_t s = 0; s < segments; ++s)
        set_line_ends(&lines[s], position(strip ? s : 2 * s), position(strip ? s + 1 : 2 * s + 1));
    draw_line_run(segments, color);
    return true;
}

// The same from recorded vertices, when they are all of one colour.
static bool run_lines(GLenum mode, const LayerVertex* v, size_t count)
{
    for (size_t k = 1; k < count; ++k)
        if (!std::equal(v[k].color, v[k].color + 4, v[0].color)) return false;
    return run_lines(mode, count, [v](size_t k) { return v[k].position; }, v[0].color);
}

// Cuts the primitive's vertices into triangles or line segments, as OpenGL
// would assemble them; an unfinished trailing group is dropped, as there.
static void assemble(GLenum mode, const LayerVertex* v, size_t count)
{
    if (triangle_mode(mode)) {
        if (count < 3) return;
        if (count <= kMaxBatchVertices) {
            index_triangles(mode, batch_vertices(v, count), count);
            return;
        }
        // Longer than a batch: one triangle at a time, copying the shared vertices.
        for (size_t k = 0; k + 2 < count; mode == GL_TRIANGLES ? k += 3 : mode == GL_QUADS ? k += 4 : ++k) {
            if (mode == GL_QUADS) {
                if (k + 3 < count) index_triangles(mode, batch_vertices(v + k, 4), 4);
                continue;
            }
            const LayerVertex t[3] = {mode == GL_POLYGON ? v[0] : v[k], v[k + 1], v[k + 2]};
            const uint16_t i = batch_vertices(t, 3);
            if (mode == GL_TRIANGLE_STRIP && k % 2 == 1) batch_triangle(i + 1, i, i + 2);
            else batch_triangle(i, i + 1, i + 2);
        }
        return;
    }
    if ((mode != GL_LINES && mode != GL_LINE_STRIP) || count < 2) return;  // not a mode the demo uses: nothing
    if (run_lines(mode, v, count)) return;
    if (mode == GL_LINES)
        for (size_t k = 0; k + 1 < count; k += 2) batch_line(v[k], v[k + 1]);
    else
        for (size_t k = 0; k + 1 < count; ++k) batch_line(v[k], v[k + 1]);
}

void glBegin(GLenum mode)
{
    primitive = mode;
    pending.clear();
}

void glEnd()
{
    assemble(primitive, pending.data(), pending.size());
    pending.clear();
    primitive = 0;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    const float position[3] = {x, y, z};
    uint8_t color[4];
    color_bytes(layer.color, color);
    pending.push_back(record_vertex(position, layer.normal, color));
}

void glVertex3fv(const GLfloat* v)
{
    uint8_t color[4];
    color_bytes(layer.color, color);
    pending.push_back(record_vertex(v, layer.normal, color));
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    layer.color[0] = r;
    layer.color[1] = g;
    layer.color[2] = b;
    layer.color[3] = 1;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    layer.color[0] = r;
    layer.color[1] = g;
    layer.color[2] = b;
    layer.color[3] = a;
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    layer.texcoord[0] = s;
    layer.texcoord[1] = t;
}

void glNormal3fv(const GLfloat* n)
{
    std::copy(n, n + 3, layer.normal);
}

void glEnableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY) layer.vertex_array = true;
    if (array == GL_NORMAL_ARRAY) layer.normal_array = true;
}

void glDisableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY) layer.vertex_array = false;
    if (array == GL_NORMAL_ARRAY) layer.normal_array = false;
}

// Three floats per vertex, stride 0 meaning packed.
void glVertexPointer(GLint, GLenum, GLsizei stride, const void* pointer)
{
    layer.vertex_pointer = static_cast<const uint8_t*>(pointer);
    layer.vertex_stride = stride != 0 ? stride : 3 * static_cast<int>(sizeof(float));
}

void glNormalPointer(GLenum, GLsizei stride, const void* pointer)
{
    layer.normal_pointer = static_cast<const uint8_t*>(pointer);
    layer.normal_stride = stride != 0 ? stride : 3 * static_cast<int>(sizeof(float));
}

// Array element k as glVertex would take it, with the array's normal when
// that array is on and the current one otherwise.
static LayerVertex array_vertex(size_t k, const uint8_t color[4])
{
    const auto* position = reinterpret_cast<const float*>(layer.vertex_pointer + k * layer.vertex_stride);
    const float* normal = layer.normal_array
                              ? reinterpret_cast<const float*>(layer.normal_pointer + k * layer.normal_stride)
                              : layer.normal;
    return record_vertex(position, normal, color);
}

static std::vector<LayerVertex> gathered;
static std::vector<size_t> faces_kept;  // the first element of each, for draw_facing

// count array elements, element(k) for k = 0..count-1, written into the
// batch in place and joined into mode's triangles.
template <typename Element>
static void batch_elements(GLenum mode, size_t count, Element element, const uint8_t color[4])
{
    uint16_t at = 0;
    float slot = 0;
    LayerVertex* out = batch_space(count, &at, &slot);
    for (size_t k = 0; k < count; ++k) {
        out[k] = array_vertex(element(k), color);
        out[k].control += slot;
    }
    index_triangles(mode, at, count);
}

// Triangles or quads from array elements, under culling: only those it
// might keep go to the batch, each whole.
template <typename Element, typename Position>
static void draw_facing(GLenum mode, const FaceCulling& culling, size_t count, Element element, Position position,
                        const uint8_t color[4])
{
    const size_t corners = mode == GL_QUADS ? 4 : 3;
    faces_kept.clear();
    for (size_t k = 0; k + corners <= count; k += corners) {
        const bool culled = surely_culled(culling, position(k), position(k + 1), position(k + 2)) &&
                            (corners == 3 || surely_culled(culling, position(k), position(k + 2), position(k + 3)));
        if (!culled) faces_kept.push_back(k);
    }
    if (faces_kept.empty()) return;
    batch_elements(mode, faces_kept.size() * corners,
                   [&](size_t k) { return element(faces_kept[k / corners] + k % corners); }, color);
}

// Array elements first.. (index null) or index[0..count) drawn as mode:
// triangles written into the batch in place (under culling, those facing
// away left out) and lines straight into a run where they can be, else as
// glBegin/glEnd would take them. The current colour is packed once.
static void draw_elements(GLenum mode, const GLuint* index, size_t first, size_t count)
{
    auto element = [&](size_t k) { return index ? index[k] : first + k; };
    uint8_t color[4];
    color_bytes(layer.color, color);
    auto position = [&](size_t k) {
        return reinterpret_cast<const float*>(layer.vertex_pointer + element(k) * layer.vertex_stride);
    };
    FaceCulling culling;
    if ((mode == GL_TRIANGLES || mode == GL_QUADS) && count <= kMaxBatchVertices && begin_face_culling(&culling)) {
        draw_facing(mode, culling, count, element, position, color);
        return;
    }
    if (triangle_mode(mode) && count >= 3 && count <= kMaxBatchVertices) {
        batch_elements(mode, count, element, color);
        return;
    }
    if ((mode == GL_LINES || mode == GL_LINE_STRIP) && count >= 2 && run_lines(mode, count, position, color)) return;
    gathered.clear();
    for (size_t k = 0; k < count; ++k) gathered.push_back(array_vertex(element(k), color));
    assemble(mode, gathered.data(), gathered.size());
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (!layer.vertex_array || first < 0 || count <= 0) return;
    draw_elements(mode, nullptr, static_cast<size_t>(first), static_cast<size_t>(count));
}

// GL_UNSIGNED_INT indices only: the one type the demo hands over.
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    if (!layer.vertex_array || type != GL_UNSIGNED_INT || count <= 0) return;
    draw_elements(mode, static_cast<const GLuint*>(indices), 0, static_cast<size_t>(count));
}
