// Where the CPU time goes during the timedemo: the system's own code (the
// demo's code, linked into this executable; in the ES build the GL subset
// layer too), GL, its drivers and the window system (any vendor's GL, EGL,
// GLX and GLES libraries, the drivers behind them, their worker threads
// and the code they compile at run time: library_kind.h), and other
// libraries (C and C++ runtime, maths, SDL).
//
// The main thread, which runs the system's code and makes the GL calls, is
// sampled: a timer on that thread's CPU clock interrupts it every
// millisecond of its CPU time, and the interrupted instruction address says
// in which loaded object the time is being spent. Every other thread of the
// process belongs to the GL driver (llvmpipe's rasterizer threads), so their
// CPU time (process CPU time minus the main thread's) counts as the driver's.
#pragma once

struct CpuShares {
    long samples = 0;
    double main_thread_seconds = 0;
    double other_threads_seconds = 0;
    double own_seconds = 0;    // the system's own code
    double gl_seconds = 0;     // GL, drivers, window system, driver threads, compiled shaders
    double other_seconds = 0;  // other libraries
    double total_seconds() const { return own_seconds + gl_seconds + other_seconds; }
};

// Call on the main thread once every library is loaded (after the GL
// context is made). False when the timer cannot be set up.
bool cpu_sampler_start();
CpuShares cpu_sampler_stop();
