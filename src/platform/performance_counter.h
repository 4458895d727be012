// The high-resolution counter behind the frame timer: the backend's (SDL's
// performance counter, Windows', the page's clock), unless a test or the
// capture tool has put a source of its own in its place (host.h).
#pragma once

#include <cstdint>

bool platform_query_frequency(std::int64_t* frequency); // false: no counter
std::int64_t platform_query_counter();
// The sequence stands at `seconds` from now on (a player's seek, its pause
// or its play on), paused or running. The system's counters run on
// whatever the sequence does; the page's follows its song as heard, which
// a seek moves and a pause stops, and takes this up at once.
void platform_counter_place(double seconds, bool paused);

// A counter that stands in for the backend's: tests and the capture tool
// drive time themselves (host.h).
struct CounterSource {
    bool (*query_frequency)(std::int64_t* frequency); // false: no counter
    std::int64_t (*query_counter)();
};
