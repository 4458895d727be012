// The command line of elka-capture.
#pragma once

#include <string>
#include <vector>

struct Still {
    double seconds;
    std::string path;
    long frame; // the frame drawn at that time
};

struct Options {
    int fps = 60;
    int width = 800;
    int height = 600;
    std::string video;
    std::string frames_dir;
    std::vector<Still> stills;
    std::string contact_sheet;
    std::string chapters;
    bool benchmark = false;
    std::string frame_times; // --benchmark: every frame's time as CSV
    std::string frame_plot;  // --benchmark: the same as a PNG plot
    bool sync_readback = false; // read and write every frame on the drawing thread
    bool fill = false;          // draw the scenes at the frames' own aspect, not 4:3
    bool quiet = false;
    double end_seconds = -1; // < 0: the whole sequence
    long end_frames = -1;    // frames to draw at most; < 0: all
};

enum class ParseResult { run, help, version, usage_error };

// Fills *options from argv; on a usage error *error says why.
ParseResult parse_options(int argc, char** argv, Options* options, std::string* error);
void print_usage(FILE* to);
