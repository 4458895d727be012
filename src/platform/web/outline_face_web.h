// The page's fonts and matched faces, for the backend's font files only.
#pragma once

#include <memory>
#include <string>

// A font parsed on the page, released there when the last face of it and
// the list of added files let go of it.
struct PageFont {
    int id;
    std::string file;
    std::string family, typographic_family, full_name;
    int weight = 400;
    int units = 0;
    bool symbol = false;
    ~PageFont();
};

struct BackendFace {
    std::shared_ptr<PageFont> font;
};
