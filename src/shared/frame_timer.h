// FrameTimer: the system's only clock. Once per drawn frame tick turns the
// high-resolution counter into the seconds since the previous frame.
#pragma once

#include <cstdint>

// Where the clocks stand: ticks taken at a fixed rate, the seconds summed so
// far and the last delta. A player keeps it beside the scenes' state.
struct FrameTimerPlace {
    std::int64_t fixed_frames = 0;
    float total_seconds = 0.0f;
    float delta_seconds = 0.0f;
};

class FrameTimer {
public:
    FrameTimer();
    void start();
    double elapsed_seconds();
    void tick();
    float frame_delta() const { return delta_seconds; }

    // From `place` on, each tick moves the clocks by one frame at `fps`, by
    // the same counts the capture's fixed-rate counter gives (fps x
    // 1,000,000 a second), so the frames are the capture's.
    void run_fixed(int fps, const FrameTimerPlace& place);
    // Back on the system's counter, going on from the time reached: the
    // next delta is the time from this call.
    void run_real_time();
    FrameTimerPlace place() const { return {fixed_frames, total_seconds, delta_seconds}; }

private:
    std::int64_t start_count;
    std::int64_t frequency;
    float total_seconds;
    float delta_seconds;
    bool fixed = false;
    std::int64_t fixed_frames = 0;
    std::int64_t system_frequency = 0;
};
