// The frame timer: counter frequency at construction, counter at start and
// at every tick; the frame delta is what the scenes advance by.
#include "shared/frame_timer.h"

#include "platform/performance_counter.h"

FrameTimer::FrameTimer() : start_count(0), frequency(0), total_seconds(0.0f), delta_seconds(0.0f)
{
    if (!platform_query_frequency(&frequency) || frequency <= 0)
        frequency = 1000; // no high-resolution counter
}

void FrameTimer::start()
{
    start_count = platform_query_counter();
    total_seconds = 0.0f;
    delta_seconds = 0.0f;
}

double FrameTimer::elapsed_seconds()
{
    std::int64_t difference = platform_query_counter() - start_count;
    return static_cast<double>(difference) / static_cast<double>(frequency);
}

void FrameTimer::tick()
{
    double e = elapsed_seconds();
    double d = e - static_cast<double>(total_seconds);
    delta_seconds = static_cast<float>(d);
    double t = d + static_cast<double>(total_seconds);
    total_seconds = static_cast<float>(t);
}
