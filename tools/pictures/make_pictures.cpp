// Makes the demo's three pictures: the tunnel wall, the star sprite and the
// start picture, as 24-bit bitmap files with the "BM" header; or the
// program's icons, cut from the start picture, as PNG pictures in the
// layout of an icon theme. Everything is drawn procedurally from fixed
// seeds, so every run writes the same bytes.
//   elka_make_pictures [FOLDER]          (default: files)
//   elka_make_pictures --icons FOLDER    FOLDER/NxN/apps/elka.png
#include "program_line.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(Colour a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Colour mix(Colour a, Colour b, double t) { return a * (1 - t) + b * t; }

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smoothstep(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
double fract(double v) { return v - std::floor(v); }

struct Picture {
    int width, height;
    std::vector<Colour> pixels; // row 0 at the top
    Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Colour& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// 24-bit file with the 14-byte file header and the 40-byte info header;
// rows bottom first, blue-green-red, each padded to 4 bytes.
bool write_bmp(const std::string& path, const Picture& p)
{
    const std::uint32_t row = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3u;
    const std::uint32_t data = row * static_cast<std::uint32_t>(p.height);
    std::vector<unsigned char> out;
    auto put16 = [&](std::uint32_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    put32(14 + 40 + data);
    put32(0);
    put32(14 + 40);
    put32(40);
    put32(static_cast<std::uint32_t>(p.width));
    put32(static_cast<std::uint32_t>(p.height));
    put16(1);
    put16(24);
    put32(0);
    put32(data);
    put32(2835); // 72 dots per inch
    put32(2835);
    put32(0);
    put32(0);
    auto byte = [](double v) { return static_cast<unsigned char>(std::lround(clamp01(v) * 255.0)); };
    for (int y = p.height - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < p.width; ++x) {
            const Colour& c = p.pixels[static_cast<std::size_t>(y) * p.width + x];
            out.push_back(byte(c.b));
            out.push_back(byte(c.g));
            out.push_back(byte(c.r));
        }
        while (out.size() - start < row)
            out.push_back(0);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// Integer hash to [0, 1).
double hash(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0;
}

// Value noise that repeats every `period` lattice cells in both directions.
double periodic_noise(double x, double y, int period_x, int period_y, int seed)
{
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto wrap = [](int v, int period) { return ((v % period) + period) % period; };
    auto corner = [&](int dx, int dy) { return hash(wrap(x0 + dx, period_x), wrap(y0 + dy, period_y), seed); };
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
    double b = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
    return a + (b - a) * sy;
}

// Fractal noise over the unit square, seamless at its edges.
double periodic_fbm(double u, double v, int base_period, int octaves, int seed)
{
    double sum = 0, amplitude = 0.5, norm = 0;
    int period = base_period;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * periodic_noise(u * period, v * period, period, period, seed + o * 31);
        norm += amplitude;
        amplitude *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

// ---------------------------------------------------------------- tunnel

// One texel of the wall at (u, v) in [0, 1): armoured panels with glowing
// seams running along the tube, ring seams with amber lamps, and grime.
// Every feature is periodic in the unit square, so the wall tiles.
Colour tunnel_texel(double u, double v)
{
    constexpr int columns = 8, rows = 6;
    constexpr double cell_w = 512.0 / columns, cell_h = 512.0 / rows; // in texels
    double cx = u * columns, cy = v * rows;
    int ix = static_cast<int>(std::floor(cx)) % columns, iy = static_cast<int>(std::floor(cy)) % rows;
    double px = fract(cx) * cell_w, py = fract(cy) * cell_h; // texels inside the panel
    double r = hash(ix, iy, 7);

    double grime = periodic_fbm(u, v, 8, 5, 11);
    double fine = periodic_fbm(u, v, 64, 2, 23);
    Colour steel = mix(Colour{0.20, 0.23, 0.30}, Colour{0.40, 0.44, 0.52}, r * 0.7 + 0.15);
    Colour c = steel * (0.62 + 0.55 * grime + 0.12 * (fine - 0.5));

    // Streaks of wear running along the tube.
    double streak = 0.65 * periodic_noise(u * 128, v * 16, 128, 16, 37) + 0.35 * periodic_noise(u * 256, v * 32, 256, 32, 38);
    c = c * (0.9 + 0.25 * smoothstep(0.6, 0.8, streak));

    // Bevel: lit from the top left.
    const double bevel = 5.0;
    double left = px, right = cell_w - px, top = py, bottom = cell_h - py;
    double edge = std::min(std::min(left, right), std::min(top, bottom));
    if (edge < bevel) {
        double k = 1 - edge / bevel;
        if (edge == left || edge == top)
            c = c + Colour{0.16, 0.17, 0.19} * k;
        else
            c = c * (1 - 0.45 * k);
    }

    // Panel details, one kind per panel.
    double mx = px - cell_w / 2, my = py - cell_h / 2;
    if (r < 0.3) { // vent slots
        for (int s = -2; s <= 2; ++s) {
            double sy = my - s * 11.0;
            if (std::fabs(sy) < 3.0 && std::fabs(mx) < cell_w * 0.3) {
                double deep = smoothstep(3.0, 1.5, std::fabs(sy));
                c = c * (1 - 0.85 * deep) + Colour{0.05, 0.25, 0.35} * (deep * 0.5);
            } else if (sy > 3.0 && sy < 5.0 && std::fabs(mx) < cell_w * 0.3) {
                c = c + Colour{0.10, 0.10, 0.11}; // lit lip under each slot
            }
        }
    } else if (r < 0.55) { // round hatch with a bolt
        double d = std::sqrt(mx * mx + my * my);
        double groove = std::exp(-std::pow((d - 22.0) / 1.8, 2));
        double lip = std::exp(-std::pow((d - 24.5) / 1.2, 2));
        c = c * (1 - 0.8 * groove) + Colour{0.12, 0.12, 0.13} * lip;
        if (d < 20.0)
            c = c * (0.85 + 0.25 * (1 - d / 20.0));
        double bolt = smoothstep(4.5, 3.0, d);
        c = mix(c, Colour{0.7, 0.72, 0.75}, bolt);
    } else if (r < 0.68) { // hazard plate: worn yellow and black stripes
        if (std::fabs(mx) < cell_w * 0.36 && std::fabs(my) < cell_h * 0.36) {
            double stripe = fract((mx + my) / 16.0);
            double wear = smoothstep(0.35, 0.75, periodic_fbm(u, v, 32, 3, 61));
            Colour paint = stripe < 0.5 ? Colour{0.85, 0.62, 0.08} : Colour{0.06, 0.06, 0.07};
            c = mix(c, paint * (0.7 + 0.3 * grime), 0.85 * (1 - wear));
        }
    } else if (r < 0.85) { // plain plate with corner rivets
        for (int kx : {-1, 1})
            for (int ky : {-1, 1}) {
                double dx = mx - kx * (cell_w / 2 - 11), dy = my - ky * (cell_h / 2 - 11);
                double d = std::sqrt(dx * dx + dy * dy);
                double head = smoothstep(3.2, 2.2, d);
                double shade = smoothstep(4.5, 3.0, std::sqrt((dx - 1.5) * (dx - 1.5) + (dy - 1.5) * (dy - 1.5)));
                c = c * (1 - 0.5 * shade * (1 - head));
                c = mix(c, Colour{0.75, 0.77, 0.80} * (1.0 - 0.15 * (dx + dy) / 3.0), head);
            }
    } else { // machinery: a recessed box with a status lamp
        if (std::fabs(mx) < cell_w * 0.32 && std::fabs(my) < cell_h * 0.22) {
            c = c * 0.35;
            double lamp = std::exp(-((mx - cell_w * 0.18) * (mx - cell_w * 0.18) + my * my) / 6.0);
            Colour lamp_colour = hash(ix, iy, 9) < 0.5 ? Colour{1.0, 0.35, 0.1} : Colour{0.3, 1.0, 0.5};
            c = c + lamp_colour * (1.2 * lamp);
            for (int k = 0; k < 4; ++k) { // cooling fins
                double fx = mx + cell_w * 0.2 - k * 6.0;
                if (std::fabs(fx) < 1.2 && std::fabs(my) < cell_h * 0.15)
                    c = c + Colour{0.12, 0.13, 0.15};
            }
        }
    }

    // Seams along the tube (between columns): a dark groove with a cyan
    // light in it, pulsing in dashes so the motion reads from afar.
    double seam_x = std::min(left, right);
    double pulse = std::pow(0.5 + 0.5 * std::sin(2 * pi * (v * 4 + hash(ix, 0, 3))), 6.0);
    double glow_x = std::exp(-seam_x * seam_x / 4.0);
    double halo_x = std::exp(-seam_x / 7.0);
    c = c * (1 - 0.7 * smoothstep(3.0, 0.5, seam_x));
    c = c + Colour{0.15, 0.75, 1.0} * (glow_x * (0.45 + 0.9 * pulse)) + Colour{0.02, 0.12, 0.18} * (halo_x * (0.5 + pulse));

    // Seams around the tube: dark rings with an amber lamp at each crossing.
    double seam_y = std::min(top, bottom);
    c = c * (1 - 0.75 * smoothstep(3.5, 0.5, seam_y));
    double lamp = std::exp(-(seam_x * seam_x + seam_y * seam_y) / 18.0);
    c = c + Colour{1.0, 0.55, 0.15} * (1.3 * lamp);
    return c;
}

Picture make_tunnel()
{
    const int size = 512, ss = 3;
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Colour sum;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx)
                    sum = sum + tunnel_texel((x + (sx + 0.5) / ss) / size, (y + (sy + 0.5) / ss) / size);
            p.at(x, y) = sum * (1.0 / (ss * ss));
        }
    return p;
}

// ---------------------------------------------------------------- star

// The glow at (x, y) in units of the sprite's half width, centre at 0.
double star_glow(double x, double y)
{
    double r = std::sqrt(x * x + y * y);
    double v = 1.1 * std::exp(-std::pow(r / 0.05, 2)) + 0.6 * std::exp(-std::pow(r / 0.16, 2)) +
               0.28 * std::exp(-r / 0.17);
    // Four long rays and four short diagonal ones, thinning outwards.
    auto ray = [&](double along, double across, double length, double strength) {
        if (along < 0)
            return 0.0;
        double t = along / length;
        if (t >= 1)
            return 0.0;
        double w = 0.012 + 0.01 * t;
        return strength * std::exp(-std::pow(across / w, 2)) * std::pow(1 - t, 2.5);
    };
    v += ray(std::fabs(x), y, 0.95, 0.8) + ray(std::fabs(y), x, 0.95, 0.8);
    double d1 = (x + y) / std::sqrt(2.0), d2 = (x - y) / std::sqrt(2.0);
    v += ray(std::fabs(d1), d2, 0.5, 0.3) + ray(std::fabs(d2), d1, 0.5, 0.3);
    // Fade to exactly nothing before the edge: the sprite's square must
    // not show under additive blending.
    return v * smoothstep(1.0, 0.7, r);
}

Picture make_star()
{
    const int size = 256, ss = 4;
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum = 0, tint = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    double gx = (x + (sx + 0.5) / ss) / (size / 2.0) - 1;
                    double gy = (y + (sy + 0.5) / ss) / (size / 2.0) - 1;
                    sum += star_glow(gx, gy);
                    tint += std::sqrt(gx * gx + gy * gy);
                }
            double v = sum / (ss * ss), r = tint / (ss * ss);
            // A faintly cool halo around a white core; the star's own
            // colour is laid over it by the drawing.
            double cool = smoothstep(0.05, 0.4, r);
            Colour c{v * (1 - 0.12 * cool), v * (1 - 0.05 * cool), v};
            if (v < 0.5 / 255)
                c = Colour{};
            p.at(x, y) = c;
        }
    return p;
}

// ---------------------------------------------------------------- title

// Monoline letters from line segments, in units of the cap height: the
// baseline at y 0, the x-height at 0.6, y upwards.
struct Segment {
    double x0, y0, x1, y1;
};

struct Glyph {
    double advance;
    std::vector<Segment> segments;
};

void add_arc(std::vector<Segment>& s, double cx, double cy, double r, double a0, double a1)
{
    const int steps = 48;
    for (int i = 0; i < steps; ++i) {
        double t0 = a0 + (a1 - a0) * i / steps, t1 = a0 + (a1 - a0) * (i + 1) / steps;
        s.push_back({cx + r * std::cos(t0), cy + r * std::sin(t0), cx + r * std::cos(t1), cy + r * std::sin(t1)});
    }
}

Glyph glyph(char ch)
{
    Glyph g{0.6, {}};
    auto& s = g.segments;
    switch (ch) {
    case 'e':
        s.push_back({0.0, 0.3, 0.6, 0.3});
        add_arc(s, 0.3, 0.3, 0.3, 0.0, 2 * pi - 0.75);
        break;
    case 'L':
        g.advance = 0.5;
        s.push_back({0.0, 0.0, 0.0, 1.0});
        s.push_back({0.0, 0.0, 0.5, 0.0});
        break;
    case 'k':
        g.advance = 0.48;
        s.push_back({0.0, 0.0, 0.0, 1.0});
        s.push_back({0.46, 0.6, 0.0, 0.2});
        s.push_back({0.16, 0.34, 0.48, 0.0});
        break;
    case 'a':
        add_arc(s, 0.3, 0.3, 0.3, 0.0, 2 * pi);
        s.push_back({0.6, 0.0, 0.6, 0.6});
        break;
    case 'p':
        add_arc(s, 0.3, 0.3, 0.3, 0.0, 2 * pi);
        s.push_back({0.0, 0.6, 0.0, -0.35});
        break;
    case 'd':
        add_arc(s, 0.3, 0.3, 0.3, 0.0, 2 * pi);
        s.push_back({0.6, 0.0, 0.6, 1.0});
        break;
    case 'o':
        add_arc(s, 0.3, 0.3, 0.3, 0.0, 2 * pi);
        break;
    case 'x':
        g.advance = 0.55;
        s.push_back({0.0, 0.0, 0.55, 0.6});
        s.push_back({0.0, 0.6, 0.55, 0.0});
        break;
    case 'm':
        g.advance = 0.8;
        s.push_back({0.0, 0.0, 0.0, 0.6});
        add_arc(s, 0.2, 0.4, 0.2, pi, 0.0);
        s.push_back({0.4, 0.4, 0.4, 0.0});
        add_arc(s, 0.6, 0.4, 0.2, pi, 0.0);
        s.push_back({0.8, 0.4, 0.8, 0.0});
        break;
    case 'A':
        g.advance = 0.7;
        s.push_back({0.0, 0.0, 0.35, 1.0});
        s.push_back({0.35, 1.0, 0.7, 0.0});
        s.push_back({0.13, 0.37, 0.57, 0.37});
        break;
    default: // space
        g.advance = 0.3;
        break;
    }
    return g;
}

// A line of text laid out in pixels: segments in picture coordinates (y down).
struct Lettering {
    std::vector<Segment> segments;
    double left = 0, right = 0;
};

Lettering lay_out(const std::string& text, double cap_px, double spacing, double centre_x, double baseline_y)
{
    Lettering out;
    double width = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        width += glyph(text[i]).advance + (i + 1 < text.size() ? spacing : 0);
    double x = centre_x - width * cap_px / 2;
    out.left = x;
    out.right = x + width * cap_px;
    for (char ch : text) {
        Glyph g = glyph(ch);
        for (const Segment& s : g.segments)
            out.segments.push_back(
                {x + s.x0 * cap_px, baseline_y - s.y0 * cap_px, x + s.x1 * cap_px, baseline_y - s.y1 * cap_px});
        x += (g.advance + spacing) * cap_px;
    }
    return out;
}

double distance_to(const std::vector<Segment>& segments, double x, double y)
{
    double best = 1e18;
    for (const Segment& s : segments) {
        double bx = std::max({std::min(s.x0, s.x1) - x, 0.0, x - std::max(s.x0, s.x1)});
        double by = std::max({std::min(s.y0, s.y1) - y, 0.0, y - std::max(s.y0, s.y1)});
        if (bx * bx + by * by >= best)
            continue; // this line cannot come nearer than the nearest so far
        double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? clamp01(((x - s.x0) * dx + (y - s.y0) * dy) / len2) : 0;
        double ex = x - (s.x0 + t * dx), ey = y - (s.y0 + t * dy);
        best = std::min(best, ex * ex + ey * ey);
    }
    return std::sqrt(best);
}

Picture make_title()
{
    const int size = 512;
    Picture p(size, size);
    const double horizon = 330.0;
    const double cap = 150.0, half_stroke = 13.0;
    const double baseline = 222.0;
    Lettering title = lay_out("eLka", cap, 0.2, 256.0, baseline);
    Lettering subtitle = lay_out("a pAxo demo", 20.0, 0.32, 256.0, 420.0);

    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double fx = x + 0.5, fy = y + 0.5;
            double nx = fx / size - 0.5, ny = fy / size - 0.5;

            // Night sky: deep blue towards the horizon, black at the rim.
            double sky = smoothstep(0.0, horizon, fy);
            Colour c = mix(Colour{0.0, 0.0, 0.02}, Colour{0.10, 0.03, 0.20}, sky * sky);
            if (fy < horizon && hash(x, y, 41) > 0.9965) // sparse stars
                c = c + Colour{0.6, 0.65, 0.8} * (0.3 + 0.7 * hash(x, y, 42)) * (1 - sky);

            // Setting sun behind the title, cut by widening stripes.
            double sdx = fx - 256.0, sdy = fy - (horizon - 10.0);
            double sd = std::sqrt(sdx * sdx + sdy * sdy);
            if (fy < horizon) {
                double sun = smoothstep(150.5, 149.0, sd);
                double band = (horizon - fy) / 150.0; // 0 at the horizon, 1 at the top
                double stripe = fract((horizon - fy) / 18.0);
                double gap = band < 0.5 ? smoothstep(0.5, 0.0, band) * 0.55 : 0.0;
                double cut = (stripe < gap) ? 0.0 : 1.0;
                Colour sun_colour = mix(Colour{1.0, 0.18, 0.45}, Colour{1.0, 0.85, 0.25}, clamp01(band));
                c = mix(c, sun_colour, sun * cut);
                c = c + Colour{0.35, 0.08, 0.25} * (0.6 * std::exp(-std::max(sd - 150.0, 0.0) / 40.0));
            }

            // Ground: a perspective grid running to the horizon.
            if (fy >= horizon) {
                double depth = 40.0 / (fy - horizon + 1.0);       // far at the horizon
                double gx = (fx - 256.0) * depth / 40.0;          // ground units across
                double line_x = std::fabs(fract(gx + 0.5) - 0.5); // distance to a grid line
                double line_z = std::fabs(fract(depth * 0.9 + 0.5) - 0.5);
                double px_x = std::max(depth / 40.0, 1e-3), px_z = std::max(depth * depth / 40.0 * 0.9, 1e-3);
                double gl = std::max(smoothstep(1.6 * px_x, 0.4 * px_x, line_x),
                                     smoothstep(1.2 * px_z, 0.3 * px_z, line_z) * smoothstep(20.0, 4.0, depth));
                double fade = smoothstep(0.0, 90.0, fy - horizon);
                c = Colour{0.01, 0.0, 0.04} + Colour{0.9, 0.2, 0.85} * (gl * (0.25 + 0.75 * fade) * 0.8);
            }
            // Horizon glow.
            double hd = (fy - horizon);
            c = c + Colour{1.0, 0.35, 0.6} * (0.9 * std::exp(-hd * hd / 6.0)) + Colour{0.4, 0.1, 0.3} * (0.5 * std::exp(-std::fabs(hd) / 25.0));

            // Title: drop shadow, cyan glow, dark outline, chrome fill.
            double d = distance_to(title.segments, fx, fy) - half_stroke;
            double shadow_d = distance_to(title.segments, fx - 7.0, fy - 8.0) - half_stroke;
            c = c * (1 - 0.75 * smoothstep(6.0, -4.0, shadow_d));
            c = c + Colour{0.1, 0.75, 1.0} * (0.55 * std::exp(-std::max(d, 0.0) / 9.0) * smoothstep(-4.0, 2.0, d));
            double outline = smoothstep(4.5, 3.0, d);
            c = mix(c, Colour{0.02, 0.01, 0.07}, outline);
            double fill = smoothstep(0.0, -1.5, d);
            if (fill > 0) {
                double h = (baseline - fy) / cap; // 0 at the baseline, 1 at the cap line
                double ground = 0.30;          // the chrome's reflected horizon
                Colour chrome;
                if (h > ground) {
                    double t = clamp01((h - ground) / (1.0 - ground));
                    chrome = mix(Colour{0.45, 0.70, 1.0}, Colour{1.0, 1.0, 1.0}, std::pow(t, 0.6));
                } else {
                    double t = clamp01(h / ground);
                    chrome = mix(Colour{1.0, 0.78, 0.30}, Colour{0.22, 0.08, 0.20}, std::pow(t, 0.7));
                }
                double edge = smoothstep(1.0, 0.15, h - ground) * smoothstep(-0.02, 0.0, h - ground);
                chrome = chrome + Colour{0.5, 0.6, 0.7} * (0.5 * edge * (h > ground ? 1.0 : 0.0));
                // Rounded stroke: brighter along the middle of each line.
                double inner = clamp01(-d / (half_stroke - 3.0));
                chrome = chrome * (0.72 + 0.38 * std::sqrt(inner));
                c = mix(c, chrome, fill);
            }

            // Subtitle: thin light lettering on a dark band.
            double band = smoothstep(26.0, 18.0, std::fabs(fy - 414.0)) * smoothstep(150.0, 120.0, std::fabs(fx - 256.0));
            c = c * (1 - 0.7 * band);
            double sd2 = distance_to(subtitle.segments, fx, fy) - 1.6;
            c = mix(c, Colour{0.85, 0.9, 1.0}, smoothstep(0.8, -0.6, sd2));
            c = c + Colour{0.2, 0.6, 0.9} * (0.25 * std::exp(-std::max(sd2, 0.0) / 3.0) * smoothstep(-0.6, 1.0, sd2));
            // Thin rules either side of the subtitle.
            double rule = smoothstep(1.2, 0.4, std::fabs(fy - 414.0));
            double reach = std::fabs(fx - 256.0);
            if (reach > (subtitle.right - subtitle.left) / 2 + 14 && reach < 205)
                c = c + Colour{0.5, 0.7, 0.9} * (rule * smoothstep(205.0, 150.0, reach) * 0.8);

            // Vignette to black at the rim, so the square sits in the dark.
            double rim = std::max(std::fabs(nx), std::fabs(ny));
            c = c * smoothstep(0.5, 0.44, rim);
            p.at(x, y) = c;
        }

    // A glint at the foot of the last letter's upright, on the gold.
    double lx = 0, ly = baseline;
    for (const Segment& s : title.segments)
        if (s.x0 == s.x1)
            lx = s.x0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double gx = (x + 0.5 - lx) / 90.0, gy = (y + 0.5 - ly) / 90.0;
            if (std::fabs(gx) < 1 && std::fabs(gy) < 1)
                p.at(x, y) = p.at(x, y) + Colour{1.0, 0.95, 0.85} * (0.9 * star_glow(gx, gy));
        }
    return p;
}

// ---------------------------------------------------------------- icons

// The icon: the square of the start picture around the title and the sun,
// the subtitle below them, shrunk by area averaging, with rounded corners.
constexpr int icon_left = 16, icon_top = 14, icon_side = 480; // in the 512-pixel start picture
const int icon_sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// For each output pixel of a row of `to`, the source pixels it covers
// when `from` pixels starting at `first` shrink to `to`, with their shares.
struct Tap {
    int source;
    double weight;
};
std::vector<std::vector<Tap>> area_taps(int first, int from, int to)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        double begin = i * step, end = (i + 1) * step;
        for (int s = static_cast<int>(std::floor(begin)); s < end; ++s) {
            double share = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
            if (share > 1e-12)
                taps[static_cast<std::size_t>(i)].push_back({first + s, share / step});
        }
    }
    return taps;
}

// 8-bit RGBA, top row first, without a time stamp or anything else that
// would change from run to run.
bool write_png(const std::string& path, int size, const std::vector<unsigned char>& rgba)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_set_compression_level(png, 9);
        png_set_IHDR(png, info, static_cast<png_uint_32>(size), static_cast<png_uint_32>(size), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < size; ++y)
            png_write_row(png, rgba.data() + static_cast<std::size_t>(y) * size * 4);
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

bool make_icons(const std::string& folder)
{
    Picture title = make_title();
    for (int size : icon_sizes) {
        std::vector<std::vector<Tap>> xs = area_taps(icon_left, icon_side, size);
        std::vector<std::vector<Tap>> ys = area_taps(icon_top, icon_side, size);
        std::vector<unsigned char> rgba(static_cast<std::size_t>(size) * size * 4);
        // Corners rounded with a radius of a sixth of the side; the edge
        // antialiased by the distance to it.
        const double radius = size / 6.0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                Colour sum;
                for (const Tap& ty : ys[static_cast<std::size_t>(y)])
                    for (const Tap& tx : xs[static_cast<std::size_t>(x)]) {
                        const Colour& c = title.at(tx.source, ty.source);
                        sum = sum + Colour{clamp01(c.r), clamp01(c.g), clamp01(c.b)} * (tx.weight * ty.weight);
                    }
                double cx = std::clamp(x + 0.5, radius, size - radius), cy = std::clamp(y + 0.5, radius, size - radius);
                double outside = std::hypot(x + 0.5 - cx, y + 0.5 - cy) - radius;
                double alpha = clamp01(0.5 - outside);
                unsigned char* p = rgba.data() + (static_cast<std::size_t>(y) * size + x) * 4;
                p[0] = static_cast<unsigned char>(std::lround(clamp01(sum.r) * 255.0));
                p[1] = static_cast<unsigned char>(std::lround(clamp01(sum.g) * 255.0));
                p[2] = static_cast<unsigned char>(std::lround(clamp01(sum.b) * 255.0));
                p[3] = static_cast<unsigned char>(std::lround(alpha * 255.0));
            }
        std::string dir = folder + "/" + std::to_string(size) + "x" + std::to_string(size);
        std::string path = dir + "/apps/elka.png";
        std::error_code error;
        std::filesystem::create_directories(dir + "/apps", error);
        if (error || !write_png(path, size, rgba)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    static const ProgramOption options[] = {{"--icons", true}};
    const ProgramLine line = {"elka_make_pictures",
                              "Usage: elka_make_pictures [FOLDER]\n"
                              "  or:  elka_make_pictures --icons FOLDER\n"
                              "Draws the eLka demo's pictures (tunnel.bmp, star.bmp, load.bmp) into FOLDER\n"
                              "(default: files), or its icons as FOLDER/NxN/apps/elka.png.\n"
                              "\n"
                              "      --icons FOLDER  draw the icons instead\n"
                              "      --help          show this help and exit\n"
                              "      --version       show the version and exit\n",
                              options, 1, 0, 1, "FOLDER"};
    if (int status = answer_program_line(argc, argv, line); status >= 0)
        return status;
    if (argc > 1 && std::string(argv[1]) == "--icons") {
        if (argc != 3)
            return program_usage_error("elka_make_pictures", "--icons FOLDER takes no other argument");
        return make_icons(argv[2]) ? 0 : 1;
    }
    if (argc > 2)
        return program_usage_error("elka_make_pictures", "--icons FOLDER takes no other argument");
    std::string folder = argc > 1 ? argv[1] : "files";
    struct Job {
        const char* name;
        Picture (*make)();
    };
    const Job jobs[] = {{"tunnel.bmp", make_tunnel}, {"star.bmp", make_star}, {"load.bmp", make_title}};
    for (const Job& job : jobs) {
        std::string path = folder + "/" + job.name;
        if (!write_bmp(path, job.make())) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
