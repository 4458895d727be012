// A counter that moves one frame at a time, for frames at a fixed rate
// whatever the machine's speed: fps x 1,000,000 counts a second, standing at
// 0 when the timer starts, advanced by 1,000,000 before each frame. The
// capture tool's and the page's fixed-rate mode's, so that both draw the
// same frames.
#pragma once

#include "platform/performance_counter.h"

#include <cstdint>

struct FixedStepCounter {
    std::int64_t frequency = 60000000;
    std::int64_t value = 0;
};

inline FixedStepCounter fixed_step_counter(int fps) { return {static_cast<std::int64_t>(fps) * 1000000, 0}; }
// Before each frame.
inline void fixed_step_advance(FixedStepCounter& counter) { counter.value += 1000000; }

// The counter behind the frame timer read from `counter`, a variable of the
// program's own: platform_set_counter_source(&fixed_step_source<counter>).
template <FixedStepCounter& counter>
inline const CounterSource fixed_step_source{[](std::int64_t* frequency) {
                                                 *frequency = counter.frequency;
                                                 return true;
                                             },
                                             [] { return counter.value; }};
