// The main of the benchmarks that need nothing set up beforehand: SDL's
// offscreen video and dummy audio unless the environment names others, so
// a benchmark runs without a display or a sound device.
#include "bench_line.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (int status = answer_bench_line(argc, argv, "a part of the eLka demo"); status >= 0)
        return status;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
