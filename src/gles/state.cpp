// The GL 1.1 state the subset keeps on the CPU: enables, blending, depth,
// fog, hints, clear values, pixel storage, and what glGet reads back of it.
// Only the values the system uses are accepted; any other one is reported.
#include "gles/gles_internal.h"
#include "gles/subset_api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

SubsetState subset;

void outside_subset(const char* call, unsigned value)
{
    if (subset.named_outside.insert({call, value}).second)
        std::fprintf(stderr, "elka gles: %s(0x%04X) is outside the GL subset this layer draws\n", call, value);
#ifndef NDEBUG
    std::abort();
#endif
}

namespace {

bool* enable_flag(GLenum cap)
{
    switch (cap) {
    case GL_BLEND: return &subset.blend;
    case GL_DEPTH_TEST: return &subset.depth_test;
    case GL_TEXTURE_2D: return &subset.texture_2d;
    case GL_FOG: return &subset.fog;
    case GL_LINE_SMOOTH: return &subset.line_smooth;
    case GL_RASTERIZER_DISCARD: return &subset.rasterizer_discard;
    default: return nullptr;
    }
}

bool blend_factor(GLenum f) { return f == GL_ONE || f == GL_ZERO || f == GL_SRC_ALPHA || f == GL_ONE_MINUS_SRC_ALPHA; }

bool depth_function(GLenum f) { return f == GL_ALWAYS || f == GL_LEQUAL || f == GL_LESS; }

} // namespace

void elka_gl_enable(GLenum cap)
{
    if (cap == GL_RASTERIZER_DISCARD)
        gles_flush_batch(); // what was drawn before is drawn
    if (bool* flag = enable_flag(cap))
        *flag = true;
    else
        outside_subset("glEnable", cap);
}

void elka_gl_disable(GLenum cap)
{
    if (cap == GL_RASTERIZER_DISCARD)
        gles_flush_batch(); // what was drawn while on is dropped
    if (bool* flag = enable_flag(cap))
        *flag = false;
    else
        outside_subset("glDisable", cap);
}

GLboolean elka_gl_is_enabled(GLenum cap)
{
    if (bool* flag = enable_flag(cap))
        return *flag ? GL_TRUE : GL_FALSE;
    outside_subset("glIsEnabled", cap);
    return GL_FALSE;
}

void elka_gl_blend_func(GLenum src, GLenum dst)
{
    if (!blend_factor(src) || !blend_factor(dst)) {
        outside_subset("glBlendFunc", blend_factor(src) ? dst : src);
        return;
    }
    subset.blend_src = src;
    subset.blend_dst = dst;
}

void elka_gl_depth_func(GLenum func)
{
    if (!depth_function(func)) {
        outside_subset("glDepthFunc", func);
        return;
    }
    subset.depth_func = func;
}

void elka_gl_shade_model(GLenum mode)
{
    // Smooth shading is what the program does; flat is not in the subset.
    if (mode != GL_SMOOTH)
        outside_subset("glShadeModel", mode);
}

void elka_gl_hint(GLenum target, GLenum mode)
{
    // The layer always does the nicest: per-fragment fog, perspective-correct
    // interpolation, smooth lines by coverage.
    if (target != GL_FOG_HINT && target != GL_PERSPECTIVE_CORRECTION_HINT && target != GL_LINE_SMOOTH_HINT)
        outside_subset("glHint", target);
    else if (mode != GL_NICEST)
        outside_subset("glHint", mode);
}

void elka_gl_line_width(GLfloat width)
{
    if (compiling_list()) {
        record_call(op_line_width, width);
        return;
    }
    if (width > 0.0f)
        subset.line_width = width;
}

void elka_gl_fogf(GLenum name, GLfloat value)
{
    switch (name) {
    case GL_FOG_START: subset.fog_start = value; break;
    case GL_FOG_END: subset.fog_end = value; break;
    case GL_FOG_DENSITY: subset.fog_density = value; break;
    default: outside_subset("glFogf", name);
    }
}

void elka_gl_fogi(GLenum name, GLint value)
{
    // Linear fog is the only mode the system uses.
    if (name != GL_FOG_MODE)
        outside_subset("glFogi", name);
    else if (value != GL_LINEAR)
        outside_subset("glFogi", static_cast<unsigned>(value));
}

void elka_gl_fogfv(GLenum name, const GLfloat* values)
{
    if (name != GL_FOG_COLOR) {
        outside_subset("glFogfv", name);
        return;
    }
    for (int i = 0; i < 4; ++i)
        subset.fog_colour[i] = values[i] < 0.0f ? 0.0f : values[i] > 1.0f ? 1.0f : values[i];
}

void elka_gl_clear(GLbitfield mask)
{
    if (mask & ~static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) {
        outside_subset("glClear", mask);
        return;
    }
    gles_flush_batch();
    if (!subset.rasterizer_discard)
        glClear(mask);
}

void elka_gl_clear_color(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    const float v[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i)
        subset.clear_colour[i] = v[i] < 0.0f ? 0.0f : v[i] > 1.0f ? 1.0f : v[i];
    glClearColor(subset.clear_colour[0], subset.clear_colour[1], subset.clear_colour[2], subset.clear_colour[3]);
}

void elka_gl_clear_depth(GLclampd depth) { glClearDepthf(static_cast<float>(depth)); }

void elka_gl_pixel_storei(GLenum name, GLint value)
{
    if (name != GL_UNPACK_ALIGNMENT) {
        outside_subset("glPixelStorei", name);
        return;
    }
    subset.unpack_alignment = value;
    glPixelStorei(GL_UNPACK_ALIGNMENT, value);
}

void elka_gl_get_integerv(GLenum name, GLint* values)
{
    switch (name) {
    case GL_BLEND_SRC: *values = static_cast<GLint>(subset.blend_src); break;
    case GL_BLEND_DST: *values = static_cast<GLint>(subset.blend_dst); break;
    case GL_DEPTH_FUNC: *values = static_cast<GLint>(subset.depth_func); break;
    case GL_TEXTURE_BINDING_2D: *values = static_cast<GLint>(subset.bound_texture); break;
    case GL_MATRIX_MODE: *values = static_cast<GLint>(subset.matrix_mode); break;
    case GL_UNPACK_ALIGNMENT: *values = subset.unpack_alignment; break;
    case GL_VIEWPORT: std::memcpy(values, subset.viewport, sizeof subset.viewport); break;
    default: outside_subset("glGetIntegerv", name);
    }
}

void elka_gl_get_floatv(GLenum name, GLfloat* values)
{
    switch (name) {
    case GL_COLOR_CLEAR_VALUE: std::memcpy(values, subset.clear_colour, sizeof subset.clear_colour); break;
    case GL_CURRENT_COLOR: std::memcpy(values, subset.colour, sizeof subset.colour); break;
    case GL_LINE_WIDTH: *values = subset.line_width; break;
    case GL_MODELVIEW_MATRIX: std::memcpy(values, subset.modelview.back().m, sizeof(Matrix)); break;
    default: outside_subset("glGetFloatv", name);
    }
}

void elka_gl_gen_textures(GLsizei n, GLuint* textures) { glGenTextures(n, textures); }

void elka_gl_bind_texture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D) {
        outside_subset("glBindTexture", target);
        return;
    }
    subset.bound_texture = texture;
}

void bind_tracked_texture() { glBindTexture(GL_TEXTURE_2D, subset.bound_texture); }

void elka_gl_tex_parameteri(GLenum target, GLenum name, GLint value)
{
    const bool filter = name == GL_TEXTURE_MAG_FILTER || name == GL_TEXTURE_MIN_FILTER;
    const bool known = value == GL_LINEAR || value == GL_LINEAR_MIPMAP_NEAREST || value == GL_LINEAR_MIPMAP_LINEAR;
    if (target != GL_TEXTURE_2D || !filter || !known) {
        outside_subset("glTexParameteri", target != GL_TEXTURE_2D ? target : !filter ? name : static_cast<GLenum>(value));
        return;
    }
    gles_flush_batch();
    bind_tracked_texture();
    glTexParameteri(target, name, value);
}

void gles_context_deleted(bool share_group_lives)
{
    forget_batch_objects(share_group_lives);
    if (!share_group_lives)
        forget_lists();
    // The GL 1.1 state starts afresh; what the layer keeps of its own
    // (the lists, the batch and its shared objects as forgotten above, a
    // primitive begun, the calls already named) outlives the context.
    SubsetState fresh;
    fresh.list_store = std::move(subset.list_store);
    fresh.compiling = subset.compiling;
    fresh.batch = std::move(subset.batch);
    fresh.immediate = std::move(subset.immediate);
    fresh.lists = std::move(subset.lists);
    fresh.named_outside = std::move(subset.named_outside);
    subset = std::move(fresh);
}

DrawState current_draw_state()
{
    DrawState s;
    s.textured = subset.texture_2d && subset.bound_texture != 0;
    s.texture = s.textured ? subset.bound_texture : 0;
    s.blend = subset.blend;
    if (s.blend) {
        s.blend_src = subset.blend_src;
        s.blend_dst = subset.blend_dst;
    }
    s.depth_test = subset.depth_test;
    s.depth_func = subset.depth_test ? subset.depth_func : GL_LESS;
    s.fog = subset.fog;
    if (s.fog) {
        s.fog_start = subset.fog_start;
        s.fog_end = subset.fog_end;
        for (int i = 0; i < 3; ++i)
            s.fog_colour[i] = subset.fog_colour[i];
    }
    return s;
}

bool DrawState::operator==(const DrawState& o) const
{
    return textured == o.textured && texture == o.texture && blend == o.blend && blend_src == o.blend_src &&
           blend_dst == o.blend_dst && depth_test == o.depth_test && depth_func == o.depth_func && fog == o.fog &&
           fog_start == o.fog_start && fog_end == o.fog_end && fog_colour[0] == o.fog_colour[0] &&
           fog_colour[1] == o.fog_colour[1] && fog_colour[2] == o.fog_colour[2] && lines == o.lines;
}
