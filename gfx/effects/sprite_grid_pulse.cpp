#include <GL/gl.h>

#include <cmath>
#include <initializer_list>

#include "gfx/effects/effects.h"
#include "gfx/textures.h"
#include "gfx/unit_quad.h"

static constexpr int kGridSize = 20;
static constexpr double kSpacing = 0.2;
static constexpr double kGridLow = -2.0;   // centre of sprite 0
static constexpr double kGridHigh = 1.8;   // centre of sprite 19

// The disc texture is opaque and white, after bilinear filtering too, out to
// 0.9 of a sprite's half-size: 115 of the disc's 120 texels, leaving room for
// the filter's neighbours and the half-texel offset of its centre.
static constexpr double kDiscSolidRadius = 0.9;
// Discs of at least this radius on every grid point cover the whole square
// between the outer grid points: no point of a cell is farther from all four
// of its corners than half the cell's diagonal.
static constexpr double kCellHalfDiagonal = 0.5 * kSpacing * 1.4142135623730951;

static double determinant(const double m[3][3])
{
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// True when every pixel of the viewport looks at the plane z = 0 of the
// current model-view frame, in front of the eye, inside the grid's square.
static bool viewport_inside_grid_square()
{
    double modelview[16];
    double projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    // The plane maps to clip space by a 3x3 projective map: rows clip x, y
    // and w; columns plane x, plane y and 1 (matrices are column-major).
    static constexpr int kRowsAndColumns[3] = {0, 1, 3};
    double map[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + kRowsAndColumns[r]] * modelview[kRowsAndColumns[c] * 4 + k];
            map[r][c] = sum;
        }
    }
    const double det = determinant(map);
    if (std::fabs(det) < 1e-12) return false;  // the plane is seen edge-on
    for (const double corner_x : {-1.0, 1.0}) {
        for (const double corner_y : {-1.0, 1.0}) {
            // Solve map * (x, y, 1) = k * (corner_x, corner_y, 1) for the
            // plane point behind this corner of the viewport (Cramer's rule).
            const double target[3] = {corner_x, corner_y, 1.0};
            double solution[3];
            for (int unknown = 0; unknown < 3; ++unknown) {
                double m[3][3];
                for (int r = 0; r < 3; ++r)
                    for (int c = 0; c < 3; ++c) m[r][c] = c == unknown ? target[r] : map[r][c];
                solution[unknown] = determinant(m) / det;
            }
            if (std::fabs(solution[2]) < 1e-12) return false;
            const double x = solution[0] / solution[2];
            const double y = solution[1] / solution[2];
            const double w = map[2][0] * x + map[2][1] * y + map[2][2];
            if (w <= 0 || x <= kGridLow || x >= kGridHigh || y <= kGridLow || y >= kGridHigh) return false;
        }
    }
    return true;
}

// The grid's square, textured from the solid middle of the disc: the same
// pixels as the discs that cover it, for one quad instead of four hundred.
static void draw_covered_square()
{
    glBegin(GL_POLYGON);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3f(static_cast<float>(kGridLow), static_cast<float>(kGridLow), 0);
    glVertex3f(static_cast<float>(kGridHigh), static_cast<float>(kGridLow), 0);
    glVertex3f(static_cast<float>(kGridHigh), static_cast<float>(kGridHigh), 0);
    glVertex3f(static_cast<float>(kGridLow), static_cast<float>(kGridHigh), 0);
    glEnd();
}

// Grid cells (between four neighbouring grid points) whose four discs all
// reach kCellHalfDiagonal with their solid middle: every point of such a
// cell is coloured, whichever discs overlap it.
struct CoveredCells {
    bool cell[kGridSize - 1][kGridSize - 1];
    int count;
};

static void find_covered_cells(const double scales[kGridSize][kGridSize], CoveredCells* covered)
{
    covered->count = 0;
    for (int i = 0; i + 1 < kGridSize; ++i)
        for (int j = 0; j + 1 < kGridSize; ++j) {
            const double smallest = std::fmin(std::fmin(scales[i][j], scales[i][j + 1]),
                                              std::fmin(scales[i + 1][j], scales[i + 1][j + 1]));
            covered->cell[i][j] = smallest * kDiscSolidRadius >= kCellHalfDiagonal;
            covered->count += covered->cell[i][j];
        }
}

// True when sprite (i, j)'s whole quad lies inside covered cells: it can
// colour no pixel they don't. The quad's half-size s is under n cells.
static bool sprite_inside_covered_cells(const CoveredCells& covered, int i, int j, double s)
{
    const int n = static_cast<int>(s / kSpacing) + 1;
    if (i - n < 0 || j - n < 0 || i + n > kGridSize - 1 || j + n > kGridSize - 1) return false;
    for (int a = i - n; a < i + n; ++a)
        for (int b = j - n; b < j + n; ++b)
            if (!covered.cell[a][b]) return false;
    return true;
}

// The covered cells as quads textured from the solid middle of the disc,
// sharing their corners so each pixel inside is drawn once.
static void draw_covered_cells(const CoveredCells& covered)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.5f, 0.5f);
    for (int i = 0; i + 1 < kGridSize; ++i) {
        const float y0 = static_cast<float>(kSpacing * (i - 10));
        const float y1 = static_cast<float>(kSpacing * (i - 9));
        for (int j = 0; j + 1 < kGridSize; ++j) {
            if (!covered.cell[i][j]) continue;
            const float x0 = static_cast<float>(kSpacing * (j - 10));
            const float x1 = static_cast<float>(kSpacing * (j - 9));
            glVertex3f(x0, y0, 0);
            glVertex3f(x1, y0, 0);
            glVertex3f(x1, y1, 0);
            glVertex3f(x0, y1, 0);
        }
    }
    glEnd();
}

// The disc's texels are all white, so wherever any disc passes the alpha
// test the pixel takes the caller's colour, whichever disc it is and however
// many follow: the order and the number of discs over a pixel don't matter.
// The depth buffer therefore marks coloured pixels (every fragment at depth
// 0, passing only where nothing was coloured yet): overlapping discs are
// rejected by the depth test before they are textured, and cost one textured
// layer instead of several. The depth buffer is cleared before and after;
// in the show each call is the frame's first depth user or its last.
static void begin_marking_coloured_pixels(GLboolean* had_depth_test)
{
    *had_depth_test = glIsEnabled(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthRange(0, 0);
}

static void end_marking_coloured_pixels(GLboolean had_depth_test)
{
    glDepthRange(0, 1);
    glClear(GL_DEPTH_BUFFER_BIT);
    if (!had_depth_test) glDisable(GL_DEPTH_TEST);
}

// A 20 x 20 grid, 0.2 apart from (-2, -2) to (1.8, 1.8), of sprites whose
// sizes ripple in a travelling wave around 0.1 + bias. Scales below zero
// become 0, so a bias under -1/6 hides the grid (the quads are still issued).
// Drawn with alpha testing, not blending, in the caller's colour; texturing
// is left on, the matrix restored. With the disc texture (textures[7]) the
// depth buffer is left cleared to the clear depth, which must be above 0.
//
// A large bias makes the discs overlap many times over; once they cover the
// whole view, overdrawing hundreds of screen-sized quads changes no pixel,
// and the grid is drawn as the one square they fill. Short of that, the
// cells they certainly cover are drawn as plain squares, discs lying wholly
// inside those are left out, and the rest are drawn over the depth marks.
void sprite_grid_pulse(GLuint texture, double t, double bias)
{
    double scales[kGridSize][kGridSize];
    double smallest = 1e30;
    for (int i = 0; i < kGridSize; ++i) {
        const double wobble = std::cos(i + t) / 30;
        for (int j = 0; j < kGridSize; ++j) {
            double s = std::sin(0.5 * j + 0.5 * i + 2 * t) / 30 + bias + wobble + 0.1;
            if (s < 0) s = 0;
            scales[i][j] = s;
            smallest = std::fmin(smallest, s);
        }
    }

    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    glAlphaFunc(GL_GREATER, 0.5f);
    glPushMatrix();
    const bool white_disc = texture == textures[7];
    const bool view_covered = white_disc && smallest * kDiscSolidRadius >= kCellHalfDiagonal &&
                              viewport_inside_grid_square();
    if (view_covered) {
        draw_covered_square();
    } else {
        // Every sprite is the textured unit quad moved to its grid point and
        // scaled; placing the corners here instead of through the matrix
        // stack lets the four hundred quads go out as one primitive.
        GLboolean had_depth_test = GL_FALSE;
        CoveredCells covered;
        covered.count = 0;
        if (white_disc) {
            begin_marking_coloured_pixels(&had_depth_test);
            find_covered_cells(scales, &covered);
            if (covered.count > 0) draw_covered_cells(covered);
        }
        glBegin(GL_QUADS);
        for (int i = 0; i < kGridSize; ++i) {
            const float y = static_cast<float>(kSpacing * (i - 10));
            for (int j = 0; j < kGridSize; ++j) {
                if (covered.count > 0 && sprite_inside_covered_cells(covered, i, j, scales[i][j])) continue;
                const float x = static_cast<float>(kSpacing * (j - 10));
                emit_unit_quad_corners(x, y, static_cast<float>(scales[i][j]));
            }
        }
        glEnd();
        if (white_disc) end_marking_coloured_pixels(had_depth_test);
    }
    glDisable(GL_ALPHA_TEST);
    glPopMatrix();
}
