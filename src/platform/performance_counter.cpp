// The high-resolution counter: SDL's, unless a source is installed.
#include "platform/performance_counter.h"

#include <SDL.h>

namespace {
const CounterSource* installed = nullptr;
}

void platform_set_counter_source(const CounterSource* source) { installed = source; }

bool platform_query_frequency(std::int64_t* frequency)
{
    if (installed)
        return installed->query_frequency(frequency);
    Uint64 f = SDL_GetPerformanceFrequency();
    if (f == 0)
        return false;
    *frequency = static_cast<std::int64_t>(f);
    return true;
}

std::int64_t platform_query_counter()
{
    if (installed)
        return installed->query_counter();
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}
