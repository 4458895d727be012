// The modelview and projection stacks on the CPU, with GL 1.1's matrix
// arithmetic in single precision, column major as GL keeps it.
#include "gles/gles_internal.h"
#include "gles/subset_api.h"

#include <cmath>

Matrix identity_matrix()
{
    Matrix i = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return i;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix p;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            p.m[col * 4 + row] = a.m[row] * b.m[col * 4] + a.m[4 + row] * b.m[col * 4 + 1] +
                                 a.m[8 + row] * b.m[col * 4 + 2] + a.m[12 + row] * b.m[col * 4 + 3];
    return p;
}

namespace {

constexpr std::size_t modelview_depth = 32;
constexpr std::size_t projection_depth = 2;

std::vector<Matrix>& stack()
{
    return subset.matrix_mode == GL_PROJECTION ? subset.projection : subset.modelview;
}

Matrix& top() { return stack().back(); }

// The projection is applied by the program: a change draws what was
// batched under the old one first.
void before_change()
{
    if (subset.matrix_mode == GL_PROJECTION)
        gles_flush_batch();
}

} // namespace

void elka_gl_matrix_mode(GLenum mode)
{
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        outside_subset("glMatrixMode", mode);
        return;
    }
    subset.matrix_mode = mode;
}

void elka_gl_load_identity()
{
    before_change();
    top() = identity_matrix();
}

void elka_gl_load_matrixf(const GLfloat* m)
{
    before_change();
    for (int i = 0; i < 16; ++i)
        top().m[i] = m[i];
}

void translate_matrix(Matrix& matrix, float x, float y, float z)
{
    float* m = matrix.m;
    for (int r = 0; r < 4; ++r)
        m[12 + r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
}

namespace {

// The product with a turn in the plane of axes i and j (from i towards j
// by `sine`): only columns i and j change, each the sum of the two terms
// the full product would add to its zeros, so the values are the same.
void turn_columns(Matrix& matrix, int i, int j, float sine, float c)
{
    float* m = matrix.m;
    for (int row = 0; row < 4; ++row) {
        const float a = m[i * 4 + row], b = m[j * 4 + row];
        m[i * 4 + row] = a * c + b * sine;
        m[j * 4 + row] = a * -sine + b * c;
    }
}

} // namespace

void rotate_matrix(Matrix& matrix, float angle, float x, float y, float z)
{
    float s = static_cast<float>(std::sin(angle * M_PI / 180.0));
    const float c = static_cast<float>(std::cos(angle * M_PI / 180.0));
    // A turn about one axis is built exactly, as the general formula would
    // round it differently.
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        turn_columns(matrix, 0, 1, z < 0.0f ? -s : s, c);
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        turn_columns(matrix, 2, 0, y < 0.0f ? -s : s, c);
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        turn_columns(matrix, 1, 2, x < 0.0f ? -s : s, c);
    } else {
        Matrix r = identity_matrix();
        float* m = r.m;
        auto at = [m](int row, int col) -> float& { return m[col * 4 + row]; };
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f)
            return;
        x /= length;
        y /= length;
        z /= length;
        const float one_c = 1.0f - c;
        at(0, 0) = one_c * x * x + c;
        at(0, 1) = one_c * x * y - z * s;
        at(0, 2) = one_c * z * x + y * s;
        at(1, 0) = one_c * x * y + z * s;
        at(1, 1) = one_c * y * y + c;
        at(1, 2) = one_c * y * z - x * s;
        at(2, 0) = one_c * z * x - y * s;
        at(2, 1) = one_c * y * z + x * s;
        at(2, 2) = one_c * z * z + c;
        matrix = multiply(matrix, r);
    }
}

void elka_gl_translatef(GLfloat x, GLfloat y, GLfloat z)
{
    if (compiling_list()) {
        record_call(op_translate, x, y, z);
        return;
    }
    before_change();
    translate_matrix(top(), x, y, z);
}

void elka_gl_rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    if (compiling_list()) {
        record_call(op_rotate, angle, x, y, z);
        return;
    }
    before_change();
    rotate_matrix(top(), angle, x, y, z);
}

void elka_gl_push_matrix()
{
    std::vector<Matrix>& s = stack();
    if (s.size() >= (subset.matrix_mode == GL_PROJECTION ? projection_depth : modelview_depth)) {
        outside_subset("glPushMatrix", static_cast<unsigned>(s.size()));
        return;
    }
    s.push_back(s.back());
}

void elka_gl_pop_matrix()
{
    std::vector<Matrix>& s = stack();
    if (s.size() <= 1) {
        outside_subset("glPopMatrix", 0);
        return;
    }
    before_change();
    s.pop_back();
}

void elka_gl_viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    gles_flush_batch();
    subset.viewport[0] = x;
    subset.viewport[1] = y;
    subset.viewport[2] = width;
    subset.viewport[3] = height;
    glViewport(x, y, width, height);
}
