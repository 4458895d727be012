// The high-resolution counter: SDL's.
#include "platform/backend.h"

#include <SDL.h>

bool backend_query_frequency(std::int64_t* frequency)
{
    Uint64 f = SDL_GetPerformanceFrequency();
    if (f == 0)
        return false;
    *frequency = static_cast<std::int64_t>(f);
    return true;
}

std::int64_t backend_query_counter() { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }
