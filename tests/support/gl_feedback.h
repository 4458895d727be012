// Reading back what GL would draw: runs a drawing call in GL_FEEDBACK render
// mode (GL_3D_COLOR) and parses the buffer into primitives with window
// coordinates and colours per vertex.
#pragma once

#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;    // window coordinates
    float r, g, b, a; // the vertex colour, as clamped by GL
};

enum class FeedbackKind { point, line, line_reset, polygon, bitmap, pixel };

struct FeedbackPrimitive {
    FeedbackKind kind;
    std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode with a buffer of `capacity` floats and returns
// the primitives in the order GL produced them; `overflow` is set when the
// buffer was too small.
std::vector<FeedbackPrimitive> capture_feedback(const std::function<void()>& draw, int capacity = 1 << 20,
                                                bool* overflow = nullptr);

// Only the primitives of one kind (line and line_reset count as lines).
std::vector<FeedbackPrimitive> primitives_of(const std::vector<FeedbackPrimitive>& all, FeedbackKind kind);
