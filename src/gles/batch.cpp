// The batch: triangles queued in eye space with the state they are drawn
// with, drawn in one glDrawArrays when that state changes or the frame is
// read or shown, by GLSL ES 3.00 programs that do what GL 1.1's fixed
// function does for the system: clamped colours, GL_MODULATE with the bound
// texture, linear fog per fragment on the eye-space distance |z|, and the
// coverage of smooth lines.
#include "gles/gles_internal.h"
#include "gles/gles_layer.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace {

const char* const vertex_source = R"(
uniform mat4 projection;
layout(location = 0) in vec4 eye;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 tex;
layout(location = 3) in vec4 ends;
layout(location = 4) in vec2 line;
out vec4 v_colour;
out vec2 v_tex;
out float v_fog;
#ifdef LINES
flat out vec4 v_ends;
flat out vec2 v_line;
#endif
void main()
{
    gl_Position = projection * eye;
    v_colour = colour;
    v_tex = tex;
    v_fog = abs(eye.z);
#ifdef LINES
    v_ends = ends;
    v_line = line;
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

std::vector<BatchVertex> batch;
DrawState batch_state;

// One linked program of each variant, made the first time a batch needs it.
struct Program {
    GLuint name = 0;
    GLint projection = -1, fog_range = -1, fog_colour = -1, picture = -1;
};

enum { variant_textured = 1, variant_fogged = 2, variant_lines = 4, variant_count = 8 };

Program programs[variant_count];
GLuint vertex_array = 0;
GLuint vertex_buffer = 0;

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
    Program& p = programs[variant];
    if (p.name != 0)
        return p;
    std::string defines;
    if (variant & variant_textured)
        defines += "#define TEXTURED\n";
    if (variant & variant_fogged)
        defines += "#define FOGGED\n";
    if (variant & variant_lines)
        defines += "#define LINES\n";
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
    return p;
}

// The programs and the buffer belong to the context's share group, the
// vertex array to the context alone: the platform says when a context is
// deleted (gles_context_deleted), and what went with it is made again in
// the next. Which window system made the context (EGL, or GLX for ES on
// X11) is the platform's business, not the layer's.
bool make_objects()
{
    if (vertex_array != 0)
        return true;
    if (vertex_buffer == 0)
        glGenBuffers(1, &vertex_buffer);
    glGenVertexArrays(1, &vertex_array);
    if (vertex_array == 0 || vertex_buffer == 0)
        return false; // nothing is made without a current context
    glBindVertexArray(vertex_array);
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    const GLsizei stride = sizeof(BatchVertex);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, eye)));
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, colour)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, tex)));
    glVertexAttribPointer(3, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, ends)));
    glVertexAttribPointer(4, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(BatchVertex, line)));
    for (GLuint i = 0; i < 5; ++i)
        glEnableVertexAttribArray(i);
    glBindVertexArray(0);
    return true;
}

void apply(const DrawState& s)
{
    const int variant = (s.textured ? variant_textured : 0) | (s.fog ? variant_fogged : 0) |
                        (s.lines ? variant_lines : 0);
    const Program& p = program_for(variant);
    glUseProgram(p.name);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, layer.projection.back().m);
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

} // namespace

void batch_triangles(const BatchVertex* vertices, std::size_t count, bool lines)
{
    DrawState s = current_draw_state();
    s.lines = lines;
    if (!batch.empty() && !(s == batch_state))
        gles_flush_batch();
    batch_state = s;
    batch.insert(batch.end(), vertices, vertices + count);
}

void gles_flush_batch()
{
    if (batch.empty())
        return;
    if (!make_objects()) {
        batch.clear();
        return;
    }
    apply(batch_state);
    glBindVertexArray(vertex_array);
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batch.size() * sizeof(BatchVertex)), batch.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch.size()));
    glBindVertexArray(0);
    bind_tracked_texture();
    batch.clear();
}

void gles_flush() { gles_flush_batch(); }

void forget_batch_objects(bool share_group_lives)
{
    batch.clear();
    vertex_array = 0;
    if (share_group_lives)
        return;
    vertex_buffer = 0;
    for (Program& p : programs)
        p = Program{};
}
