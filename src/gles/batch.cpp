// The batch: what was drawn since the last draw, queued with the state it
// is drawn with and drawn in one draw when that state changes or the frame
// is read or shown. Filled primitives are queued in eye space as vertices
// and the indices of their triangles; lines as the quads that stand in for
// them; a display list's call as an instance of its vertices, which stay
// in a buffer of their own from the list's compiling on, with the call's
// model-view matrix and current attributes. GLSL ES 3.00 programs do what
// GL 1.1's fixed function does for the system: clamped colours,
// GL_MODULATE with the bound texture, linear fog per fragment on the
// eye-space distance |z|, and the coverage of smooth lines.
#include "gles/gles_internal.h"
#include "gles/gles_layer.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace {

// A list's vertices are taken to eye space here, by the call's matrix;
// the quads of its lines are made here too, in window space, as the
// layer makes those of other lines on the CPU (immediate.cpp): half a pixel
// past the line's ends and half width all round, nothing where an end is
// behind the eye.
const char* const vertex_source = R"(
uniform mat4 projection;
#ifdef LIST
uniform vec4 viewport;
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 vertex_colour;
layout(location = 2) in vec2 vertex_tex;
layout(location = 3) in vec3 other;
layout(location = 4) in vec4 corner;
layout(location = 5) in vec4 modelview0;
layout(location = 6) in vec4 modelview1;
layout(location = 7) in vec4 modelview2;
layout(location = 8) in vec4 modelview3;
layout(location = 9) in vec4 call_colour;
layout(location = 10) in vec4 call_tex_line;
#else
layout(location = 0) in vec4 eye;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 tex;
layout(location = 3) in vec4 ends;
layout(location = 4) in vec2 line;
#endif
out vec4 v_colour;
out vec2 v_tex;
out float v_fog;
#ifdef LINES
flat out vec4 v_ends;
flat out vec2 v_line;
#endif
#ifdef LIST
vec2 to_window(vec4 clip)
{
    return viewport.xy + (clip.xy / clip.w + 1.0) * 0.5 * viewport.zw;
}
#endif
void main()
{
#ifdef LIST
    mat4 modelview = mat4(modelview0, modelview1, modelview2, modelview3);
    vec4 eye = modelview * vec4(position, 1.0);
    v_colour = vertex_colour.r < 0.0 ? call_colour : vertex_colour;
    v_tex = corner.w > 0.5 ? call_tex_line.xy : vertex_tex;
#ifdef LINES
    vec4 clip = projection * eye;
    vec4 other_clip = projection * (modelview * vec4(other, 1.0));
    bool first = corner.x > 0.0;
    vec4 clip_a = first ? clip : other_clip;
    vec4 clip_b = first ? other_clip : clip;
    vec2 a = to_window(clip_a);
    vec2 d = to_window(clip_b) - a;
    float len = length(d);
    if (clip_a.w <= 1.0e-6 || clip_b.w <= 1.0e-6 || len < 1.0e-6 || viewport.z <= 0.0 || viewport.w <= 0.0) {
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0); // the whole quad outside the view: nothing drawn
    } else {
        vec2 u = d / len;
        float width = corner.z < 0.0 ? call_tex_line.z : corner.z;
        float half_width = clamp(width, 1.0, 255.0) * 0.5;
        vec2 offset = u * (first ? -0.5 : 0.5) + vec2(-u.y, u.x) * (corner.y * (half_width + 0.5));
        gl_Position = clip + vec4(offset * 2.0 / viewport.zw * clip.w, 0.0, 0.0);
        v_ends = vec4(a, a + d);
        v_line = vec2(half_width, call_tex_line.w);
    }
#else
    gl_Position = projection * eye;
#endif
    v_fog = abs(eye.z);
#else
    gl_Position = projection * eye;
    v_colour = colour;
    v_tex = tex;
    v_fog = abs(eye.z);
#ifdef LINES
    v_ends = ends;
    v_line = line;
#endif
#endif
}
)";

// The fragment program comes in variants, one for each combination of
// texture, fog and line coverage a batch needs, chosen by #define: on
// llvmpipe a branch on a uniform still runs both sides for every fragment,
// and a program that may discard loses the early depth test, so a program
// that does only what its batch needs is what keeps the fill rate of GL
// 1.1's own fixed function.
const char* const fragment_source = R"(
precision highp float;
uniform sampler2D picture;
uniform vec2 fog_range;
uniform vec3 fog_colour;
in vec4 v_colour;
in vec2 v_tex;
in float v_fog;
#ifdef LINES
flat in vec4 v_ends;
flat in vec2 v_line;
#endif
out vec4 colour;
void main()
{
    vec4 c = v_colour;
#ifdef TEXTURED
    c *= texture(picture, v_tex);
#endif
#ifdef FOGGED
    float f = clamp((fog_range.y - v_fog) / (fog_range.y - fog_range.x), 0.0, 1.0);
    c.rgb = mix(fog_colour, c.rgb, f);
#endif
#ifdef LINES
    vec2 a = v_ends.xy;
    vec2 d = v_ends.zw - a;
    float len = length(d);
    vec2 u = d / len;
    vec2 p = gl_FragCoord.xy - a;
    float along = dot(p, u);
    float across = abs(dot(p, vec2(-u.y, u.x)));
    float outside = max(-along, along - len);
    float cover;
    if (v_line.y < 1.5)
        cover = clamp(v_line.x + 0.5 - across, 0.0, 1.0) * clamp(0.5 - outside, 0.0, 1.0);
    else
        cover = (across <= max(v_line.x, 0.5) && outside <= 0.0) ? 1.0 : 0.0;
    if (cover <= 0.0)
        discard;
    c.a *= cover;
#endif
    colour = c;
}
)";

enum { variant_textured = 1, variant_fogged = 2, variant_lines = 4, variant_list = 8, variant_count = 16 };
static_assert(sizeof subset.batch.programs / sizeof subset.batch.programs[0] == variant_count);

using Program = BatchState::Program;
using Pending = BatchState::Pending;

GLuint compile(GLenum type, const char* defines, const char* source)
{
    GLuint shader = glCreateShader(type);
    const char* parts[3] = {"#version 300 es\n", defines, source};
    glShaderSource(shader, 3, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "elka gles: the layer's shader does not compile: %s\n", log);
    }
    return shader;
}

const Program& program_for(int variant)
{
    Program& p = subset.batch.programs[variant];
    if (p.name != 0)
        return p;
    std::string defines;
    if (variant & variant_textured)
        defines += "#define TEXTURED\n";
    if (variant & variant_fogged)
        defines += "#define FOGGED\n";
    if (variant & variant_lines)
        defines += "#define LINES\n";
    if (variant & variant_list)
        defines += "#define LIST\n";
    GLuint vs = compile(GL_VERTEX_SHADER, defines.c_str(), vertex_source);
    GLuint fs = compile(GL_FRAGMENT_SHADER, defines.c_str(), fragment_source);
    p.name = glCreateProgram();
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    p.projection = glGetUniformLocation(p.name, "projection");
    p.fog_range = glGetUniformLocation(p.name, "fog_range");
    p.fog_colour = glGetUniformLocation(p.name, "fog_colour");
    p.picture = glGetUniformLocation(p.name, "picture");
    p.viewport = glGetUniformLocation(p.name, "viewport");
    return p;
}

void attribute(GLuint index, GLint size, GLsizei stride, std::size_t offset, GLuint divisor = 0)
{
    glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
    glVertexAttribDivisor(index, divisor);
    glEnableVertexAttribArray(index);
}

// The programs and the buffers belong to the context's share group, the
// vertex arrays to the context alone: the platform says when a context is
// deleted (gles_context_deleted), and what went with it is made again in
// the next. Which window system made the context (EGL, or GLX for ES on
// X11) is the platform's business, not the layer's.
bool make_objects()
{
    if (subset.batch.fill_array != 0)
        return true;
    if (subset.batch.stream_buffer == 0) {
        GLuint names[4] = {0, 0, 0, 0};
        glGenBuffers(4, names);
        subset.batch.stream_buffer = names[0];
        subset.batch.index_buffer = names[1];
        subset.batch.instance_buffer = names[2];
        subset.batch.list_buffer = names[3];
        subset.batch.uploaded_generation = 0;
    }
    GLuint arrays[3] = {0, 0, 0};
    glGenVertexArrays(3, arrays);
    if (arrays[0] == 0 || subset.batch.stream_buffer == 0)
        return false; // nothing is made without a current context
    subset.batch.fill_array = arrays[0];
    subset.batch.line_array = arrays[1];
    subset.batch.list_array = arrays[2];

    glBindVertexArray(subset.batch.fill_array);
    glBindBuffer(GL_ARRAY_BUFFER, subset.batch.stream_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, subset.batch.index_buffer);
    attribute(0, 4, sizeof(FillVertex), offsetof(FillVertex, eye));
    attribute(1, 4, sizeof(FillVertex), offsetof(FillVertex, colour));
    attribute(2, 2, sizeof(FillVertex), offsetof(FillVertex, tex));

    glBindVertexArray(subset.batch.line_array);
    glBindBuffer(GL_ARRAY_BUFFER, subset.batch.stream_buffer);
    attribute(0, 4, sizeof(BatchVertex), offsetof(BatchVertex, eye));
    attribute(1, 4, sizeof(BatchVertex), offsetof(BatchVertex, colour));
    attribute(2, 2, sizeof(BatchVertex), offsetof(BatchVertex, tex));
    attribute(3, 4, sizeof(BatchVertex), offsetof(BatchVertex, ends));
    attribute(4, 2, sizeof(BatchVertex), offsetof(BatchVertex, line));

    glBindVertexArray(subset.batch.list_array);
    glBindBuffer(GL_ARRAY_BUFFER, subset.batch.list_buffer);
    attribute(0, 3, sizeof(ListVertex), offsetof(ListVertex, position));
    attribute(1, 4, sizeof(ListVertex), offsetof(ListVertex, colour));
    attribute(2, 2, sizeof(ListVertex), offsetof(ListVertex, tex));
    attribute(3, 3, sizeof(ListVertex), offsetof(ListVertex, other));
    attribute(4, 4, sizeof(ListVertex), offsetof(ListVertex, corner));
    glBindBuffer(GL_ARRAY_BUFFER, subset.batch.instance_buffer);
    for (GLuint column = 0; column < 4; ++column)
        attribute(5 + column, 4, sizeof(ListInstance), offsetof(ListInstance, modelview) + column * 4 * sizeof(float),
                  1);
    attribute(9, 4, sizeof(ListInstance), offsetof(ListInstance, colour), 1);
    attribute(10, 4, sizeof(ListInstance), offsetof(ListInstance, tex_line), 1);
    glBindVertexArray(0);
    return true;
}

void apply(const DrawState& s, bool list)
{
    const int variant = (s.textured ? variant_textured : 0) | (s.fog ? variant_fogged : 0) |
                        (s.lines ? variant_lines : 0) | (list ? variant_list : 0);
    const Program& p = program_for(variant);
    glUseProgram(p.name);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, subset.projection.back().m);
    if (list && s.lines)
        glUniform4f(p.viewport, static_cast<float>(subset.viewport[0]), static_cast<float>(subset.viewport[1]),
                    static_cast<float>(subset.viewport[2]), static_cast<float>(subset.viewport[3]));
    if (s.fog) {
        glUniform2f(p.fog_range, s.fog_start, s.fog_end);
        glUniform3f(p.fog_colour, s.fog_colour[0], s.fog_colour[1], s.fog_colour[2]);
    }
    if (s.textured) {
        glUniform1i(p.picture, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, s.texture);
    }
    if (s.blend) {
        glEnable(GL_BLEND);
        glBlendFunc(s.blend_src, s.blend_dst);
    } else {
        glDisable(GL_BLEND);
    }
    if (s.depth_test) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(s.depth_func);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void clear_batch()
{
    subset.fill_batch.vertices.clear();
    subset.fill_batch.indices.clear();
    subset.batch.line_batch.clear();
    subset.batch.instances.clear();
    subset.batch.pending = Pending::nothing;
}

// Starts a batch of `kind` drawn with `s`, drawing the one pending first
// where it is of another kind or state.
void start(Pending kind, const DrawState& s)
{
    if (subset.batch.pending != kind || !(s == subset.batch.state)) {
        gles_flush_batch();
        subset.batch.pending = kind;
        subset.batch.state = s;
    }
}

} // namespace

void begin_fill_primitive() { start(Pending::fill, current_draw_state()); }

void batch_line_quads(const BatchVertex* vertices, std::size_t count)
{
    DrawState s = current_draw_state();
    s.lines = true;
    start(Pending::lines, s);
    subset.batch.line_batch.insert(subset.batch.line_batch.end(), vertices, vertices + count);
}

void batch_list_piece(std::size_t first, std::size_t count, bool lines, const ListInstance& instance)
{
    DrawState s = current_draw_state();
    s.lines = lines;
    if (subset.batch.pending != Pending::list || first != subset.batch.list_first || count != subset.batch.list_count
        || !(s == subset.batch.state)) {
        gles_flush_batch();
        subset.batch.pending = Pending::list;
        subset.batch.state = s;
        subset.batch.list_first = first;
        subset.batch.list_count = count;
    }
    subset.batch.instances.push_back(instance);
}

void gles_flush_batch()
{
    if (subset.batch.pending == Pending::nothing)
        return;
    if (subset.rasterizer_discard || !make_objects()) {
        clear_batch();
        return;
    }
    switch (subset.batch.pending) {
    case Pending::nothing: break;
    case Pending::fill:
        if (subset.fill_batch.indices.empty())
            break;
        apply(subset.batch.state, false);
        glBindVertexArray(subset.batch.fill_array);
        glBindBuffer(GL_ARRAY_BUFFER, subset.batch.stream_buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(subset.fill_batch.vertices.size() * sizeof(FillVertex)),
                     subset.fill_batch.vertices.data(), GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(subset.fill_batch.indices.size() * sizeof(GLuint)),
                     subset.fill_batch.indices.data(), GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(subset.fill_batch.indices.size()), GL_UNSIGNED_INT, nullptr);
        break;
    case Pending::lines:
        apply(subset.batch.state, false);
        glBindVertexArray(subset.batch.line_array);
        glBindBuffer(GL_ARRAY_BUFFER, subset.batch.stream_buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(subset.batch.line_batch.size() * sizeof(BatchVertex)),
                     subset.batch.line_batch.data(), GL_STREAM_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(subset.batch.line_batch.size()));
        break;
    case Pending::list:
        if (subset.batch.list_count == 0)
            break;
        apply(subset.batch.state, true);
        glBindVertexArray(subset.batch.list_array);
        if (subset.batch.uploaded_generation != subset.list_store.generation) {
            glBindBuffer(GL_ARRAY_BUFFER, subset.batch.list_buffer);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(subset.list_store.vertices.size() * sizeof(ListVertex)),
                         subset.list_store.vertices.data(), GL_STATIC_DRAW);
            subset.batch.uploaded_generation = subset.list_store.generation;
        }
        glBindBuffer(GL_ARRAY_BUFFER, subset.batch.instance_buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(subset.batch.instances.size() * sizeof(ListInstance)),
                     subset.batch.instances.data(), GL_STREAM_DRAW);
        glDrawArraysInstanced(GL_TRIANGLES, static_cast<GLint>(subset.batch.list_first),
                              static_cast<GLsizei>(subset.batch.list_count),
                              static_cast<GLsizei>(subset.batch.instances.size()));
        break;
    }
    glBindVertexArray(0);
    bind_tracked_texture();
    clear_batch();
}

void gles_flush() { gles_flush_batch(); }

void forget_batch_objects(bool share_group_lives)
{
    clear_batch();
    subset.batch.fill_array = subset.batch.line_array = subset.batch.list_array = 0;
    if (share_group_lives)
        return;
    subset.batch.stream_buffer = subset.batch.index_buffer = 0;
    subset.batch.instance_buffer = subset.batch.list_buffer = 0;
    subset.batch.uploaded_generation = 0;
    for (Program& p : subset.batch.programs)
        p = Program{};
}
