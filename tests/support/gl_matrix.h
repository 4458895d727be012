// Small matrix helpers for GL tests: column-major 4x4 matrices as GL keeps
// them, built and multiplied in double precision, and read back from GL.
#pragma once

#include <array>

using Mat4 = std::array<double, 16>; // column-major, as glGet returns it

Mat4 mat_identity();
Mat4 mat_translate(double x, double y, double z);
// A turn by `degrees` about the axis (x, y, z), as glRotate makes it.
Mat4 mat_rotate(double degrees, double x, double y, double z);
Mat4 mat_mul(const Mat4& a, const Mat4& b); // a * b
// a * (x, y, z, 1)
std::array<double, 4> mat_apply(const Mat4& a, double x, double y, double z);

// The current modelview / projection matrix.
Mat4 modelview_matrix();
Mat4 projection_matrix();
// Loads `m` as the modelview matrix.
void load_modelview(const Mat4& m);

// Largest absolute difference of two matrices' entries.
double mat_distance(const Mat4& a, const Mat4& b);

// Window coordinates (x, y, depth) of an object-space point under the given
// modelview, the current projection and the current viewport.
std::array<double, 3> window_of(const Mat4& modelview, double x, double y, double z);
