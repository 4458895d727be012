// The GL window on SDL's offscreen driver: every step of opening and
// closing in order, a failure injected at each step with its message and
// what is released, the fullscreen fallback question, the cursor, the
// pixel format request and the viewport.
#include "app/entry.h"
#include "app/gl_window.h"
#include "platform/message_box.h"
#include "platform/host.h"
#include "support/gl_view.h"
#include "support/window_test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace {

const Log open_steps = {"register_class", "create_window", "get_dc", "choose_pixel_format", "set_pixel_format",
                        "create_context", "make_current", "show_window", "set_foreground_window", "set_focus"};
const Log close_steps = {"release_current", "delete_context", "release_dc", "destroy_window", "unregister_class"};

const char* const question =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";

Log concat(Log a, const Log& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void expect_closed()
{
    EXPECT_EQ(app.main_window, nullptr);
    EXPECT_EQ(app.window_dc, nullptr);
    EXPECT_EQ(app.gl_context, nullptr);
    EXPECT_EQ(app.app_instance, nullptr);
    EXPECT_FALSE(platform_class_registered());
    EXPECT_FALSE(platform_context_current());
}

} // namespace

TEST(GlWindow, OpensStepByStepWithACurrentContextAndItsViewport)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 800, 600, 16, false));
    EXPECT_EQ(call_log(), open_steps);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(app.fullscreen);
    EXPECT_NE(app.app_instance, nullptr);
    EXPECT_STREQ(platform_window_title(app.main_window), "eLka");
    int w = 0, h = 0;
    platform_window_size(app.main_window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(platform_context_current());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);

    EXPECT_TRUE(viewport_is(800, 600));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    // 45 degrees vertically, aspect 4:3, near 0.1f widened, far 100.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    double near_plane = static_cast<double>(0.1f);
    EXPECT_NEAR(projection[0], f / (800.0 / 600.0), 1e-6);
    EXPECT_NEAR(projection[5], f, 1e-6);
    EXPECT_NEAR(projection[10], (100.0 + near_plane) / (near_plane - 100.0), 1e-6);
    EXPECT_NEAR(projection[14], 2.0 * 100.0 * near_plane / (near_plane - 100.0), 1e-6);

    // At least the requested 16-bit depth buffer. (The offscreen driver's
    // surface is a pbuffer, which has no back buffer to double with.)
    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_GE(depth_bits, 16);
    GLint bits[3] = {};
    glGetIntegerv(GL_RED_BITS, &bits[0]);
    glGetIntegerv(GL_GREEN_BITS, &bits[1]);
    glGetIntegerv(GL_BLUE_BITS, &bits[2]);
    EXPECT_GE(bits[0], 5);
    EXPECT_GE(bits[1], 6);
    EXPECT_GE(bits[2], 5);

    int from = platform_call_log_size();
    close_window();
    EXPECT_EQ(call_log(from), close_steps);
    EXPECT_TRUE(boxes.boxes.empty());
    expect_closed();
}

TEST(GlWindow, PixelFormatRequestIsFilledOnceFromTheFirstOpen)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
    EXPECT_EQ(app.pixel_format_request.size, 40);
    EXPECT_EQ(app.pixel_format_request.version, 1);
    EXPECT_EQ(app.pixel_format_request.flags, 0x25u);
    EXPECT_EQ(app.pixel_format_request.pixel_type, PFD_TYPE_RGBA);
    EXPECT_EQ(app.pixel_format_request.color_bits, 16);
    EXPECT_EQ(app.pixel_format_request.alpha_bits, 0);
    EXPECT_EQ(app.pixel_format_request.accum_bits, 0);
    EXPECT_EQ(app.pixel_format_request.depth_bits, 16);
    EXPECT_EQ(app.pixel_format_request.stencil_bits, 0);
    EXPECT_EQ(app.pixel_format_request.layer_type, PFD_MAIN_PLANE);
    close_window();

    ASSERT_TRUE(open_window("elite pAxo", 320, 240, 32, false));
    EXPECT_EQ(app.pixel_format_request.color_bits, 16); // the first open's bits
    close_window();
    EXPECT_TRUE(boxes.boxes.empty());
}

struct OpenFailure {
    PlatformStep step;
    const char* text;
    Log log; // the whole call log of the failed open, its own close included
};

class GlWindowOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(GlWindowOpenFailure, ReleasesWhatWasMadeThenShowsItsMessage)
{
    const OpenFailure& failure = GetParam();
    BoxRecorder boxes(IDYES);
    platform_inject_failure(failure.step);
    EXPECT_FALSE(open_window("eLka", 640, 480, 16, false));
    EXPECT_EQ(call_log(), failure.log);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, failure.text);
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].style, MB_OK | MB_ICONEXCLAMATION);
    // The box comes after everything was released.
    EXPECT_EQ(boxes.boxes[0].log_position, static_cast<int>(failure.log.size()));
    expect_closed();

    // The start-up path closes once more: the class is gone by then.
    int from = platform_call_log_size();
    close_window();
    EXPECT_EQ(call_log(from), Log{"unregister_class"});
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Could Not Unregister Class.");
    EXPECT_EQ(boxes.boxes[1].caption, "SHUTDOWN ERROR");
    EXPECT_EQ(boxes.boxes[1].style, MB_OK | MB_ICONINFORMATION);

    // Nothing is left behind: the next open works.
    boxes.boxes.clear();
    EXPECT_TRUE(open_window("eLka", 640, 480, 16, false));
    EXPECT_TRUE(boxes.boxes.empty());
    close_window();
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, GlWindowOpenFailure,
    ::testing::Values(
        OpenFailure{PlatformStep::create_window, "Window Creation Error.",
                    {"register_class", "create_window", "unregister_class"}},
        OpenFailure{PlatformStep::get_dc, "Can't Create A GL Device Context.",
                    {"register_class", "create_window", "get_dc", "destroy_window", "unregister_class"}},
        OpenFailure{PlatformStep::choose_pixel_format, "Can't Find A Suitable PixelFormat.",
                    {"register_class", "create_window", "get_dc", "choose_pixel_format", "release_dc",
                     "destroy_window", "unregister_class"}},
        OpenFailure{PlatformStep::set_pixel_format, "Can't Set The PixelFormat.",
                    {"register_class", "create_window", "get_dc", "choose_pixel_format", "set_pixel_format",
                     "release_dc", "destroy_window", "unregister_class"}},
        OpenFailure{PlatformStep::create_context, "Can't Create A GL Rendering Context.",
                    {"register_class", "create_window", "get_dc", "choose_pixel_format", "set_pixel_format",
                     "create_context", "release_dc", "destroy_window", "unregister_class"}},
        OpenFailure{PlatformStep::make_current, "Can't Activate The GL Rendering Context.",
                    {"register_class", "create_window", "get_dc", "choose_pixel_format", "set_pixel_format",
                     "create_context", "make_current", "release_current", "delete_context", "release_dc",
                     "destroy_window", "unregister_class"}}),
    [](const ::testing::TestParamInfo<OpenFailure>& param_info) { return std::string(platform_step_name(param_info.param.step)); });

TEST(GlWindow, FailedRegistrationMakesNothingAndTheCloseAfterItComplains)
{
    BoxRecorder boxes(IDYES);
    platform_inject_failure(PlatformStep::register_class);
    EXPECT_FALSE(open_window("eLka", 800, 600, 16, true));
    EXPECT_EQ(call_log(), Log{"register_class"});
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(platform_class_registered());
    EXPECT_EQ(app.main_window, nullptr);

    close_window();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Could Not Unregister Class.");
}

TEST(GlWindow, RegistrationFollowsTheRulesOfAClassRegistry)
{
    EXPECT_FALSE(platform_unregister_class()); // not registered
    EXPECT_TRUE(platform_register_class());
    EXPECT_STREQ(platform_video_driver(), "offscreen"); // video came with it
    EXPECT_FALSE(platform_register_class());             // already registered
    EXPECT_TRUE(platform_class_registered());
    EXPECT_TRUE(platform_unregister_class());
    EXPECT_FALSE(platform_unregister_class());
    EXPECT_TRUE(platform_register_class()); // again, video already running
    EXPECT_TRUE(platform_unregister_class());
}

TEST(GlWindow, VideoThatCannotStartFailsTheRegistration)
{
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    BoxRecorder boxes(IDYES);
    EXPECT_FALSE(open_window("eLka", 800, 600, 16, false));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Failed To Register The Window Class."});
    EXPECT_FALSE(platform_class_registered());
    EXPECT_STREQ(platform_video_driver(), "");
}

struct CloseFailure {
    PlatformStep step;
    const char* text;
};

class GlWindowCloseFailure : public ::testing::TestWithParam<CloseFailure> {};

TEST_P(GlWindowCloseFailure, ReportsAndGoesOnWithTheNextStep)
{
    const CloseFailure& failure = GetParam();
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 640, 480, 16, false));
    const WindowHandle window = app.main_window;
    const DeviceContext dc = app.window_dc;
    platform_inject_failure(failure.step);
    int from = platform_call_log_size();
    close_window();
    // What could not be released is still held (the window system keeps one
    // window and one device context): it goes at the end, so that the next
    // test can open a window.
    struct Leftover {
        WindowHandle window;
        DeviceContext dc;
        ~Leftover()
        {
            if (dc)
                platform_release_dc(window, dc);
            else if (window)
                platform_destroy_window(window);
        }
    } leftover{failure.step == PlatformStep::destroy_window || failure.step == PlatformStep::release_dc ? window
                                                                                                           : nullptr,
               failure.step == PlatformStep::release_dc ? dc : nullptr};
    EXPECT_EQ(call_log(from), close_steps); // every step still runs
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, failure.text);
    EXPECT_EQ(boxes.boxes[0].caption, "SHUTDOWN ERROR");
    EXPECT_EQ(boxes.boxes[0].style, MB_OK | MB_ICONINFORMATION);
    // Handles are forgotten whether or not their release worked.
    EXPECT_EQ(app.main_window, nullptr);
    EXPECT_EQ(app.window_dc, nullptr);
    EXPECT_EQ(app.gl_context, nullptr);
    EXPECT_EQ(app.app_instance, nullptr);

    // A second close touches none of them again.
    from = platform_call_log_size();
    close_window();
    EXPECT_EQ(call_log(from), Log{"unregister_class"});
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, GlWindowCloseFailure,
    ::testing::Values(CloseFailure{PlatformStep::release_current, "Release Of DC And RC Failed."},
                      CloseFailure{PlatformStep::delete_context, "Release Rendering Context Failed."},
                      CloseFailure{PlatformStep::release_dc, "Release Device Context Failed."},
                      CloseFailure{PlatformStep::destroy_window, "Could Not Release hWnd."},
                      CloseFailure{PlatformStep::unregister_class, "Could Not Unregister Class."}),
    [](const ::testing::TestParamInfo<CloseFailure>& param_info) { return std::string(platform_step_name(param_info.param.step)); });

TEST(GlWindow, AFailedDeviceContextReleaseDoesNotKeepTheNextWindowFromOne)
{
    // The toggle's case: the close reports the failure, the window goes,
    // and the next window gets a device context of its own.
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 640, 480, 16, false));
    platform_inject_failure(PlatformStep::release_dc);
    close_window();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Release Device Context Failed."});
    ASSERT_TRUE(open_window("elite pAxo", 640, 480, 16, false));
    EXPECT_NE(app.window_dc, nullptr);
    EXPECT_TRUE(platform_context_current());
    close_window();
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(GlWindow, SecondCloseCannotUnregisterTheClass)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 640, 480, 16, false));
    close_window();
    EXPECT_TRUE(boxes.boxes.empty());
    close_window();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Could Not Unregister Class."});
}

TEST(GlWindow, RefusedModeAnsweredYesOpensWindowedAtTheSameSize)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 800, 600, 16, true)); // the offscreen driver has no monitor to cover
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, question);
    EXPECT_EQ(boxes.boxes[0].caption, "Dova GL");
    EXPECT_EQ(boxes.boxes[0].style, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_FALSE(app.fullscreen);
    EXPECT_FALSE(platform_window_is_fullscreen(app.main_window));
    EXPECT_EQ(call_log(), concat({"register_class", "change_display_mode"}, Log(open_steps.begin() + 1, open_steps.end())));
    EXPECT_EQ(platform_cursor_count(), 0);
    int w = 0, h = 0;
    platform_window_size(app.main_window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);

    int from = platform_call_log_size();
    close_window();
    EXPECT_EQ(call_log(from), close_steps); // no display mode, no cursor
    EXPECT_EQ(platform_cursor_count(), 0);
}

TEST(GlWindow, RefusedModeAnsweredNoKeepsTheClassRegistered)
{
    BoxRecorder boxes(IDNO);
    EXPECT_FALSE(open_window("eLka", 800, 600, 16, true));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, question);
    EXPECT_EQ(boxes.boxes[1].text, "Program Will Now Close.");
    EXPECT_EQ(boxes.boxes[1].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[1].style, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(call_log(), (Log{"register_class", "change_display_mode"}));
    EXPECT_TRUE(platform_class_registered());
    EXPECT_TRUE(app.fullscreen);
    EXPECT_EQ(app.main_window, nullptr);
}

TEST(GlWindow, StartUpAfterTheAnswerNoEndsWithInitializationFailed)
{
    BoxRecorder boxes(IDNO);
    EXPECT_EQ(win_main(), 0);
    // The class was still registered, so the close of the failure path
    // unregisters it without a word.
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{question, "Program Will Now Close.", "Initialization Failed!"}));
    EXPECT_EQ(boxes.boxes[2].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[2].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(platform_class_registered());
}

TEST(GlWindow, StartUpAfterAWindowFailureShowsThreeMessages)
{
    BoxRecorder boxes(IDYES);
    platform_inject_failure(PlatformStep::create_context);
    EXPECT_EQ(win_main(), 0);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{question, "Can't Create A GL Rendering Context.",
                                                       "Could Not Unregister Class.", "Initialization Failed!"}));
}

TEST(GlWindow, ScreenSaverIsHeldOffWhileTheWindowExists)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    close_window();
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST(GlWindow, ViewportForAZeroHeightUsesOne)
{
    BoxRecorder boxes(IDYES);
    ASSERT_TRUE(open_window("eLka", 320, 240, 16, false));
    resize_viewport(0, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 1);
    resize_viewport(640, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 640.0, 1e-4); // aspect 640 / 1
    close_window();
}

// SDL picks a window's pixel format when it makes the window; the request
// comes later, at the pixel-format step, and must still decide it.
TEST(GlWindow, PixelFormatStepDecidesTheContextsBuffers)
{
    PixelFormatRequest request;
    request.size = 40;
    request.version = 1;
    request.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.pixel_type = PFD_TYPE_RGBA;
    request.color_bits = 16;
    request.depth_bits = 16;
    request.stencil_bits = 8; // SDL's own default is none
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(platform_register_class());
        WindowHandle window = platform_create_window("eLka", 0, 0, 64, 64, false);
        ASSERT_NE(window, nullptr);
        DeviceContext dc = platform_get_dc(window);
        ASSERT_NE(dc, nullptr);
        int format = platform_choose_pixel_format(dc, &request);
        ASSERT_NE(format, 0);
        ASSERT_TRUE(platform_set_pixel_format(dc, format, &request));
        GlContext context = platform_create_context(dc);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(platform_make_current(dc, context));
        GLint stencil = 0;
        glGetIntegerv(GL_STENCIL_BITS, &stencil);
        EXPECT_GE(stencil, 8) << "round " << round;
        EXPECT_STREQ(platform_window_title(window), "eLka");
        EXPECT_TRUE(platform_make_current(nullptr, nullptr));
        EXPECT_TRUE(platform_delete_context(context));
        EXPECT_TRUE(platform_release_dc(window, dc));
        EXPECT_TRUE(platform_destroy_window(window));
        EXPECT_TRUE(platform_unregister_class());
    }
}
