// The page's backend state: its frame loop and its fonts, one struct for
// the whole backend.
#pragma once

#include "platform/fixed_step_counter.h"
#include "platform/web/outline_face_web.h"

#include <memory>
#include <vector>

struct WebBackendState {
    // Whether a frame was shown since the queue was last found empty: a second
    // empty look with none between is the idle branch, which must give the
    // browser its turn.
    bool presented_since_empty = true;
    // The fixed-rate mode's counter, the capture tool's; made when first read.
    bool fixed_counter_made = false;
    FixedStepCounter fixed_counter;
    int frames_presented = 0; // by number, as the page asks for frames
    int counter_placed = 0;   // the last CounterPlace the page's clock took up
    // A turn of the browser's event loop amid the demo's own work, where the
    // page hosts it (set when video starts); when the font last took one (ms).
    void (*take_turn)() = nullptr;
    double turn_taken_at = 0.0;
    // The fonts parsed on the page, in the order they were added.
    std::vector<std::shared_ptr<PageFont>> fonts;
};
extern WebBackendState web_backend;
