// The Win32 backend's state, in a unit of its own: the programs that take
// the font or sound units alone link it too.
#include "platform/win32/win32_backend.h"

Win32BackendState win32_backend;
