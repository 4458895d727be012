// The frame timer: counter frequency at construction, counter at start and
// at every tick; the frame delta is what the scenes advance by.
#include "shared/frame_timer.h"

#include "platform/performance_counter.h"

namespace {
// The fixed-rate counter's counts per frame.
constexpr std::int64_t fixed_counts_per_frame = 1000000;
} // namespace

FrameTimer::FrameTimer() : start_count(0), frequency(0), total_seconds(0.0f), delta_seconds(0.0f)
{
    if (!platform_query_frequency(&frequency) || frequency <= 0)
        frequency = 1000; // no high-resolution counter
    system_frequency = frequency;
}

void FrameTimer::start()
{
    start_count = platform_query_counter();
    total_seconds = 0.0f;
    delta_seconds = 0.0f;
}

double FrameTimer::elapsed_seconds()
{
    const std::int64_t now = fixed ? fixed_frames * fixed_counts_per_frame : platform_query_counter();
    std::int64_t difference = now - start_count;
    return static_cast<double>(difference) / static_cast<double>(frequency);
}

void FrameTimer::tick()
{
    if (fixed)
        ++fixed_frames;
    double e = elapsed_seconds();
    double d = e - static_cast<double>(total_seconds);
    delta_seconds = static_cast<float>(d);
    double t = d + static_cast<double>(total_seconds);
    total_seconds = static_cast<float>(t);
}

void FrameTimer::run_fixed(int fps, const FrameTimerPlace& place)
{
    fixed = true;
    frequency = static_cast<std::int64_t>(fps) * fixed_counts_per_frame;
    start_count = 0;
    fixed_frames = place.fixed_frames;
    total_seconds = place.total_seconds;
    delta_seconds = place.delta_seconds;
}

void FrameTimer::run_real_time()
{
    fixed = false;
    frequency = system_frequency;
    // The counter as it would stand had the clocks run in real time to here.
    start_count = platform_query_counter() -
                  static_cast<std::int64_t>(static_cast<double>(total_seconds) * static_cast<double>(frequency));
}
