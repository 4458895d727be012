// The batch: triangles queued in eye space with the state they are drawn
// with, drawn in one glDrawArrays when that state changes or the frame is
// read or shown, by one GLSL ES 3.00 program that does what GL 1.1's fixed
// function does for the system: clamped colours, GL_MODULATE with the bound
// texture, linear fog per fragment on the eye-space distance |z|, and the
// coverage of smooth lines.
#include "gles/gles_internal.h"
#include "gles/gles_layer.h"

#include <EGL/egl.h>

#include <cstddef>
#include <cstdio>

namespace {

const char* const vertex_source = R"(#version 300 es
uniform mat4 projection;
layout(location = 0) in vec4 eye;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 tex;
layout(location = 3) in vec4 ends;
layout(location = 4) in vec2 line;
out vec4 v_colour;
out vec2 v_tex;
out float v_fog;
flat out vec4 v_ends;
flat out vec2 v_line;
void main()
{
    gl_Position = projection * eye;
    v_colour = colour;
    v_tex = tex;
    v_fog = abs(eye.z);
    v_ends = ends;
    v_line = line;
}
)";

const char* const fragment_source = R"(#version 300 es
precision highp float;
uniform sampler2D picture;
uniform bool textured;
uniform bool fogged;
uniform vec2 fog_range;
uniform vec3 fog_colour;
in vec4 v_colour;
in vec2 v_tex;
in float v_fog;
flat in vec4 v_ends;
flat in vec2 v_line;
out vec4 colour;
void main()
{
    vec4 c = v_colour;
    if (textured)
        c *= texture(picture, v_tex);
    if (fogged) {
        float f = clamp((fog_range.y - v_fog) / (fog_range.y - fog_range.x), 0.0, 1.0);
        c.rgb = mix(fog_colour, c.rgb, f);
    }
    if (v_line.y > 0.5) {
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
    }
    colour = c;
}
)";

std::vector<BatchVertex> batch;
DrawState batch_state;

EGLContext objects_context = EGL_NO_CONTEXT;
GLuint program = 0;
GLuint vertex_array = 0;
GLuint vertex_buffer = 0;
GLint at_projection = -1, at_textured = -1, at_fogged = -1, at_fog_range = -1, at_fog_colour = -1, at_picture = -1;

GLuint compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
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

// The program and buffers belong to a context: a new context (the window
// made again) gets its own.
bool make_objects()
{
    EGLContext context = eglGetCurrentContext();
    if (context == EGL_NO_CONTEXT)
        return false;
    if (context == objects_context)
        return true;
    objects_context = context;
    GLuint vs = compile(GL_VERTEX_SHADER, vertex_source);
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragment_source);
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    at_projection = glGetUniformLocation(program, "projection");
    at_textured = glGetUniformLocation(program, "textured");
    at_fogged = glGetUniformLocation(program, "fogged");
    at_fog_range = glGetUniformLocation(program, "fog_range");
    at_fog_colour = glGetUniformLocation(program, "fog_colour");
    at_picture = glGetUniformLocation(program, "picture");

    glGenVertexArrays(1, &vertex_array);
    glBindVertexArray(vertex_array);
    glGenBuffers(1, &vertex_buffer);
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
    glUseProgram(program);
    glUniformMatrix4fv(at_projection, 1, GL_FALSE, layer.projection.back().m);
    glUniform1i(at_textured, s.textured ? 1 : 0);
    glUniform1i(at_fogged, s.fog ? 1 : 0);
    glUniform2f(at_fog_range, s.fog_start, s.fog_end);
    glUniform3f(at_fog_colour, s.fog_colour[0], s.fog_colour[1], s.fog_colour[2]);
    glUniform1i(at_picture, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, s.texture);
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

void batch_triangles(const BatchVertex* vertices, std::size_t count)
{
    const DrawState s = current_draw_state();
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
