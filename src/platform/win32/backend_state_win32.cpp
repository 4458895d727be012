// The Win32 backend's state, in a unit of its own: the programs that take
// the font or sound units alone link it too.
#include "platform/win32/win32_backend.h"

// Made before anything runs and never destroyed: the music player's
// destructor reaches the sound device during the exit processing, which
// may come after this unit's destructors (the font list has one).
Win32BackendState& win32_backend = *new Win32BackendState;
