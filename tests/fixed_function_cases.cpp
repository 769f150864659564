#include "tests/fixed_function_cases.h"

#include <GL/gl.h>

#include <cmath>
#include <initializer_list>

static GLuint checker_texture;  // RGB, 16 x 16, a gradient with a checker on it
static GLuint disc_texture;     // RGBA, 32 x 32, white, alpha falling off outward

void make_case_textures()
{
    uint8_t checker[16 * 16 * 3];
    uint8_t disc[32 * 32 * 4];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = checker + (y * 16 + x) * 3;
            const bool dark = ((x / 4 + y / 4) & 1) != 0;
            p[0] = static_cast<uint8_t>(x * 16);
            p[1] = dark ? 40 : 220;
            p[2] = static_cast<uint8_t>(y * 16);
        }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t* p = disc + (y * 32 + x) * 4;
            const double r = std::hypot(x - 15.5, y - 15.5) / 16;
            p[0] = p[1] = p[2] = 255;
            p[3] = static_cast<uint8_t>(r < 1 ? 255 * (1 - r) : 0);
        }
    GLuint names[2];
    glGenTextures(2, names);
    checker_texture = names[0];
    disc_texture = names[1];
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const struct { GLuint name; GLenum format; int size; const uint8_t* pixels; } uploads[] = {
        {checker_texture, GL_RGB, 16, checker}, {disc_texture, GL_RGBA, 32, disc}};
    for (const auto& u : uploads) {
        glBindTexture(GL_TEXTURE_2D, u.name);
        for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) glTexParameteri(GL_TEXTURE_2D, wrap, GL_REPEAT);
        for (GLenum filter : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER})
            glTexParameteri(GL_TEXTURE_2D, filter, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(u.format), u.size, u.size, 0, u.format, GL_UNSIGNED_BYTE,
                     u.pixels);
    }
}

// OpenGL's defaults, and the demo's view: x -1.33..1.33, y -1..1 at z = 0.
static void reset_state()
{
    static const GLenum kSwitches[] = {GL_BLEND,  GL_DEPTH_TEST, GL_CULL_FACE, GL_ALPHA_TEST,
                                       GL_LIGHTING, GL_LIGHT0,   GL_LIGHT1,    GL_TEXTURE_2D};
    for (GLenum s : kSwitches) glDisable(s);
    glViewport(0, 0, kCaseWidth, kCaseHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glDepthRange(0, 1);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glLineWidth(1);
    const GLfloat white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, toward_viewer[4] = {0, 0, 1, 0};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, black);
    glLightfv(GL_LIGHT0, GL_POSITION, toward_viewer);
    glLightfv(GL_LIGHT1, GL_POSITION, toward_viewer);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1, 1, 3, 1000);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -3);
    glColor4f(1, 1, 1, 1);
}

static void quad(float x0, float y0, float x1, float y1, float z = 0)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex3f(x0, y0, z);
    glTexCoord2f(1, 1);
    glVertex3f(x1, y0, z);
    glTexCoord2f(1, 0);
    glVertex3f(x1, y1, z);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y1, z);
    glEnd();
}

static void coloured_quad(float r, float g, float b, float x0, float y0, float x1, float y1, float z = 0)
{
    glColor3f(r, g, b);
    quad(x0, y0, x1, y1, z);
}

// One primitive of plain vertices, three numbers each.
static void shape(GLenum mode, std::initializer_list<float> xyz)
{
    glBegin(mode);
    for (const float* v = xyz.begin(); v + 2 < xyz.end(); v += 3) glVertex3fv(v);
    glEnd();
}

// Nested pushes on both stacks; every quad is drawn at another depth of them.
static void matrix_stacks(std::vector<float>* values)
{
    glColor3f(1, 0, 0);
    glPushMatrix();
    glTranslatef(-0.8f, 0.4f, 0);
    glRotatef(30, 0, 0, 1);
    quad(-0.3f, -0.3f, 0.3f, 0.3f);
    glPushMatrix();
    glScalef(0.5f, 1.5f, 1);
    glTranslatef(1.6f, -0.6f, 0);
    coloured_quad(0, 1, 0, -0.3f, -0.3f, 0.3f, 0.3f);
    glPopMatrix();
    glTranslatef(0.2f, -0.9f, 0);
    coloured_quad(0, 0, 1, -0.2f, -0.2f, 0.2f, 0.2f);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-2, 0.5, -1.5, 1, 2, 50);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glRotatef(-40, 0.3f, 1, 0.2f);
    coloured_quad(1, 1, 0, 0.2f, -0.5f, 0.9f, 0.1f);
    values->resize(32);
    glGetFloatv(GL_MODELVIEW_MATRIX, values->data());
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int k = 0; k < 16; ++k) (*values)[16 + k] = static_cast<float>(projection[k]);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    coloured_quad(0, 1, 1, 0.7f, 0.5f, 1.2f, 0.9f);
}

// The two blendings the demo uses, over a textured background.
static void blend_factors(std::vector<float>*)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, checker_texture);
    coloured_quad(0.5f, 0.5f, 0.5f, -1.33f, -1, 1.33f, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE);
    glColor4f(0.9f, 0.6f, 0.3f, 0.5f);
    quad(-1, -0.8f, 0.4f, 0.6f);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ONE);
    coloured_quad(0.1f, 0.3f, 0.2f, -0.2f, -0.5f, 1.1f, 0.8f);
    glDisable(GL_BLEND);
}

// Alpha test on the disc's falling alpha, times the colour's alpha.
static void alpha_test(std::vector<float>*)
{
    coloured_quad(0, 0, 1, -1.33f, -1, 1.33f, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, disc_texture);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glColor4f(1, 0.5f, 0, 1);
    quad(-1.3f, -0.9f, 0.1f, 0.9f);
    glColor4f(0, 1, 0.5f, 0.8f);
    glAlphaFunc(GL_GREATER, 0.3f);
    quad(0.0f, -0.9f, 1.3f, 0.9f);
    glDisable(GL_ALPHA_TEST);
}

// A box -1..1 scaled to 0.4, as arrays: per vertex its face's normal, then
// its position.
static void box_faces(GLfloat faces[24][6])
{
    static const float kBox[6][5][3] = {
        {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
        {{0, 0, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
        {{1, 0, 0}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
        {{-1, 0, 0}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
        {{0, 1, 0}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
        {{0, -1, 0}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}};
    for (int k = 0; k < 24; ++k)
        for (int a = 0; a < 3; ++a) {
            faces[k][a] = kBox[k / 4][0][a];
            faces[k][3 + a] = 0.4f * kBox[k / 4][1 + k % 4][a];
        }
}

// The box's faces as arrays with their normals, for glDrawArrays(GL_QUADS,
// 0, 24); faces must outlive the draws.
static void box_arrays(GLfloat faces[24][6])
{
    box_faces(faces);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof faces[0], faces[0]);
    glVertexPointer(3, GL_FLOAT, sizeof faces[0], faces[0] + 3);
}

// A magenta light from the right and a cyan one from the left, placed under
// a turn of the view, both on with lighting and the depth test.
static void two_coloured_lights()
{
    static const GLfloat magenta[4] = {1, 0, 1, 1}, cyan[4] = {0, 1, 1, 1};
    static const GLfloat from_right[4] = {1, 1.5f, 0.5f, 0}, from_left[4] = {-2, -0.5f, 1, 0};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, magenta);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, cyan);
    glPushMatrix();
    glRotatef(25, 0, 1, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, from_right);
    glLightfv(GL_LIGHT1, GL_POSITION, from_left);
    glPopMatrix();
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

// A tumbling box lit by two coloured lights, by immediate mode and by
// arrays, one of them under a scale (normals not renormalised).
static void lighting(std::vector<float>*)
{
    two_coloured_lights();
    GLfloat faces[24][6];
    box_faces(faces);
    glPushMatrix();
    glTranslatef(-0.7f, 0, 0);
    glRotatef(35, 1, 0, 0);
    glRotatef(50, 0, 1, 0);
    glColor3f(0, 0, 0);  // ignored while lighting is on
    glBegin(GL_QUADS);
    for (int k = 0; k < 24; ++k) {
        if (k % 4 == 0) glNormal3fv(faces[k]);
        glVertex3fv(faces[k] + 3);
    }
    glEnd();
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0.7f, 0, 0);
    glRotatef(-20, 1, 0, 0);
    glRotatef(-130, 0, 1, 0);
    glScalef(0.6f, 0.6f, 0.6f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof faces[0], faces[0]);
    glVertexPointer(3, GL_FLOAT, sizeof faces[0], faces[0] + 3);
    glDrawArrays(GL_QUADS, 0, 24);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
}

// The same arrays drawn three times, the matrix and the lights changed
// between the draws: each draw is lit and placed as things stood when it
// was made. Then a ring of small quads, each under a matrix of its own:
// more matrices than one draw of the layer holds.
static void redrawn_geometry(std::vector<float>*)
{
    two_coloured_lights();
    GLfloat faces[24][6];
    box_arrays(faces);
    static const GLfloat yellow[4] = {1, 1, 0, 1}, from_below[4] = {0, -1, 0.3f, 0};
    for (int k = 0; k < 3; ++k) {
        glPushMatrix();
        glTranslatef(-0.85f + 0.85f * k, 0.4f, 0);
        glRotatef(30.0f + 55 * k, 1, 1, 0);
        if (k == 1) glLightfv(GL_LIGHT0, GL_DIFFUSE, yellow);
        if (k == 2) {
            glLightfv(GL_LIGHT1, GL_POSITION, from_below);  // under this box's turn
            glDisable(GL_LIGHT0);
        }
        glDrawArrays(GL_QUADS, 0, 24);
        glPopMatrix();
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_LIGHTING);
    for (int k = 0; k < 90; ++k) {
        glPushMatrix();
        glTranslatef(0, -0.5f, 0);
        glRotatef(4.0f * k, 0, 0, 1);
        glTranslatef(0.42f, 0, 0);
        glRotatef(11.0f * k, 0, 0, 1);
        coloured_quad(k / 90.0f, 1 - k / 90.0f, 0.5f, -0.05f, -0.05f, 0.05f, 0.05f);
        glPopMatrix();
    }
    glDisable(GL_DEPTH_TEST);
}

// One counter-clockwise and one clockwise quad under each culling set-up.
static void culling(std::vector<float>*)
{
    glEnable(GL_CULL_FACE);
    const struct { GLenum front, cull; float y; } rows[] = {
        {GL_CCW, GL_BACK, 0.6f}, {GL_CW, GL_BACK, 0.0f}, {GL_CCW, GL_FRONT, -0.6f}};
    for (const auto& row : rows) {
        glFrontFace(row.front);
        glCullFace(row.cull);
        coloured_quad(1, 0.5f, 0, -1.1f, row.y - 0.25f, -0.2f, row.y + 0.25f);   // counter-clockwise
        coloured_quad(0, 0.5f, 1, 1.1f, row.y - 0.25f, 0.2f, row.y + 0.25f);     // clockwise
    }
    glDisable(GL_CULL_FACE);
}

// Tumbling boxes from arrays under each culling set-up, lit; one reaching
// from the near plane to behind the eye; one under an orthographic
// projection, whose centre of projection lies at infinity. Every face
// culling keeps must show.
static void culled_arrays(std::vector<float>*)
{
    two_coloured_lights();
    glEnable(GL_CULL_FACE);
    GLfloat faces[24][6];
    box_arrays(faces);
    const struct { GLenum front, cull; float x, y, z, scale; } boxes[] = {
        {GL_CCW, GL_BACK, -0.9f, 0.45f, 0, 1}, {GL_CW, GL_BACK, 0, 0.45f, 0, 1},
        {GL_CCW, GL_FRONT, 0.9f, 0.45f, 0, 1}, {GL_CCW, GL_BACK, -1.9f, -0.6f, 2.4f, 3}};
    for (const auto& box : boxes) {
        glFrontFace(box.front);
        glCullFace(box.cull);
        glPushMatrix();
        glTranslatef(box.x, box.y, box.z);
        glRotatef(40, 1, 0.5f, 0.2f);
        glScalef(box.scale, box.scale, box.scale);
        glDrawArrays(GL_QUADS, 0, 24);
        glPopMatrix();
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glScalef(1 / 1.33f, 1, -0.1f);  // glOrtho(-1.33, 1.33, -1, 1, -10, 10)
    glMatrixMode(GL_MODELVIEW);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glPushMatrix();
    glTranslatef(0.6f, -0.5f, 0);
    glRotatef(-65, 0.3f, 1, 0);
    glDrawArrays(GL_QUADS, 0, 24);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_CULL_FACE);
}

// Width-2 lines across and along the picture, as strips and indexed, in
// part behind a quad, and with back-face culling on as the tube draws them.
static void wide_lines(std::vector<float>*)
{
    glEnable(GL_DEPTH_TEST);
    coloured_quad(0.3f, 0.3f, 0.3f, -0.2f, -1, 1.33f, 1, -0.5f);
    glLineWidth(2);
    glColor3f(1, 1, 0);
    shape(GL_LINES, {-1.2f, 0.8f, 0, 1.2f, 0.6f, 0, -1.0f, -0.9f, 0, -0.8f, 0.7f, 0});
    glColor3f(0, 1, 1);
    glEnable(GL_CULL_FACE);
    glBegin(GL_LINE_STRIP);
    for (int k = 0; k <= 8; ++k)
        glVertex3f(-1.1f + 0.28f * k, -0.3f + 0.4f * std::sin(k * 0.9f), (k % 3 == 0) ? -1.0f : 0.0f);
    glEnd();
    glDisable(GL_CULL_FACE);
    static const GLfloat square[4][3] = {{0.2f, -0.8f, -0.3f}, {0.9f, -0.7f, -0.3f},
                                         {0.8f, 0, -0.3f}, {0.1f, -0.1f, -0.3f}};
    static const GLuint edges[8] = {0, 1, 1, 2, 2, 3, 3, 0};
    glColor3f(1, 0, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, square);
    glDrawElements(GL_LINES, 8, GL_UNSIGNED_INT, edges);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_DEPTH_TEST);
}

// Switches flipped between draws: each draw must keep the state it was
// given, whatever follows it.
static void state_between_draws(std::vector<float>*)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, disc_texture);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.4f);
    coloured_quad(1, 0, 0, -1.3f, -0.2f, -0.5f, 0.8f);
    glDisable(GL_ALPHA_TEST);
    coloured_quad(0, 1, 0, -0.5f, -0.2f, 0.3f, 0.8f);
    glBindTexture(GL_TEXTURE_2D, checker_texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    coloured_quad(0.5f, 0.5f, 1, -0.9f, -0.9f, 0.9f, 0.3f);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    coloured_quad(0.8f, 0.8f, 0.8f, 0.4f, -0.6f, 1.3f, 0.9f);
    glEnable(GL_DEPTH_TEST);
    coloured_quad(0.2f, 0.2f, 0.9f, 0.6f, -0.9f, 1.2f, 0.2f, -0.3f);
    glDisable(GL_DEPTH_TEST);
    coloured_quad(0.9f, 0.1f, 0.1f, 0.8f, -0.5f, 1.3f, 0.5f, -0.6f);  // depth test off again: drawn over
}

// Depth marks at depth 0 that later draws can't pass, a cleared depth
// buffer, and a nearer quad in front of a farther one whatever the order.
static void depth(std::vector<float>*)
{
    glEnable(GL_DEPTH_TEST);
    glDepthRange(0, 0);
    coloured_quad(1, 1, 1, -1.2f, -0.9f, -0.2f, 0.9f);
    glDepthRange(0, 1);
    coloured_quad(1, 0, 0, -1.0f, -0.5f, 0.5f, 0.5f, -0.5f);  // only beside the marks
    glClear(GL_DEPTH_BUFFER_BIT);
    coloured_quad(0, 0, 1, 0.0f, -0.8f, 1.2f, 0.2f, -0.5f);
    coloured_quad(0, 1, 0, 0.3f, -0.4f, 1.3f, 0.8f, -1.0f);  // farther: hidden where they overlap
    glDisable(GL_DEPTH_TEST);
}

// Strips (culled as OpenGL culls them), fans of a polygon, triangles with a colour per vertex (clamped),
// and a quad that is not flat, whose split shows.
static void primitives(std::vector<float>*)
{
    // The strip winds clockwise: kept whole only if every other triangle's
    // vertices are swapped as OpenGL swaps them.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glBegin(GL_TRIANGLE_STRIP);
    for (int k = 0; k < 6; ++k) {
        glColor3f(k * 0.2f, 1 - k * 0.2f, 0.5f);
        glVertex3f(-1.3f + 0.25f * k, (k % 2) ? 0.9f : 0.4f, 0);
    }
    glEnd();
    glDisable(GL_CULL_FACE);
    glBegin(GL_POLYGON);
    for (int k = 0; k < 6; ++k) {
        glColor4f(1.5f, -0.5f + k * 0.3f, k * 0.2f, 1);
        glVertex3f(0.7f + 0.4f * std::cos(k * 1.047f), 0.5f + 0.4f * std::sin(k * 1.047f), 0);
    }
    glEnd();
    glBegin(GL_TRIANGLES);
    glColor3f(1, 0, 0);
    glVertex3f(-1.2f, -0.9f, 0);
    glColor3f(0, 1, 0);
    glVertex3f(-0.2f, -0.9f, 0);
    glColor3f(0, 0, 1);
    glVertex3f(-0.7f, 0.2f, 0);
    glEnd();
    glColor3f(0.9f, 0.7f, 0.2f);
    shape(GL_QUADS, {0.1f, -0.9f, 0, 1.2f, -0.9f, 0, 1.2f, 0.0f, -1.5f, 0.1f, 0.0f, 0});  // corner 2 stands back
}

// The closing zoom's small viewport, with a textured quad and lines in it.
static void viewport(std::vector<float>*)
{
    glViewport(20, 10, 64, 48);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, checker_texture);
    coloured_quad(1, 1, 1, -1.33f, -1, 1.33f, 1);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(2);
    glColor3f(1, 0, 0);
    shape(GL_LINES, {-1.2f, -0.8f, 0, 1.2f, 0.5f, 0});
    glViewport(0, 0, kCaseWidth, kCaseHeight);
    coloured_quad(0, 1, 0, 0.9f, 0.6f, 1.3f, 0.95f);
}

// Wide lines where the picture ends: a few across it and out past both
// sides, along its left border and out through the bottom; 66 rays out
// past every edge in one indexed call; a strip of 70 segments from in front of the near plane to behind
// the eye, cut where it crosses, under culling that keeps clockwise faces
// only; and a short strip under front-face culling.
static void edge_lines(std::vector<float>*)
{
    coloured_quad(0.25f, 0.25f, 0.25f, -1.33f, -1, 1.33f, 1);
    glLineWidth(3);
    glColor3f(1, 1, 0);
    shape(GL_LINES, {-2.0f, 0.7f, 0, 2.0f, 0.9f, 0, -1.31f, -1.3f, 0, -1.31f, 1.3f, 0, 0.9f, -0.2f, 0,
                     1.6f, -1.4f, 0});
    // 66 rays from one point out past every edge, in one indexed call.
    static GLfloat ends[67][3];
    static GLuint rays[66 * 2];
    ends[66][0] = 0.6f;
    ends[66][1] = -0.3f;
    for (int r = 0; r < 66; ++r) {
        ends[r][0] = 0.6f + 2.0f * std::cos(r * 0.0952f);
        ends[r][1] = -0.3f + 2.0f * std::sin(r * 0.0952f);
        rays[2 * r] = 66;
        rays[2 * r + 1] = static_cast<GLuint>(r);
    }
    glLineWidth(2);
    glColor3f(1, 0.5f, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, ends);
    glDrawElements(GL_LINES, 66 * 2, GL_UNSIGNED_INT, rays);
    // More segments than one draw of 16-bit indices holds, under culling:
    // all but the last 30 lie outside the picture, and those 30 are lines
    // 5 pixels apart going right, left, up and down.
    static GLfloat far_ends[11040 * 2][3];
    for (int s = 0; s < 11040; ++s) {
        GLfloat* a = far_ends[2 * s];
        GLfloat* b = far_ends[2 * s + 1];
        const int k = s - 11010;
        const float across = -0.95f + 0.1f * (k % 10), up = -0.2f + 0.1f * (k % 5);
        if (k < 0) {
            a[0] = 50.0f + s, a[1] = 40, b[0] = 51.0f + s, b[1] = 40;
        } else if (k < 20) {
            a[0] = k < 10 ? -1.3f : -0.5f, b[0] = k < 10 ? -0.5f : -1.3f;
            a[1] = b[1] = across + (k < 10 ? 0 : 0.05f);
        } else {
            a[0] = b[0] = up + (k < 25 ? 0 : 0.5f);
            a[1] = k < 25 ? 0.1f : 0.9f, b[1] = k < 25 ? 0.9f : 0.1f;
        }
    }
    glColor3f(1, 0, 1);
    glVertexPointer(3, GL_FLOAT, 0, far_ends);
    glEnable(GL_CULL_FACE);
    glDrawArrays(GL_LINES, 0, 11040 * 2);
    glDisable(GL_CULL_FACE);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor3f(0, 1, 1);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glBegin(GL_LINE_STRIP);
    for (int k = 0; k <= 70; ++k)
        glVertex3f(-1.1f + 0.02f * k, -0.8f + 0.3f * std::sin(k * 0.3f), -0.5f + 0.065f * k);
    glEnd();
    glCullFace(GL_FRONT);
    shape(GL_LINE_STRIP, {-0.6f, 0.2f, 1.0f, 0.4f, 0.3f, -0.5f, 0.5f, -0.9f, -1.0f});
    glDisable(GL_CULL_FACE);
}

// 64 separate wide lines (a run, from glBegin) added onto grey, once each:
// lines drawn twice would show twice as bright. They lie along pixel rows,
// so that both GLs cover the same pixels.
static void added_lines(std::vector<float>*)
{
    coloured_quad(0.2f, 0.2f, 0.2f, -1.33f, -1, 1.33f, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glLineWidth(2);
    glColor3f(0.3f, 0.25f, 0.5f);
    glBegin(GL_LINES);
    for (int k = 0; k < 64; ++k) {
        const float x = -1.2f + 0.3f * (k % 8), y = (12 + 10 * (k / 8)) / 48.0f - 1;  // pixel rows 12, 22, ...
        glVertex3f(x, y, 0);
        glVertex3f(x + 0.25f, y, 0);
    }
    glEnd();
    glDisable(GL_BLEND);
}

// Texture coordinates past 1 repeat; the colour tints the picture.
static void texture_modulate(std::vector<float>*)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, checker_texture);
    glColor3f(0.6f, 1, 0.8f);
    glBegin(GL_POLYGON);
    glTexCoord2f(-0.5f, 2.2f);
    glVertex3f(-1.2f, -0.9f, 0);
    glTexCoord2f(1.7f, 2.2f);
    glVertex3f(1.2f, -0.9f, 0);
    glTexCoord2f(1.7f, 0);
    glVertex3f(1.2f, 0.9f, -1.5f);
    glTexCoord2f(-0.5f, 0);
    glVertex3f(-1.2f, 0.9f, -1.5f);
    glEnd();
}

const FixedFunctionCase kFixedFunctionCases[] = {
    {"matrix stacks", matrix_stacks}, {"blend factors", blend_factors},
    {"alpha test", alpha_test},       {"lighting", lighting},
    {"culling", culling},             {"wide lines", wide_lines},
    {"state between draws", state_between_draws}, {"depth", depth},
    {"primitives", primitives},       {"viewport", viewport},
    {"texture modulate", texture_modulate}, {"redrawn geometry", redrawn_geometry},
    {"edge lines", edge_lines},       {"culled arrays", culled_arrays},
    {"added lines", added_lines},
};
const int kFixedFunctionCaseCount = sizeof kFixedFunctionCases / sizeof kFixedFunctionCases[0];

void run_case(int k, std::vector<uint8_t>* rgba, std::vector<float>* values)
{
    reset_state();
    values->clear();
    kFixedFunctionCases[k].draw(values);
    values->resize(kCaseValues);
    rgba->resize(static_cast<size_t>(kCaseWidth) * kCaseHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kCaseWidth, kCaseHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
}
