// Progress on standard error: a bar redrawn in place on a terminal, a plain
// line every few seconds otherwise.
#pragma once

class Progress {
public:
    Progress(bool enabled, int fps, long planned_frames);
    // After each frame: frames drawn so far and the scene of the last one.
    void update(long frames, int scene);
    void finish(long frames);

private:
    void print(long frames, int scene, bool final);
    bool enabled, terminal;
    int fps;
    long planned;
    double started, last_print;
};
