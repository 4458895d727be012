// Windows' own headers for the Win32 backend, included first in each of its
// files. The face names the messages, keys, box styles and pixel-format
// flags it shares with Win32 as constants of the same values (messages.h,
// window_system.h); Windows' macros of those names go, so that the face's
// constants are the ones seen here too.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Defined by the build for the layers that see GL alone; <windows.h>
// (and, for GLAPIENTRY, this header below)
// defines them again.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#undef GLAPIENTRY
#include <windows.h>

#undef WM_SIZE
#undef WM_ACTIVATE
#undef WM_CLOSE
#undef WM_QUIT
#undef WM_KEYDOWN
#undef WM_KEYUP
#undef WM_SYSKEYDOWN
#undef WM_SYSKEYUP
#undef WM_SYSCOMMAND
#undef WA_INACTIVE
#undef WA_ACTIVE
#undef SC_SCREENSAVE
#undef SC_MONITORPOWER
#undef VK_BACK
#undef VK_TAB
#undef VK_RETURN
#undef VK_SHIFT
#undef VK_CONTROL
#undef VK_MENU
#undef VK_PAUSE
#undef VK_ESCAPE
#undef VK_SPACE
#undef VK_PRIOR
#undef VK_NEXT
#undef VK_END
#undef VK_HOME
#undef VK_LEFT
#undef VK_UP
#undef VK_RIGHT
#undef VK_DOWN
#undef VK_INSERT
#undef VK_DELETE
#undef VK_F1
#undef VK_F10
#undef MB_OK
#undef MB_YESNO
#undef MB_ICONSTOP
#undef MB_ICONEXCLAMATION
#undef MB_ICONINFORMATION
#undef IDOK
#undef IDYES
#undef IDNO
#undef PFD_DOUBLEBUFFER
#undef PFD_DRAW_TO_WINDOW
#undef PFD_SUPPORT_OPENGL
#undef PFD_TYPE_RGBA
#undef PFD_MAIN_PLANE
#undef DISP_CHANGE_SUCCESSFUL
#undef DISP_CHANGE_BADMODE

#include "platform/messages.h"
#include "platform/window_system.h"

// Mesa's name for GL's calling convention, which the system's GLU callbacks use.
#define GLAPIENTRY APIENTRY
