// Start-up of the demo, split into its steps, in the order start_up and
// init_gl take them: window and GL context, the three textures with their
// mipmaps, the geometry display lists, the 255 tessellated glyphs, the
// baseline GL state and the stars, the sound layer with its audio device,
// the song decoded whole, the song started, the first frame drawn. Each
// iteration is a whole start-up and shutdown in this process (SDL's
// offscreen video and dummy audio drivers unless the environment names
// others); the counters are each step's mean in milliseconds.
//
//   build/bench/startup_bench                 (from the repository root: files/)
//
// The time from process start to the first frame, measured from outside,
// adds the dynamic loading of the libraries and Mesa's own start to these.
#include "app/entry.h"
#include "app/gl_window.h"
#include "effects/star_field.h"
#include "platform/fsound.h"
#include "resources/display_lists.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "resources/textures.h"
#include "harness/test_support.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double now_ms()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Step {
    const char* name;
    double total = 0;
};

void BM_StartUp(benchmark::State& state)
{
    Step steps[] = {{"window_ms"}, {"textures_ms"}, {"lists_ms"},   {"font_ms"},     {"state_stars_ms"},
                    {"audio_device_ms"}, {"song_decode_ms"}, {"song_start_ms"}, {"first_frame_ms"}};
    long runs = 0;
    BoxRecorder boxes; // a failure's message box is recorded, not shown
    for (auto _ : state) {
        double t = now_ms();
        auto lap = [&](int i) {
            double now = now_ms();
            steps[i].total += now - t;
            t = now;
        };
        if (!open_window("eLka", 800, 600, 16, false)) {
            state.SkipWithError("no window or GL context");
            break;
        }
        lap(0);
        if (!load_textures()) {
            close_window();
            state.SkipWithError("no pictures (run from the repository root)");
            break;
        }
        lap(1);
        build_display_lists();
        lap(2);
        build_font();
        lap(3);
        set_baseline_gl_state();
        init_stars();
        lap(4);
        FSOUND_Init(44100, 32, 2);
        lap(5);
        FSOUND_SAMPLE* song = FSOUND_Sample_Load(FSOUND_FREE, "files/song.mp3", 0, 0);
        lap(6);
        FSOUND_PlaySound(FSOUND_FREE, song);
        lap(7);
        start_scripted_frame_timer();
        render_frame();
        glFinish();
        lap(8);
        ++runs;

        state.PauseTiming();
        FSOUND_Close();
        close_window();
        delete_font();
        shared.scene_index = -1;
        state.ResumeTiming();
    }
    for (const Step& s : steps)
        state.counters[s.name] = runs ? s.total / static_cast<double>(runs) : 0.0;
    state.SetLabel("llvmpipe 800x600, SDL video and audio drivers as the environment names them");
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
