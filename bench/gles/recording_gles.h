// A recording OpenGL ES 3.0 for measuring the GL subset layer alone: every
// ES entry point the layer calls is defined here (the benchmark's own
// definitions take the place of the driver's at link time), and each only
// counts what it was given and answers with plausible names. No pixel is
// drawn, so a frame's CPU time is the system's drawing and the layer's.
#pragma once

struct RecordedGles {
    long calls = 0;          // every entry point
    long draws = 0;          // glDrawArrays, glDrawElements, glDrawArraysInstanced
    long vertices = 0;       // vertices (or indices) drawn, times instances
    long bytes_uploaded = 0; // glBufferData and glBufferSubData
    long uniform_sets = 0;
    long buffers_made = 0, vertex_arrays_made = 0, programs_made = 0, textures_made = 0;
};

extern RecordedGles recorded;
