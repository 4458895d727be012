// Caption text for the pictures the tools write (the capture's contact
// sheet): an installed monospaced face, as fontconfig picks it for
// "monospace", drawn antialiased by FreeType into RGB pixels. Only faces
// installed on the system are taken, never a font file the process added
// for itself (the demo's own font is the demo's, not the captions').
#pragma once

#include <cstdint>
#include <string>

struct CaptionFont;

// An RGB picture, three bytes a pixel, top row first.
struct CaptionCanvas {
    std::uint8_t* pixels;
    int width;
    int height;
};

// The installed monospaced face at `pixel_size` pixels to the em. Null,
// with *error saying why, when no installed face can be opened.
CaptionFont* caption_font_open(int pixel_size, std::string* error);
void caption_font_close(CaptionFont* font);

// The width of `text` in pixels: the sum of its characters' advances, each
// a whole number of pixels (so a monospaced face keeps a fixed pitch).
int caption_text_width(CaptionFont* font, const std::string& text);

// Draws `text` (UTF-8) with its line's top-left corner at (x, top), the
// baseline the face's ascent below `top` (so capitals and brackets stay
// below the line's top), blending `colour` over the canvas by each pixel's
// coverage; clipped to the canvas. A character the face lacks is drawn as
// the face's missing glyph.
void caption_draw(CaptionFont* font, CaptionCanvas canvas, int x, int top, const std::string& text,
                           const std::uint8_t colour[3]);

// The caption face that was opened: its family name and its file, and the
// pixels from the top of a line of text to its baseline (the face's ascent).
std::string caption_font_family(const CaptionFont* font);
std::string caption_font_file(const CaptionFont* font);
int caption_ascent(const CaptionFont* font);
