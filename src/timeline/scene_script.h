// The scene script: one branch of render_frame per scene, each whole in its
// fixed order: set state and draw, tick the frame timer once, advance the
// scene's clocks, test for the end. Scenes that differ only in words,
// places and rates share one branch and a row of a table each.
#pragma once

// Runs the branch of `scene` (first_scene..last_scene); any other number
// runs nothing.
void run_scene(int scene);
