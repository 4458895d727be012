// Test support implementation.
#include "harness/test_support.h"

#include "app/gl_window.h"
#include "platform/host.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

BoxRecorder::BoxRecorder(int answer) : question_answer(answer)
{
    platform_set_message_box_hook([this](const char* text, const char* caption, unsigned style) {
        boxes.push_back({text ? text : "", caption ? caption : "", style, platform_call_log_size()});
        return (style & 0x0F) == MB_YESNO ? question_answer : IDOK;
    });
}

BoxRecorder::~BoxRecorder() { platform_set_message_box_hook(nullptr); }

std::vector<std::string> BoxRecorder::texts() const
{
    std::vector<std::string> out;
    for (const RecordedBox& box : boxes)
        out.push_back(box.text);
    return out;
}

namespace scripted_counter {
namespace {
std::int64_t counter_value = 0;
std::int64_t counter_frequency = 1000000;
bool counter_available = true;
int counter_queries = 0;
bool query_frequency(std::int64_t* f)
{
    if (!counter_available)
        return false;
    *f = counter_frequency;
    return true;
}
std::int64_t query_counter()
{
    ++counter_queries;
    return counter_value;
}
const CounterSource source{query_frequency, query_counter};
} // namespace

void install(std::int64_t frequency, bool available)
{
    counter_frequency = frequency;
    counter_available = available;
    counter_value = 0;
    counter_queries = 0;
    platform_set_counter_source(&source);
}
void uninstall() { platform_set_counter_source(nullptr); }
void set(std::int64_t v) { counter_value = v; }
void advance(std::int64_t counts) { counter_value += counts; }
std::int64_t value() { return counter_value; }
int queries() { return counter_queries; }
} // namespace scripted_counter

GlTestWindow::GlTestWindow(int w, int h) : width(w), height(h)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    opened = open_window("eLka", w, h, 16, false);
}

GlTestWindow::~GlTestWindow()
{
    if (opened)
        close_window();
}

void GlTestWindow::pixel(int x, int y, unsigned char rgba[4]) const
{
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

int run_command(const std::string& command, std::string* out, std::string* err)
{
    char out_name[] = "/tmp/elka-test-outXXXXXX";
    char err_name[] = "/tmp/elka-test-errXXXXXX";
    int out_fd = mkstemp(out_name);
    int err_fd = mkstemp(err_name);
    if (out_fd >= 0)
        close(out_fd);
    if (err_fd >= 0)
        close(err_fd);
    std::string full = "(" + command + ") >" + out_name + " 2>" + err_name + " </dev/null";
    int status = std::system(full.c_str());
    auto slurp = [](const char* name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    if (out)
        *out = slurp(out_name);
    if (err)
        *err = slurp(err_name);
    std::remove(out_name);
    std::remove(err_name);
    if (status == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string source_dir() { return ELKA_SOURCE_DIR; }
std::string binary_dir() { return ELKA_BINARY_DIR; }

#include "app/entry.h"
#include "timeline/timeline.h"

void start_scripted_frame_timer()
{
    scripted_counter::install(1000000);
    if (!shared.frame_timer)
        shared.frame_timer = new FrameTimer();
    shared.frame_timer->start();
}

void draw_frame_after(double seconds)
{
    scripted_counter::advance(static_cast<std::int64_t>(seconds * 1000000.0 + 0.5));
    render_frame();
}

bool gl_enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

GLint gl_int(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void gl_floats(GLenum name, float out[4])
{
    GLfloat values[16] = {};
    glGetFloatv(name, values);
    for (int i = 0; i < 4; ++i)
        out[i] = values[i];
}
