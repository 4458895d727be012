// The SDL backend's part of a sample, shared with the testing seam's
// queries of the decoded sound and of the channels.
#pragma once

struct Mix_Chunk;

struct BackendSample {
    Mix_Chunk* chunk;
};

// Is something playing on this channel of the layer's own mixer?
bool sdl_sound_channel_playing(int channel);
