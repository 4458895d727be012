// The frame loop on a scripted message sequence and a scripted counter: one
// message per iteration, frames only when nothing waits, Escape and F1, the
// minimised window, and every way the loop ends.
#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "platform/host.h"
#include "resources/gl_state.h"
#include "harness/test_support.h"
#include "support/window_test_support.h"
#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// What one iteration did: a message taken ("M" + its number), a frame
// drawn ("F"), or neither ("-").
std::vector<std::string> iterations;
std::optional<LoopIterations> loop; // the loop seen from the window system
std::vector<float> frame_deltas;
std::function<void(const Message*, bool)> script;

// The entry of a message taken. (Formatted rather than "M" + a string:
// GCC 12 warns falsely of overlapping copies in that operator+ at -O3, bug
// 105329, and the tests build with warnings as errors.)
std::string taken_entry(unsigned message)
{
    char entry[16];
    std::snprintf(entry, sizeof entry, "M%u", message);
    return entry;
}

void observe(const Message* taken, bool drew)
{
    if (taken)
        iterations.push_back(taken_entry(taken->message));
    else
        iterations.push_back(drew ? "F" : "-");
    if (drew)
        frame_deltas.push_back(shared.frame_timer->frame_delta());
    if (script)
        script(taken, drew);
}

void post(unsigned message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0)
{
    platform_post_message(Message{message, wparam, lparam});
}

const std::string keydown = taken_entry(WM_KEYDOWN);
const std::string keyup = taken_entry(WM_KEYUP);
const std::string size = taken_entry(WM_SIZE);
const std::string activate = taken_entry(WM_ACTIVATE);

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        iterations.clear();
        frame_deltas.clear();
        ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
        init_gl(); // without the media files the scenes draw untextured; the loop does not care
        start_scripted_frame_timer();
        Message m;
        while (platform_peek_message(&m)) { // what the window system said about the new window
        }
        loop.emplace(observe);
    }
    void TearDown() override
    {
        loop.reset();
        script = nullptr;
        close_window();
        scripted_counter::uninstall();
    }
    BoxRecorder boxes{IDYES};
};

} // namespace

TEST_F(FrameLoop, OneMessagePerIterationAndNoFrameWhileAnyWaits)
{
    post(WM_KEYDOWN, 'A');
    post(WM_SIZE, 0, make_size_lparam(320, 240));
    post(WM_KEYUP, 'A');
    int frames = 0;
    script = [&](const Message*, bool drew) {
        if (drew) {
            scripted_counter::advance(20000);
            if (++frames == 2) {
                post(WM_KEYDOWN, 'B');
                post(WM_KEYDOWN, VK_ESCAPE);
            }
        }
    };
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(shared.quit_requested);
    EXPECT_EQ(iterations, (std::vector<std::string>{keydown, size, keyup, "F", "F", keydown, keydown, "-"}));
    EXPECT_EQ(scripted_counter::queries(), 1 + 2); // start, then one tick per frame
    ASSERT_EQ(frame_deltas.size(), 2u);
    EXPECT_FLOAT_EQ(frame_deltas[1], 0.02f);
}

TEST_F(FrameLoop, EscapeAndF1TogetherToggleThenEnd)
{
    post(WM_KEYDOWN, VK_ESCAPE);
    post(WM_KEYDOWN, VK_F1);
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(shared.quit_requested);
    EXPECT_EQ(iterations, (std::vector<std::string>{keydown, keydown, "-"}));
    EXPECT_EQ(scripted_counter::queries(), 1); // no frame
    // The toggle ran: the new window, in the other mode (refused here, so
    // the question was answered Yes and it is windowed again).
    EXPECT_FALSE(app.key_down[VK_F1]);
    EXPECT_TRUE(app.key_down[VK_ESCAPE]);
    ASSERT_NE(app.main_window, nullptr);
    EXPECT_STREQ(platform_window_title(app.main_window), "elite pAxo");
    int w = 0, h = 0;
    platform_window_size(app.main_window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Dova GL");
    EXPECT_FALSE(app.fullscreen);
    EXPECT_TRUE(platform_context_current());
}

TEST_F(FrameLoop, F1TogglesOncePerKeyDownAndGoesOnDrawing)
{
    int frames = 0;
    script = [&](const Message*, bool drew) {
        if (drew && ++frames == 3)
            post(WM_KEYDOWN, VK_ESCAPE);
        if (drew)
            scripted_counter::advance(10000);
    };
    post(WM_KEYDOWN, VK_F1);
    post(WM_KEYDOWN, VK_F1); // auto-repeat
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    // Two key-downs drained first, then one toggle in the idle iteration
    // that also drew the first frame.
    EXPECT_EQ(iterations, (std::vector<std::string>{keydown, keydown, "F", "F", "F", keydown, "-"}));
    EXPECT_EQ(boxes.boxes.size(), 1u); // one question: toggled once
    EXPECT_STREQ(platform_window_title(app.main_window), "elite pAxo");
}

TEST_F(FrameLoop, MinimisedDrawsNothingThenOneLargeDelta)
{
    int frames = 0, idle = 0, queries_while_minimised = -1;
    script = [&](const Message*, bool drew) {
        if (drew) {
            ++frames;
            scripted_counter::advance(20000);
            if (frames == 2) {
                post(WM_ACTIVATE, WA_INACTIVE | (1u << 16));
                post(WM_SIZE, 0, make_size_lparam(0, 0));
                post(WM_KEYDOWN, VK_ESCAPE); // not looked at while minimised
            }
            if (frames == 3)
                post(WM_KEYDOWN, VK_ESCAPE);
            return;
        }
        if (!app.window_active && iterations.back() == "-") {
            if (++idle == 1)
                queries_while_minimised = scripted_counter::queries();
            if (idle == 100) {
                EXPECT_EQ(scripted_counter::queries(), queries_while_minimised);
                scripted_counter::advance(3000000); // three seconds minimised
                post(WM_KEYUP, VK_ESCAPE);
                post(WM_ACTIVATE, WA_ACTIVE);
                post(WM_SIZE, 0, make_size_lparam(320, 240));
            }
        }
    };
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(idle, 100);
    EXPECT_EQ(frames, 3);
    ASSERT_EQ(frame_deltas.size(), 3u);
    // 0.02 s of the last frame before, then the whole minimised time.
    EXPECT_FLOAT_EQ(frame_deltas[2], 3.02f);
}

TEST_F(FrameLoop, ClosingTheWindowEndsWithStatusZero)
{
    script = [&](const Message*, bool drew) {
        if (drew)
            post(WM_CLOSE);
    };
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(shared.quit_requested);
    EXPECT_EQ(iterations, (std::vector<std::string>{"F", taken_entry(WM_CLOSE)}));
    EXPECT_NE(app.main_window, nullptr); // the shutdown closes it, not the loop
}

TEST_F(FrameLoop, TheQuitMessageCarriesTheExitStatus)
{
    platform_post_quit_message(3);
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 3);
    EXPECT_TRUE(iterations.empty()); // the loop is left at once
}

TEST_F(FrameLoop, TheEndOfTheSequenceEndsWithStatusZero)
{
    // Half a second a frame: the sequence ends by itself, whatever its length.
    int frames = 0;
    script = [&](const Message*, bool drew) {
        if (drew) {
            scripted_counter::advance(500000);
            if (++frames == 5000)
                post(WM_KEYDOWN, VK_ESCAPE); // a sequence that never ends
        }
    };
    scripted_counter::advance(500000);
    int status = -1;
    EXPECT_TRUE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(status, 0);
    EXPECT_LT(frames, 5000);
    EXPECT_FALSE(app.key_down[VK_ESCAPE]);
    EXPECT_EQ(iterations.back(), "F"); // ended in the iteration of its last frame
}

TEST_F(FrameLoop, AFailedReopenEndsTheLoopAtOnce)
{
    platform_inject_failure(PlatformStep::create_window);
    post(WM_KEYDOWN, VK_F1);
    int status = -1;
    EXPECT_FALSE(run_frame_loop(&status));
    loop->finish();
    EXPECT_EQ(app.main_window, nullptr);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{
                                 "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
                                 "Window Creation Error."}));
}

// The whole run in this process, in a folder with small media files.
class WholeRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string folder = make_media_folder(with_song());
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(chdir(folder.c_str()), 0);
        scripted_counter::install(1000000);
        loop.emplace(observe);
    }
    void TearDown() override
    {
        loop.reset();
        script = nullptr;
        scripted_counter::uninstall();
    }
    virtual bool with_song() const { return true; }
    BoxRecorder boxes{IDYES};
};

TEST_F(WholeRun, EscapeEndsWithStatusZeroAfterTheShutdown)
{
    int frames = 0;
    script = [&](const Message*, bool drew) {
        scripted_counter::advance(1000);
        if (drew && ++frames == 3)
            post(WM_KEYDOWN, VK_ESCAPE);
    };
    EXPECT_EQ(win_main(), 0);
    loop->finish();
    EXPECT_EQ(frames, 3);
    // Only the question: the display refuses 800 x 600, the answer is Yes.
    EXPECT_EQ(boxes.texts().size(), 1u);
    std::vector<std::string> log = call_log();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()),
              (std::vector<std::string>{"release_current", "delete_context", "release_dc", "destroy_window",
                                        "unregister_class"}));
    EXPECT_EQ(app.main_window, nullptr);
    EXPECT_FALSE(platform_context_current()); // delete_font comes after this
}

TEST_F(WholeRun, AFailedReopenReturnsZeroWithoutTheShutdown)
{
    int frames = 0;
    script = [&](const Message*, bool drew) {
        scripted_counter::advance(1000);
        if (drew && ++frames == 1) {
            platform_inject_failure(PlatformStep::create_window);
            post(WM_KEYDOWN, VK_F1);
        }
    };
    EXPECT_EQ(win_main(), 0);
    loop->finish();
    std::vector<std::string> log = call_log();
    ASSERT_GE(log.size(), 4u);
    // The reopen (fullscreen refused, windowed accepted), its own close,
    // and nothing after it.
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"register_class", "change_display_mode", "create_window", "unregister_class"}));
    ASSERT_FALSE(boxes.texts().empty());
    EXPECT_EQ(boxes.texts().back(), "Window Creation Error.");
}

class WholeRunWithoutSong : public WholeRun {
    bool with_song() const override { return false; }
};

TEST_F(WholeRunWithoutSong, MusicThatCannotStartEndsWithStatusOne)
{
    EXPECT_EXIT(win_main(), ::testing::ExitedWithCode(1), "");
}
