// The GL 1.1 subset on OpenGL ES 3.0, as the platform sees it: what was
// drawn is batched, and must reach ES before the frame is read or shown.
#pragma once

// Draws everything batched so far. Called before a swap and a read-back.
void gles_flush();
// The platform's context is gone, and with it its state: the next context
// starts as a new GL context starts. Where another context of its share
// group lives on, the lists and shared objects stay (as textures and lists
// do in GL); where none does, the layer forgets its lists and objects too.
void gles_context_deleted(bool share_group_lives);
