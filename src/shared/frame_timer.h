// FrameTimer: the system's only clock. Once per drawn frame tick turns the
// high-resolution counter into the seconds since the previous frame.
#pragma once

#include <cstdint>

class FrameTimer {
public:
    FrameTimer();
    void start();
    double elapsed_seconds();
    void tick();
    float frame_delta() const { return delta_seconds; }

private:
    std::int64_t start_count;
    std::int64_t frequency;
    float total_seconds;
    float delta_seconds;
};
