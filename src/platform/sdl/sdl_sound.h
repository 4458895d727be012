// The SDL backend's part of a sample, shared with the testing seam's
// queries of the decoded sound.
#pragma once

struct Mix_Chunk;

struct BackendSample {
    Mix_Chunk* chunk;
};
