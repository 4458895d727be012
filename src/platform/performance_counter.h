// The high-resolution counter behind the frame timer. It reads SDL's
// performance counter unless a test or the capture tool installs a source of
// its own, which then drives time.
#pragma once

#include <cstdint>

struct CounterSource {
    bool (*query_frequency)(std::int64_t* frequency); // false: no counter
    std::int64_t (*query_counter)();
};

bool platform_query_frequency(std::int64_t* frequency);
std::int64_t platform_query_counter();

// nullptr restores the system counter.
void platform_set_counter_source(const CounterSource* source);
