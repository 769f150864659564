// The two matrix stacks and their operations, kept on the CPU: each batch
// hands the shaders the matrices its vertices were given under, and glGet
// hands them back without asking ES.
#include <cmath>
#include <cstring>

#include "fixed_function/layer_state.h"

static constexpr int kStackDepth = 32;  // OpenGL's least model-view depth

static Mat4 identity()
{
    Mat4 out{};
    out.m[0] = out.m[5] = out.m[10] = out.m[15] = 1;
    return out;
}

// a * b, both column-major.
static Mat4 multiply(const Mat4& a, const Mat4& b)
{
    Mat4 out;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            out.m[column * 4 + row] = sum;
        }
    return out;
}

static void multiply_current(const Mat4& by)
{
    current_matrix() = multiply(current_matrix(), by);
    layer.matrices_changed = true;
}

void matrix_slot(float out[kSlotFloats])
{
    const Mat4& modelview = layer.stack[0][layer.depth[0]];
    const Mat4 mvp = multiply(layer.stack[1][layer.depth[1]], modelview);
    for (int k = 0; k < 16; ++k) out[k] = mvp.m[k];
    // Normals go through the inverse transpose of the model-view's upper
    // 3x3; as in OpenGL without GL_NORMALIZE, they are not rescaled.
    const float* m = modelview.m;
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const double cofactor[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                                -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                                b * f - c * e, -(a * f - c * d), a * e - b * d};
    const double det = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
    const double scale = det != 0 ? 1 / det : 0;
    // (M^-1)^T is the cofactor matrix over the determinant; cofactor[] is
    // laid out by rows of M, which are the columns of the transpose.
    float* normal = out + 16;
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row)
            normal[column * 4 + row] = static_cast<float>(cofactor[row * 3 + column] * scale);
        normal[column * 4 + 3] = 0;
    }
}

void glMatrixMode(GLenum mode)
{
    if (mode == GL_MODELVIEW) layer.mode = 0;
    if (mode == GL_PROJECTION) layer.mode = 1;
}

void glLoadIdentity()
{
    current_matrix() = identity();
    layer.matrices_changed = true;
}

// Overflow and underflow are ignored, as OpenGL ignores them (with an error
// flag nobody here reads).
void glPushMatrix()
{
    int& depth = layer.depth[layer.mode];
    if (depth + 1 >= kStackDepth) return;
    layer.stack[layer.mode][depth + 1] = layer.stack[layer.mode][depth];
    ++depth;
}

void glPopMatrix()
{
    int& depth = layer.depth[layer.mode];
    if (depth == 0) return;
    --depth;
    layer.matrices_changed = true;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current_matrix().m;
    for (int row = 0; row < 4; ++row) m[12 + row] += m[row] * x + m[4 + row] * y + m[8 + row] * z;
    layer.matrices_changed = true;
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    float* m = current_matrix().m;
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
    layer.matrices_changed = true;
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0) return;
    const float ux = static_cast<float>(x / length), uy = static_cast<float>(y / length),
                uz = static_cast<float>(z / length);
    const double radians = angle * M_PI / 180.0;
    const float s = static_cast<float>(std::sin(radians)), c = static_cast<float>(std::cos(radians));
    const float t = 1 - c;
    Mat4 r = identity();
    r.m[0] = ux * ux * t + c;
    r.m[1] = uy * ux * t + uz * s;
    r.m[2] = ux * uz * t - uy * s;
    r.m[4] = ux * uy * t - uz * s;
    r.m[5] = uy * uy * t + c;
    r.m[6] = uy * uz * t + ux * s;
    r.m[8] = ux * uz * t + uy * s;
    r.m[9] = uy * uz * t - ux * s;
    r.m[10] = uz * uz * t + c;
    multiply_current(r);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near, GLdouble far)
{
    Mat4 f{};
    f.m[0] = static_cast<float>(2 * near / (right - left));
    f.m[5] = static_cast<float>(2 * near / (top - bottom));
    f.m[8] = static_cast<float>((right + left) / (right - left));
    f.m[9] = static_cast<float>((top + bottom) / (top - bottom));
    f.m[10] = static_cast<float>(-(far + near) / (far - near));
    f.m[11] = -1;
    f.m[14] = static_cast<float>(-2 * far * near / (far - near));
    multiply_current(f);
}

// Only the two matrices are ever asked for; other names leave out as it is.
void glGetFloatv(GLenum name, GLfloat* out)
{
    if (name == GL_MODELVIEW_MATRIX) std::memcpy(out, layer.stack[0][layer.depth[0]].m, sizeof(Mat4));
    if (name == GL_PROJECTION_MATRIX) std::memcpy(out, layer.stack[1][layer.depth[1]].m, sizeof(Mat4));
}

void glGetDoublev(GLenum name, GLdouble* out)
{
    float values[16] = {};
    glGetFloatv(name, values);
    for (int k = 0; k < 16; ++k) out[k] = values[k];
}

void projection_centre(float centre[4])
{
    const Mat4 clip = multiply(layer.stack[1][layer.depth[1]], layer.stack[0][layer.depth[0]]);
    double rows[3][4];  // x, y and w
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) rows[r][c] = clip.m[c * 4 + (r == 2 ? 3 : r)];
    // centre[k] = the cofactor of x[k] in det(x row; y row; w row; x), so
    // centre . v = det(rows; v), which is the sum the winding needs.
    for (int k = 0; k < 4; ++k) {
        int col[3], n = 0;
        for (int c = 0; c < 4; ++c)
            if (c != k) col[n++] = c;
        const double minor = rows[0][col[0]] * (rows[1][col[1]] * rows[2][col[2]] - rows[1][col[2]] * rows[2][col[1]]) -
                             rows[0][col[1]] * (rows[1][col[0]] * rows[2][col[2]] - rows[1][col[2]] * rows[2][col[0]]) +
                             rows[0][col[2]] * (rows[1][col[0]] * rows[2][col[1]] - rows[1][col[1]] * rows[2][col[0]]);
        centre[k] = static_cast<float>((k % 2 ? 1 : -1) * minor);
    }
}

void reset_matrices()
{
    for (int mode = 0; mode < 2; ++mode) {
        layer.depth[mode] = 0;
        layer.stack[mode][0] = identity();
    }
    layer.mode = 0;
    layer.matrices_changed = true;
}
