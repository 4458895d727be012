// Frame cost of the effect scenes (6 triangle field, 7 tunnel, 8 star field,
// 11 letterbox with swarm) at 800 x 600 on the real Mesa context, and the
// same frames with no GL context current, where every GL call is a no-op
// and what remains is the system's own work (the tunnel grids, the loops).
// The second set also counts heap allocations per frame; BM_StarFillLimit
// draws the star field's fragments with the least GL that makes them.
//
//   build-x/frame_bench                 (from the repository root: files/)
// The occlusion query entry points are GL 1.5: declared only on request.
#define GL_GLEXT_PROTOTYPES
#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "bench_line.h"
#include "effects/triangle_field.h"
#include "effects/tunnel.h"
#include "resources/gl_state.h"
#include "harness/test_support.h"
#include "resources/textures.h"
#include "timeline/timeline.h"

#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

// Every malloc, calloc and realloc of the process is counted; the count is
// only read around the frames.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
}
namespace {
long allocations = 0;
} // namespace
extern "C" void* malloc(size_t n)
{
    ++allocations;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size)
{
    ++allocations;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n)
{
    ++allocations;
    return __libc_realloc(p, n);
}

namespace {
GlTestWindow* window = nullptr;

// Puts the state the scene has on an ordinary frame in the middle of its
// run, so that every measured frame draws that scene and none ends it.
void enter_scene(int scene)
{
    shared.scene_index = scene;
    shared.text_fade[0] = shared.text_fade[1] = 0.6f;
    switch (scene) {
    case 6:
        shared.scene_clock = 6.0f;
        shared.anim_clock = 0.3f; // hexagons half faded, still drawn
        effects.field_spin = 100;
        break;
    case 7:
        shared.scene_clock = 5.0f;
        shared.anim_clock = 1.0f;
        break;
    case 8:
        shared.scene_clock = 5.0f;
        shared.anim_clock = 0.0f;
        break;
    case 11:
        shared.scene_clock = 4.0f;
        shared.anim_clock = 0.0f;
        break;
    }
}

void frame(int scene)
{
    enter_scene(scene);
    draw_frame_after(1.0 / 60.0);
}

// Fragments that pass all tests in one frame of the scene, in screens of
// 800 x 600: on a software rasterizer the fill is most of a frame's cost.
double screens_filled(int scene)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    frame(scene);
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    glDeleteQueries(1, &query);
    return samples / (800.0 * 600.0);
}

void BM_Frame(benchmark::State& state)
{
    const int scene = static_cast<int>(state.range(0));
    const double screens = screens_filled(scene);
    glFinish();
    for (auto _ : state) {
        frame(scene);
        glFinish();
    }
    state.counters["screens_filled"] = screens;
    state.SetLabel("scene " + std::to_string(scene) + ", llvmpipe 800x600");
}

// The star field's fill limit: the fragments of one star-field frame (as
// many screens as BM_Frame/8 counts) drawn by the least GL that makes such
// fragments, whole-screen quads with the star texture and additive
// blending, after a clear. BM_Frame/8 against this says how close the star
// field is to the rasterizer's fill rate.
void BM_StarFillLimit(benchmark::State& state)
{
    const double screens = screens_filled(8);
    const int whole = static_cast<int>(screens);
    const float last = static_cast<float>(screens - whole); // a part of the screen, bottom up
    auto quads = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, resources.texture_ids[star_sprite_slot]);
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glColor4ub(200, 150, 100, 255);
        glBegin(GL_QUADS);
        for (int i = 0; i <= whole; ++i) {
            const float top = i < whole ? 1.0f : -1.0f + 2.0f * last;
            glTexCoord2f(0, 0); glVertex2f(-1, -1);
            glTexCoord2f(1, 0); glVertex2f(1, -1);
            glTexCoord2f(1, 1); glVertex2f(1, top);
            glTexCoord2f(0, 1); glVertex2f(-1, top);
        }
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    };
    quads();
    glFinish();
    for (auto _ : state) {
        quads();
        glFinish();
    }
    state.counters["screens_filled"] = screens;
    state.SetLabel("star field's fragments as whole-screen textured additive quads");
}

// The same frames with the context released: GL calls go to no-op entry
// points, so the time is the system's own.
void BM_FrameWithoutGl(benchmark::State& state)
{
    const int scene = static_cast<int>(state.range(0));
    frame(scene);
    glFinish();
    platform_make_current(nullptr, nullptr);
    long before = allocations;
    long frames = 0;
    for (auto _ : state) {
        frame(scene);
        ++frames;
    }
    const long allocated = allocations - before;
    platform_make_current(app.window_dc, app.gl_context);
    state.counters["allocs_per_frame"] = frames ? static_cast<double>(allocated) / frames : 0.0;
    state.SetLabel("scene " + std::to_string(scene) + ", no GL context");
}

// The tunnel alone, with no context: its two grids and its loops.
void BM_TunnelWithoutGl(benchmark::State& state)
{
    platform_make_current(nullptr, nullptr);
    float phase = 0.0f;
    for (auto _ : state) {
        shared.tunnel_angle = phase;
        phase += 0.67f;
        draw_tunnel();
        benchmark::DoNotOptimize(effects.tunnel_vertices[32][32][0]);
    }
    platform_make_current(app.window_dc, app.gl_context);
}
} // namespace

BENCHMARK(BM_Frame)->Arg(6)->Arg(7)->Arg(8)->Arg(11)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StarFillLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameWithoutGl)->Arg(6)->Arg(7)->Arg(8)->Arg(11)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TunnelWithoutGl)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (int status = answer_bench_line(argc, argv, "the eLka demo's frames"); status >= 0)
        return status;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    GlTestWindow gl(800, 600);
    if (!gl.ok() || !init_gl()) {
        std::fprintf(stderr, "frame_bench: no GL context or no media (run from the repository root)\n");
        return 1;
    }
    window = &gl;
    start_scripted_frame_timer();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
