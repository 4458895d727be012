// Message boxes on SDL2; one line on standard error where none can be shown.
#include "platform/message_box.h"

#include "platform/messages.h"
#include "platform/sdl/sdl_window.h"
#include "platform/window_internal.h"

#include <SDL.h>

#include <cstdio>

namespace {

int first_button(unsigned style) { return (style & 0x0F) == MB_YESNO ? IDYES : IDOK; }

int print_instead(const char* text, const char* caption, unsigned style)
{
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    return first_button(style);
}
} // namespace

int platform_message_box(const char* text, const char* caption, unsigned style)
{
    int answer = 0;
    if (platform_seam && platform_seam->message_box && platform_seam->message_box(text, caption, style, &answer))
        return answer;
    if (platform_headless())
        return print_instead(text, caption, style);

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
    box.title = caption ? caption : "";
    box.message = text ? text : "";
    box.numbuttons = asks ? 2 : 1;
    box.buttons = asks ? yes_no : ok;
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        return print_instead(text, caption, style);
    if (pressed < 0) // closed without a button: the escape answer
        return asks ? IDNO : IDOK;
    return pressed;
}
