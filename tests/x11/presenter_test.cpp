// The presenter in this process on a real X server with a 16:9 screen and
// a real window manager (run_with_window_manager.sh with a 1280 x 720
// Xvfb and openbox): a fullscreen window covers the monitor at the
// desktop's own mode, the demo draws into a drawable of the size it asked
// for, and a swap shows it pillarboxed on the window; a normal window at
// the desktop's scale is drawn straight into.
#define GL_GLEXT_PROTOTYPES // the drawable's framebuffer queries, which Mesa's libGL exports
#include "app/gl_window.h"
#include "harness/test_support.h"
#include "platform/host.h"
#include "platform/window_system.h"
#include "support/gl_view.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
// Xlib's macros (None, Bool, Status) come last, after every other header.
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct Rgb {
    int r, g, b;
};

// What the X server shows of the demo's window, read as a screenshot tool
// would.
Rgb shown_at(int x, int y)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GetWindowFromID(platform_window_id(app.main_window));
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {-1, -1, -1};
    Display* display = info.info.x11.display;
    XSync(display, False);
    XImage* image = XGetImage(display, info.info.x11.window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return {-1, -1, -1};
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
            static_cast<int>(pixel & 0xFF)};
}

bool is_black(Rgb c) { return c.r < 8 && c.g < 8 && c.b < 8; }
bool is_red(Rgb c) { return c.r > 247 && c.g < 8 && c.b < 8; }

// Draws frames until the window manager has mapped the window
// and the server shows the point red (5 s at most).
bool shown_after_swaps(int x, int y)
{
    for (int i = 0; i < 100; ++i) {
        Message m;
        while (platform_peek_message(&m)) { }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        platform_swap_buffers(app.window_dc);
        if (is_red(shown_at(x, y)))
            return true;
        SDL_Delay(50);
    }
    return false;
}

SDL_DisplayMode current_mode()
{
    SDL_DisplayMode mode{};
    EXPECT_EQ(SDL_GetCurrentDisplayMode(0, &mode), 0);
    return mode;
}

} // namespace

TEST(Presenter, FullscreenCoversTheMonitorAtItsOwnModeAndShowsTheDrawablePillarboxed)
{
    BoxRecorder boxes(IDNO);
    ASSERT_TRUE(open_window("eLka", 800, 600, 16, true));
    EXPECT_TRUE(boxes.boxes.empty()); // no question: a fullscreen window can be had
    EXPECT_TRUE(app.fullscreen);
    EXPECT_TRUE(platform_window_is_fullscreen(app.main_window));
    SDL_DisplayMode mode = current_mode();
    EXPECT_EQ(mode.w, 1280);
    EXPECT_EQ(mode.h, 720);
    int width = 0, height = 0;
    platform_window_size(app.main_window, &width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_EQ(platform_cursor_count(), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    // The demo's own view: its viewport and a drawable of 800 x 600.
    EXPECT_TRUE(viewport_is(800, 600));
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_NE(bound, 0);
    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_EQ(depth_bits, 16);

    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    ASSERT_TRUE(shown_after_swaps(640, 360));
    // 800 x 600 fits 1280 x 720 at 960 x 720: bars of 160 columns.
    EXPECT_TRUE(is_black(shown_at(0, 360)));
    EXPECT_TRUE(is_black(shown_at(158, 10)));
    EXPECT_TRUE(is_red(shown_at(161, 10)));
    EXPECT_TRUE(is_red(shown_at(1118, 709)));
    EXPECT_TRUE(is_black(shown_at(1121, 709)));
    EXPECT_TRUE(is_black(shown_at(1279, 360)));
    // The present leaves the scenes' state as it was.
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_NE(bound, 0);
    EXPECT_TRUE(viewport_is(800, 600));

    close_window();
    EXPECT_EQ(platform_cursor_count(), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    mode = current_mode();
    EXPECT_EQ(mode.w, 1280);
    EXPECT_EQ(mode.h, 720);
}

TEST(Presenter, AWindowAtTheDesktopsScaleIsDrawnStraightIntoAndTogglesKeepTheCursorBalanced)
{
    BoxRecorder boxes(IDNO);
    ASSERT_TRUE(open_window("elite pAxo", 640, 480, 16, false));
    int width = 0, height = 0;
    platform_window_size(app.main_window, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    // A corner of red on black: the window's own pixels, unscaled.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 470, 10, 10);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    ASSERT_TRUE(shown_after_swaps(9, 9));
    glDisable(GL_SCISSOR_TEST);
    EXPECT_TRUE(is_black(shown_at(10, 9)));
    EXPECT_TRUE(is_black(shown_at(9, 10)));
    close_window();

    // Windowed -> fullscreen -> windowed -> fullscreen.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(open_window("elite pAxo", 640, 480, 16, !app.fullscreen));
        EXPECT_EQ(platform_cursor_count(), app.fullscreen ? -1 : 0);
        close_window();
        EXPECT_EQ(platform_cursor_count(), 0);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// A context deleted while it is still current, its objects kept first (the
// demo releases it before; a host need not): its drawable's buffers go
// with it, and are not left behind in the kept objects' share group.
TEST(Presenter, ACurrentContextDeletedWithItsObjectsKeptTakesItsDrawableWithIt)
{
    BoxRecorder boxes(IDNO);
    ASSERT_TRUE(open_window("eLka", 800, 600, 16, true)); // drawn through a drawable of 800 x 600
    const auto attached = [](GLenum attachment) {
        GLint name = 0;
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
        return static_cast<GLuint>(name);
    };
    GLint framebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    ASSERT_NE(framebuffer, 0) << "no drawable to lose";
    const GLuint colour = attached(GL_COLOR_ATTACHMENT0), depth = attached(GL_DEPTH_ATTACHMENT);
    ASSERT_TRUE(glIsRenderbuffer(colour));
    ASSERT_TRUE(glIsRenderbuffer(depth));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char texel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);

    platform_keep_gl_objects();
    ASSERT_TRUE(platform_delete_context(app.gl_context)); // still current
    app.gl_context = platform_create_context(app.window_dc);
    ASSERT_NE(app.gl_context, nullptr);
    ASSERT_TRUE(platform_make_current(app.window_dc, app.gl_context));
    ASSERT_TRUE(platform_gl_objects_kept());
    EXPECT_TRUE(glIsTexture(texture)) << "the kept texture";
    // Any renderbuffer alive now is the new drawable's.
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    ASSERT_NE(framebuffer, 0);
    const GLuint now[2] = {attached(GL_COLOR_ATTACHMENT0), attached(GL_DEPTH_ATTACHMENT)};
    for (const GLuint name : {colour, depth}) {
        if (name != now[0] && name != now[1]) {
            EXPECT_FALSE(glIsRenderbuffer(name)) << "renderbuffer " << name << " of the deleted context's drawable";
        }
    }
    close_window();
}
