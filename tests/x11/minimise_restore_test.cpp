// The whole demo in this process on a real X server with a real window
// manager (run_with_window_manager.sh starts Xvfb and openbox): the window
// is minimised and restored with xdotool, as a user would from the task
// bar. While the window manager keeps it iconified no frame is drawn; the
// first frame after restoring gets the whole gap as its delta and the scene
// clock catches up by it; the song plays on, sample for sample, into SDL's
// disk audio driver.
#include "app/entry.h"
#include "app/gl_window.h"
#include "audio/music_player.h"
#include "platform/host.h"
#include "harness/test_support.h"
#include "support/window_test_support.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Shell command output without its trailing newline.
std::string output_of(const std::string& command)
{
    std::string out;
    run_command(command, &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

long file_size(const char* path)
{
    struct stat s {};
    return stat(path, &s) == 0 ? static_cast<long>(s.st_size) : -1;
}

// What the X server says of the window: "IsViewable" or "IsUnMapped".
std::string map_state(const std::string& window)
{
    return output_of("xwininfo -id " + window + " | awk '/Map State:/ {print $3}'");
}

enum class Phase { drawing, minimising, minimised, restoring, after, done };

struct Run {
    Phase phase = Phase::drawing;
    std::string window; // X id of the demo window
    std::string failure;
    const char* audio_file = nullptr;
    Clock::time_point start, phase_start, last_frame_before, frame_before_that;
    int frames = 0;
    int frames_when_iconified = 0; // once the loop knew
    int frames_while_iconified = 0;
    double iconified_seconds = 0;   // from the loop knowing to the restore request
    double notice_seconds = 0;      // from the X unmap to the loop knowing
    double largest_delta_before = 0;
    double largest_delta_after = 0; // frames after the first restored one
    double wall_gap = 0;            // the frame before the last one before, to the first one after
    float first_delta = 0;
    float scene_clock_before = 0, scene_clock_after = 0;
    int scene_before = 0, scene_after = 0;
    long audio_at_iconify = 0, audio_at_restore = 0, audio_at_end = 0;
    bool playing_at_restore = false;
    std::vector<unsigned char> song; // the song as the sound layer plays it
};
Run run;

void give_up(const std::string& why)
{
    run.failure = why;
    run.phase = Phase::done;
    platform_post_message(Message{WM_KEYDOWN, VK_ESCAPE, 0});
}

void enter(Phase phase)
{
    run.phase = phase;
    run.phase_start = Clock::now();
}

void observe(const Message*, bool drew)
{
    switch (run.phase) {
    case Phase::drawing:
        if (!drew)
            return;
        ++run.frames;
        run.frame_before_that = run.last_frame_before;
        run.last_frame_before = Clock::now();
        run.scene_clock_before = shared.scene_clock;
        run.scene_before = shared.scene_index;
        if (run.frames > 1) // the first frame's delta holds the start-up
            run.largest_delta_before = std::max(run.largest_delta_before, double(shared.frame_timer->frame_delta()));
        if (run.frames == 1) {
            run.start = Clock::now();
            // The window manager's frame holds it; the demo's own window has its title.
            run.window = output_of("xdotool search --name '^eLka$' | head -n1");
            if (run.window.empty())
                give_up("no window named eLka");
        } else if (run.frames >= 20 && seconds_since(run.start) > 0.5) {
            run_command("xdotool windowminimize " + run.window);
            enter(Phase::minimising);
        }
        return;
    case Phase::minimising:
        if (drew) {
            ++run.frames;
            run.largest_delta_before = std::max(run.largest_delta_before, double(shared.frame_timer->frame_delta()));
            run.frame_before_that = run.last_frame_before;
            run.last_frame_before = Clock::now();
            run.scene_clock_before = shared.scene_clock;
            run.scene_before = shared.scene_index;
        }
        if (!app.window_active) {
            // The loop knows. The X server must agree that the window is
            // iconified: unmapped by the window manager.
            if (map_state(run.window) != "IsUnMapped")
                return give_up("inactive, but the window is " + map_state(run.window));
            run.notice_seconds = seconds_since(run.phase_start);
            run.frames_when_iconified = run.frames;
            run.audio_at_iconify = file_size(run.audio_file);
            enter(Phase::minimised);
        } else if (seconds_since(run.phase_start) > 5) {
            give_up("the window was not minimised within 5 s (X says " + map_state(run.window) + ")");
        }
        return;
    case Phase::minimised:
        if (drew)
            ++run.frames_while_iconified;
        if (seconds_since(run.phase_start) >= 2.0) {
            if (map_state(run.window) != "IsUnMapped")
                return give_up("the window came back by itself");
            run.iconified_seconds = seconds_since(run.phase_start);
            run.audio_at_restore = file_size(run.audio_file);
            run.playing_at_restore = fsound_channel_playing(music_player.channel);
            run_command("xdotool windowactivate " + run.window);
            enter(Phase::restoring);
        }
        return;
    case Phase::restoring:
        if (drew) {
            // Both ticks lie between these two moments.
            run.wall_gap = std::chrono::duration<double>(Clock::now() - run.frame_before_that).count();
            run.first_delta = shared.frame_timer->frame_delta();
            run.scene_clock_after = shared.scene_clock;
            run.scene_after = shared.scene_index;
            run.frames = 0;
            enter(Phase::after);
        } else if (seconds_since(run.phase_start) > 5) {
            give_up("no frame within 5 s of the restore (X says " + map_state(run.window) + ")");
        }
        return;
    case Phase::after:
        if (!drew)
            return;
        run.largest_delta_after = std::max(run.largest_delta_after, double(shared.frame_timer->frame_delta()));
        if (++run.frames == 20) {
            int bytes = 0;
            const unsigned char* data = fsound_sample_bytes(music_player.sample, &bytes);
            if (data)
                run.song.assign(data, data + bytes);
            run.audio_at_end = file_size(run.audio_file); // before the song is stopped
            run.phase = Phase::done;
            platform_post_message(Message{WM_KEYDOWN, VK_ESCAPE, 0});
        }
        return;
    case Phase::done:
        return;
    }
}

// Offset of the first stereo frame that is not silence.
std::size_t first_sound(const unsigned char* data, std::size_t size)
{
    std::size_t i = 0;
    while (i + 1 < size && data[i] == 0 && data[i + 1] == 0)
        i += 2;
    return i & ~std::size_t(3);
}

} // namespace

TEST(MinimiseRestore, NothingDrawnWhileIconifiedThenOneCatchUpFrameAndTheSongPlaysOn)
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* audio = std::getenv("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(driver && std::string(driver) == "x11") << "run through run_with_window_manager.sh";
    ASSERT_TRUE(audio && std::string(std::getenv("SDL_AUDIODRIVER")) == "disk");
    run.audio_file = audio;
    BoxRecorder boxes{IDYES}; // the screen has no 800 x 600: windowed, as the user agrees
    {
        LoopIterations loop(observe); // the loop seen from the window system
        EXPECT_EQ(win_main(), 0);
        loop.finish();
    }
    ASSERT_EQ(run.failure, "");
    ASSERT_EQ(run.phase, Phase::done);

    std::printf("frames before %d; iconified noticed after %.3f s, held %.3f s, frames meanwhile %d; first delta "
                "after restore %.3f s, wall gap %.3f s, largest other delta %.3f s before, %.3f s after; scene clock "
                "%.3f -> %.3f; audio written while iconified %ld bytes\n",
                run.frames_when_iconified, run.notice_seconds, run.iconified_seconds, run.frames_while_iconified,
                run.first_delta, run.wall_gap, run.largest_delta_before, run.largest_delta_after, run.scene_clock_before,
                run.scene_clock_after, run.audio_at_restore - run.audio_at_iconify);
    // Iconified: noticed quickly, and not one frame drawn in two seconds.
    EXPECT_LT(run.notice_seconds, 1.0);
    EXPECT_GE(run.iconified_seconds, 2.0);
    EXPECT_EQ(run.frames_while_iconified, 0);

    // Restored: the first frame's delta is the whole gap: longer than the
    // time the window was known iconified, shorter than what the observer's
    // own clock measured around the two ticks. The frames on either side of
    // it are ordinary ones.
    EXPECT_GT(run.first_delta, run.iconified_seconds);
    EXPECT_LT(run.first_delta, run.wall_gap);
    EXPECT_LT(run.largest_delta_before, 1.0);
    EXPECT_LT(run.largest_delta_after, 1.0);
    // The start picture lasts 6 s; the test stays inside it, so its clock
    // carries the whole gap.
    EXPECT_EQ(run.scene_before, -1);
    EXPECT_EQ(run.scene_after, -1);
    EXPECT_FLOAT_EQ(run.scene_clock_after, run.scene_clock_before + run.first_delta);

    // The song: still playing when restored, and the device was fed all the
    // while: about as many bytes as the time it was iconified.
    EXPECT_TRUE(run.playing_at_restore);
    const double bytes_per_second = 44100.0 * 4;
    EXPECT_GT(run.audio_at_restore - run.audio_at_iconify, 0.8 * run.iconified_seconds * bytes_per_second);

    // ...and what it was fed is the song without a gap: from the song's first
    // sound on, the written stream equals the song sample for sample, across
    // the iconified stretch.
    std::ifstream in(audio, std::ios::binary);
    std::vector<unsigned char> played((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(run.song.empty());
    std::size_t played_start = first_sound(played.data(), played.size());
    std::size_t song_start = first_sound(run.song.data(), run.song.size());
    ASSERT_LT(played_start, played.size()) << "only silence was played";
    ASSERT_GE(played_start, song_start);
    std::size_t offset = played_start - song_start;
    // Up to what had been written when the run was about to end: the stop
    // that comes after may leave silence in the device's last buffer.
    std::size_t until = std::min(played.size(), static_cast<std::size_t>(run.audio_at_end));
    ASSERT_GT(until, offset);
    std::size_t compared = std::min(until - offset, run.song.size()) & ~std::size_t(3);
    EXPECT_GT(offset + compared, static_cast<std::size_t>(run.audio_at_restore)) << "the comparison ends before the restore";
    EXPECT_LT(offset, static_cast<std::size_t>(run.audio_at_iconify)) << "the song started after the window was iconified";
    std::size_t differ = 0;
    while (differ < compared && played[offset + differ] == run.song[differ])
        ++differ;
    EXPECT_EQ(differ, compared) << "the written stream leaves the song at byte " << offset + differ << " of "
                                << played.size() << " (iconified at " << run.audio_at_iconify << ", restored at "
                                << run.audio_at_restore << ", ended at " << run.audio_at_end << ")";
}
