// Matrix helpers for GL tests.
#include "support/gl_matrix.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

Mat4 mat_identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Mat4 mat_translate(double x, double y, double z)
{
    Mat4 m = mat_identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Mat4 mat_rotate(double degrees, double x, double y, double z)
{
    const double len = std::sqrt(x * x + y * y + z * z);
    x /= len;
    y /= len;
    z /= len;
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    Mat4 m = mat_identity();
    m[0] = x * x * t + c;
    m[1] = y * x * t + z * s;
    m[2] = x * z * t - y * s;
    m[4] = x * y * t - z * s;
    m[5] = y * y * t + c;
    m[6] = y * z * t + x * s;
    m[8] = x * z * t + y * s;
    m[9] = y * z * t - x * s;
    m[10] = z * z * t + c;
    return m;
}

Mat4 mat_mul(const Mat4& a, const Mat4& b)
{
    Mat4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    return r;
}

std::array<double, 4> mat_apply(const Mat4& a, double x, double y, double z)
{
    std::array<double, 4> r{};
    for (int row = 0; row < 4; ++row)
        r[row] = a[row] * x + a[4 + row] * y + a[8 + row] * z + a[12 + row];
    return r;
}

namespace {
Mat4 read_matrix(GLenum which)
{
    GLdouble m[16];
    glGetDoublev(which, m);
    Mat4 r;
    std::copy(m, m + 16, r.begin());
    return r;
}
} // namespace

Mat4 modelview_matrix() { return read_matrix(GL_MODELVIEW_MATRIX); }
Mat4 projection_matrix() { return read_matrix(GL_PROJECTION_MATRIX); }

void load_modelview(const Mat4& m)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(m.data());
}

double mat_distance(const Mat4& a, const Mat4& b)
{
    double d = 0.0;
    for (int i = 0; i < 16; ++i)
        d = std::max(d, std::fabs(a[i] - b[i]));
    return d;
}

std::array<double, 3> window_of(const Mat4& modelview, double x, double y, double z)
{
    const auto clip = mat_apply(mat_mul(projection_matrix(), modelview), x, y, z);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    GLdouble range[2];
    glGetDoublev(GL_DEPTH_RANGE, range);
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3], nz = clip[2] / clip[3];
    return {vp[0] + (nx + 1.0) * vp[2] / 2.0, vp[1] + (ny + 1.0) * vp[3] / 2.0,
            range[0] + (nz + 1.0) * (range[1] - range[0]) / 2.0};
}
