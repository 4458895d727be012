// Which GL the context is made for: Mesa's OpenGL (the system's own GL 1.1)
// or, in the ES build, OpenGL ES 3.0 under the layer of src/gles, which
// batches what is drawn and must hand it over before a frame is shown or read.
#pragma once

// Asks the window system for the build's kind of context; false if it refuses.
bool gl_profile_request();
// Before a swap or a read-back: everything drawn so far reaches the driver.
void gl_profile_finish_drawing();
// Just before a context is deleted; whether a context that shares its
// objects lives on.
void gl_profile_context_deleted(bool share_group_lives);
// Whether the current context draws straight to the front buffer; where
// the window system cannot say, whether a single buffer was asked for.
bool gl_profile_single_buffered(bool asked_single);
// Returns once the driver has drawn everything drawn so far.
void gl_profile_wait_for_frame();

// Whether any GL context is current on this thread.
bool gl_profile_context_live();

// A GL entry point beyond GL 1.1 (framebuffer and buffer objects), looked up
// through the window system in whatever context is current; false when the driver has
// none of that name.
void* gl_profile_entry_point(const char* name);
template <typename T> bool gl_profile_look_up(T* function, const char* name)
{
    *function = reinterpret_cast<T>(gl_profile_entry_point(name));
    return *function != nullptr;
}
