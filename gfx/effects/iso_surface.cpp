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

// One copy of the surface: every cell of the lattice in one GL_TRIANGLES.
static void surface_pass()
{
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < kCellCount; ++i) {
        for (int j = 0; j < kCellCount; ++j) {
            // The colour depends on j only; each cell would set the same one.
            const float g = static_cast<float>(j) / kFieldSize;
            glColor3f(1 - g, g, 1);
            // Slide along k: a cell's far face values become the next
            // cell's near face, so each lattice value is read once per row.
            float values[8];
            values[4] = scalar_field[i][j][0];
            values[5] = scalar_field[i + 1][j][0];
            values[6] = scalar_field[i + 1][j + 1][0];
            values[7] = scalar_field[i][j + 1][0];
            for (int k = 0; k < kCellCount; ++k) {
                values[0] = values[4];
                values[1] = values[5];
                values[2] = values[6];
                values[3] = values[7];
                values[4] = scalar_field[i][j][k + 1];
                values[5] = scalar_field[i + 1][j][k + 1];
                values[6] = scalar_field[i + 1][j + 1][k + 1];
                values[7] = scalar_field[i][j + 1][k + 1];
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
