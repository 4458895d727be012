// The timedemo's frame times for people: every frame's time as a CSV table
// (frame, scene, ms) and as a PNG plot along the sequence, with the scenes
// shaded and numbered and the 60 Hz and 120 Hz budgets drawn, so that a
// regression shows at a glance. Drawn with the capture's own PNG writer.
#pragma once

#include <string>
#include <vector>

struct FrameTime {
    long frame;
    int scene;
    double ms;
};

// Where the plot put things, for the report and the tests: rows from the
// top of the picture, columns from its left.
struct FramePlotLayout {
    int width = 0, height = 0;
    int left = 0, right = 0;  // plot area columns [left, right)
    int top = 0, bottom = 0;  // plot area rows [top, bottom)
    int band_top = 0;         // the scene strip above the plot area: rows [band_top, top)
    double max_ms = 0;        // the value at row `top`
    int row_60hz = 0, row_120hz = 0;
    int column_of(long frame, long frames) const;
    int row_of(double ms) const;
};

// The colours a test can probe.
extern const unsigned char plot_colour_60hz[3];
extern const unsigned char plot_colour_120hz[3];
extern const unsigned char plot_band_colours[2][3]; // scenes alternate
extern const unsigned char plot_colour_frame[3];

// Header line "frame,scene,ms", then one row per frame, ms with three
// decimals. Through a temporary name, like every output.
bool write_frame_times(const std::string& path, const std::vector<FrameTime>& times, std::string* error);
bool write_frame_plot(const std::string& path, const std::vector<FrameTime>& times, int fps,
                      FramePlotLayout* layout, std::string* error);
