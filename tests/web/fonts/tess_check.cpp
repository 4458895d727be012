// The tessellator held against geometry computed here without it: the
// triangles of every glyph (filled with the nonzero rule, as the outline
// font fills them) face +z, cover exactly the points the outline's winding
// number says are inside, and add up to the outline's nonzero area; and on
// small polygons the crossings' combine callbacks, the _DATA callbacks, the
// error, edge flag and boundary outputs. Built for node on the page's
// tessellator and natively on Debian's libGLU, which must pass it alike.
#include "platform/font_outlines.h"
#include "platform/host.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#ifndef GLU_TESS_ERROR
#define GLU_TESS_ERROR 100103
#define GLU_TESS_EDGE_FLAG 100104
#define GLU_TESS_BEGIN_DATA 100106
#define GLU_TESS_VERTEX_DATA 100107
#define GLU_TESS_END_DATA 100108
#define GLU_TESS_COMBINE_DATA 100111
#define GLU_TESS_BOUNDARY_ONLY 100141
#define GLU_TESS_WINDING_ODD 100130
#define GLU_TESS_NEED_COMBINE_CALLBACK 100156
#endif
#ifndef GL_LINE_LOOP
#define GL_LINE_LOOP 0x0002
#endif

namespace {

struct P {
    double x, y;
};
using Contour = std::vector<P>;

int failures = 0;

void check(bool ok, const std::string& what)
{
    std::printf("check %s %s\n", what.c_str(), ok ? "ok" : "FAILED");
    if (!ok)
        ++failures;
}

// What the tessellator gave back.
struct Output {
    std::vector<std::array<P, 3>> triangles;
    std::vector<Contour> loops;
    std::vector<std::pair<P, P>> boundary_edges; // with the edge flag on
    GLenum type = 0;
    std::vector<const GLdouble*> vertices;
    std::vector<bool> flags;
    bool flag = true;
    int combines = 0;
    double combine_error = 0.0; // the combined point against its weighted sources
    int errors = 0;
    GLenum last_error = 0;
    int wrong_polygon_data = 0;
    std::deque<std::array<GLdouble, 3>> made;
};

Output* current = nullptr;
void* const polygon_tag = &failures;

P at(const GLdouble* v) { return {v[0], v[1]}; }

void GLAPIENTRY on_begin(GLenum type)
{
    current->type = type;
    current->vertices.clear();
    current->flags.clear();
}
void GLAPIENTRY on_vertex(void* data)
{
    current->vertices.push_back(static_cast<const GLdouble*>(data));
    current->flags.push_back(current->flag);
}
void GLAPIENTRY on_end()
{
    Output& o = *current;
    const auto& v = o.vertices;
    std::size_t n = v.size();
    if (o.type == GL_TRIANGLES) {
        for (std::size_t i = 0; i + 2 < n; i += 3) {
            o.triangles.push_back({at(v[i]), at(v[i + 1]), at(v[i + 2])});
            for (int k = 0; k < 3; ++k)
                if (o.flags[i + k])
                    o.boundary_edges.push_back({at(v[i + k]), at(v[i + (k + 1) % 3])});
        }
    } else if (o.type == GL_TRIANGLE_FAN) {
        for (std::size_t i = 1; i + 1 < n; ++i)
            o.triangles.push_back({at(v[0]), at(v[i]), at(v[i + 1])});
    } else if (o.type == GL_TRIANGLE_STRIP) {
        for (std::size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0)
                o.triangles.push_back({at(v[i]), at(v[i + 1]), at(v[i + 2])});
            else
                o.triangles.push_back({at(v[i + 1]), at(v[i]), at(v[i + 2])});
        }
    } else if (o.type == GL_LINE_LOOP) {
        Contour loop;
        for (const GLdouble* p : v)
            loop.push_back(at(p));
        o.loops.push_back(loop);
    }
}
void GLAPIENTRY on_edge_flag(GLboolean flag) { current->flag = flag != GL_FALSE; }
void GLAPIENTRY on_error(GLenum code)
{
    ++current->errors;
    current->last_error = code;
}
void GLAPIENTRY on_combine(GLdouble coords[3], void* data[4], GLfloat weight[4], void** out)
{
    Output& o = *current;
    ++o.combines;
    double x = 0.0, y = 0.0, total = 0.0;
    for (int k = 0; k < 4; ++k) {
        if (!data[k])
            continue;
        const GLdouble* v = static_cast<const GLdouble*>(data[k]);
        x += weight[k] * v[0];
        y += weight[k] * v[1];
        total += weight[k];
    }
    // Weights come as floats: the combination holds to float precision.
    o.combine_error = std::max(o.combine_error, std::hypot(x - coords[0], y - coords[1]));
    o.combine_error = std::max(o.combine_error, std::fabs(total - 1.0));
    o.made.push_back({coords[0], coords[1], coords[2]});
    *out = o.made.back().data();
}
void GLAPIENTRY on_begin_data(GLenum type, void* polygon)
{
    current->wrong_polygon_data += polygon != polygon_tag;
    on_begin(type);
}
void GLAPIENTRY on_vertex_data(void* data, void* polygon)
{
    current->wrong_polygon_data += polygon != polygon_tag;
    on_vertex(data);
}
void GLAPIENTRY on_end_data(void* polygon)
{
    current->wrong_polygon_data += polygon != polygon_tag;
    on_end();
}
void GLAPIENTRY on_combine_data(GLdouble coords[3], void* data[4], GLfloat weight[4], void** out, void* polygon)
{
    current->wrong_polygon_data += polygon != polygon_tag;
    on_combine(coords, data, weight, out);
}

template <typename F> _GLUfuncptr callback(F f) { return reinterpret_cast<_GLUfuncptr>(f); }

struct Options {
    GLenum winding = GLU_TESS_WINDING_NONZERO;
    bool combine = true;
    bool data_callbacks = false;
    bool edge_flags = false;
    bool boundary_only = false;
};

Output tessellate(const std::vector<Contour>& contours, const Options& options)
{
    Output out;
    current = &out;
    std::vector<std::array<GLdouble, 3>> coords;
    for (const Contour& c : contours)
        for (const P& p : c)
            coords.push_back({p.x, p.y, 0.0});
    GLUtesselator* tess = gluNewTess();
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, options.winding);
    gluTessProperty(tess, GLU_TESS_BOUNDARY_ONLY, options.boundary_only ? 1.0 : 0.0);
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    if (options.data_callbacks) {
        gluTessCallback(tess, GLU_TESS_BEGIN_DATA, callback(on_begin_data));
        gluTessCallback(tess, GLU_TESS_VERTEX_DATA, callback(on_vertex_data));
        gluTessCallback(tess, GLU_TESS_END_DATA, callback(on_end_data));
        if (options.combine)
            gluTessCallback(tess, GLU_TESS_COMBINE_DATA, callback(on_combine_data));
    } else {
        gluTessCallback(tess, GLU_TESS_BEGIN, callback(on_begin));
        gluTessCallback(tess, GLU_TESS_VERTEX, callback(on_vertex));
        gluTessCallback(tess, GLU_TESS_END, callback(on_end));
        if (options.combine)
            gluTessCallback(tess, GLU_TESS_COMBINE, callback(on_combine));
    }
    gluTessCallback(tess, GLU_TESS_ERROR, callback(on_error));
    if (options.edge_flags)
        gluTessCallback(tess, GLU_TESS_EDGE_FLAG, callback(on_edge_flag));
    gluTessBeginPolygon(tess, polygon_tag);
    std::size_t i = 0;
    for (const Contour& c : contours) {
        gluTessBeginContour(tess);
        for (std::size_t k = 0; k < c.size(); ++k, ++i)
            gluTessVertex(tess, coords[i].data(), coords[i].data());
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    current = nullptr;
    return out;
}

double cross(P o, P a, P b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// The area where the winding number is not 0 (or is odd), from horizontal
// slabs: between two heights at which a vertex lies or two edges cross,
// the edges keep their order, so the inside's width is linear in y and its
// value halfway is the slab's mean.
double winding_area(const std::vector<Contour>& contours, bool odd)
{
    std::vector<std::pair<P, P>> edges;
    std::vector<double> ys;
    for (const Contour& c : contours)
        for (std::size_t i = 0; i < c.size(); ++i) {
            edges.push_back({c[i], c[(i + 1) % c.size()]});
            ys.push_back(c[i].y);
        }
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = i + 1; j < edges.size(); ++j) {
            P a = edges[i].first, b = edges[i].second, c = edges[j].first, d = edges[j].second;
            double den = (b.x - a.x) * (d.y - c.y) - (b.y - a.y) * (d.x - c.x);
            if (den == 0.0)
                continue;
            double t = ((c.x - a.x) * (d.y - c.y) - (c.y - a.y) * (d.x - c.x)) / den;
            double u = ((c.x - a.x) * (b.y - a.y) - (c.y - a.y) * (b.x - a.x)) / den;
            if (t > 0.0 && t < 1.0 && u > 0.0 && u < 1.0)
                ys.push_back(a.y + t * (b.y - a.y));
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    double area = 0.0;
    std::vector<std::pair<double, int>> crossings;
    for (std::size_t s = 0; s + 1 < ys.size(); ++s) {
        double y = 0.5 * (ys[s] + ys[s + 1]);
        crossings.clear();
        for (const auto& e : edges) {
            P a = e.first, b = e.second;
            if ((a.y < y) == (b.y < y))
                continue;
            crossings.push_back({a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x), b.y > a.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        double width = 0.0;
        for (std::size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += crossings[k].second;
            bool inside = odd ? (winding % 2 != 0) : winding != 0;
            if (inside)
                width += crossings[k + 1].first - crossings[k].first;
        }
        area += width * (ys[s + 1] - ys[s]);
    }
    return area;
}

int winding_number(const std::vector<Contour>& contours, P p)
{
    int w = 0;
    for (const Contour& c : contours)
        for (std::size_t i = 0; i < c.size(); ++i) {
            P a = c[i], b = c[(i + 1) % c.size()];
            if (a.y <= p.y && b.y > p.y && cross(a, b, p) > 0)
                ++w;
            else if (a.y > p.y && b.y <= p.y && cross(a, b, p) < 0)
                --w;
        }
    return w;
}

double distance_to_segment(P p, P a, P b)
{
    double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

struct Fill {
    double triangle_area = 0.0;
    double expected_area = 0.0;
    int backward = 0; // triangles facing -z
    int wrong = 0;    // sample points covered other than the winding says
    int samples = 0;
};

// The triangles against the outline: orientation, area, and coverage of a
// grid of points (a point next to an edge, where rounding decides, skipped).
Fill compare_fill(const std::vector<Contour>& contours, const Output& out, bool odd)
{
    Fill f;
    for (const auto& t : out.triangles) {
        double a = 0.5 * cross(t[0], t[1], t[2]);
        if (a < -1e-12)
            ++f.backward;
        f.triangle_area += std::fabs(a);
    }
    f.expected_area = winding_area(contours, odd);
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const Contour& c : contours)
        for (const P& p : c) {
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
        }
    const int grid = 24;
    const double near = 1e-7 * std::max(x1 - x0, y1 - y0);
    for (int i = 0; i < grid; ++i)
        for (int j = 0; j < grid; ++j) {
            P p{x0 + (x1 - x0) * (i + 0.5 + 0.0137 * j / grid) / grid,
                y0 + (y1 - y0) * (j + 0.5 + 0.0071 * i / grid) / grid};
            bool skip = false;
            for (const Contour& c : contours)
                for (std::size_t k = 0; k < c.size() && !skip; ++k)
                    skip = distance_to_segment(p, c[k], c[(k + 1) % c.size()]) < near;
            int covered = 0;
            for (const auto& t : out.triangles) {
                double a = cross(t[0], t[1], p), b = cross(t[1], t[2], p), c = cross(t[2], t[0], p);
                double scale = std::fabs(cross(t[0], t[1], t[2]));
                double m = std::min({a, b, c}), M = std::max({a, b, c});
                if (std::fabs(m) <= 1e-12 * scale || std::fabs(M) <= 1e-12 * scale)
                    skip = true;
                if ((a > 0 && b > 0 && c > 0) || (a < 0 && b < 0 && c < 0))
                    ++covered;
            }
            if (skip)
                continue;
            int w = winding_number(contours, p);
            bool inside = odd ? (w % 2 != 0) : w != 0;
            ++f.samples;
            if (covered != (inside ? 1 : 0))
                ++f.wrong;
        }
    return f;
}

// SGI's tessellator places a crossing within about 1e-8 of where it is.
bool close(double a, double b) { return std::fabs(a - b) <= 1e-7 * std::max(1.0, std::fabs(b)); }

void check_glyphs(const char* family, int weight, const char* file)
{
    platform_add_font_file(file);
    OutlineFace* face = platform_match_outline_face(family, weight);
    check(face != nullptr, std::string("face ") + family);
    if (!face)
        return;
    int filled = 0, holes = 0, combined = 0, bad = 0;
    GlyphOutline glyph;
    for (int code = 0; code < 255; ++code) {
        if (!platform_glyph_outline(face, static_cast<unsigned char>(code), &glyph))
            continue;
        std::vector<Contour> contours;
        int start = 0;
        for (int end : glyph.contour_ends) {
            Contour c;
            for (int i = start; i < end; ++i)
                c.push_back({glyph.points[i].x, glyph.points[i].y});
            contours.push_back(c);
            start = end;
        }
        if (contours.empty())
            continue;
        Output out = tessellate(contours, Options{});
        Fill f = compare_fill(contours, out, false);
        bool ok = close(f.triangle_area, f.expected_area) && f.backward == 0 && f.wrong == 0 && out.errors == 0
            && out.combine_error < 1e-6;
        std::printf("glyph %d contours %zu triangles %zu combines %d area %.12g expected %.12g samples %d %s\n", code,
                    contours.size(), out.triangles.size(), out.combines, f.triangle_area, f.expected_area, f.samples,
                    ok ? "ok" : "FAILED");
        ++filled;
        holes += contours.size() > 1;
        combined += out.combines > 0;
        bad += !ok;
    }
    platform_close_outline_face(face);
    std::printf("glyphs filled %d, with more than one contour %d, with combined vertices %d\n", filled, holes,
                combined);
    check(filled > 150 && bad == 0, std::string("glyph fills of ") + family + " " + std::to_string(weight));
}

Contour star(double r)
{
    Contour c;
    for (int k = 0; k < 5; ++k) {
        double a = M_PI / 2 + k * 4 * M_PI / 5;
        c.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return c;
}

void check_polygons()
{
    // A pentagram crosses itself five times: five new vertices, where its
    // edges cross; nonzero fills the middle, odd leaves it empty.
    std::vector<Contour> pentagram{star(1.0)};
    double inner = std::sin(M_PI / 10) / std::sin(7 * M_PI / 10); // radius of the crossings
    Output nonzero = tessellate(pentagram, Options{});
    Fill f = compare_fill(pentagram, nonzero, false);
    check(nonzero.combines >= 5,
          "pentagram: combine called at the crossings (" + std::to_string(nonzero.combines) + ")");
    int at_crossings = 0;
    for (const auto& v : nonzero.made)
        at_crossings += std::fabs(std::hypot(v[0], v[1]) - inner) < 1e-7;
    check(at_crossings == 5, "pentagram: the combined vertices lie on the crossings");
    check(nonzero.combine_error < 1e-6, "pentagram: combined point is its sources' weighted sum");
    bool uses_made = false;
    for (const auto& t : nonzero.triangles)
        for (const P& p : t)
            uses_made = uses_made || std::fabs(std::hypot(p.x, p.y) - inner) < 1e-7;
    check(uses_made, "pentagram: triangles use the combined vertices");
    check(close(f.triangle_area, f.expected_area) && f.wrong == 0 && f.backward == 0,
          "pentagram nonzero: area " + std::to_string(f.triangle_area) + " of " + std::to_string(f.expected_area));
    Output odd = tessellate(pentagram, Options{GLU_TESS_WINDING_ODD});
    Fill g = compare_fill(pentagram, odd, true);
    check(close(g.triangle_area, g.expected_area) && g.wrong == 0 && g.triangle_area < f.triangle_area - 0.1,
          "pentagram odd: area " + std::to_string(g.triangle_area) + " of " + std::to_string(g.expected_area));

    // The _DATA callbacks get the polygon's data.
    Options data;
    data.data_callbacks = true;
    Output with_data = tessellate(pentagram, data);
    check(with_data.wrong_polygon_data == 0 && with_data.combines >= 5
              && close(compare_fill(pentagram, with_data, false).triangle_area, f.expected_area),
          "data callbacks: polygon data passed, same fill");

    // Crossings with no combine callback: the error says one is needed.
    Options no_combine;
    no_combine.combine = false;
    Output failed = tessellate(pentagram, no_combine);
    check(failed.errors > 0 && failed.last_error == GLU_TESS_NEED_COMBINE_CALLBACK,
          "pentagram without combine: GLU_TESS_NEED_COMBINE_CALLBACK");

    // A square with a square hole and a second square overlapping it.
    std::vector<Contour> framed{{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{1, 1}, {1, 3}, {3, 3}, {3, 1}}};
    Options flags;
    flags.edge_flags = true;
    Output flagged = tessellate(framed, flags);
    double boundary = 0.0;
    for (const auto& e : flagged.boundary_edges)
        boundary += std::hypot(e.second.x - e.first.x, e.second.y - e.first.y);
    Fill h = compare_fill(framed, flagged, false);
    check(close(boundary, 24.0) && close(h.triangle_area, 12.0) && h.wrong == 0,
          "edge flags: the flagged edges are the outline (" + std::to_string(boundary) + " of 24)");
    Options loops;
    loops.boundary_only = true;
    Output outline = tessellate(framed, loops);
    double signed_area = 0.0;
    for (const Contour& c : outline.loops)
        for (std::size_t i = 0; i < c.size(); ++i)
            signed_area += 0.5 * (c[i].x * c[(i + 1) % c.size()].y - c[(i + 1) % c.size()].x * c[i].y);
    check(outline.loops.size() == 2 && close(signed_area, 12.0) && outline.triangles.empty(),
          "boundary only: two loops enclosing the frame");
    std::vector<Contour> overlapping{{{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}};
    Output both = tessellate(overlapping, Options{});
    Fill o = compare_fill(overlapping, both, false);
    check(close(o.triangle_area, 7.0) && o.wrong == 0 && both.combines >= 2,
          "overlapping squares nonzero: area " + std::to_string(o.triangle_area) + " of 7");
}

} // namespace

// Registration and matching as the outline font relies on them.
void check_faces(const char* file)
{
    check(!platform_add_font_file("files/font-LICENSE.txt"), "a text file is no font");
    check(!platform_add_font_file("files/no-such-font.ttf"), "a missing file is no font");
    check(!platform_add_font_file("files"), "a folder is no font");
    check(platform_add_font_file(file) && platform_add_font_file(file), "a font file added twice");
    OutlineFace* bold = platform_match_outline_face("secret service typewriter", 700);
    check(bold && platform_outline_face_family(bold) == "Secret Service Typewriter"
              && platform_outline_face_emboldened(bold),
          "the family matched whatever its case, bold made by emboldening the regular face");
    OutlineFace* other = platform_match_outline_face("No Such Family", 400);
    check(other != nullptr, "an unknown family gets another face");
    OutlineFace* regular = platform_match_outline_face("Secret Service Typewriter", 400);
    GlyphOutline missing, control;
    check(regular && platform_glyph_outline(regular, 0x81, &missing) && platform_glyph_outline(regular, 1, &control)
              && !missing.contour_ends.empty() && missing.points.size() == control.points.size()
              && missing.advance_x == control.advance_x && !platform_outline_face_emboldened(regular),
          "codes the face lacks get its missing glyph");
    platform_close_outline_face(bold);
    platform_close_outline_face(other);
    platform_close_outline_face(regular);

    // Forgotten, the file is matched no more (the page then has no face at
    // all), and it can be added again.
    platform_forget_font_files();
    OutlineFace* after = platform_match_outline_face("Secret Service Typewriter", 400);
    check(!after || platform_outline_face_family(after) != "Secret Service Typewriter",
          "a forgotten font file is matched no more");
    platform_close_outline_face(after);
    check(platform_add_font_file(file), "a forgotten font file added again");
}

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : "files/font.ttf";
    check_faces(file);
    check_polygons();
    check_glyphs("Secret Service Typewriter", 700, file);
    check_glyphs("Secret Service Typewriter", 400, file);
    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks FAILED");
    return failures == 0 ? 0 : 1;
}
