// The two geometry display lists: the flat hexagon and the fading arc.
#pragma once

#include "resources/resources_state.h"

void build_display_lists();
// Records the arc's list (made by build_display_lists) again at the
// current line scale.
void record_arc_list();
// Draws the arc's list; while nothing drawn is seen, only sets what the
// list leaves set (its line width and last colour), which is all that
// carries to a later frame.
void call_arc_list();
// The arc's list at the current line scale: recorded again where the
// viewport's height changed since (the capture's sizes, a toggle that kept
// the lists).
inline void follow_arc_line_scale()
{
    if (resources.arc_line_scale != resources.line_scale)
        record_arc_list();
}
