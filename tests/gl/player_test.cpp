// The player's seek, pause and restart in a real GL context: a seek shows
// the frame that drawing the sequence straight through at the capture's
// rate (its fixed-step counter, as elka-capture runs it) gives at that
// time, whichever way the seeks come, and a pause stands the clocks still.
#include "app/entry.h"
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "app/player.h"
#include "harness/test_support.h"
#include "platform/fixed_step_counter.h"
#include "platform/host.h"
#include "timeline/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

FixedStepCounter straight;

constexpr int width = 80, height = 60;

std::vector<unsigned char> back_buffer()
{
    std::vector<unsigned char> pixels(width * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Times picked here, away from the scene table: mid-scene, just past a
// cut, and deep in the credits.
const double seek_times[] = {7.31, 37.9, 65.2, 83.05, 131.47};

class Player : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.ok());
        ASSERT_TRUE(init_gl());
        shared.frame_timer = new FrameTimer();
        player_keep_start();
    }
    void TearDown() override { platform_set_counter_source(nullptr); }
    GlTestWindow window{width, height};
};

} // namespace

TEST_F(Player, SeeksShowTheCapturesFramesWhicheverWayTheyCome)
{
    // The reference: the sequence drawn straight through, frame n drawn
    // after n + 1 steps of the fixed-step counter, as the capture draws it.
    std::map<long, std::vector<unsigned char>> expected;
    std::vector<long> frames;
    for (double t : seek_times)
        frames.push_back(static_cast<long>(t * 60.0));
    straight = fixed_step_counter(60);
    platform_set_counter_source(&fixed_step_source<straight>);
    FrameTimer* timer = shared.frame_timer;
    shared.frame_timer = new FrameTimer();
    shared.frame_timer->start();
    for (long n = 0; n <= frames.back(); ++n) {
        fixed_step_advance(straight);
        render_frame();
        for (long f : frames)
            if (f == n)
                expected[f] = back_buffer();
    }
    delete shared.frame_timer;
    shared.frame_timer = timer;
    platform_set_counter_source(nullptr);

    // Far ahead first (from the start), then back (from the states kept on
    // the way), then between; the frame after each seek is the reference's.
    const int order[] = {4, 1, 3, 0, 2, 4};
    for (int i : order) {
        SCOPED_TRACE(testing::Message() << "seek to " << seek_times[i] << " s");
        player_seek(seek_times[i]);
        EXPECT_NEAR(player_time(), frames[i] / 60.0, 1e-3);
        render_frame();
        EXPECT_TRUE(back_buffer() == expected[frames[i]]);
    }
    // A state every 2 s up to the farthest seek, and no more than 8 MB.
    EXPECT_EQ(player_states_kept(), static_cast<int>(frames.back() / 120) + 1);
    EXPECT_LE(player_kept_bytes(), std::size_t{8} << 20);
}

TEST_F(Player, RestartAndJumpsLandOnTheirTimes)
{
    player_seek(20.0);
    app.player.request = PlayerRequest::back;
    player_take_request();
    EXPECT_NEAR(player_time(), 15.0, 1.0 / 60.0);
    app.player.request = PlayerRequest::forth;
    player_take_request();
    EXPECT_NEAR(player_time(), 20.0, 2.0 / 60.0);
    app.player.request = PlayerRequest::restart;
    player_take_request();
    EXPECT_EQ(player_time(), 0.0);
    EXPECT_EQ(shared.scene_index, first_scene);
    // Back from the start stays at the start; past the end is the end.
    app.player.request = PlayerRequest::back;
    player_take_request();
    EXPECT_EQ(player_time(), 0.0);
    player_seek(1000.0);
    EXPECT_TRUE(shared.quit_requested);
}

TEST_F(Player, KeysAskOnceAndHeldSpaceOrHomeAsksNothingMore)
{
    EXPECT_TRUE(player_key(VK_SPACE, false));
    EXPECT_EQ(app.player.request, PlayerRequest::pause);
    app.player.request = PlayerRequest::none;
    EXPECT_TRUE(player_key(VK_SPACE, true)); // auto-repeat of a held Space
    EXPECT_EQ(app.player.request, PlayerRequest::none);
    EXPECT_TRUE(player_key(VK_HOME, true));
    EXPECT_EQ(app.player.request, PlayerRequest::none);
    EXPECT_TRUE(player_key(VK_RIGHT, true)); // a held arrow goes on jumping
    EXPECT_EQ(app.player.request, PlayerRequest::forth);
    EXPECT_FALSE(player_key(VK_ESCAPE, false));
    EXPECT_FALSE(player_key(VK_F1, false));
    EXPECT_EQ(app.player.request, PlayerRequest::forth);
}

TEST_F(Player, PausedTheClocksStandAndASeekShowsItsFrameOnce)
{
    scripted_counter::install(1000000);
    shared.frame_timer->run_real_time();
    player_seek(30.0);
    player_set_paused(true);
    const double at = player_time();
    scripted_counter::advance(5000000); // 5 s paused
    player_seek(40.0); // shows 40 s and stays there, paused
    EXPECT_TRUE(app.player.paused);
    EXPECT_NEAR(player_time(), 40.0, 1.0 / 60.0);
    const int scene = shared.scene_index;
    scripted_counter::advance(3000000);
    player_set_paused(false);
    scripted_counter::advance(16667);
    render_frame();
    // One frame's time on from 40 s: neither pause counted.
    EXPECT_NEAR(player_time(), 40.0 + 1.0 / 60.0, 2.0 / 60.0);
    EXPECT_EQ(shared.scene_index, scene);
    EXPECT_LT(at, 31.0);
    scripted_counter::uninstall();
}

TEST_F(Player, ThePauseKeepsTheStatesAheadAndLeavesTheFrameAsItWas)
{
    player_seek(40.0);
    player_set_paused(true);
    player_seek(40.0);
    render_frame();
    const std::vector<unsigned char> frame = back_buffer();
    player_seek(40.0);
    const int scene = shared.scene_index;
    int calls = 0;
    while (player_keep_ahead() && calls < 1000)
        ++calls;
    // A state every 2 s to the end of the 151.02 s sequence, one a call.
    EXPECT_EQ(player_states_kept(), 76);
    // 0 to 40 s were kept by the seek; the last call steps to the end and
    // finds no 152 s.
    EXPECT_EQ(calls, 76 - 21 + 1);
    EXPECT_FALSE(player_keep_ahead());
    EXPECT_TRUE(app.player.paused);
    EXPECT_EQ(shared.scene_index, scene);
    EXPECT_NEAR(player_time(), 40.0, 1.0 / 60.0);
    render_frame();
    EXPECT_TRUE(back_buffer() == frame);
}
