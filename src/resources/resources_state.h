// The names of what start-up makes in the GL context, and what the display
// lists and the font measured while being made (and the font's tessellation
// in progress), in one place, so that a new run is one assignment of
// ResourcesState{}. The GL objects themselves live in the context; these
// are only their numbers.
#pragma once

#include <GL/gl.h>

#include <array>
#include <deque>

struct GlyphMetricsFloat {
    float black_box_x;
    float black_box_y;
    float glyph_origin_x;
    float glyph_origin_y;
    float cell_inc_x;
    float cell_inc_y;
};

// The slots of texture_ids: the three pictures. Five names are made;
// slots 3 and 4 are never used.
constexpr int texture_slots = 5;
constexpr int tunnel_wall_slot = 0;   // files/tunnel.bmp
constexpr int star_sprite_slot = 1;   // files/star.bmp
constexpr int start_picture_slot = 2; // files/load.bmp

struct ResourcesState {
    GLuint texture_ids[texture_slots] = {};
    GLuint hexagon_list = 0;
    GLuint arc_list = 0;
    // The drawn picture's height against the design's 600 lines: what GL
    // sizes in pixels (line widths) is scaled by it, so that a frame drawn
    // larger and averaged down shows the design's weights. Set with the
    // viewport; exactly 1 at 600 lines.
    float line_scale = 1.0f;
    float arc_line_scale = 1.0f; // the line scale the arc's list was recorded at
    float arc_last_alpha = 0.0f; // the colour's alpha the arc's list leaves current
    // Nothing drawn is seen (the player steps the scenes with the rasterizer
    // off): a list may then be skipped for the state it leaves set.
    bool drawing_unseen = false;
    float hex_half_width = 0.0f;
    int arc_segments = 100;
    GLuint font_list_base = 0;
    GlyphMetricsFloat glyph_metrics[256] = {};
    // Vertices the tessellator makes where contours cross, while a glyph is
    // tessellated; they must live until the polygon is done (a deque keeps
    // them in place as it grows).
    std::deque<std::array<GLdouble, 3>>* combined_vertices = nullptr;
};

extern ResourcesState resources;
