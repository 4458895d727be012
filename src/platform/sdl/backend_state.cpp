// The SDL backend's state, in a unit of its own: the programs that take
// the font or sound units alone link it too.
#include "platform/sdl/sdl_backend.h"

SdlBackendState sdl_backend;
