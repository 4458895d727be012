// The GL 1.1 subset on OpenGL ES 3.0, as the platform sees it: what was
// drawn is batched, and must reach ES before the frame is read or shown.
#pragma once

// Draws everything batched so far. Called before a swap and a read-back.
void gles_flush();
