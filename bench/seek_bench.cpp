// What a seek costs the viewer, to the frame shown: from the start with no
// state kept (the farthest seek: the whole sequence stepped), and anywhere
// once the states are kept (as after a pause of a few seconds). 800 x 600
// with SDL's offscreen video driver unless the environment names another.
//
//   build/bench/seek_bench                    (from the repository root: files/)
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "app/player.h"
#include "harness/system_reset.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

// The demo as at its start (a fresh process's state), its first state kept.
bool start(benchmark::State& state)
{
    reset_system_state();
    if (!open_window("eLka", 800, 600, 16, false) || !init_gl()) {
        state.SkipWithError("no window or no pictures (run from the repository root)");
        return false;
    }
    start_scripted_frame_timer();
    player_keep_start();
    return true;
}

void seek_and_show(double seconds)
{
    player_seek(seconds);
    render_frame();
    glFinish();
}

// The farthest seek with nothing kept: 150.9 s from the start.
void BM_SeekFromNothingKept(benchmark::State& state)
{
    BoxRecorder boxes;
    if (!start(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        player_keep_start(); // forget every state kept
        state.ResumeTiming();
        seek_and_show(150.9);
    }
    close_window();
    state.SetLabel("llvmpipe 800x600, to 150.9 s");
}
BENCHMARK(BM_SeekFromNothingKept)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(1);

// Every state kept: a seek steps at most 2 s of frames. Times spread over
// the sequence, each the worst case of its stretch (just before a kept
// state).
void BM_SeekWithStatesKept(benchmark::State& state)
{
    BoxRecorder boxes;
    if (!start(state))
        return;
    app.player.paused = true;
    while (player_keep_ahead()) {
    }
    app.player.paused = false;
    double t = 1.98;
    for (auto _ : state) {
        seek_and_show(t);
        if (player_time() < t - 0.1) {
            state.SkipWithError("the seek did not land");
            break;
        }
        t += 14.0;
        if (t > 150.0)
            t -= 148.0;
    }
    close_window();
    state.SetLabel("llvmpipe 800x600, 1.98 s after a kept state");
}
BENCHMARK(BM_SeekWithStatesKept)->Unit(benchmark::kMillisecond)->Iterations(30)->Repetitions(3);

} // namespace
