// The SDL backend's state, in a unit of its own: the programs that take
// the font or sound units alone link it too.
#include "platform/sdl/sdl_backend.h"

// Made before anything runs and never destroyed: the music player's
// destructor reaches the sound device during the exit processing, which
// may come after this unit's destructors (the font list has one).
SdlBackendState& sdl_backend = *new SdlBackendState;
