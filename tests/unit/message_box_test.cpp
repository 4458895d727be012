// Message boxes where none can be shown, the counter source, and the reset
// of the platform's testing seam.
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/performance_counter.h"
#include "platform/sdl/sdl_window.h"
#include "platform/host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(MessageBox, WithoutADisplayBecomesOneLineAndTakesTheFirstButton)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_TRUE(sdl_headless());
    testing::internal::CaptureStderr();
    int ok = platform_message_box("Initialization Failed!", "ERROR", MB_OK | MB_ICONEXCLAMATION);
    int yes = platform_message_box("Use it?", "Dova GL", MB_YESNO | MB_ICONEXCLAMATION);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ok, IDOK);
    EXPECT_EQ(yes, IDYES);
    EXPECT_EQ(err, "ERROR: Initialization Failed!\nDova GL: Use it?\n");
}

TEST(MessageBox, ADisplayServerThatIsNotThereIsNoDisplay)
{
    // x11 is asked for, but there is no server at this address: the box
    // cannot be shown, so it is printed and answered.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", ":9873", 1);
    testing::internal::CaptureStderr();
    int answer = platform_message_box("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_NE(err.find("ERROR: Program Will Now Close.\n"), std::string::npos) << err;
}

TEST(MessageBox, NoDisplayVariableIsHeadless)
{
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_TRUE(sdl_headless());
    setenv("DISPLAY", ":0", 1);
    EXPECT_FALSE(sdl_headless());
}

TEST(MessageBox, TheHookAnswersInsteadOfTheScreen)
{
    std::string seen;
    platform_set_message_box_hook([&](const char* text, const char* caption, unsigned style) {
        seen = std::string(caption) + "|" + text + "|" + std::to_string(style);
        return IDNO;
    });
    EXPECT_EQ(platform_message_box("Q", "Dova GL", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(seen, "Dova GL|Q|" + std::to_string(MB_YESNO | MB_ICONEXCLAMATION));
    platform_set_message_box_hook(nullptr);
}

namespace {
std::int64_t fixed_counter() { return 42; }
bool fixed_frequency(std::int64_t* f)
{
    *f = 7;
    return true;
}
const CounterSource fixed{fixed_frequency, fixed_counter};
} // namespace

TEST(PerformanceCounter, ASourceReplacesTheSystemCounterUntilRemoved)
{
    std::int64_t frequency = 0;
    ASSERT_TRUE(platform_query_frequency(&frequency));
    EXPECT_GE(frequency, 1000); // SDL's counter: at least a millisecond clock
    std::int64_t first = platform_query_counter();
    platform_set_counter_source(&fixed);
    EXPECT_EQ(platform_query_counter(), 42);
    ASSERT_TRUE(platform_query_frequency(&frequency));
    EXPECT_EQ(frequency, 7);
    platform_set_counter_source(nullptr);
    EXPECT_GE(platform_query_counter(), first);
}

namespace {
int peeks_seen = 0;
void count_peek() { ++peeks_seen; }
} // namespace

TEST(TestingSeam, ResetPutsEveryPartBackAsAtProcessStart)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform_inject_failure(PlatformStep::register_class);
    platform_set_message_box_hook([](const char*, const char*, unsigned) { return IDNO; });
    platform_set_counter_source(&fixed);
    fsound_set_reported_version(3.0f);
    static const LoopObserver observer{count_peek, nullptr, nullptr};
    platform_observe_loop(&observer);
    Message m;
    platform_peek_message(&m);
    ASSERT_EQ(peeks_seen, 1);
    ASSERT_FALSE(platform_register_class()); // the injected failure, logged
    ASSERT_GT(platform_call_log_size(), 0);

    platform_reset_testing_seam();
    EXPECT_EQ(platform_call_log_size(), 0);
    platform_peek_message(&m);
    EXPECT_EQ(peeks_seen, 1); // no longer observed
    std::int64_t frequency = 0;
    ASSERT_TRUE(platform_query_frequency(&frequency));
    EXPECT_NE(frequency, 7);
    EXPECT_EQ(FSOUND_GetVersion(), FSOUND_LAYER_VERSION);
    // Headless, a box that is shown takes its first button, not the hook's No.
    EXPECT_EQ(platform_message_box("Q", "Dova GL", MB_YESNO | MB_ICONEXCLAMATION), IDYES);
    // No failure waits any more, and the log records again.
    EXPECT_TRUE(platform_register_class());
    EXPECT_TRUE(platform_unregister_class());
    ASSERT_EQ(platform_call_log_size(), 2);
    EXPECT_STREQ(platform_call_log_entry(0), "register_class");
    EXPECT_STREQ(platform_call_log_entry(1), "unregister_class");
}
