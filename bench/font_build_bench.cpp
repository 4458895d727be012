// Start-up cost of the outline font: matching the face, reading and
// emboldening 255 outlines, flattening and tessellating them into display
// lists (build_font), on a real Mesa context; and, for comparison, the
// per-frame cost of printing one line of text.
// Run from the repository root (files/font.ttf is relative to it).
#include "resources/outline_font.h"
#include "harness/test_support.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

GlTestWindow& window()
{
    static GlTestWindow w;
    return w;
}

void BM_BuildFont(benchmark::State& state)
{
    if (!window().ok()) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        build_font();
        glFinish();
        state.PauseTiming();
        delete_font();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildFont)->Unit(benchmark::kMillisecond);

void BM_PrintText(benchmark::State& state)
{
    if (!window().ok()) {
        state.SkipWithError("no GL context");
        return;
    }
    build_font();
    for (auto _ : state) {
        glLoadIdentity();
        print_text("Secret Service Typewriter");
        glFinish();
    }
    delete_font();
}
BENCHMARK(BM_PrintText)->Unit(benchmark::kMicrosecond);

} // namespace
