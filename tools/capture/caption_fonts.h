// The two sizes of the installed caption face the capture's pictures use
// (the contact sheet, the frame plot): one for labels, a larger one for
// the heading; both closed again whatever happens.
#pragma once

#include "caption_font.h"

#include <string>

struct CaptionFonts {
    CaptionFont* caption = nullptr;
    CaptionFont* header = nullptr;
    CaptionFonts() = default;
    CaptionFonts(const CaptionFonts&) = delete;
    CaptionFonts& operator=(const CaptionFonts&) = delete;
    ~CaptionFonts()
    {
        caption_font_close(caption);
        caption_font_close(header);
    }
    // False, with *error saying why, when no installed face can be opened.
    bool open(int caption_pixels, int header_pixels, std::string* error)
    {
        caption = caption_font_open(caption_pixels, error);
        header = caption ? caption_font_open(header_pixels, error) : nullptr;
        return header != nullptr;
    }
};
