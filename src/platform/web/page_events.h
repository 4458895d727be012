// What the page's window and its events share: the page's side of the
// frame loop (page_library.js) and the fixed-rate mode.
#pragma once

extern "C" {
int elka_page_fixed_rate_asked();
}

// The page's fixed-rate mode, frames a second (0: real time), read once:
// the page's address does not change while it runs.
inline int elka_page_fixed_rate()
{
    static const int fps = elka_page_fixed_rate_asked();
    return fps;
}

// A frame was shown: the next empty look at the queue is not the idle branch.
void page_frame_presented();
