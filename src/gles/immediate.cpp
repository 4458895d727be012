// Immediate mode: the current colour, normal and texture coordinate, and
// the vertices between glBegin and glEnd, taken to eye space as they come.
// A filled primitive's vertices go straight into the batch, and at glEnd
// the indices of its triangles. Lines are drawn as geometry, since ES has
// neither wide nor smooth lines: each segment is a quad in window space
// half a pixel wider than the line all round, whose fragments take the
// part of the pixel the line covers as alpha.
#include "gles/gles_internal.h"
#include "gles/subset_api.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Four floats worked on together, lane by lane.
typedef float Lanes __attribute__((vector_size(16)));
Lanes lanes(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

BatchVertex line_vertex(const PrimitiveVertex& p)
{
    BatchVertex v = {};
    for (int i = 0; i < 4; ++i) {
        v.eye[i] = p.eye[i];
        v.colour[i] = p.colour[i];
    }
    v.tex[0] = p.tex[0];
    v.tex[1] = p.tex[1];
    return v;
}

// The inverse of a 4 x 4 matrix (cofactors, in double), for moving a point
// by a window-space offset without leaving its depth.
bool invert(const float* m, double* inv)
{
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = m[i];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] + a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] + a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] - a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] + a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (det == 0.0)
        return false;
    for (int i = 0; i < 16; ++i)
        inv[i] /= det;
    return true;
}

struct WindowPoint {
    double x, y, w; // window position, clip w
};

bool to_window(const float* eye, const Matrix& p, WindowPoint* out)
{
    double clip[4];
    for (int r = 0; r < 4; ++r)
        clip[r] = static_cast<double>(p.m[r]) * eye[0] + static_cast<double>(p.m[4 + r]) * eye[1] +
                  static_cast<double>(p.m[8 + r]) * eye[2] + static_cast<double>(p.m[12 + r]) * eye[3];
    if (clip[3] <= 1.0e-6)
        return false; // behind the eye: the system never draws lines there
    out->x = subset.viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * subset.viewport[2];
    out->y = subset.viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * subset.viewport[3];
    out->w = clip[3];
    return true;
}

void add_segment(const PrimitiveVertex& a, const PrimitiveVertex& b, const double* inverse)
{
    const Matrix& p = subset.projection.back();
    WindowPoint wa, wb;
    if (!to_window(a.eye, p, &wa) || !to_window(b.eye, p, &wb) || subset.viewport[2] <= 0 || subset.viewport[3] <= 0)
        return;
    const double dx = wb.x - wa.x, dy = wb.y - wa.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < 1.0e-6)
        return;
    const double ux = dx / length, uy = dy / length; // along
    const double nx = -uy, ny = ux;                    // across
    // Widths are clamped to the range the layer offers, as GL does when it
    // rasterises (GL_SMOOTH_LINE_WIDTH_RANGE; Mesa's starts at 1 as well):
    // a line drawn small stays a pixel wide.
    const float half = std::clamp(subset.line_width, 1.0f, 255.0f) * 0.5f;
    const double reach = half + 0.5;
    const float kind = subset.line_smooth ? 1.0f : 2.0f;

    // Corner = end moved by (along, across) pixels, taken back to eye space.
    auto corner = [&](const PrimitiveVertex& end, const WindowPoint& w, double along, double across) {
        BatchVertex v = line_vertex(end);
        const double ox = ux * along + nx * across, oy = uy * along + ny * across;
        const double clip_dx = ox * 2.0 / subset.viewport[2] * w.w;
        const double clip_dy = oy * 2.0 / subset.viewport[3] * w.w;
        for (int r = 0; r < 4; ++r)
            v.eye[r] = static_cast<float>(end.eye[r] + inverse[r] * clip_dx + inverse[4 + r] * clip_dy);
        v.ends[0] = static_cast<float>(wa.x);
        v.ends[1] = static_cast<float>(wa.y);
        v.ends[2] = static_cast<float>(wb.x);
        v.ends[3] = static_cast<float>(wb.y);
        v.line[0] = half;
        v.line[1] = kind;
        return v;
    };
    const BatchVertex q[4] = {corner(a, wa, -0.5, -reach), corner(b, wb, 0.5, -reach), corner(b, wb, 0.5, reach),
                              corner(a, wa, -0.5, reach)};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i : order)
        subset.immediate.quads.push_back(q[i]);
}

} // namespace

// The triangles of a filled primitive of n vertices, as indices from
// `first`: strips alternate their winding back, quads split along the
// diagonal from the second corner to the fourth, as Mesa's draw module
// splits a quad.
void triangle_indices(GLenum mode, GLuint first, std::size_t n, std::vector<GLuint>* out)
{
    std::size_t triangles = 0;
    switch (mode) {
    case GL_TRIANGLES: triangles = n / 3; break;
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN: triangles = n > 2 ? n - 2 : 0; break;
    case GL_QUADS: triangles = n / 4 * 2; break;
    }
    const std::size_t at = out->size();
    out->resize(at + triangles * 3);
    GLuint* to = out->data() + at;
    switch (mode) {
    case GL_TRIANGLES:
        for (GLuint v = first; v < first + triangles * 3; ++v)
            *to++ = v;
        break;
    case GL_TRIANGLE_STRIP:
        for (std::size_t i = 0; i < triangles; ++i) {
            const GLuint v = first + static_cast<GLuint>(i);
            const bool even = i % 2 == 0;
            *to++ = even ? v : v + 1;
            *to++ = even ? v + 1 : v;
            *to++ = v + 2;
        }
        break;
    case GL_TRIANGLE_FAN:
        for (std::size_t i = 1; i <= triangles; ++i) {
            const GLuint v = first + static_cast<GLuint>(i);
            *to++ = first;
            *to++ = v;
            *to++ = v + 1;
        }
        break;
    case GL_QUADS:
        for (std::size_t i = 0; i < triangles / 2; ++i) {
            const GLuint v = first + static_cast<GLuint>(i * 4);
            const GLuint quad[6] = {v, v + 1, v + 3, v + 1, v + 2, v + 3};
            for (GLuint q : quad)
                *to++ = q;
        }
        break;
    }
}

namespace {

void assemble_lines()
{
    const std::vector<PrimitiveVertex>& v = subset.immediate.primitive;
    const std::size_t n = v.size();
    subset.immediate.quads.clear();
    double inverse[16];
    if (!invert(subset.projection.back().m, inverse))
        return;
    const std::size_t step = subset.immediate.primitive_mode == GL_LINES ? 2 : 1;
    for (std::size_t i = 0; i + 1 < n; i += step)
        add_segment(v[i], v[i + 1], inverse);
    if (!subset.immediate.quads.empty())
        batch_line_quads(subset.immediate.quads.data(), subset.immediate.quads.size());
}

void end_fill_primitive()
{
    std::vector<FillVertex>& vertices = subset.fill_batch.vertices;
    if (vertices.size() < subset.immediate.primitive_first)
        return; // the batch was drawn in between
    const std::size_t indices_before = subset.fill_batch.indices.size();
    triangle_indices(subset.immediate.primitive_mode, static_cast<GLuint>(subset.immediate.primitive_first),
                     vertices.size() - subset.immediate.primitive_first, &subset.fill_batch.indices);
    if (subset.fill_batch.indices.size() == indices_before)
        vertices.resize(subset.immediate.primitive_first); // too few vertices for a triangle
}

} // namespace

void elka_gl_begin(GLenum mode)
{
    if (compiling_list()) {
        record_call(op_begin, static_cast<float>(mode));
        return;
    }
    switch (mode) {
    case GL_TRIANGLES:
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
    case GL_QUADS:
    case GL_LINES:
    case GL_LINE_STRIP:
        break;
    default:
        outside_subset("glBegin", mode);
        return;
    }
    if (subset.immediate.inside_begin)
        outside_subset("glBegin", mode);
    subset.immediate.inside_begin = true;
    subset.immediate.primitive_mode = mode;
    subset.immediate.line_mode = mode == GL_LINES || mode == GL_LINE_STRIP;
    if (subset.immediate.line_mode) {
        subset.immediate.primitive.clear();
    } else {
        begin_fill_primitive();
        subset.immediate.primitive_first = subset.fill_batch.vertices.size();
    }
}

void elka_gl_end()
{
    if (compiling_list()) {
        record_call(op_end);
        return;
    }
    if (!subset.immediate.inside_begin) {
        outside_subset("glEnd", 0);
        return;
    }
    subset.immediate.inside_begin = false;
    if (subset.immediate.line_mode)
        assemble_lines();
    else
        end_fill_primitive();
}

void elka_gl_vertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (compiling_list()) {
        record_call(op_vertex, x, y, z);
        return;
    }
    if (!subset.immediate.inside_begin) {
        outside_subset("glVertex", 0);
        return;
    }
    const float* m = subset.modelview.back().m;
    if (subset.immediate.line_mode) {
        PrimitiveVertex v;
        for (int r = 0; r < 4; ++r)
            v.eye[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
        for (int i = 0; i < 4; ++i)
            v.colour[i] = subset.clamped_colour[i];
        v.tex[0] = subset.tex[0];
        v.tex[1] = subset.tex[1];
        subset.immediate.primitive.push_back(v);
        return;
    }
    // The four rows at once, each summed in the order of the line above.
    const Lanes eye = lanes(m) * x + lanes(m + 4) * y + lanes(m + 8) * z + lanes(m + 12);
    FillVertex& v = subset.fill_batch.vertices.emplace_back();
    std::memcpy(v.eye, &eye, sizeof v.eye);
    std::memcpy(v.colour, subset.clamped_colour, sizeof v.colour);
    v.tex[0] = subset.tex[0];
    v.tex[1] = subset.tex[1];
}

void elka_gl_vertex2f(GLfloat x, GLfloat y) { elka_gl_vertex3f(x, y, 0.0f); }
void elka_gl_vertex3fv(const GLfloat* v) { elka_gl_vertex3f(v[0], v[1], v[2]); }
void elka_gl_vertex3dv(const GLdouble* v)
{
    elka_gl_vertex3f(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

void elka_gl_color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    if (compiling_list()) {
        record_call(op_colour, r, g, b, a);
        return;
    }
    subset.colour[0] = r;
    subset.colour[1] = g;
    subset.colour[2] = b;
    subset.colour[3] = a;
    for (int i = 0; i < 4; ++i)
        subset.clamped_colour[i] = clamped(subset.colour[i]);
}

void elka_gl_color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    elka_gl_color4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void elka_gl_normal3f(GLfloat x, GLfloat y, GLfloat z)
{
    // Kept as state only: lighting is never on, so no normal changes a pixel.
    if (compiling_list()) {
        record_call(op_normal, x, y, z);
        return;
    }
    subset.normal[0] = x;
    subset.normal[1] = y;
    subset.normal[2] = z;
}

void elka_gl_tex_coord2f(GLfloat s, GLfloat t)
{
    if (compiling_list()) {
        record_call(op_tex, s, t);
        return;
    }
    subset.tex[0] = s;
    subset.tex[1] = t;
}

void elka_gl_tex_coord2fv(const GLfloat* v) { elka_gl_tex_coord2f(v[0], v[1]); }

void elka_gl_rectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2)
{
    if (compiling_list()) {
        outside_subset("glRectf in a list", 0);
        return;
    }
    elka_gl_begin(GL_QUADS);
    elka_gl_vertex3f(x1, y1, 0.0f);
    elka_gl_vertex3f(x2, y1, 0.0f);
    elka_gl_vertex3f(x2, y2, 0.0f);
    elka_gl_vertex3f(x1, y2, 0.0f);
    elka_gl_end();
}
