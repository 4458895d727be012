// Test support: message-box recording, a scripted counter, and a real GL
// context (SDL's offscreen driver, Mesa llvmpipe) opened through the
// system's own open_window.
#pragma once

#include "platform/messages.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style;
    int log_position; // platform_call_log_size() when the box came
};

// Records every message box from now on, with the place in the window
// system's call log where each came. Yes/No questions are answered with
// `question_answer`, every other box with IDOK.
class BoxRecorder {
public:
    explicit BoxRecorder(int question_answer = IDYES);
    ~BoxRecorder();
    std::vector<RecordedBox> boxes;
    int question_answer;
    std::vector<std::string> texts() const;
};

// A counter that stands where the test puts it.
namespace scripted_counter {
void install(std::int64_t frequency = 1000000, bool available = true);
void uninstall();
void set(std::int64_t value);
void advance(std::int64_t counts);
std::int64_t value();
int queries(); // counter reads so far
} // namespace scripted_counter

// Opens a windowed GL window of the given size with a current context
// (offscreen driver); message boxes are recorded, not shown. Closes it on
// destruction.
class GlTestWindow {
public:
    GlTestWindow(int width = 800, int height = 600);
    ~GlTestWindow();
    bool ok() const { return opened; }
    int width, height;
    BoxRecorder boxes;
    // RGBA of the back buffer (what was just drawn) at (x, y), y from the bottom.
    void pixel(int x, int y, unsigned char rgba[4]) const;

private:
    bool opened = false;
};

// Runs `command` through the shell; returns its exit status and fills
// out/err with what it wrote.
int run_command(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);

std::string source_dir();
std::string binary_dir();

// The frame timer on the scripted counter (1,000,000 counts a second):
// creates frame_timer if needed and starts it at counter 0.
void start_scripted_frame_timer();
// Advances the scripted counter by `seconds` and draws one frame with
// render_frame, so that frame's tick reports `seconds` as its delta.
void draw_frame_after(double seconds);

// GL state read back with glGet on the current context.
bool gl_enabled(GLenum cap);
GLint gl_int(GLenum name);
void gl_floats(GLenum name, float out[4]); // the first four values
