// FreeType's synthetic bold in its own fixed-point arithmetic, and the walk
// of TrueType contours into polylines, so that the page's and Windows'
// glyphs land where the desktop's do.
#include "platform/contours_in_64ths.h"

#include "platform/outline_flattening.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// 16.16 fixed point, rounded half away from zero as FreeType rounds.
std::int64_t round_div(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        return a < 0 ? -0x7FFFFFFF : 0x7FFFFFFF;
    bool negative = (a < 0) != (b < 0);
    std::int64_t ua = std::llabs(a), ub = std::llabs(b);
    std::int64_t q = (ua + ub / 2) / ub;
    return negative ? -q : q;
}
std::int64_t mul_fix(std::int64_t a, std::int64_t b) { return round_div(a * b, 0x10000); }
std::int64_t mul_div(std::int64_t a, std::int64_t b, std::int64_t c) { return round_div(a * b, c); }

// An edge as a 16.16 unit vector and its length.
struct Direction {
    std::int64_t x = 0, y = 0, length = 0;
};

PointIn64ths middle(PointIn64ths a, PointIn64ths b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

Direction direction(PointIn64ths from, PointIn64ths to)
{
    double dx = static_cast<double>(to.x - from.x), dy = static_cast<double>(to.y - from.y);
    double length = std::hypot(dx, dy);
    Direction d;
    if (length == 0.0)
        return d;
    d.x = std::llround(dx / length * 65536.0);
    d.y = std::llround(dy / length * 65536.0);
    d.length = std::llround(length);
    return d;
}

} // namespace

// Synthetic bold as FreeType makes it (FT_Outline_EmboldenXY): every
// corner moves out along the bisector of its edges so that each edge
// moves by half the strength, a corner's move held within its shorter
// edge, sharp spikes (turns of more than about 160 degrees) only by the
// half strength itself; the outline grows to the upper right.
void embolden_contours(Contours* c, std::int64_t strength)
{
    std::int64_t half = strength / 2;
    if (half == 0 || c->points.empty())
        return;
    std::int64_t x_min = c->points[0].x, x_max = x_min, y_min = c->points[0].y, y_max = y_min;
    for (const PointIn64ths& p : c->points) {
        x_min = std::min(x_min, p.x);
        x_max = std::max(x_max, p.x);
        y_min = std::min(y_min, p.y);
        y_max = std::max(y_max, p.y);
    }
    if (x_min == x_max || y_min == y_max)
        return;
    // The outline's turning: TrueType's outer contours run clockwise.
    std::int64_t area = 0;
    int first = 0;
    for (int last : c->last) {
        PointIn64ths prev = c->points[last];
        for (int i = first; i <= last; ++i) {
            area += (c->points[i].y - prev.y) * (c->points[i].x + prev.x);
            prev = c->points[i];
        }
        first = last + 1;
    }
    if (area == 0)
        return;
    bool clockwise = area < 0;

    std::vector<PointIn64ths> original = c->points;
    first = 0;
    for (int last : c->last) {
        int count = last - first + 1;
        auto at = [&](int k) { return original[first + ((k % count) + count) % count]; };
        // Runs of coincident points move as one: each run is keyed by its
        // first point, the one after a real edge.
        int start = -1;
        for (int k = 0; k < count && start < 0; ++k)
            if (at(k).x != at(k - 1).x || at(k).y != at(k - 1).y)
                start = k;
        if (start < 0) { // a contour of one spot
            first = last + 1;
            continue;
        }
        std::vector<int> runs; // first point of each run, in contour order
        for (int k = start; k < start + count; ++k)
            if (at(k).x != at(k - 1).x || at(k).y != at(k - 1).y)
                runs.push_back(k);
        int n = static_cast<int>(runs.size());
        for (int r = 0; r < n; ++r) {
            PointIn64ths here = at(runs[r]);
            Direction in = direction(at(runs[(r + n - 1) % n]), here);
            Direction out = direction(here, at(runs[(r + 1) % n]));
            std::int64_t shift_x = 0, shift_y = 0;
            std::int64_t d = mul_fix(in.x, out.x) + mul_fix(in.y, out.y);
            if (d > -0xF000) {
                d += 0x10000;
                shift_x = in.y + out.y;
                shift_y = in.x + out.x;
                if (clockwise)
                    shift_x = -shift_x;
                else
                    shift_y = -shift_y;
                std::int64_t q = mul_fix(out.x, in.y) - mul_fix(out.y, in.x);
                if (clockwise)
                    q = -q;
                std::int64_t shorter = std::min(in.length, out.length);
                bool within = mul_fix(half, q) <= mul_fix(shorter, d);
                shift_x = within ? mul_div(shift_x, half, d) : mul_div(shift_x, shorter, q);
                shift_y = within ? mul_div(shift_y, half, d) : mul_div(shift_y, shorter, q);
            }
            int run_end = r + 1 < n ? runs[r + 1] : runs[0] + count;
            for (int k = runs[r]; k < run_end; ++k) {
                PointIn64ths& p = c->points[first + k % count];
                p.x += half + shift_x;
                p.y += half + shift_y;
            }
        }
        first = last + 1;
    }
}

bool decompose_contours(const Contours& c, Flattener* flat)
{
    int first = 0;
    for (int last : c.last) {
        if (last < first || last >= static_cast<int>(c.points.size()))
            return false;
        PointIn64ths start = c.points[first];
        int limit = last;
        int i = first;
        if (c.tags[first] == tag_cubic)
            return false;
        if (c.tags[first] == tag_conic) {
            // A contour that starts on a control starts at its last point
            // when that is on the curve, else halfway between the two.
            if (c.tags[last] == tag_on) {
                start = c.points[last];
                --limit;
            } else {
                start = middle(start, c.points[last]);
            }
            --i;
        }
        flat->move_to(static_cast<double>(start.x), static_cast<double>(start.y));
        bool closed = false;
        while (i < limit && !closed) {
            ++i;
            PointIn64ths p = c.points[i];
            if (c.tags[i] == tag_on) {
                flat->line_to(p.x, p.y);
            } else if (c.tags[i] == tag_conic) {
                PointIn64ths control = p;
                for (;;) {
                    if (i >= limit) {
                        flat->conic_to(control.x, control.y, start.x, start.y);
                        closed = true;
                        break;
                    }
                    ++i;
                    PointIn64ths next = c.points[i];
                    if (c.tags[i] == tag_on) {
                        flat->conic_to(control.x, control.y, next.x, next.y);
                        break;
                    }
                    if (c.tags[i] != tag_conic)
                        return false;
                    PointIn64ths mid = middle(control, next);
                    flat->conic_to(control.x, control.y, mid.x, mid.y);
                    control = next;
                }
            } else {
                if (i + 1 > limit || c.tags[i + 1] != tag_cubic)
                    return false;
                PointIn64ths c1 = p, c2 = c.points[i + 1];
                i += 2;
                PointIn64ths to = i <= limit ? c.points[i] : start;
                flat->cubic_to(c1.x, c1.y, c2.x, c2.y, to.x, to.y);
                closed = i > limit;
            }
        }
        if (!closed)
            flat->line_to(start.x, start.y);
        first = last + 1;
    }
    return true;
}

bool outline_from_contours(Contours* c, bool embolden, double units, GlyphOutline* out)
{
    const double fine = 64.0;
    if (embolden)
        embolden_contours(c, std::llround(units * fine / 24.0));
    Flattener flat{out, fine};
    if (!decompose_contours(*c, &flat)) {
        out->points.clear();
        out->contour_ends.clear();
        return false;
    }
    flat.finish(units * fine);
    return true;
}

