#include <GL/gl.h>

#include <cmath>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"

static constexpr int kCellCount = kFieldSize - 1;  // cells per axis
static constexpr int kLatticeCentre = kFieldSize / 2;
static constexpr float kRowColourStep = 0.0625f;  // 1/16 per lattice row

// Per edge: its first and second corner, the axis its vertex moves along
// (0 x, 1 y, 2 z) and the fixed 0/1 offsets of corner 0 on every axis.
struct CellEdge {
    int from, to, axis;
    int offset[3];
};
static const CellEdge kCellEdges[12] = {
    {0, 1, 0, {0, 0, 0}}, {1, 2, 1, {1, 0, 0}}, {3, 2, 0, {0, 1, 0}}, {0, 3, 1, {0, 0, 0}},
    {4, 5, 0, {0, 0, 1}}, {5, 6, 1, {1, 0, 1}}, {7, 6, 0, {0, 1, 1}}, {4, 7, 1, {0, 0, 1}},
    {0, 4, 2, {0, 0, 0}}, {1, 5, 2, {1, 0, 0}}, {2, 6, 2, {1, 1, 0}}, {3, 7, 2, {0, 1, 0}},
};

// Puts a vertex where the level crosses the edge, interpolating linearly
// between its corner values; coordinates scaled per axis by cell_scale.
// Edge numbers outside 0..11 emit nothing.
void emit_edge_vertex(int edge, const float values[8], float x, float y, float z, float level)
{
    if (edge < 0 || edge > 11) return;
    const CellEdge& e = kCellEdges[edge];
    const float base[3] = {x, y, z};
    float position[3];
    for (int axis = 0; axis < 3; ++axis) {
        const float s = cell_scale[axis];
        if (axis == e.axis) {
            const float a = values[e.from], b = values[e.to];
            // Equal ends never straddle the level inside polygonise_cell; a
            // direct call with them gets the first corner, not a NaN.
            const float along = b != a ? s / (b - a) * (level - a) : 0.0f;
            position[axis] = base[axis] * s + along;
        } else {
            position[axis] = (base[axis] + static_cast<float>(e.offset[axis])) * s;
        }
    }
    glVertex3f(position[0], position[1], position[2]);
}

// (x, y, z) is corner 0 in lattice coordinates (index - 8). A corner equal
// to the level counts as below it.
void polygonise_cell(const float values[8], float x, float y, float z)
{
    const float level = iso_level;
    int case_index = 0;
    for (int corner = 0; corner < 8; ++corner)
        if (values[corner] > level) case_index |= 1 << corner;
    const int32_t* row = tri_table[case_index];
    if (row[0] < 0) return;
    const float g = (y + kLatticeCentre) * kRowColourStep;
    for (int entry = 0; entry < 15 && row[entry] != -1; ++entry) {
        glColor4f(1 - g, g, 1, 1);
        emit_edge_vertex(row[entry], values, x, y, z, level);
    }
}

// Lattice index n of the n-th step along an axis walked from the end nearer
// the eye (cells 0..kCellCount-1), so nearer triangles go first and the
// depth test turns away those behind them before they are shaded.
struct AxisWalk {
    int first, step;
};

static AxisWalk walk_from_the_eye(const GLfloat modelview[16], int axis)
{
    const bool toward_eye = modelview[axis * 4 + 2] > 0;  // eye-space z of the axis
    return toward_eye ? AxisWalk{kCellCount - 1, -1} : AxisWalk{0, 1};
}

// One copy of the surface: every cell of the lattice in one GL_TRIANGLES,
// nearest cells first. The order changes the picture only where two
// triangles tie in depth.
static void surface_pass()
{
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const AxisWalk wi = walk_from_the_eye(modelview, 0);
    const AxisWalk wj = walk_from_the_eye(modelview, 1);
    const AxisWalk wk = walk_from_the_eye(modelview, 2);
    glBegin(GL_TRIANGLES);
    for (int ni = 0, i = wi.first; ni < kCellCount; ++ni, i += wi.step) {
        for (int nj = 0, j = wj.first; nj < kCellCount; ++nj, j += wj.step) {
            // The colour depends on j only; each cell would set the same one.
            const float g = static_cast<float>(j) / kFieldSize;
            glColor3f(1 - g, g, 1);
            // Slide along k: a cell's face toward the walk's next cell is
            // that cell's other face, so each lattice value is read once
            // per row. Corners 0-3 lie at k, 4-7 at k + 1.
            float values[8];
            const int start = wk.step > 0 ? 0 : kCellCount;  // the face read before the first cell
            values[0] = values[4] = scalar_field[i][j][start];
            values[1] = values[5] = scalar_field[i + 1][j][start];
            values[2] = values[6] = scalar_field[i + 1][j + 1][start];
            values[3] = values[7] = scalar_field[i][j + 1][start];
            for (int nk = 0, k = wk.first; nk < kCellCount; ++nk, k += wk.step) {
                const int kept = wk.step > 0 ? 0 : 4;  // the face shared with the previous cell
                const int fresh = 4 - kept;
                const int fresh_k = wk.step > 0 ? k + 1 : k;
                for (int c = 0; c < 4; ++c) values[kept + c] = values[fresh + c];
                values[fresh + 0] = scalar_field[i][j][fresh_k];
                values[fresh + 1] = scalar_field[i + 1][j][fresh_k];
                values[fresh + 2] = scalar_field[i + 1][j + 1][fresh_k];
                values[fresh + 3] = scalar_field[i][j + 1][fresh_k];
                polygonise_cell(values, static_cast<float>(i - kLatticeCentre),
                                static_cast<float>(j - kLatticeCentre), static_cast<float>(k - kLatticeCentre));
            }
        }
    }
    glEnd();
}

// The tumbling surface, then a copy scaled by 1 + 0.7 sin t about the
// lattice centre. The scale stays on the caller's (pushed) matrix.
void draw_iso_surface(float t)
{
    glRotatef(13 * t, 1, 0, 0);
    glRotatef(17 * t, 0, 1, 0);
    glRotatef(15 * t, 0, 0, 1);
    surface_pass();
    const float f = static_cast<float>(1 + 0.7f * std::sin(static_cast<double>(t)));
    glScalef(f, f, f);
    surface_pass();
}
