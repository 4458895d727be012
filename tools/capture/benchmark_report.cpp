// The timedemo's report, printed on standard output.
#include "benchmark_report.h"

#include "platform/offscreen_target.h"
#include "timeline/schedule.h"

#include <algorithm>
#include <cstdio>

void print_benchmark(const Options& o, const PresentRect& drawn, const SceneStats* stats, long frames, double wall,
                     const CpuShares& cpu, bool sampled)
{
    std::printf("eLka timedemo: %dx%d, %d frames per second of sequence time\n", o.width, o.height, o.fps);
    if (drawn.width != o.width || drawn.height != o.height)
        std::printf("(the scenes drawn at %dx%d, centred)\n", drawn.width, drawn.height);
    std::printf("renderer: %s\n\n", offscreen_target_renderer());
    std::printf("scene  frames  mean ms  worst ms       fps   cpu ms  shows\n");
    double total_ms = 0, worst = 0, total_cpu = 0;
    int slowest_scene = first_scene;
    double slowest_mean = -1;
    for (int i = 0; i < scene_count; ++i) {
        const SceneStats& s = stats[i];
        if (s.frames == 0)
            continue;
        double mean = s.total_ms / static_cast<double>(s.frames);
        std::printf("%5d  %6ld  %7.3f  %8.3f  %8.1f  %7.3f  %s\n", first_scene + i, s.frames, mean, s.worst_ms,
                    mean > 0 ? 1000.0 / mean : 0.0, s.cpu_ms / static_cast<double>(s.frames),
                    scene_title(first_scene + i));
        total_ms += s.total_ms;
        total_cpu += s.cpu_ms;
        worst = std::max(worst, s.worst_ms);
        if (mean > slowest_mean) {
            slowest_mean = mean;
            slowest_scene = first_scene + i;
        }
    }
    double mean = frames > 0 ? total_ms / static_cast<double>(frames) : 0;
    std::printf("total  %6ld  %7.3f  %8.3f  %8.1f  %7.3f\n", frames, mean, worst, mean > 0 ? 1000.0 / mean : 0.0,
                frames > 0 ? total_cpu / static_cast<double>(frames) : 0.0);
    std::printf("(mean and worst: wall-clock time of a frame until it is drawn; cpu: the process's CPU time\n"
                "per frame, all threads)\n\n");
    double sequence = static_cast<double>(frames) / o.fps;
    std::printf("sequence time %.3f s drawn in %.3f s: %.2fx real time\n", sequence, wall,
                wall > 0 ? sequence / wall : 0.0);
    std::printf("slowest scene: %d, mean frame time %.3f ms (%.1f frames per second)\n", slowest_scene, slowest_mean,
                slowest_mean > 0 ? 1000.0 / slowest_mean : 0.0);
    if (sampled && cpu.total_seconds() > 0) {
        double total = cpu.total_seconds();
        std::printf("\nCPU time %.2f s (main thread %.2f s, %ld samples; driver threads %.2f s):\n", total,
                    cpu.main_thread_seconds, cpu.samples, cpu.other_threads_seconds);
        std::printf("  the system's own code    %6.2f s  %5.1f %%\n", cpu.own_seconds, 100.0 * cpu.own_seconds / total);
        std::printf("  GL, driver, window sys.  %6.2f s  %5.1f %%\n", cpu.gl_seconds, 100.0 * cpu.gl_seconds / total);
        std::printf("  other libs (libc, SDL)   %6.2f s  %5.1f %%\n", cpu.other_seconds,
                    100.0 * cpu.other_seconds / total);
    } else {
        std::printf("\nCPU time shares: not measured (no CPU-time timer on this system)\n");
    }
}

void print_startup(const StartupSplit& s)
{
    auto ms = [](double from, double to) { return (to - from) * 1000.0; };
    std::printf("\nstart-up %.1f ms to the first frame's state (no song, no audio device in a capture):\n",
                ms(s.begin, s.state));
    std::printf("  window and GL context        %7.1f ms\n", ms(s.begin, s.window));
    std::printf("  textures with mipmaps        %7.1f ms\n", ms(s.window, s.textures));
    std::printf("  display lists                %7.1f ms\n", ms(s.textures, s.lists));
    std::printf("  font: 255 tessellated glyphs %7.1f ms\n", ms(s.lists, s.font));
    std::printf("  GL state and stars           %7.1f ms\n", ms(s.font, s.state));
}
