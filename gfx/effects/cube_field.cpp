#include <GL/gl.h>

#include <algorithm>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"

// A cube appears where the lattice value passes this threshold.
static constexpr float kCubeThreshold = 0.8f;
// The outline sits just outside the faces so the depth test keeps it.
static constexpr float kOutlineGap = 0.00001f;

static const GLfloat kLight0Diffuse[4] = {1, 0, 1, 1};
static const GLfloat kLight0Position[4] = {1, 1, -100, 0};
static const GLfloat kLight1Diffuse[4] = {0, 1, 1, 1};
static const GLfloat kLight1Position[4] = {-1, -1, 100, 0};

// One corner of the box centred on (x, y, z) with half-size h; each sign is
// -1 or +1 per axis. Coordinates are scaled per axis by cell_scale.
static void box_vertex(float x, float y, float z, float h, int sx, int sy, int sz)
{
    glVertex3f((x + sx * h) * cell_scale[0], (y + sy * h) * cell_scale[1], (z + sz * h) * cell_scale[2]);
}

// Lit faces: normal once per face, then its four corners.
static void cube_faces(float x, float y, float z, float h)
{
    glBegin(GL_QUADS);
    glNormal3f(0, 0, -1);
    box_vertex(x, y, z, h, -1, -1, -1); box_vertex(x, y, z, h, +1, -1, -1);
    box_vertex(x, y, z, h, +1, +1, -1); box_vertex(x, y, z, h, -1, +1, -1);
    glNormal3f(0, 0, 1);
    box_vertex(x, y, z, h, -1, -1, +1); box_vertex(x, y, z, h, -1, +1, +1);
    box_vertex(x, y, z, h, +1, +1, +1); box_vertex(x, y, z, h, +1, -1, +1);
    glNormal3f(-1, 0, 0);
    box_vertex(x, y, z, h, -1, -1, +1); box_vertex(x, y, z, h, -1, +1, +1);
    box_vertex(x, y, z, h, -1, +1, -1); box_vertex(x, y, z, h, -1, -1, -1);
    glNormal3f(1, 0, 0);
    box_vertex(x, y, z, h, +1, +1, +1); box_vertex(x, y, z, h, +1, -1, +1);
    box_vertex(x, y, z, h, +1, -1, -1); box_vertex(x, y, z, h, +1, +1, -1);
    glNormal3f(0, -1, 0);
    box_vertex(x, y, z, h, -1, -1, -1); box_vertex(x, y, z, h, -1, -1, +1);
    box_vertex(x, y, z, h, +1, -1, +1); box_vertex(x, y, z, h, +1, -1, -1);
    glNormal3f(0, 1, 0);
    box_vertex(x, y, z, h, -1, +1, +1); box_vertex(x, y, z, h, -1, +1, -1);
    box_vertex(x, y, z, h, +1, +1, -1); box_vertex(x, y, z, h, +1, +1, +1);
    glEnd();
}

// The twelve edges: the z- and z+ squares, then the four z-parallel edges.
static void cube_outline(float x, float y, float z, float h)
{
    glBegin(GL_LINE_STRIP);
    box_vertex(x, y, z, h, -1, -1, -1); box_vertex(x, y, z, h, +1, -1, -1);
    box_vertex(x, y, z, h, +1, +1, -1); box_vertex(x, y, z, h, -1, +1, -1);
    box_vertex(x, y, z, h, -1, -1, -1);
    glEnd();
    glBegin(GL_LINE_STRIP);
    box_vertex(x, y, z, h, -1, -1, +1); box_vertex(x, y, z, h, -1, +1, +1);
    box_vertex(x, y, z, h, +1, +1, +1); box_vertex(x, y, z, h, +1, -1, +1);
    box_vertex(x, y, z, h, -1, -1, +1);
    glEnd();
    glBegin(GL_LINES);
    box_vertex(x, y, z, h, -1, +1, -1); box_vertex(x, y, z, h, -1, +1, +1);
    box_vertex(x, y, z, h, -1, -1, +1); box_vertex(x, y, z, h, -1, -1, -1);
    glEnd();
    glBegin(GL_LINES);
    box_vertex(x, y, z, h, +1, +1, +1); box_vertex(x, y, z, h, +1, +1, -1);
    box_vertex(x, y, z, h, +1, -1, -1); box_vertex(x, y, z, h, +1, -1, +1);
    glEnd();
}

// value is the lattice value minus the threshold: nothing at 0 or less, an
// edge of value (lattice units) up to a full edge of 1 from 1.0 on.
void draw_cube(float value, float x, float y, float z)
{
    const float h = 0.5f * std::min(1.0f, value);
    if (!(h > 0)) return;
    glEnable(GL_LIGHTING);
    cube_faces(x, y, z, h);
    glDisable(GL_LIGHTING);
    glColor4f(0, 0, 0, 1);
    glLineWidth(2);
    cube_outline(x, y, z, h + kOutlineGap);
}

// Lights are placed before the tumble so they stay fixed to the viewer.
// Leaves lighting off, both lights on, depth testing on.
void draw_cube_field(float t)
{
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLight0Diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, kLight0Position);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kLight1Diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, kLight1Position);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);

    glRotatef(13 * t, 1, 0, 0);
    glRotatef(17 * t, 0, 1, 0);
    glRotatef(15 * t, 0, 0, 1);

    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k)
                draw_cube(scalar_field[i][j][k] - kCubeThreshold, static_cast<float>(i - 8),
                          static_cast<float>(j - 8), static_cast<float>(k - 8));
    glDisable(GL_LIGHTING);
}
