// The sequence on a fixed clock in a real Win32 window: the demo's window
// at 800 x 600, its frames timed by a counter that moves one frame a step
// (the capture tool's, platform/fixed_step_counter.h), and the frames drawn
// at the asked times written as 24-bit BMP pictures. For holding the
// Windows build's frames against the Linux capture's stills.
// usage: elka-frames.exe FPS SECONDS=FILE.bmp...
#include "app/gl_window.h"
#include "app/init_gl.h"
#include "platform/fixed_step_counter.h"
#include "platform/window_internal.h"
#include "program_line.h"
#include "shared/frame_timer.h"
#include "shared/shared_state.h"
#include "timeline/timeline.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

FixedStepCounter counter;

struct Wanted {
    long frame;
    std::string path;
};

// The frame drawn at `seconds`, as the capture tool counts them.
long frame_at(double seconds, int fps) { return static_cast<long>(std::floor(seconds * fps + 1e-9)); }

void put32(std::vector<unsigned char>& out, std::size_t at, unsigned value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The frame in the bound framebuffer, bottom row first as BMP keeps rows.
bool write_bmp(const std::string& path, int width, int height)
{
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<unsigned char> out(54 + row * height, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, out.data() + 54);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<unsigned>(out.size()));
    put32(out, 10, 54);
    put32(out, 14, 40);
    put32(out, 18, static_cast<unsigned>(width));
    put32(out, 22, static_cast<unsigned>(height));
    out[26] = 1;
    out[28] = 24;
    put32(out, 34, static_cast<unsigned>(row * height));
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    const ProgramLine line = {"elka-frames",
                              "Usage: elka-frames FPS SECONDS=FILE.bmp...\n"
                              "Plays the eLka demo in an 800 x 600 window on a clock that moves one frame\n"
                              "of FPS a step, and writes the frame drawn at each SECONDS to its FILE as a\n"
                              "24-bit BMP picture.\n"
                              "\n"
                              "      --help     show this help and exit\n"
                              "      --version  show the version and exit\n",
                              nullptr, 0, 2, -1, "FPS SECONDS=FILE.bmp"};
    if (int status = answer_program_line(argc, argv, line); status >= 0)
        return status;
    const int fps = std::atoi(argv[1]);
    std::vector<Wanted> wanted;
    long last = -1;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t eq = arg.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == arg.size()) {
            return program_usage_error("elka-frames", std::string("expected SECONDS=FILE, got '") + argv[i] + "'");
        }
        wanted.push_back({frame_at(std::atof(arg.substr(0, eq).c_str()), fps), arg.substr(eq + 1)});
        last = std::max(last, wanted.back().frame);
    }
    if (fps < 1 || fps > 1000)
        return program_usage_error("elka-frames", std::string("FPS: expected 1 to 1000, got '") + argv[1] + "'");
    app.fullscreen = false;
    if (!open_window("eLka", 800, 600, 16, false) || !init_gl()) {
        std::fprintf(stderr, "the demo did not start\n");
        return 1;
    }
    counter = fixed_step_counter(fps);
    counter_source = &fixed_step_source<counter>;
    shared.frame_timer = new FrameTimer();
    shared.frame_timer->start();
    int written = 0;
    for (long n = 0; n <= last && !shared.quit_requested; ++n) {
        Message message;
        while (platform_peek_message(&message) && message.message != WM_QUIT)
            window_proc(app.main_window, message.message, message.wparam, message.lparam);
        fixed_step_advance(counter);
        render_frame();
        for (const Wanted& w : wanted) {
            if (w.frame != n)
                continue;
            if (!write_bmp(w.path, 800, 600)) {
                std::fprintf(stderr, "cannot write %s\n", w.path.c_str());
                return 1;
            }
            ++written;
        }
        platform_swap_buffers(app.window_dc);
    }
    close_window();
    std::printf("%d frames written\n", written);
    return written == static_cast<int>(wanted.size()) ? 0 : 1;
}
