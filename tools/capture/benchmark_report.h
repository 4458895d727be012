// The timedemo's report: each scene's frame times, the process's CPU time
// by where it went, and the start-up's split.
#pragma once

#include "cpu_sampler.h"
#include "options.h"

#include "present/letterbox.h"

struct SceneStats {
    long first_frame = -1;
    long frames = 0;
    double total_ms = 0;
    double worst_ms = 0;
    double cpu_ms = 0; // CPU time of all the process's threads
};

// The start-up's own split, for the timedemo: when each step of init_gl
// ended. The steps are timed where init_gl calls them (the link wraps
// them, see CMakeLists.txt), so the order stays init_gl's own.
struct StartupSplit {
    double begin = 0, window = 0, textures = 0, lists = 0, font = 0, state = 0;
};

// drawn: where the scenes lie in the frames.
void print_benchmark(const Options& o, const PresentRect& drawn, const SceneStats* stats, long frames, double wall,
                     const CpuShares& cpu, bool sampled);
void print_startup(const StartupSplit& split);
