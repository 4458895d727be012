// The code page and the flattening the glyph readers share.
#include "platform/outline_flattening.h"

#include <cmath>

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five codes the code page leaves out.
const unsigned short cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

unsigned outline_ansi_to_unicode(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F && cp1252_high[code - 0x80] != 0)
        return cp1252_high[code - 0x80];
    return code;
}

void Flattener::add(double px, double py)
{
    if (static_cast<int>(out->points.size()) > contour_start) {
        const OutlinePoint& last = out->points.back();
        if (last.x == px && last.y == py)
            return;
    }
    out->points.push_back({px, py});
}

void Flattener::close_contour()
{
    int end = static_cast<int>(out->points.size());
    if (end - contour_start >= 2) {
        const OutlinePoint& first = out->points[contour_start];
        const OutlinePoint& last = out->points.back();
        if (first.x == last.x && first.y == last.y) {
            out->points.pop_back();
            --end;
        }
    }
    if (end - contour_start < 3) { // no area: nothing to fill
        out->points.resize(contour_start);
        return;
    }
    out->contour_ends.push_back(end);
    contour_start = end;
}

int Flattener::steps(double second_derivative_bound) const
{
    double n = std::ceil(std::sqrt(second_derivative_bound / (8.0 * tolerance)));
    if (!(n >= 1.0))
        return 1;
    return n > 1000.0 ? 1000 : static_cast<int>(n);
}

void Flattener::move_to(double to_x, double to_y)
{
    close_contour();
    x = to_x;
    y = to_y;
    add(x, y);
}

void Flattener::line_to(double to_x, double to_y)
{
    x = to_x;
    y = to_y;
    add(x, y);
}

void Flattener::conic_to(double control_x, double control_y, double to_x, double to_y)
{
    double x0 = x, y0 = y;
    double x1 = control_x, y1 = control_y;
    double x2 = to_x, y2 = to_y;
    // B'' = 2 (P0 - 2 P1 + P2), constant along the curve.
    double bound = 2.0 * std::hypot(x0 - 2.0 * x1 + x2, y0 - 2.0 * y1 + y2);
    int n = steps(bound);
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n, u = 1.0 - t;
        add(u * u * x0 + 2.0 * u * t * x1 + t * t * x2, u * u * y0 + 2.0 * u * t * y1 + t * t * y2);
    }
    x = x2;
    y = y2;
}

void Flattener::cubic_to(double c1_x, double c1_y, double c2_x, double c2_y, double to_x, double to_y)
{
    double x0 = x, y0 = y;
    double x1 = c1_x, y1 = c1_y, x2 = c2_x, y2 = c2_y;
    double x3 = to_x, y3 = to_y;
    // B'' runs linearly between 6 (P0 - 2 P1 + P2) and 6 (P1 - 2 P2 + P3).
    double a = std::hypot(x0 - 2.0 * x1 + x2, y0 - 2.0 * y1 + y2);
    double b = std::hypot(x1 - 2.0 * x2 + x3, y1 - 2.0 * y2 + y3);
    int n = steps(6.0 * (a > b ? a : b));
    for (int i = 1; i <= n; ++i) {
        double t = static_cast<double>(i) / n, u = 1.0 - t;
        double w0 = u * u * u, w1 = 3.0 * u * u * t, w2 = 3.0 * u * t * t, w3 = t * t * t;
        add(w0 * x0 + w1 * x1 + w2 * x2 + w3 * x3, w0 * y0 + w1 * y1 + w2 * y2 + w3 * y3);
    }
    x = x3;
    y = y3;
}

void Flattener::finish(double units)
{
    close_contour();
    out->points.resize(contour_start);
    if (out->points.empty())
        return;
    double x_min = out->points[0].x, x_max = x_min, y_min = out->points[0].y, y_max = y_min;
    for (OutlinePoint& p : out->points) {
        x_min = std::fmin(x_min, p.x);
        x_max = std::fmax(x_max, p.x);
        y_min = std::fmin(y_min, p.y);
        y_max = std::fmax(y_max, p.y);
        p.x /= units;
        p.y /= units;
    }
    out->black_box_x = static_cast<float>((x_max - x_min) / units);
    out->black_box_y = static_cast<float>((y_max - y_min) / units);
    out->origin_x = static_cast<float>(x_min / units);
    out->origin_y = static_cast<float>(y_max / units);
}
