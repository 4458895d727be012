// Message boxes on SDL2; where none can be shown (no display server, SDL's
// offscreen driver) the face writes the box's line instead.
#include "platform/messages.h"
#include "platform/sdl/sdl_window.h"
#include "platform/backend.h"

#include <SDL.h>

extern const BoxLine backend_box_line = BoxLine::instead;

int backend_message_box(const char* text, const char* caption, unsigned style)
{
    if (sdl_headless())
        return 0;
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    switch (style & 0xF0) {
    case MB_ICONSTOP: flags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
    }
    SDL_MessageBoxButtonData yes_no[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    SDL_MessageBoxButtonData ok[1] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
    };
    bool asks = (style & 0x0F) == MB_YESNO;
    SDL_MessageBoxData box{};
    box.flags = flags;
    // Owned by the demo's window while one exists, so the window manager
    // keeps the box in front of it, fullscreen or not.
    box.window = sdl_window(window_state.live_window);
    box.title = caption;
    box.message = text;
    box.numbuttons = asks ? 2 : 1;
    box.buttons = asks ? yes_no : ok;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        return 0;
    if (pressed < 0) // closed without a button: the escape answer
        return asks ? IDNO : IDOK;
    return pressed;
}
