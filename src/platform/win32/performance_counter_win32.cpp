// The high-resolution counter: Windows' performance counter.
#include "platform/win32/win32.h"

#include "platform/backend.h"

bool backend_counter(std::int64_t* frequency, std::int64_t* count)
{
    LARGE_INTEGER f{};
    if (!QueryPerformanceFrequency(&f) || f.QuadPart == 0)
        return false;
    if (frequency)
        *frequency = f.QuadPart;
    if (count) {
        LARGE_INTEGER c{};
        QueryPerformanceCounter(&c);
        *count = c.QuadPart;
    }
    return true;
}
