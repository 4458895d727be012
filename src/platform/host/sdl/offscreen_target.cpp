// The capture tool's render target: the drawable the window's presenter
// shows, made in the system's GL context, and its read-back. Buffer objects
// are not GL 1.1, so their entry points are looked up through SDL like any
// other extension. In the ES build they are OpenGL ES 3.0's own.
#include "platform/offscreen_target.h"

#include "present/drawable.h"
#include "present/presenter.h"
#include "platform/backend.h"
#include "platform/host/host_state.h"

#include <SDL.h>

#ifdef ELKA_GLES
#include <GLES3/gl3.h>
#else
#include <GL/gl.h>
#include <GL/glext.h>
#endif

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// RGBA rows, bottom row first, to RGB rows, top row first, the target's
// picture centred in the output and the bars around it black.
void convert_rows(const std::uint8_t* rgba, std::uint8_t* rgb)
{
    const std::size_t w = static_cast<std::size_t>(host.target_width);
    const std::size_t out_w = static_cast<std::size_t>(host.output_width);
    const int left = (host.output_width - host.target_width) / 2;
    const int top = (host.output_height - host.target_height) / 2;
    if (host.output_width != host.target_width || host.output_height != host.target_height)
        std::memset(rgb, 0, out_w * static_cast<std::size_t>(host.output_height) * 3);
    for (int row = 0; row < host.target_height; ++row) {
        const std::uint8_t* from = rgba + static_cast<std::size_t>(host.target_height - 1 - row) * w * 4;
        std::uint8_t* to = rgb + (static_cast<std::size_t>(row + top) * out_w + static_cast<std::size_t>(left)) * 3;
        for (std::size_t x = 0; x < w; ++x) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to += 3;
            from += 4;
        }
    }
}

void delete_pack_buffers()
{
    if (!host.pack_buffers.empty() && host.delete_buffers)
        host.delete_buffers(static_cast<GLsizei>(host.pack_buffers.size()), host.pack_buffers.data());
    host.pack_buffers.clear();
}

} // namespace

void platform_prefer_offscreen_video()
{
    if (!std::getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

bool offscreen_target_create(int width, int height, const char** error)
{
    *error = nullptr;
    if (!SDL_GL_GetCurrentContext()) {
        *error = "no GL context is current";
        return false;
    }
    // The window's pixel format asks for a 16-bit depth buffer; so does this.
    if (!drawable_create(&host.target, width, height, 16, error))
        return false;
    host.sinking = false; // drawable_create bound the target
    host.target_width = host.output_width = width;
    host.target_height = host.output_height = height;
    host.scratch.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    return true;
}

void offscreen_target_destroy()
{
    if (!SDL_GL_GetCurrentContext())
        return;
    delete_pack_buffers();
    if (host.sink.framebuffer)
        drawable_destroy(&host.sink);
    host.sinking = false;
    drawable_destroy(&host.target);
    host.target_width = host.target_height = host.output_width = host.output_height = 0;
}

void offscreen_target_place_in(int width, int height)
{
    host.output_width = width < host.target_width ? host.target_width : width;
    host.output_height = height < host.target_height ? host.target_height : height;
}

void offscreen_target_keep_pixels(bool keep)
{
    if (keep != host.sinking)
        return; // bound as asked: most frames change nothing
    const char* error = nullptr;
    host.sinking = !keep && presenter_sink_bind(&host.sink, &error);
    if (!host.sinking)
        drawable_bind(&host.target);
}

int offscreen_target_width() { return host.target_width; }
int offscreen_target_height() { return host.target_height; }

void offscreen_target_read_rgb(std::uint8_t* rgb)
{
    // RGBA is the driver's own layout (a plain copy); dropping alpha and
    // turning the rows over is cheaper done here in one pass.
    gl_profile_finish_drawing();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, host.target_width, host.target_height, GL_RGBA, GL_UNSIGNED_BYTE, host.scratch.data());
    convert_rows(host.scratch.data(), rgb);
}

bool offscreen_target_pbo_init(int slots)
{
    if (!host.target.framebuffer || slots < 1)
        return false;
    bool ok = gl_profile_look_up(&host.gen_buffers, "glGenBuffers");
    ok = gl_profile_look_up(&host.delete_buffers, "glDeleteBuffers") && ok;
    ok = gl_profile_look_up(&host.bind_buffer, "glBindBuffer") && ok;
    ok = gl_profile_look_up(&host.buffer_data, "glBufferData") && ok;
    ok = gl_profile_look_up(&host.map_buffer_range, "glMapBufferRange") && ok;
    ok = gl_profile_look_up(&host.unmap_buffer, "glUnmapBuffer") && ok;
    if (!ok)
        return false;
    // Only this set-up's errors count, not one an earlier call left.
    while (glGetError() != GL_NO_ERROR) {
    }
    delete_pack_buffers();
    host.pack_buffers.assign(static_cast<std::size_t>(slots), 0);
    host.gen_buffers(slots, host.pack_buffers.data());
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(host.target_width) * host.target_height * 4;
    for (GLuint buffer : host.pack_buffers) {
        host.bind_buffer(GL_PIXEL_PACK_BUFFER, buffer);
        host.buffer_data(GL_PIXEL_PACK_BUFFER, bytes, nullptr, GL_STREAM_READ);
    }
    host.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
    return glGetError() == GL_NO_ERROR;
}

void offscreen_target_read_begin(int slot)
{
    // The same read as offscreen_target_read_rgb, into a buffer object:
    // glReadPixels then only queues the copy.
    gl_profile_finish_drawing();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    host.bind_buffer(GL_PIXEL_PACK_BUFFER, host.pack_buffers[static_cast<std::size_t>(slot)]);
    glReadPixels(0, 0, host.target_width, host.target_height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    host.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
}

bool offscreen_target_read_end(int slot, std::uint8_t* rgb)
{
    host.bind_buffer(GL_PIXEL_PACK_BUFFER, host.pack_buffers[static_cast<std::size_t>(slot)]);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(host.target_width) * host.target_height * 4;
    const void* mapped = host.map_buffer_range(GL_PIXEL_PACK_BUFFER, 0, bytes, GL_MAP_READ_BIT);
    if (mapped) {
        convert_rows(static_cast<const std::uint8_t*>(mapped), rgb);
        host.unmap_buffer(GL_PIXEL_PACK_BUFFER);
    }
    host.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped != nullptr;
}

void offscreen_target_finish()
{
    gl_profile_finish_drawing();
    glFinish();
}

void offscreen_target_flush()
{
    gl_profile_finish_drawing();
    glFlush();
}

const char* offscreen_target_renderer()
{
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    host.renderer_name = std::string(renderer ? renderer : "?") + ", OpenGL " + (version ? version : "?");
    return host.renderer_name.c_str();
}
