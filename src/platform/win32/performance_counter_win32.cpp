// The high-resolution counter: Windows' performance counter, unless a
// source is installed.
#include "platform/win32/win32.h"

#include "platform/performance_counter.h"
#include "platform/window_internal.h"

const CounterSource* counter_source = nullptr;

bool platform_query_frequency(std::int64_t* frequency)
{
    if (counter_source)
        return counter_source->query_frequency(frequency);
    LARGE_INTEGER f{};
    if (!QueryPerformanceFrequency(&f) || f.QuadPart == 0)
        return false;
    *frequency = f.QuadPart;
    return true;
}

std::int64_t platform_query_counter()
{
    if (counter_source)
        return counter_source->query_counter();
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}
