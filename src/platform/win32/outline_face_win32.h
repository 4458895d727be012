// Windows' matched face, for the backend's font files only.
#pragma once

#include "platform/win32/win32.h"

#include <string>

struct BackendFace {
    HDC dc = nullptr;     // a memory DC holding `font`
    HFONT font = nullptr; // one em tall: GDI's pixels are design units
    HGDIOBJ previous = nullptr;
    int units = 0; // design units to the em
};
