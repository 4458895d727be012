// What one F1 toggle costs: closing the window and its context, opening
// the other one and putting back what the scenes carry, up to the first
// frame drawn in the new context. Each iteration is one toggle, from a
// demo started once (window, GL resources, baseline state), with SDL's
// offscreen video driver unless the environment names another.
//
//   build/bench/toggle_bench                  (from the repository root: files/)
#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_Toggle(benchmark::State& state)
{
    BoxRecorder boxes; // the fullscreen question is answered, not shown
    if (!open_window("eLka", 640, 480, 16, false) || !init_gl()) {
        state.SkipWithError("no window or no pictures (run from the repository root)");
        return;
    }
    start_scripted_frame_timer();
    for (auto _ : state) {
        if (!toggle_display()) {
            state.SkipWithError("the toggle failed");
            break;
        }
        render_frame();
        glFinish();
    }
    close_window();
    state.SetLabel("llvmpipe 640x480, toggle and first frame");
}
BENCHMARK(BM_Toggle)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);

} // namespace
