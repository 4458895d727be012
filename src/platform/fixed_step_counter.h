// A counter that moves one frame at a time, for frames at a fixed rate
// whatever the machine's speed: fps x 1,000,000 counts a second, standing at
// 0 when the timer starts, advanced by 1,000,000 before each frame. The
// capture tool's and the page's fixed-rate mode's, so that both draw the
// same frames.
#pragma once

#include <cstdint>

struct FixedStepCounter {
    std::int64_t frequency = 60000000;
    std::int64_t value = 0;
};

inline FixedStepCounter fixed_step_counter(int fps) { return {static_cast<std::int64_t>(fps) * 1000000, 0}; }
// Before each frame.
inline void fixed_step_advance(FixedStepCounter& counter) { counter.value += 1000000; }
