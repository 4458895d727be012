// The recording OpenGL ES 3.0 (see recording_gles.h). Names come from one
// counter, as a fresh context hands them out; the bytes handed to buffers
// are counted, not kept, so the driver's copy costs nothing here.
#include "recording_gles.h"

#include <GLES3/gl3.h>

RecordedGles recorded;

namespace {

GLuint next_name = 1;

void fill_names(GLsizei n, GLuint* names, long* made)
{
    ++recorded.calls;
    for (GLsizei i = 0; i < n; ++i)
        names[i] = next_name++;
    *made += n;
}

void uniform()
{
    ++recorded.calls;
    ++recorded.uniform_sets;
}

} // namespace

void GL_APIENTRY glActiveTexture(GLenum) { ++recorded.calls; }
void GL_APIENTRY glAttachShader(GLuint, GLuint) { ++recorded.calls; }
void GL_APIENTRY glBindBuffer(GLenum, GLuint) { ++recorded.calls; }
void GL_APIENTRY glBindTexture(GLenum, GLuint) { ++recorded.calls; }
void GL_APIENTRY glBindVertexArray(GLuint) { ++recorded.calls; }
void GL_APIENTRY glBlendFunc(GLenum, GLenum) { ++recorded.calls; }
void GL_APIENTRY glBufferData(GLenum, GLsizeiptr size, const void*, GLenum)
{
    ++recorded.calls;
    recorded.bytes_uploaded += static_cast<long>(size);
}
void GL_APIENTRY glBufferSubData(GLenum, GLintptr, GLsizeiptr size, const void*)
{
    ++recorded.calls;
    recorded.bytes_uploaded += static_cast<long>(size);
}
void GL_APIENTRY glClear(GLbitfield) { ++recorded.calls; }
void GL_APIENTRY glClearColor(GLfloat, GLfloat, GLfloat, GLfloat) { ++recorded.calls; }
void GL_APIENTRY glClearDepthf(GLfloat) { ++recorded.calls; }
void GL_APIENTRY glCompileShader(GLuint) { ++recorded.calls; }
GLuint GL_APIENTRY glCreateProgram()
{
    ++recorded.calls;
    ++recorded.programs_made;
    return next_name++;
}
GLuint GL_APIENTRY glCreateShader(GLenum)
{
    ++recorded.calls;
    return next_name++;
}
void GL_APIENTRY glDeleteBuffers(GLsizei, const GLuint*) { ++recorded.calls; }
void GL_APIENTRY glDeleteShader(GLuint) { ++recorded.calls; }
void GL_APIENTRY glDeleteVertexArrays(GLsizei, const GLuint*) { ++recorded.calls; }
void GL_APIENTRY glDepthFunc(GLenum) { ++recorded.calls; }
void GL_APIENTRY glDisable(GLenum) { ++recorded.calls; }
void GL_APIENTRY glDisableVertexAttribArray(GLuint) { ++recorded.calls; }
void GL_APIENTRY glDrawArrays(GLenum, GLint, GLsizei count)
{
    ++recorded.calls;
    ++recorded.draws;
    recorded.vertices += count;
}
void GL_APIENTRY glDrawArraysInstanced(GLenum, GLint, GLsizei count, GLsizei instances)
{
    ++recorded.calls;
    ++recorded.draws;
    recorded.vertices += static_cast<long>(count) * instances;
}
void GL_APIENTRY glDrawElements(GLenum, GLsizei count, GLenum, const void*)
{
    ++recorded.calls;
    ++recorded.draws;
    recorded.vertices += count;
}
void GL_APIENTRY glEnable(GLenum) { ++recorded.calls; }
void GL_APIENTRY glEnableVertexAttribArray(GLuint) { ++recorded.calls; }
void GL_APIENTRY glGenBuffers(GLsizei n, GLuint* names) { fill_names(n, names, &recorded.buffers_made); }
void GL_APIENTRY glGenTextures(GLsizei n, GLuint* names) { fill_names(n, names, &recorded.textures_made); }
void GL_APIENTRY glGenVertexArrays(GLsizei n, GLuint* names) { fill_names(n, names, &recorded.vertex_arrays_made); }
void GL_APIENTRY glGetShaderInfoLog(GLuint, GLsizei size, GLsizei* length, GLchar* log)
{
    ++recorded.calls;
    if (length)
        *length = 0;
    if (size > 0)
        log[0] = '\0';
}
void GL_APIENTRY glGetShaderiv(GLuint, GLenum, GLint* value)
{
    ++recorded.calls;
    *value = GL_TRUE; // every status is good, every length 1
}
void GL_APIENTRY glGetProgramiv(GLuint, GLenum, GLint* value)
{
    ++recorded.calls;
    *value = GL_TRUE;
}
GLint GL_APIENTRY glGetUniformLocation(GLuint, const GLchar* name)
{
    ++recorded.calls;
    return static_cast<GLint>(name[0]); // one place per name, as a linker would hand out
}
GLint GL_APIENTRY glGetAttribLocation(GLuint, const GLchar* name)
{
    ++recorded.calls;
    return static_cast<GLint>(name[0]) % 16;
}
void GL_APIENTRY glLinkProgram(GLuint) { ++recorded.calls; }
void GL_APIENTRY glPixelStorei(GLenum, GLint) { ++recorded.calls; }
void GL_APIENTRY glShaderSource(GLuint, GLsizei, const GLchar* const*, const GLint*) { ++recorded.calls; }
void GL_APIENTRY glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)
{
    ++recorded.calls;
}
void GL_APIENTRY glTexParameteri(GLenum, GLenum, GLint) { ++recorded.calls; }
void GL_APIENTRY glUniform1i(GLint, GLint) { uniform(); }
void GL_APIENTRY glUniform2f(GLint, GLfloat, GLfloat) { uniform(); }
void GL_APIENTRY glUniform3f(GLint, GLfloat, GLfloat, GLfloat) { uniform(); }
void GL_APIENTRY glUniform4f(GLint, GLfloat, GLfloat, GLfloat, GLfloat) { uniform(); }
void GL_APIENTRY glUniform4fv(GLint, GLsizei, const GLfloat*) { uniform(); }
void GL_APIENTRY glUniformMatrix4fv(GLint, GLsizei, GLboolean, const GLfloat*) { uniform(); }
void GL_APIENTRY glUseProgram(GLuint) { ++recorded.calls; }
void GL_APIENTRY glVertexAttrib4f(GLuint, GLfloat, GLfloat, GLfloat, GLfloat) { ++recorded.calls; }
void GL_APIENTRY glVertexAttrib4fv(GLuint, const GLfloat*) { ++recorded.calls; }
void GL_APIENTRY glVertexAttribDivisor(GLuint, GLuint) { ++recorded.calls; }
void GL_APIENTRY glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*) { ++recorded.calls; }
void GL_APIENTRY glViewport(GLint, GLint, GLsizei, GLsizei) { ++recorded.calls; }
