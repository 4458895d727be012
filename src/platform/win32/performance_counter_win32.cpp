// The high-resolution counter: Windows' performance counter.
#include "platform/win32/win32.h"

#include "platform/backend.h"

bool backend_query_frequency(std::int64_t* frequency)
{
    LARGE_INTEGER f{};
    if (!QueryPerformanceFrequency(&f) || f.QuadPart == 0)
        return false;
    *frequency = f.QuadPart;
    return true;
}

std::int64_t backend_query_counter()
{
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}
