// The high-resolution counter: SDL's, unless a source is installed.
#include "platform/performance_counter.h"

#include "platform/window_internal.h"

#include <SDL.h>

const CounterSource* counter_source = nullptr;

bool platform_query_frequency(std::int64_t* frequency)
{
    if (counter_source)
        return counter_source->query_frequency(frequency);
    Uint64 f = SDL_GetPerformanceFrequency();
    if (f == 0)
        return false;
    *frequency = static_cast<std::int64_t>(f);
    return true;
}

std::int64_t platform_query_counter()
{
    if (counter_source)
        return counter_source->query_counter();
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}
