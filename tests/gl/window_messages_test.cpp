// The window procedure, row by row, and the SDL events the window system
// turns into its messages (pushed into SDL's real event queue).
#include "app/gl_window.h"
#include "platform/message_box.h"
#include "platform/host.h"
#include "support/window_test_support.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(open_window("eLka", 320, 240, 16, false)); }
    void TearDown() override { close_window(); }

    // Everything waiting, in order.
    std::vector<Message> drain()
    {
        std::vector<Message> out;
        Message m;
        while (platform_peek_message(&m))
            out.push_back(m);
        return out;
    }

    void push_key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
    {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = platform_window_id(app.main_window);
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    void push_window_event(Uint8 what, int data1 = 0, int data2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = platform_window_id(app.main_window);
        e.window.event = what;
        e.window.data1 = data1;
        e.window.data2 = data2;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    BoxRecorder boxes{IDYES};
};

long send(unsigned message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0)
{
    return window_proc(app.main_window, message, wparam, lparam);
}

} // namespace

TEST_F(WindowMessages, ActivateLooksOnlyAtTheMinimisedState)
{
    EXPECT_TRUE(app.window_active);
    EXPECT_EQ(send(WM_ACTIVATE, WA_INACTIVE | (1u << 16)), 0);
    EXPECT_FALSE(app.window_active);
    EXPECT_EQ(send(WM_ACTIVATE, WA_ACTIVE), 0);
    EXPECT_TRUE(app.window_active);
    EXPECT_EQ(send(WM_ACTIVATE, WA_INACTIVE), 0); // focus lost, not minimised
    EXPECT_TRUE(app.window_active);
    EXPECT_EQ(send(WM_ACTIVATE, WA_ACTIVE | (1u << 16)), 0); // active but minimised
    EXPECT_FALSE(app.window_active);
}

TEST_F(WindowMessages, ScreenSaverAndMonitorPowerCommandsAreSwallowed)
{
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, 0xF020), 0); // SC_MINIMIZE: the window system's
    EXPECT_TRUE(drain().empty());
    EXPECT_TRUE(app.window_active);
}

TEST_F(WindowMessages, ClosePostsQuitWithCodeZeroAndKeepsTheWindow)
{
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_NE(app.main_window, nullptr);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].message, WM_QUIT);
    EXPECT_EQ(waiting[0].wparam, 0u);
    EXPECT_TRUE(drain().empty()); // posted once
}

TEST_F(WindowMessages, QuitComesOnlyOnceNothingElseWaits)
{
    send(WM_CLOSE);
    platform_post_message(Message{WM_KEYDOWN, 'A', 0});
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0].message, WM_KEYDOWN);
    EXPECT_EQ(waiting[1].message, WM_QUIT);
}

TEST_F(WindowMessages, KeysSetAndClearTheirFlags)
{
    EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_TRUE(app.key_down[27]);
    EXPECT_EQ(send(WM_KEYDOWN, VK_F1), 0);
    EXPECT_TRUE(app.key_down[112]);
    EXPECT_EQ(send(WM_KEYUP, VK_ESCAPE), 0);
    EXPECT_FALSE(app.key_down[27]);
    EXPECT_TRUE(app.key_down[112]);
    send(WM_KEYDOWN, 255);
    EXPECT_TRUE(app.key_down[255]);
    send(WM_KEYUP, 255);
    EXPECT_FALSE(app.key_down[255]);
}

TEST_F(WindowMessages, KeyCodesBeyondTheTableAreIgnored)
{
    bool before[256];
    std::copy(std::begin(app.key_down), std::end(app.key_down), before);
    bool active = app.window_active, full = app.fullscreen;
    for (std::uintptr_t code : {std::uintptr_t{256}, std::uintptr_t{0x1FF}, std::uintptr_t{0xFFFF},
                                ~std::uintptr_t{0}}) {
        EXPECT_EQ(send(WM_KEYDOWN, code), 0);
        EXPECT_EQ(send(WM_KEYUP, code), 0);
    }
    EXPECT_TRUE(std::equal(std::begin(app.key_down), std::end(app.key_down), before));
    EXPECT_EQ(app.window_active, active);
    EXPECT_EQ(app.fullscreen, full);
}

TEST_F(WindowMessages, SystemKeysLeaveTheKeyFlagsAlone)
{
    send(WM_SYSKEYDOWN, VK_F10);
    send(WM_SYSKEYDOWN, VK_ESCAPE);
    send(WM_SYSKEYDOWN, VK_F1);
    EXPECT_FALSE(app.key_down[VK_F10]);
    EXPECT_FALSE(app.key_down[VK_ESCAPE]);
    EXPECT_FALSE(app.key_down[VK_F1]);
    send(WM_KEYDOWN, VK_F1);
    send(WM_SYSKEYUP, VK_F1);
    EXPECT_TRUE(app.key_down[VK_F1]);
    EXPECT_TRUE(drain().empty());
}

TEST_F(WindowMessages, AltF4AsksTheWindowToClose)
{
    send(WM_SYSKEYDOWN, 0x73);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].message, WM_CLOSE);
    window_proc(app.main_window, waiting[0].message, waiting[0].wparam, waiting[0].lparam);
    waiting = drain();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].message, WM_QUIT);
    EXPECT_EQ(waiting[0].wparam, 0u);
}

TEST_F(WindowMessages, SizeSetsTheViewportFromTheLowAndHighWords)
{
    EXPECT_EQ(send(WM_SIZE, 0, make_size_lparam(1024, 300)), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 300);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 1024.0 / 300.0, 1e-5);

    send(WM_SIZE, 0, make_size_lparam(0, 0)); // minimised
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 1);
}

TEST_F(WindowMessages, OtherMessagesGoToTheWindowSystem)
{
    EXPECT_EQ(send(0x000F), 0); // WM_PAINT
    EXPECT_EQ(send(0x0102), 0); // WM_CHAR
    EXPECT_TRUE(drain().empty());
    EXPECT_TRUE(app.window_active);
}

// SDL events as the window system delivers them.

TEST_F(WindowMessages, KeysBecomeVirtualKeyCodes)
{
    drain();
    struct Key {
        SDL_Keycode sym;
        std::uintptr_t vk;
    };
    const Key keys[] = {
        {SDLK_ESCAPE, 27}, {SDLK_F1, 112}, {SDLK_F2, 113}, {SDLK_F9, 120}, {SDLK_F11, 122}, {SDLK_F12, 123},
        {SDLK_a, 'A'},     {SDLK_z, 'Z'},  {SDLK_0, '0'},  {SDLK_9, '9'},  {SDLK_LEFT, 0x25}, {SDLK_UP, 0x26},
        {SDLK_RIGHT, 0x27}, {SDLK_DOWN, 0x28}, {SDLK_SPACE, 0x20}, {SDLK_RETURN, 0x0D},
    };
    for (const Key& key : keys) {
        push_key(SDL_KEYDOWN, key.sym);
        push_key(SDL_KEYUP, key.sym);
    }
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 2 * std::size(keys));
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(waiting[2 * i].message, WM_KEYDOWN) << keys[i].vk;
        EXPECT_EQ(waiting[2 * i].wparam, keys[i].vk);
        EXPECT_EQ(waiting[2 * i + 1].message, WM_KEYUP) << keys[i].vk;
        EXPECT_EQ(waiting[2 * i + 1].wparam, keys[i].vk);
    }
}

TEST_F(WindowMessages, AutoRepeatGivesRepeatedKeyDowns)
{
    drain();
    push_key(SDL_KEYDOWN, SDLK_F1);
    push_key(SDL_KEYDOWN, SDLK_F1, KMOD_NONE, 1);
    push_key(SDL_KEYDOWN, SDLK_F1, KMOD_NONE, 1);
    push_key(SDL_KEYUP, SDLK_F1);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(waiting[i].message, WM_KEYDOWN);
        EXPECT_EQ(waiting[i].wparam, 112u);
    }
    EXPECT_EQ(waiting[3].message, WM_KEYUP);
}

TEST_F(WindowMessages, AltKeysAndF10AreSystemKeys)
{
    drain();
    push_key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
    push_key(SDL_KEYUP, SDLK_F4, KMOD_LALT);
    push_key(SDL_KEYDOWN, SDLK_F10);
    push_key(SDL_KEYUP, SDLK_F10);
    push_key(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_RALT);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 5u);
    EXPECT_EQ(waiting[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(waiting[0].wparam, 0x73u);
    EXPECT_EQ(waiting[1].message, WM_SYSKEYUP);
    EXPECT_EQ(waiting[2].message, WM_SYSKEYDOWN);
    EXPECT_EQ(waiting[2].wparam, 0x79u);
    EXPECT_EQ(waiting[3].message, WM_SYSKEYUP);
    EXPECT_EQ(waiting[4].message, WM_SYSKEYDOWN);
    EXPECT_EQ(waiting[4].wparam, 27u);
    for (const Message& m : waiting)
        if (m.message != WM_SYSKEYDOWN || m.wparam != 0x73) // Alt+F4 would close
            window_proc(app.main_window, m.message, m.wparam, m.lparam);
    EXPECT_FALSE(app.key_down[27]);
    EXPECT_FALSE(app.key_down[0x79]);
}

TEST_F(WindowMessages, WindowEventsBecomeActivateSizeAndClose)
{
    drain();
    push_window_event(SDL_WINDOWEVENT_FOCUS_LOST);
    push_window_event(SDL_WINDOWEVENT_MINIMIZED);
    push_window_event(SDL_WINDOWEVENT_RESTORED);
    push_window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 500, 400);
    push_window_event(SDL_WINDOWEVENT_CLOSE);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 7u);
    EXPECT_EQ(waiting[0].message, WM_ACTIVATE); // focus lost, not minimised
    EXPECT_EQ(low_word(waiting[0].wparam), WA_INACTIVE);
    EXPECT_EQ(high_word(waiting[0].wparam), 0);
    EXPECT_EQ(waiting[1].message, WM_ACTIVATE); // minimised
    EXPECT_NE(high_word(waiting[1].wparam), 0);
    EXPECT_EQ(waiting[2].message, WM_SIZE);
    EXPECT_EQ(waiting[2].lparam, make_size_lparam(0, 0));
    EXPECT_EQ(waiting[3].message, WM_ACTIVATE); // restored
    EXPECT_EQ(high_word(waiting[3].wparam), 0);
    EXPECT_EQ(waiting[4].message, WM_SIZE);
    EXPECT_EQ(waiting[5].message, WM_SIZE);
    EXPECT_EQ(waiting[5].lparam, make_size_lparam(500, 400));
    EXPECT_EQ(waiting[6].message, WM_CLOSE);

    for (int i = 0; i < 3; ++i)
        window_proc(app.main_window, waiting[i].message, waiting[i].wparam, waiting[i].lparam);
    EXPECT_FALSE(app.window_active);
    window_proc(app.main_window, waiting[3].message, waiting[3].wparam, waiting[3].lparam);
    EXPECT_TRUE(app.window_active);
}

TEST_F(WindowMessages, QuitEventAsksTheWindowToClose)
{
    drain();
    SDL_Event e{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    std::vector<Message> waiting = drain();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].message, WM_CLOSE);
}

TEST_F(WindowMessages, EventsOfAWindowThatIsGoneAreDropped)
{
    unsigned old_id = platform_window_id(app.main_window);
    close_window();
    ASSERT_TRUE(open_window("elite pAxo", 320, 240, 16, false));
    drain();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = old_id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    EXPECT_TRUE(drain().empty());
}

TEST_F(WindowMessages, MessagesQueuedForADestroyedWindowAreDiscarded)
{
    drain();
    platform_post_message(Message{WM_KEYDOWN, VK_ESCAPE, 0});
    send(WM_CLOSE);
    close_window();
    ASSERT_TRUE(open_window("elite pAxo", 320, 240, 16, false));
    std::vector<Message> waiting = drain();
    // The quit is the thread's, not the window's: it stays.
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].message, WM_QUIT);
}

// An observer of the loop sees every look for a message, and what each
// look took, whether the message came from the window system's own events
// or was posted to the queue; the look that finds nothing shows as null.
namespace {
struct Looks {
    int before = 0;
    std::vector<Message> taken;
    int empty = 0;
};
Looks looks;
} // namespace

TEST_F(WindowMessages, TheLoopsObserverSeesEveryLookAndWhatItTook)
{
    drain();
    static const LoopObserver observer{
        [] { ++looks.before; },
        [](const Message* taken) {
            if (taken)
                looks.taken.push_back(*taken);
            else
                ++looks.empty;
        },
        nullptr};
    platform_observe_loop(&observer);
    push_key(SDL_KEYDOWN, SDLK_F1);
    platform_post_message(Message{WM_APP_SEEK, 7, 9});
    push_key(SDL_KEYUP, SDLK_F1);
    const std::vector<Message> waiting = drain();
    platform_observe_loop(nullptr);

    ASSERT_EQ(waiting.size(), 3u);
    EXPECT_EQ(looks.before, 4); // three messages, then the look that found none
    EXPECT_EQ(looks.empty, 1);
    ASSERT_EQ(looks.taken.size(), waiting.size());
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        EXPECT_EQ(looks.taken[i].message, waiting[i].message) << i;
        EXPECT_EQ(looks.taken[i].wparam, waiting[i].wparam) << i;
        EXPECT_EQ(looks.taken[i].lparam, waiting[i].lparam) << i;
    }
    // The posted message was queued first; the events are read after it.
    EXPECT_EQ(waiting[0].message, WM_APP_SEEK);
    EXPECT_EQ(waiting[1].message, WM_KEYDOWN);
    EXPECT_EQ(waiting[2].message, WM_KEYUP);

    // Unobserved, looks go on as before.
    platform_post_message(Message{WM_APP_SEEK, 1, 2});
    EXPECT_EQ(drain().size(), 1u);
    EXPECT_EQ(looks.before, 4);
}
