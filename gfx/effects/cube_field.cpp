#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "gfx/effects/effects.h"
#include "gfx/effects/scalar_field.h"
#include "gfx/line_width.h"

// A cube appears where the lattice value passes this threshold.
static constexpr float kCubeThreshold = 0.8f;
// The outline sits just outside the faces so the depth test keeps it.
static constexpr float kOutlineGap = 0.00001f;

static const GLfloat kLight0Diffuse[4] = {1, 0, 1, 1};
static const GLfloat kLight0Position[4] = {1, 1, -100, 0};
static const GLfloat kLight1Diffuse[4] = {0, 1, 1, 1};
static const GLfloat kLight1Position[4] = {-1, -1, 100, 0};

// Box corners, numbered by their signs: bit 0 x, bit 1 y, bit 2 z (set: +).
enum : int { MMM = 0, PMM = 1, MPM = 2, PPM = 3, MMP = 4, PMP = 5, MPP = 6, PPP = 7 };

// The eight corners of the box centred on (x, y, z) with half-size h,
// scaled per axis by cell_scale: each is computed once and shared by the
// three faces and three edges that meet there.
static void box_corners(float x, float y, float z, float h, GLfloat corners[8][3])
{
    const float low[3] = {(x - h) * cell_scale[0], (y - h) * cell_scale[1], (z - h) * cell_scale[2]};
    const float high[3] = {(x + h) * cell_scale[0], (y + h) * cell_scale[1], (z + h) * cell_scale[2]};
    for (int c = 0; c < 8; ++c) {
        corners[c][0] = (c & 1) ? high[0] : low[0];
        corners[c][1] = (c & 2) ? high[1] : low[1];
        corners[c][2] = (c & 4) ? high[2] : low[2];
    }
}

// Six faces for an open GL_QUADS primitive: normal once, then four corners.
// The single-cube order winds z-, z+, y- and y+ inward and x- and x+
// outward, which is harmless without culling.
static const struct {
    GLfloat normal[3];
    int corners[4];
} kCubeFaces[6] = {
    {{0, 0, -1}, {MMM, PMM, PPM, MPM}}, {{0, 0, 1}, {MMP, MPP, PPP, PMP}},
    {{-1, 0, 0}, {MMP, MPP, MPM, MMM}}, {{1, 0, 0}, {PPP, PMP, PMM, PPM}},
    {{0, -1, 0}, {MMM, MMP, PMP, PMM}}, {{0, 1, 0}, {MPP, MPM, PPM, PPP}},
};
// The same faces, all wound counter-clockwise seen from outside, for the
// lattice, which culls back faces.
static const struct {
    GLfloat normal[3];
    int corners[4];
} kOutwardFaces[6] = {
    {{0, 0, -1}, {MMM, MPM, PPM, PMM}}, {{0, 0, 1}, {MMP, PMP, PPP, MPP}},
    {{-1, 0, 0}, {MMP, MPP, MPM, MMM}}, {{1, 0, 0}, {PPP, PMP, PMM, PPM}},
    {{0, -1, 0}, {MMM, PMM, PMP, MMP}}, {{0, 1, 0}, {MPP, PPP, PPM, MPM}},
};

// Faces for an open GL_QUADS primitive: normal once, then four corners.
template <typename Faces>
static void emit_faces(const Faces& faces, const GLfloat c[8][3])
{
    for (int f = 0; f < 6; ++f) {
        glNormal3fv(faces[f].normal);
        for (int corner : faces[f].corners) glVertex3fv(c[corner]);
    }
}

// The twelve edges as corner pairs, in the order of the single-cube
// outline: z- square, z+ square, x- and x+ z-parallel edges.
static const GLuint kEdges[12][2] = {
    {MMM, PMM}, {PMM, PPM}, {PPM, MPM}, {MPM, MMM}, {MMP, MPP}, {MPP, PPP},
    {PPP, PMP}, {PMP, MMP}, {MPM, MPP}, {MMP, MMM}, {PPP, PPM}, {PMM, PMP},
};

// One lit face vertex as the arrays hand it to GL: normal, then position.
struct FaceVertex {
    GLfloat normal[3];
    GLfloat position[3];
};

// Appends the faces whose bit is clear in skip, four vertices each with the
// face's normal: the vertices glNormal3fv and glVertex3fv would give.
static void append_faces(const GLfloat c[8][3], unsigned skip, std::vector<FaceVertex>* out)
{
    for (int f = 0; f < 6; ++f) {
        if (skip >> f & 1) continue;
        for (int corner : kOutwardFaces[f].corners) {
            FaceVertex v;
            std::copy(kOutwardFaces[f].normal, kOutwardFaces[f].normal + 3, v.normal);
            std::copy(c[corner], c[corner] + 3, v.position);
            out->push_back(v);
        }
    }
}

// Half-size for a value above the threshold: none at 0 or less, full
// (edge 1, touching the neighbours) from 1 on.
static float half_size(float value)
{
    return 0.5f * std::min(1.0f, value);
}

// value is the lattice value minus the threshold; (x, y, z) the centre in
// lattice units. Lit faces, then a black unlit outline just outside them.
void draw_cube(float value, float x, float y, float z)
{
    const float h = half_size(value);
    if (!(h > 0)) return;
    GLfloat corners[8][3];
    box_corners(x, y, z, h, corners);
    glEnable(GL_LIGHTING);
    glBegin(GL_QUADS);
    emit_faces(kCubeFaces, corners);
    glEnd();
    glDisable(GL_LIGHTING);

    box_corners(x, y, z, h + kOutlineGap, corners);
    glColor4f(0, 0, 0, 1);
    glLineWidth(outline_width());
    glBegin(GL_LINE_STRIP);
    for (int corner : {MMM, PMM, PPM, MPM, MMM}) glVertex3fv(corners[corner]);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int corner : {MMP, MPP, PPP, PMP, MMP}) glVertex3fv(corners[corner]);
    glEnd();
    glBegin(GL_LINES);
    for (int corner : {MPM, MPP, MMP, MMM}) glVertex3fv(corners[corner]);
    glEnd();
    glBegin(GL_LINES);
    for (int corner : {PPP, PPM, PMM, PMP}) glVertex3fv(corners[corner]);
    glEnd();
}

// Faces of a full cube (edge 1) that touch another full cube lie inside
// the pair and never show: bit f is set for each such face, in the face
// order z-, z+, x-, x+, y-, y+.
static unsigned hidden_faces(const float half[kFieldSize][kFieldSize][kFieldSize], int i, int j, int k)
{
    constexpr float kFull = 0.5f;
    if (half[i][j][k] != kFull) return 0;
    auto full = [&](int a, int b, int c) {
        return a >= 0 && a < kFieldSize && b >= 0 && b < kFieldSize && c >= 0 && c < kFieldSize &&
               half[a][b][c] == kFull;
    };
    return unsigned(full(i, j, k - 1)) | unsigned(full(i, j, k + 1)) << 1 | unsigned(full(i - 1, j, k)) << 2 |
           unsigned(full(i + 1, j, k)) << 3 | unsigned(full(i, j - 1, k)) << 4 | unsigned(full(i, j + 1, k)) << 5;
}

// Lights are placed before the tumble so they stay fixed to the viewer.
// The lattice is drawn as one lit batch of faces and one unlit batch of
// outlines rather than switching lighting twice per cube, with back faces
// culled and faces shared by two full cubes left out: with the depth test
// on none of those ever shows, so the picture is the one cube-by-cube
// drawing gives, for far less work. Leaves lighting off, both lights on,
// depth testing on, culling as it was; colour black and line width 2 once
// a cube was drawn.
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

    // Half-sizes once per frame, for both batches and the neighbour tests.
    float half[kFieldSize][kFieldSize][kFieldSize];
    bool any_cube = false;
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) {
                half[i][j][k] = half_size(scalar_field[i][j][k] - kCubeThreshold);
                any_cube = any_cube || half[i][j][k] > 0;
            }

    // Nearest cubes first, so the depth test turns away the fragments of
    // those behind them before they are shaded: each lattice axis is walked
    // from the end nearer the eye. The picture is the same whatever the
    // order, apart from pixels where two faces tie in depth.
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    int first[3], step[3];
    for (int axis = 0; axis < 3; ++axis) {
        const bool toward_eye = modelview[axis * 4 + 2] > 0;  // eye-space z of the axis
        first[axis] = toward_eye ? kFieldSize - 1 : 0;
        step[axis] = toward_eye ? -1 : 1;
    }

    // Both batches go out as vertex arrays: the same vertices in the same
    // order as one glVertex call each, for far fewer calls. The outline's
    // corners are shared by the edges that meet there.
    // Kept from frame to frame, so a frame reuses their storage.
    GLfloat corners[8][3];
    static std::vector<FaceVertex> faces;
    static std::vector<GLfloat> outline_corners;
    static std::vector<GLuint> outline_edges;
    faces.clear();
    outline_corners.clear();
    outline_edges.clear();
    for (int ni = 0, i = first[0]; ni < kFieldSize; ++ni, i += step[0])
        for (int nj = 0, j = first[1]; nj < kFieldSize; ++nj, j += step[1])
            for (int nk = 0, k = first[2]; nk < kFieldSize; ++nk, k += step[2]) {
                if (!(half[i][j][k] > 0)) continue;
                box_corners(static_cast<float>(i - 8), static_cast<float>(j - 8), static_cast<float>(k - 8),
                            half[i][j][k], corners);
                append_faces(corners, hidden_faces(half, i, j, k), &faces);
            }
    for (int i = 0; i < kFieldSize; ++i)
        for (int j = 0; j < kFieldSize; ++j)
            for (int k = 0; k < kFieldSize; ++k) {
                if (!(half[i][j][k] > 0)) continue;
                box_corners(static_cast<float>(i - 8), static_cast<float>(j - 8), static_cast<float>(k - 8),
                            half[i][j][k] + kOutlineGap, corners);
                const GLuint base = static_cast<GLuint>(outline_corners.size() / 3);
                outline_corners.insert(outline_corners.end(), &corners[0][0], &corners[0][0] + 24);
                for (const auto& edge : kEdges) {
                    outline_edges.push_back(base + edge[0]);
                    outline_edges.push_back(base + edge[1]);
                }
            }

    const GLboolean was_culling = glIsEnabled(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (!faces.empty()) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, sizeof(FaceVertex), faces[0].normal);
        glVertexPointer(3, GL_FLOAT, sizeof(FaceVertex), faces[0].position);
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(faces.size()));
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    if (!was_culling) glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    if (any_cube) {
        glColor4f(0, 0, 0, 1);
        glLineWidth(outline_width());
        glVertexPointer(3, GL_FLOAT, 0, outline_corners.data());
        glDrawElements(GL_LINES, static_cast<GLsizei>(outline_edges.size()), GL_UNSIGNED_INT, outline_edges.data());
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}
