// Frame-time table and plot. The plot is 1200 x 480: a strip of scene
// numbers over the plot area, the scenes as alternating bands, each pixel
// column a vertical bar from the least to the greatest time of the frames
// that fall in it, the budget lines over everything.
#include "frame_plot.h"

#include "caption_fonts.h"
#include "output_file.h"
#include "png_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

const unsigned char plot_colour_60hz[3] = {210, 30, 30};
const unsigned char plot_colour_120hz[3] = {230, 140, 0};
const unsigned char plot_band_colours[2][3] = {{236, 240, 248}, {214, 222, 236}};
const unsigned char plot_colour_frame[3] = {30, 60, 160};

namespace {
const unsigned char white[3] = {255, 255, 255};
const unsigned char ink[3] = {20, 20, 20};
const unsigned char grid[3] = {190, 190, 190};

void fill(CaptionCanvas c, int x0, int y0, int x1, int y1, const unsigned char colour[3])
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, c.width);
    y1 = std::min(y1, c.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            std::copy(colour, colour + 3, c.pixels + (static_cast<std::size_t>(y) * c.width + x) * 3);
}

// A round upper end for the time axis, 20 ms at least: 20, 25, 30, 40, 50, 60, 80, 100, ...
double axis_top(double worst)
{
    const double steps[] = {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0};
    double decade = 10.0;
    for (;;) {
        for (double s : steps)
            if (s * decade >= worst && s * decade >= 20.0)
                return s * decade;
        decade *= 10.0;
    }
}
} // namespace

int FramePlotLayout::column_of(long frame, long frames) const
{
    if (frames <= 0)
        return left;
    return left + static_cast<int>(static_cast<long long>(frame) * (right - left) / frames);
}

int FramePlotLayout::row_of(double ms) const
{
    double share = max_ms > 0 ? ms / max_ms : 0;
    share = std::clamp(share, 0.0, 1.0);
    return bottom - 1 - static_cast<int>(std::lround(share * (bottom - 1 - top)));
}

bool write_frame_times(const std::string& path, const std::vector<FrameTime>& times, std::string* error)
{
    return write_text_file(
        path,
        [&](FILE* out) {
            std::fprintf(out, "frame,scene,ms\n");
            for (const FrameTime& t : times)
                std::fprintf(out, "%ld,%d,%.3f\n", t.frame, t.scene, t.ms);
        },
        error);
}

bool write_frame_plot(const std::string& path, const std::vector<FrameTime>& times, int fps,
                      FramePlotLayout* layout, std::string* error)
{
    FramePlotLayout l;
    l.width = 1200;
    l.height = 480;
    l.left = 64;
    l.right = l.width - 16;
    l.band_top = 40;
    l.top = l.band_top + 16;
    l.bottom = l.height - 40;
    // The axis reaches a little above the slowest frames but one in 200, so
    // a single slow frame (the first one compiles the shaders) does not
    // flatten the rest; frames above it are drawn to the top edge.
    std::vector<double> sorted;
    for (const FrameTime& t : times)
        sorted.push_back(t.ms);
    std::sort(sorted.begin(), sorted.end());
    double typical_worst = sorted.empty() ? 0 : sorted[(sorted.size() - 1) * 995 / 1000];
    l.max_ms = axis_top(typical_worst * 1.2);
    l.row_60hz = l.row_of(1000.0 / 60.0);
    l.row_120hz = l.row_of(1000.0 / 120.0);

    CaptionFonts fonts;
    if (!fonts.open(10, 16, error)) {
        *error = "cannot label the frame plot " + path + ": " + *error;
        return false;
    }
    auto draw_text = [&](CaptionCanvas canvas, int x, int top, const std::string& text, const unsigned char colour[3],
                         bool heading = false) {
        caption_draw(heading ? fonts.header : fonts.caption, canvas, x, top, text, colour);
    };
    auto text_width = [&](const std::string& text) { return caption_text_width(fonts.caption, text); };

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(l.width) * l.height * 3);
    CaptionCanvas c{pixels.data(), l.width, l.height};
    fill(c, 0, 0, l.width, l.height, white);
    const long frames = static_cast<long>(times.size());
    char text[160];
    std::snprintf(text, sizeof text, "eLka timedemo: time of each of %ld frames (%d per second of sequence), ms",
                  frames, fps);
    draw_text(c, l.left, 12, text, ink, true);

    // Scene bands, numbered in the strip above the plot where they fit.
    int band = 0;
    for (long i = 0; i < frames;) {
        long j = i;
        while (j < frames && times[static_cast<std::size_t>(j)].scene == times[static_cast<std::size_t>(i)].scene)
            ++j;
        int x0 = l.column_of(i, frames), x1 = std::max(x0 + 1, l.column_of(j, frames));
        fill(c, x0, l.band_top, x1, l.bottom, plot_band_colours[band % 2]);
        std::string label = std::to_string(times[static_cast<std::size_t>(i)].scene);
        int label_width = text_width(label);
        if (x1 - x0 >= label_width + 2)
            draw_text(c, (x0 + x1 - label_width) / 2, l.band_top + 3, label, ink);
        ++band;
        i = j;
    }

    // Time grid and axis labels.
    const double tick = l.max_ms <= 40 ? 5.0 : l.max_ms <= 100 ? 10.0 : l.max_ms <= 400 ? 50.0 : 100.0;
    for (double ms = 0; ms <= l.max_ms + 1e-9; ms += tick) {
        int y = l.row_of(ms);
        if (ms > 0)
            for (int x = l.left; x < l.right; x += 4)
                fill(c, x, y, x + 1, y + 1, grid);
        std::snprintf(text, sizeof text, "%g", ms);
        draw_text(c, l.left - 6 - text_width(text), y - 6, text, ink);
    }
    // Seconds along the bottom, every 10 s of sequence.
    for (long s = 0; fps > 0 && s * fps <= frames; s += 10) {
        int x = l.column_of(s * fps, frames);
        fill(c, x, l.bottom, x + 1, l.bottom + 4, ink);
        std::snprintf(text, sizeof text, "%lds", s);
        draw_text(c, x - 6, l.bottom + 7, text, ink);
    }

    // Each column: a bar from its fastest to its slowest frame.
    for (long i = 0; i < frames;) {
        int x = l.column_of(i, frames);
        double lo = times[static_cast<std::size_t>(i)].ms, hi = lo;
        long j = i;
        while (j < frames && l.column_of(j, frames) == x) {
            lo = std::min(lo, times[static_cast<std::size_t>(j)].ms);
            hi = std::max(hi, times[static_cast<std::size_t>(j)].ms);
            ++j;
        }
        fill(c, x, l.row_of(hi), x + 1, l.row_of(lo) + 1, plot_colour_frame);
        i = j;
    }

    // Axes and budgets over everything.
    fill(c, l.left - 1, l.band_top, l.left, l.bottom + 1, ink);
    fill(c, l.left - 1, l.bottom, l.right, l.bottom + 1, ink);
    fill(c, l.left, l.row_60hz, l.right, l.row_60hz + 1, plot_colour_60hz);
    fill(c, l.left, l.row_120hz, l.right, l.row_120hz + 1, plot_colour_120hz);
    // Labels at the left end, 60 Hz above its line, 120 Hz below its own.
    draw_text(c, l.left + 4, l.row_60hz - 13, "60 Hz: 16.7 ms", plot_colour_60hz);
    draw_text(c, l.left + 4, l.row_120hz + 3, "120 Hz: 8.3 ms", plot_colour_120hz);

    if (layout)
        *layout = l;
    return write_png(path, pixels.data(), l.width, l.height, 6, error);
}
