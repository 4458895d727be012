// The high-resolution counter: SDL's.
#include "platform/backend.h"

#include <SDL.h>

bool backend_counter(std::int64_t* frequency, std::int64_t* count)
{
    const Uint64 f = SDL_GetPerformanceFrequency();
    if (f == 0)
        return false;
    if (frequency)
        *frequency = static_cast<std::int64_t>(f);
    if (count)
        *count = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    return true;
}
