// Parsing of GL_3D_COLOR feedback buffers.
#include "support/gl_feedback.h"

#include <GL/gl.h>

std::vector<FeedbackPrimitive> capture_feedback(const std::function<void()>& draw, int capacity, bool* overflow)
{
    std::vector<GLfloat> buffer(static_cast<std::size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    if (overflow)
        *overflow = used < 0;
    std::vector<FeedbackPrimitive> out;
    if (used <= 0)
        return out;
    // With GL_3D_COLOR in RGBA mode a vertex is x, y, z, r, g, b, a.
    auto vertex = [&](GLint& at) {
        FeedbackVertex v{buffer[at], buffer[at + 1], buffer[at + 2], buffer[at + 3],
                         buffer[at + 4], buffer[at + 5], buffer[at + 6]};
        at += 7;
        return v;
    };
    GLint at = 0;
    while (at < used) {
        const auto token = static_cast<GLint>(buffer[at++]);
        FeedbackPrimitive p{};
        switch (token) {
        case GL_POINT_TOKEN:
            p.kind = FeedbackKind::point;
            p.vertices.push_back(vertex(at));
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            p.kind = token == GL_LINE_TOKEN ? FeedbackKind::line : FeedbackKind::line_reset;
            p.vertices.push_back(vertex(at));
            p.vertices.push_back(vertex(at));
            break;
        case GL_POLYGON_TOKEN: {
            p.kind = FeedbackKind::polygon;
            const auto n = static_cast<GLint>(buffer[at++]);
            for (GLint i = 0; i < n; ++i)
                p.vertices.push_back(vertex(at));
            break;
        }
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            p.kind = token == GL_BITMAP_TOKEN ? FeedbackKind::bitmap : FeedbackKind::pixel;
            p.vertices.push_back(vertex(at));
            break;
        case GL_PASS_THROUGH_TOKEN:
            ++at;
            continue;
        default:
            return out; // not a token: stop rather than misread the rest
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<FeedbackPrimitive> primitives_of(const std::vector<FeedbackPrimitive>& all, FeedbackKind kind)
{
    std::vector<FeedbackPrimitive> out;
    for (const auto& p : all) {
        const bool line = p.kind == FeedbackKind::line || p.kind == FeedbackKind::line_reset;
        if (p.kind == kind || (kind == FeedbackKind::line && line))
            out.push_back(p);
    }
    return out;
}
