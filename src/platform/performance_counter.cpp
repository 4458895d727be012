// The high-resolution counter behind the frame timer: the backend's own,
// unless a test or the capture tool has installed a source (host.h).
#include "platform/performance_counter.h"

#include "platform/backend.h"
#include "platform/window_internal.h"

const CounterSource* counter_source = nullptr;

bool platform_query_frequency(std::int64_t* frequency)
{
    if (counter_source)
        return counter_source->query_frequency(frequency);
    return backend_counter(frequency, nullptr);
}

void platform_counter_place(double seconds, bool paused)
{
    CounterPlace& place = window_state.counter_place;
    place = CounterPlace{place.serial + 1, seconds, paused};
    if (!counter_source)
        backend_counter(nullptr, nullptr); // a counter that takes it up does so now: a pause reads no counter
}

std::int64_t platform_query_counter()
{
    if (counter_source)
        return counter_source->query_counter();
    std::int64_t count = 0;
    backend_counter(nullptr, &count);
    return count;
}
