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
        platform_close_caption_font(caption);
        platform_close_caption_font(header);
    }
    // False, with *error saying why, when no installed face can be opened.
    bool open(int caption_pixels, int header_pixels, std::string* error)
    {
        caption = platform_open_caption_font(caption_pixels, error);
        header = caption ? platform_open_caption_font(header_pixels, error) : nullptr;
        return header != nullptr;
    }
};
