// Carrying the GL resources and state across the F1 toggle.
#include "app/display_toggle.h"

#include "app/init_gl.h"
#include "platform/window_system.h"
#include "resources/gl_state.h"
#include "resources/textures.h"

#include <GL/gl.h>

CarriedGlState capture_carried_gl_state()
{
    CarriedGlState s;
    if (!platform_context_current())
        return s;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clear_color);
    glGetFloatv(GL_CURRENT_COLOR, s.current_color);
    s.blend = glIsEnabled(GL_BLEND);
    s.depth_test = glIsEnabled(GL_DEPTH_TEST);
    s.texture_2d = glIsEnabled(GL_TEXTURE_2D);
    s.fog = glIsEnabled(GL_FOG);
    s.line_smooth = glIsEnabled(GL_LINE_SMOOTH);
    glGetIntegerv(GL_BLEND_SRC, &s.blend_src);
    glGetIntegerv(GL_BLEND_DST, &s.blend_dst);
    glGetIntegerv(GL_DEPTH_FUNC, &s.depth_func);
    glGetFloatv(GL_LINE_WIDTH, &s.line_width);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (int slot = 0; slot < texture_slots; ++slot)
        if (bound != 0 && static_cast<GLuint>(bound) == resources.texture_ids[slot])
            s.bound_texture_slot = slot;
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_MODELVIEW);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    glMatrixMode(static_cast<GLenum>(mode));
    s.valid = true;
    return s;
}

namespace {
void set_enabled(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}
} // namespace

void restore_gl_after_toggle(const CarriedGlState& carried)
{
    // The textures and lists live on beside the new context, so nothing is
    // read from the disk again. Where the driver could not keep them they
    // are made again: a picture that can no longer be read then leaves its
    // scenes untextured, and the demo goes on rather than ending mid-way.
    if (!platform_gl_objects_kept())
        create_gl_resources();
    apply_carried_gl_state(carried);
}

void apply_carried_gl_state(const CarriedGlState& carried)
{
    set_baseline_gl_state();
    if (!carried.valid)
        return;
    glClearColor(carried.clear_color[0], carried.clear_color[1], carried.clear_color[2], carried.clear_color[3]);
    glColor4f(carried.current_color[0], carried.current_color[1], carried.current_color[2], carried.current_color[3]);
    set_enabled(GL_BLEND, carried.blend);
    set_enabled(GL_DEPTH_TEST, carried.depth_test);
    set_enabled(GL_TEXTURE_2D, carried.texture_2d);
    set_enabled(GL_FOG, carried.fog);
    set_enabled(GL_LINE_SMOOTH, carried.line_smooth);
    glBlendFunc(static_cast<GLenum>(carried.blend_src), static_cast<GLenum>(carried.blend_dst));
    glDepthFunc(static_cast<GLenum>(carried.depth_func));
    glLineWidth(carried.line_width);
    glBindTexture(GL_TEXTURE_2D, carried.bound_texture_slot >= 0 ? resources.texture_ids[carried.bound_texture_slot] : 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(carried.modelview);
}
