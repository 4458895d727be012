// The GL 1.1 subset on OpenGL ES 3.0, as the platform sees it: what was
// drawn is batched, and must reach ES before the frame is read or shown.
#pragma once

// Draws everything batched so far. Called before a swap and a read-back.
void gles_flush();
// The platform's context is gone, and with it everything GL kept for it:
// the layer forgets its own objects, the display lists recorded and the
// state, so the next context starts as a new GL context starts.
void gles_context_deleted();
