// What the presenter takes from whoever makes the GL contexts: where GL's
// entry points beyond 1.1 are, and whether a context is current and alive.
// The platform hands its own over before it makes a window; the presenter
// sees nothing else of it.
#pragma once

struct PresentGl {
    void* (*entry_point)(const char* name) = nullptr;
    bool (*context_live)() = nullptr;
};
void present_use_gl(const PresentGl& gl);
