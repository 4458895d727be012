// The GL subset layer's CPU per frame over a recording OpenGL ES
// (recording_gles.h), with no driver under it: the system's real drawing,
// scene by scene, at 800 x 600. The sequence is played once on a 60 Hz
// virtual clock from the start, and the state every scene has in the middle
// of its run is kept; BM_Scene/S draws scene S's middle frame again and
// again from that state, BM_Sequence the whole sequence from the start.
//
//   build-gles-bench/elka_gles_layer_bench          (from the repository root: files/)
//   bench/gles_layer_callgrind.sh build-gles-bench  the same frames in instructions
//
// With --callgrind N (under valgrind --tool=callgrind --collect-atstart=no)
// it draws N middle frames of every scene and the whole sequence once, each
// set collected and dumped on its own, for the script to count.
#include "recording_gles.h"
#include "support/bench_line.h"

#include "app/gl_window.h"
#include "app/init_gl.h"
#include "effects/effects_state.h"
#include "gles/gles_layer.h"
#include "platform/fixed_step_counter.h"
#include "platform/host.h"
#include "platform/window_internal.h"
#include "resources/resources_state.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

#include <benchmark/benchmark.h>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

FixedStepCounter counter;

// The system's state between frames: every layer above the GL keeps all of
// it in these three.
struct Snapshot {
    SharedState shared_state;
    EffectsState effects_state;
    ResourcesState resources_state;
};

Snapshot take()
{
    Snapshot s;
    s.shared_state = shared;
    s.effects_state = effects;
    s.resources_state = resources;
    return s;
}

void restore(const Snapshot& s)
{
    shared = s.shared_state;
    effects = s.effects_state;
    resources = s.resources_state;
}

Snapshot at_start;
Snapshot middle[scene_count];
long frames_of[scene_count];

// One frame as the demo draws it: the next step of the clock, the scene,
// and the flush the platform makes before its swap.
void frame()
{
    fixed_step_advance(counter);
    render_frame();
    gles_flush();
}

bool sequence_running() { return !shared.quit_requested && shared.scene_index <= last_scene; }

enum class Play { only, counting, keeping };

// Plays the sequence from the start: counting each scene's frames, or
// keeping the state of each scene's middle frame (as counted before).
long play_sequence(Play play)
{
    restore(at_start);
    long seen[scene_count] = {};
    long n = 0;
    while (sequence_running()) {
        const int i = shared.scene_index - first_scene;
        if (play == Play::keeping && seen[i] == frames_of[i] / 2)
            middle[i] = take();
        ++seen[i];
        frame();
        ++n;
    }
    if (play == Play::counting)
        for (int i = 0; i < scene_count; ++i)
            frames_of[i] = seen[i];
    return n;
}

void count_per_frame(benchmark::State& state, const RecordedGles& before, long frames)
{
    const double f = static_cast<double>(frames);
    state.counters["draws"] = static_cast<double>(recorded.draws - before.draws) / f;
    state.counters["vertices"] = static_cast<double>(recorded.vertices - before.vertices) / f;
    state.counters["kB_up"] = static_cast<double>(recorded.bytes_uploaded - before.bytes_uploaded) / 1024.0 / f;
    state.counters["gl_calls"] = static_cast<double>(recorded.calls - before.calls) / f;
}

void BM_Scene(benchmark::State& state)
{
    const int scene = static_cast<int>(state.range(0));
    const Snapshot& from = middle[scene - first_scene];
    restore(from);
    frame(); // the programs a scene needs are made on its first frame
    const RecordedGles before = recorded;
    long frames = 0;
    for (auto _ : state) {
        restore(from);
        frame();
        ++frames;
    }
    count_per_frame(state, before, frames);
    state.SetLabel(scene_title(scene));
}

void BM_Sequence(benchmark::State& state)
{
    const RecordedGles before = recorded;
    long frames = 0;
    for (auto _ : state)
        frames += play_sequence(Play::only);
    count_per_frame(state, before, frames);
    state.counters["frame"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate |
                                                                                    benchmark::Counter::kInvert);
}

// Each scene's middle frames, then the whole sequence, each set dumped on
// its own ("scene S frames N", "sequence frames N").
void run_for_callgrind(int frames)
{
    char what[64];
    for (int scene = first_scene; scene <= last_scene; ++scene) {
        const Snapshot& from = middle[scene - first_scene];
        restore(from);
        frame();
        CALLGRIND_TOGGLE_COLLECT;
        for (int i = 0; i < frames; ++i) {
            restore(from);
            frame();
        }
        CALLGRIND_TOGGLE_COLLECT;
        std::snprintf(what, sizeof what, "scene %d frames %d", scene, frames);
        CALLGRIND_DUMP_STATS_AT(what);
    }
    CALLGRIND_TOGGLE_COLLECT;
    const long n = play_sequence(Play::only);
    CALLGRIND_TOGGLE_COLLECT;
    std::snprintf(what, sizeof what, "sequence frames %ld", n);
    CALLGRIND_DUMP_STATS_AT(what);
}

} // namespace

int main(int argc, char** argv)
{
    static const ProgramOption callgrind[] = {{"--callgrind", true}};
    if (int status = answer_bench_line(argc, argv, "the GL subset layer's own CPU over a recording ES", callgrind, 1,
                                       "      --callgrind N             count N frames of each scene and the sequence\n"
                                       "                                under callgrind (bench/gles_layer_callgrind.sh)\n");
        status >= 0)
        return status;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int callgrind_frames = 0;
    if (argc >= 3 && std::strcmp(argv[1], "--callgrind") == 0)
        callgrind_frames = std::atoi(argv[2]);
    else
        benchmark::Initialize(&argc, argv);

    if (!init_gl()) {
        std::fprintf(stderr, "elka_gles_layer_bench: no media (run from the repository root)\n");
        return 1;
    }
    resize_viewport(800, 600);
    counter = fixed_step_counter(60);
    platform_set_counter_source(&fixed_step_source<counter>);
    shared.frame_timer = new FrameTimer();
    shared.frame_timer->start();
    at_start = take();
    play_sequence(Play::counting);
    play_sequence(Play::keeping);

    if (callgrind_frames > 0) {
        run_for_callgrind(callgrind_frames);
        return 0;
    }
    for (int scene = first_scene; scene <= last_scene; ++scene)
        benchmark::RegisterBenchmark("BM_Scene", BM_Scene)->Arg(scene)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_Sequence", BM_Sequence)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
