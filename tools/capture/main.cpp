// elka-capture: runs the demo's own start-up in an offscreen GL context
// (no display, no sound device) and draws the real sequence frame after
// frame on a virtual clock, so every run draws exactly the same frames.
// Each frame can go to a video, PNG pictures and a contact sheet; the
// scenes' first frames go to a chapter table; or the frames are timed.
#include "benchmark_report.h"
#include "contact_sheet.h"
#include "cpu_sampler.h"
#include "data_folder.h"
#include "first_pass.h"
#include "frame_pipeline.h"
#include "frame_plot.h"
#include "options.h"
#include "output_file.h"
#include "png_writer.h"
#include "program_line.h"
#include "progress.h"
#include "video_encoder.h"

#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "platform/fixed_step_counter.h"
#include "platform/media_files.h"
#include "platform/message_box.h"
#include "platform/offscreen_target.h"
#include "platform/host.h"
#include "present/letterbox.h"
#include "resources/gl_state.h"
#include "resources/outline_font.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <time.h>
#include <vector>

#ifndef ELKA_VERSION
#define ELKA_VERSION "1.0.0"
#endif

namespace {

const char* const song_path = "files/song.mp3";

// The counter the frames are timed by: one frame a step.
FixedStepCounter virtual_counter;

volatile std::sig_atomic_t interrupted = 0;
void on_interrupt(int) { interrupted = 1; }

// CPU time of the whole process (all threads, the driver's too): on a
// machine shared with other work it counts what a frame costs, where the
// wall clock also counts the waits for a core.
double process_cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double now_seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

StartupSplit startup;

void complain(const std::string& message) { std::fprintf(stderr, "elka-capture: %s\n", message.c_str()); }

bool make_folder(const std::string& path, std::string* error)
{
    // mkdir -p: each missing level in turn.
    for (std::string::size_type at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/')
            continue;
        std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            *error = "cannot make the folder " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "cannot write frames into " + path + ": not a folder";
        return false;
    }
    return true;
}

// The end of each of init_gl's steps, as init_gl reports it.
void time_step(InitGlStep step, void* context)
{
    StartupSplit* split = static_cast<StartupSplit*>(context);
    double at = now_seconds();
    switch (step) {
    case InitGlStep::textures: split->textures = at; break;
    case InitGlStep::display_lists: split->lists = at; break;
    case InitGlStep::font: split->font = at; break;
    case InitGlStep::baseline_state:
    case InitGlStep::stars: break; // together: "GL state and stars", to init_gl's return
    }
}

// The demo's own start-up, without the music: window and GL context, then
// textures, display lists, font, baseline state and stars. The window is
// windowed: the offscreen driver has no display modes to switch to, and
// the frames are drawn into the offscreen target anyway.
bool start_demo()
{
    startup.begin = now_seconds();
    platform_prefer_offscreen_video();
    if (!open_window("eLka", 800, 600, 16, false))
        return false;
    startup.window = now_seconds();
    bool ok = init_gl(time_step, &startup);
    startup.state = now_seconds();
    return ok;
}

void shut_down_demo()
{
    offscreen_target_destroy();
    close_window();
    delete_font();
}

std::string seconds_text(long frames, int fps)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(frames) / fps);
    return text;
}

bool write_chapters(const std::string& path, const SceneStats* stats, long total_frames, int fps, std::string* error)
{
    return write_text_file(
        path,
        [&](FILE* out) {
            std::fprintf(out, "scene\tfirst_frame\tstart_seconds\ttitle\n");
            for (int i = 0; i < scene_count; ++i) {
                if (stats[i].first_frame < 0)
                    continue;
                std::fprintf(out, "%d\t%ld\t%s\t%s\n", first_scene + i, stats[i].first_frame,
                             seconds_text(stats[i].first_frame, fps).c_str(), scene_title(first_scene + i));
            }
            std::fprintf(out, "end\t%ld\t%s\t\n", total_frames, seconds_text(total_frames, fps).c_str());
        },
        error);
}

// Where the scenes are drawn in the frames. They are framed for the
// window's 4:3: at another aspect they are drawn at the largest 4:3 size
// that fits and centred on black bars, as a 16:9 video of 4:3 material is
// shown (--fill: at the frames' own).
PresentRect scene_rect(const Options& o)
{
    return o.fill ? PresentRect{0, 0, o.width, o.height} : letterbox(800, 600, o.width, o.height);
}

// Every output is checked before the first frame, so that a wrong path
// fails at once and not after minutes of drawing. Finds ffmpeg for a video.
bool outputs_ready(const Options& o, std::string* ffmpeg)
{
    std::string error;
    if (!o.video.empty()) {
        *ffmpeg = find_ffmpeg();
        if (ffmpeg->empty()) {
            complain("ffmpeg is not installed, so no video can be made (Debian package \"ffmpeg\": "
                     "apt-get install ffmpeg); --frames DIR writes every frame as a PNG picture instead");
            return false;
        }
        // ffmpeg reads the song at the end: a pipe or a device under its
        // name would stall it there, so only a regular file passes.
        if (!platform_media_file_opens(song_path)) {
            complain(std::string("cannot read the song ") + song_path + " for the video's sound: " +
                     (errno == ENODEV ? "not a regular file" : std::strerror(errno)));
            return false;
        }
    }
    std::vector<std::string> files;
    if (!o.video.empty())
        files.push_back(o.video);
    if (!o.contact_sheet.empty())
        files.push_back(o.contact_sheet);
    if (!o.chapters.empty())
        files.push_back(o.chapters);
    for (const Still& still : o.stills)
        files.push_back(still.path);
    if (!o.frame_times.empty())
        files.push_back(o.frame_times);
    if (!o.frame_plot.empty())
        files.push_back(o.frame_plot);
    for (const std::string& file : files) {
        if (!check_writable(file, &error)) {
            complain(error);
            return false;
        }
    }
    if (!o.frames_dir.empty() && !make_folder(o.frames_dir, &error)) {
        complain(error);
        return false;
    }
    if (!o.contact_sheet.empty() && !contact_sheet_fonts_ready(&error)) {
        complain(error);
        return false;
    }
    return true;
}

// The demo started into the offscreen target, on the fixed-rate counter.
bool start_drawing(const Options& o)
{
    if (!start_demo()) {
        shut_down_demo();
        platform_message_box("Initialization Failed!", "ERROR", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const PresentRect drawn = scene_rect(o);
    const char* target_error = nullptr;
    if (!offscreen_target_create(drawn.width, drawn.height, &target_error)) {
        complain("cannot draw at " + std::to_string(o.width) + "x" + std::to_string(o.height) + ": " + target_error);
        shut_down_demo();
        return false;
    }
    offscreen_target_place_in(o.width, o.height);
    resize_viewport(drawn.width, drawn.height);

    virtual_counter = fixed_step_counter(o.fps);
    platform_set_counter_source(&fixed_step_source<virtual_counter>);
    shared.frame_timer = new FrameTimer();
    shared.frame_timer->start();
    return true;
}

// What drawing the sequence gave: the frames, each scene's share of them,
// and for the timedemo the times.
struct DrawnSequence {
    long frames = 0;
    SceneStats stats[scene_count];
    std::vector<FrameTime> frame_times;
    double wall = 0;
    bool sampled = false;
    CpuShares cpu;
    bool failed = false;
};

// Draws frame after frame until the sequence ends (or --end, or a signal),
// each frame handed to the pipeline that reads it back and writes it.
void draw_sequence(const Options& o, FramePipeline& pipeline, bool video, ContactSheet* sheet_plan,
                   DrawnSequence* run)
{
    // The nominal length only estimates progress: the real one is known
    // when the sequence has ended.
    long planned = o.end_frames > 0 ? o.end_frames : static_cast<long>(nominal_length_seconds() * o.fps + 0.5);
    Progress progress(!o.quiet, o.fps, planned);
    run->sampled = o.benchmark && cpu_sampler_start();
    long n = 0;
    int scene = shared.scene_index;
    double loop_start = now_seconds();

    while (!shared.quit_requested && !interrupted && (o.end_frames < 0 || n < o.end_frames)) {
        scene = shared.scene_index; // the scene this frame is drawn as
        std::vector<std::string> stills;
        for (const Still& still : o.stills)
            if (still.frame == n)
                stills.push_back(still.path);
        bool read = video || !o.frames_dir.empty() || !stills.empty() ||
                    (sheet_plan && sheet_plan->wants_frame(scene, static_cast<int>(n)));

        // A timedemo times every frame in full.
        offscreen_target_keep_pixels(read || o.benchmark);
        fixed_step_advance(virtual_counter);
        double t0 = o.benchmark ? now_seconds() : 0;
        double cpu0 = o.benchmark ? process_cpu_ms() : 0;
        render_frame();
        if (read) {
            pipeline.add(n, scene, true, std::move(stills));
        } else if (o.benchmark) {
            offscreen_target_finish(); // a frame is timed until it is drawn
        } else {
            pipeline.add(n, scene, false, {});
            offscreen_target_flush();
        }
        if (sheet_plan)
            sheet_plan->note_frame(scene, static_cast<int>(n), read);

        if (scene >= first_scene && scene <= last_scene) {
            SceneStats& s = run->stats[scene - first_scene];
            if (s.first_frame < 0)
                s.first_frame = n;
            ++s.frames;
            if (o.benchmark) {
                double ms = (now_seconds() - t0) * 1000.0;
                s.total_ms += ms;
                s.worst_ms = std::max(s.worst_ms, ms);
                s.cpu_ms += process_cpu_ms() - cpu0;
            }
        }
        if (o.benchmark && (!o.frame_times.empty() || !o.frame_plot.empty()))
            run->frame_times.push_back({n, scene, (now_seconds() - t0) * 1000.0});

        ++n;
        progress.update(n, scene);
        if (pipeline.failed()) {
            complain(pipeline.error());
            run->failed = true;
            break;
        }
    }
    std::string error;
    if (!run->failed && !interrupted && !pipeline.finish(&error)) {
        complain(error);
        run->failed = true;
    }
    pipeline.abandon();
    run->wall = now_seconds() - loop_start;
    run->cpu = run->sampled ? cpu_sampler_stop() : CpuShares{};
    run->frames = n;
    if (!run->failed && !interrupted)
        progress.finish(n);
}

// A sheet alone keeps one frame a scene, but which is known only once the
// scene has ended: a first pass with every frame sunk tells where the
// scenes lie, so the second keeps only those frames. Where every frame is
// read anyway, the sheet picks from them as they come.
bool sheet_takes_a_first_pass(const Options& o)
{
    return !o.contact_sheet.empty() && o.video.empty() && o.frames_dir.empty() && !o.benchmark;
}

// The first pass, in its own process: the frames drawn, then each
// scene's first frame and length.
bool find_scenes(const Options& o, std::vector<long>* numbers)
{
    Options bare = o;
    bare.stills.clear();
    bare.contact_sheet.clear();
    bare.chapters.clear();
    if (!start_drawing(bare))
        return false;
    FramePipeline nothing_kept(FrameOutputs{}, 0);
    DrawnSequence run;
    draw_sequence(bare, nothing_kept, false, nullptr, &run);
    shut_down_demo();
    if (run.failed || interrupted)
        return false;
    numbers->push_back(run.frames);
    for (const SceneStats& s : run.stats) {
        numbers->push_back(s.first_frame);
        numbers->push_back(s.frames);
    }
    return true;
}

// The scenes as the first pass found them; 1 or 130 (interrupted) when it
// did not end well, else 0.
int plan_scenes(const Options& o, ScenePlan* plan)
{
    if (!o.quiet)
        std::fprintf(stderr, "elka-capture: a first pass finds the scenes' middle frames\n");
    std::vector<long> numbers;
    std::string error;
    PassResult result =
        run_first_pass([&](std::vector<long>* out) { return find_scenes(o, out); }, interrupted, &numbers, &error);
    if (result == PassResult::interrupted) {
        complain("interrupted; nothing more was written");
        return 130;
    }
    if (result == PassResult::done && numbers.size() != 1 + 2 * static_cast<std::size_t>(scene_count)) {
        result = PassResult::failed;
        error = "the first pass gave " + std::to_string(numbers.size()) + " numbers";
    }
    if (result == PassResult::failed) {
        if (!error.empty())
            complain(error);
        return 1;
    }
    plan->total_frames = static_cast<int>(numbers[0]);
    for (int i = 0; i < scene_count; ++i) {
        plan->first_frame[i] = static_cast<int>(numbers[1 + 2 * i]);
        plan->frames[i] = static_cast<int>(numbers[2 + 2 * i]);
    }
    return 0;
}

// Everything written after the last frame; the exit status.
int write_after_the_sequence(const Options& o, const DrawnSequence& run, VideoEncoder* video, ContactSheet* sheet)
{
    const long n = run.frames;
    std::string error;
    int status = 0;
    for (const Still& still : o.stills) {
        if (still.frame >= n) {
            char when[32];
            std::snprintf(when, sizeof when, "%g", still.seconds);
            complain(std::string("no frame at ") + when + " s for " + still.path + ": the sequence ends at " +
                     seconds_text(n, o.fps) + " s (" + std::to_string(n) + " frames)");
            status = 1;
        }
    }
    if (!o.chapters.empty() && !write_chapters(o.chapters, run.stats, n, o.fps, &error)) {
        complain(error);
        status = 1;
    }
    if (sheet && !sheet->write(o.contact_sheet, static_cast<int>(n), &error)) {
        complain(error);
        status = 1;
    }
    if (video) {
        std::vector<Chapter> chapters;
        for (int i = 0; i < scene_count; ++i) {
            if (run.stats[i].first_frame < 0)
                continue;
            Chapter c;
            c.first_frame = static_cast<int>(run.stats[i].first_frame);
            c.end_frame = static_cast<int>(run.stats[i].first_frame + run.stats[i].frames);
            c.title = std::to_string(first_scene + i) + ": " + scene_title(first_scene + i);
            chapters.push_back(c);
        }
        if (!video->finish(song_path, chapters, static_cast<int>(n), &error)) {
            complain(error);
            status = 1;
        }
    }
    if (!o.frame_times.empty() && !write_frame_times(o.frame_times, run.frame_times, &error)) {
        complain(error);
        status = 1;
    }
    FramePlotLayout plot;
    bool plotted = false;
    if (!o.frame_plot.empty()) {
        plotted = write_frame_plot(o.frame_plot, run.frame_times, o.fps, &plot, &error);
        if (!plotted) {
            complain(error);
            status = 1;
        }
    }
    if (o.benchmark) {
        print_benchmark(o, scene_rect(o), run.stats, n, run.wall, run.cpu, run.sampled);
        print_startup(startup);
        if (plotted)
            std::printf("\nframe plot %s: %dx%d, 0 to %g ms; 60 Hz budget at row %d, 120 Hz at row %d, plot area "
                        "columns %d-%d, rows %d-%d, scene strip rows %d-%d\n",
                        o.frame_plot.c_str(), plot.width, plot.height, plot.max_ms, plot.row_60hz, plot.row_120hz,
                        plot.left, plot.right - 1, plot.top, plot.bottom - 1, plot.band_top, plot.top - 1);
    }
    return status;
}

} // namespace

// The stages in order: the command line, the outputs checked, the demo
// started offscreen, the sequence drawn, what comes after written.
int main(int argc, char** argv)
{
    Options o;
    std::string error;
    switch (parse_options(argc, argv, &o, &error)) {
    case ParseResult::help: print_usage(stdout); return 0;
    case ParseResult::version: std::printf("elka-capture %s\n", ELKA_VERSION); return 0;
    case ParseResult::usage_error: return program_usage_error("elka-capture", error);
    case ParseResult::run: break;
    }
    if (!enter_data_folder(&o, &error)) {
        complain(error);
        return 1;
    }

    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);

    std::string ffmpeg;
    if (!outputs_ready(o, &ffmpeg))
        return 1;
    ScenePlan scenes;
    const bool planned = sheet_takes_a_first_pass(o);
    if (planned) {
        if (int status = plan_scenes(o, &scenes))
            return status;
    }
    if (!start_drawing(o))
        return 1;

    std::unique_ptr<VideoEncoder> video;
    if (!o.video.empty()) {
        video = std::make_unique<VideoEncoder>();
        if (!video->start(ffmpeg, o.video, o.width, o.height, o.fps, &error)) {
            complain(error);
            shut_down_demo();
            return 1;
        }
    }
    std::unique_ptr<ContactSheet> sheet, sheet_plan;
    if (!o.contact_sheet.empty()) {
        sheet = std::make_unique<ContactSheet>(o.width, o.height, o.fps);
        sheet_plan = std::make_unique<ContactSheet>(o.width, o.height, o.fps);
        if (planned) {
            sheet->follow(scenes);
            sheet_plan->follow(scenes);
        }
    }

    // Frames are read back through three pixel buffers and written by a
    // thread of their own (--sync-readback: as before, one at a time).
    FrameOutputs outputs;
    outputs.video = video.get();
    outputs.frames_dir = o.frames_dir;
    outputs.sheet = sheet.get();
    outputs.width = o.width;
    outputs.height = o.height;
    FramePipeline pipeline(outputs, o.sync_readback ? 0 : 3);
    if (!o.benchmark && !pipeline.start(&error)) {
        complain(error);
        if (video)
            video->abandon();
        shut_down_demo();
        return 1;
    }
    DrawnSequence run;
    draw_sequence(o, pipeline, video != nullptr, sheet_plan.get(), &run);

    if (interrupted || run.failed) {
        if (video)
            video->abandon();
        remove_temporaries();
        shut_down_demo();
        if (!interrupted)
            return 1;
        complain("interrupted; nothing more was written");
        return 130;
    }
    const int status = write_after_the_sequence(o, run, video.get(), sheet.get());
    remove_temporaries();
    shut_down_demo();
    return status;
}
