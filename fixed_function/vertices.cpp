// Vertices in: immediate mode and client arrays. Each vertex is recorded as
// given, in object space, with what it needs to be lit; its primitive is cut
// into triangles (or wide-line corners) for the batch, and the shaders do
// the per-vertex work.
#include <algorithm>
#include <vector>

#include "fixed_function/layer_state.h"

static GLenum primitive = 0;  // the glBegin mode, 0 outside glBegin/glEnd
static std::vector<LayerVertex> pending;  // this primitive's vertices so far

static LayerVertex record_vertex(const float position[3], const float normal[3])
{
    LayerVertex v;
    std::copy(position, position + 3, v.position);
    std::copy(normal, normal + 3, v.extra);
    std::copy(layer.color, layer.color + 4, v.color);
    v.texcoord[0] = layer.texcoord[0];
    v.texcoord[1] = layer.texcoord[1];
    v.control = layer.lighting ? kVertexLit : 0;
    return v;
}

// Cuts the primitive's vertices into triangles or line segments, as OpenGL
// would assemble them; an unfinished trailing group is dropped, as there.
static void assemble(GLenum mode, const LayerVertex* v, size_t count)
{
    switch (mode) {
    case GL_TRIANGLES:
        for (size_t k = 0; k + 2 < count; k += 3) {
            const uint16_t i = batch_vertices(v + k, 3);
            batch_triangle(i, i + 1, i + 2);
        }
        break;
    case GL_QUADS:
        // Split on the 0-2 diagonal, as Mesa splits them: it shows where a
        // quad is not flat (the twisted tube's are not).
        for (size_t k = 0; k + 3 < count; k += 4) {
            const uint16_t i = batch_vertices(v + k, 4);
            batch_triangle(i, i + 1, i + 2);
            batch_triangle(i, i + 2, i + 3);
        }
        break;
    case GL_TRIANGLE_STRIP:
    case GL_POLYGON: {
        if (count < 3) break;
        if (count > kMaxBatchVertices) {  // one triangle at a time, copying the shared vertices
            for (size_t k = 0; k + 2 < count; ++k) {
                const LayerVertex t[3] = {mode == GL_POLYGON ? v[0] : v[k], v[k + 1], v[k + 2]};
                const uint16_t i = batch_vertices(t, 3);
                // Every other strip triangle swaps its first two vertices to keep the winding.
                if (mode == GL_TRIANGLE_STRIP && k % 2 == 1) batch_triangle(i + 1, i, i + 2);
                else batch_triangle(i, i + 1, i + 2);
            }
            break;
        }
        const uint16_t i = batch_vertices(v, count);
        for (size_t k = 0; k + 2 < count; ++k) {
            const auto j = static_cast<uint16_t>(i + k);
            if (mode == GL_POLYGON) batch_triangle(i, j + 1, j + 2);  // convex, as OpenGL requires: a fan
            else if (k % 2 == 0) batch_triangle(j, j + 1, j + 2);
            else batch_triangle(j + 1, j, j + 2);
        }
        break;
    }
    case GL_LINES:
        if (draw_line_instances(v, count, false)) break;
        for (size_t k = 0; k + 1 < count; k += 2) batch_line(v[k], v[k + 1]);
        break;
    case GL_LINE_STRIP:
        if (draw_line_instances(v, count, true)) break;
        for (size_t k = 0; k + 1 < count; ++k) batch_line(v[k], v[k + 1]);
        break;
    default:
        break;  // not a mode the demo uses: nothing is drawn
    }
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
    pending.push_back(record_vertex(position, layer.normal));
}

void glVertex3fv(const GLfloat* v)
{
    pending.push_back(record_vertex(v, layer.normal));
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
static LayerVertex array_vertex(size_t k)
{
    const auto* position = reinterpret_cast<const float*>(layer.vertex_pointer + k * layer.vertex_stride);
    const float* normal = layer.normal_array
                              ? reinterpret_cast<const float*>(layer.normal_pointer + k * layer.normal_stride)
                              : layer.normal;
    return record_vertex(position, normal);
}

static std::vector<LayerVertex> gathered;

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (!layer.vertex_array || first < 0 || count <= 0) return;
    gathered.clear();
    for (GLsizei k = 0; k < count; ++k) gathered.push_back(array_vertex(static_cast<size_t>(first + k)));
    assemble(mode, gathered.data(), gathered.size());
}

// GL_UNSIGNED_INT indices only: the one type the demo hands over.
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    if (!layer.vertex_array || type != GL_UNSIGNED_INT || count <= 0) return;
    const auto* index = static_cast<const GLuint*>(indices);
    gathered.clear();
    for (GLsizei k = 0; k < count; ++k) gathered.push_back(array_vertex(index[k]));
    assemble(mode, gathered.data(), gathered.size());
}
