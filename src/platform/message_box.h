// Modal message boxes. Where no box can be shown (no display server, SDL's
// offscreen driver) the box becomes one line "CAPTION: TEXT" on standard
// error and its first button is taken, so a headless run never waits.
#pragma once

// style: MB_OK or MB_YESNO with one MB_ICON* (messages.h). Returns IDOK,
// IDYES or IDNO.
int platform_message_box(const char* text, const char* caption, unsigned style);

