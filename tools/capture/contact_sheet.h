// The contact sheet: one thumbnail from the middle of every scene, each
// captioned with the scene's number, start time and title, in an installed
// monospaced face.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "timeline/schedule.h"

// Whether the captions' face can be opened; *error says why not. Asked
// before the first frame, so a machine without fonts fails at once.
bool contact_sheet_fonts_ready(std::string* error);

// Where the scenes lie in the sequence, as a first pass drew it.
struct ScenePlan {
    int total_frames = 0;
    int first_frame[scene_count] = {}; // < 0: not reached
    int frames[scene_count] = {};
};

class ContactSheet {
public:
    ContactSheet(int frame_width, int frame_height, int fps);

    // Every drawn frame, in order: `scene` is the scene it was drawn as.
    // Keeps a thumbnail of each frame that may still turn out to be the
    // middle one of its scene.
    void add_frame(int scene, int frame_index, const std::uint8_t* rgb);
    // The same bookkeeping without pixels: a sheet fed only with this (on
    // the drawing thread) answers wants_frame exactly as the sheet that the
    // writer thread fills with the frames, a few frames later.
    void note_frame(int scene, int frame_index, bool read);
    // Whether frame `frame_index`, the next one, drawn as `scene`, would be
    // kept (so the caller can skip reading frames that are not needed).
    bool wants_frame(int scene, int frame_index) const;

    // The frame of a scene `frames` long that the sheet shows, counted from
    // the scene's first: the one a sheet fed every frame would choose.
    int shown_frame(int frames) const;
    // With the scenes known beforehand only each one's shown frame is
    // wanted; write() then fails if the frames drawn lie otherwise.
    void follow(const ScenePlan& plan);

    // Lays out the sheet and writes it as PNG. total_frames: frames drawn.
    bool write(const std::string& path, int total_frames, std::string* error);

    int thumb_width() const { return thumb_w; }
    int thumb_height() const { return thumb_h; }

private:
    struct Candidate {
        int index; // frame number within the scene
        std::vector<std::uint8_t> pixels;
    };
    struct SceneShot {
        int first_frame = -1;
        int frames = 0;
        int shown = -1; // the shown frame's number in the sequence
        std::vector<std::uint8_t> thumbnail;
    };
    void close_scene();
    void record(int scene, int frame_index, bool read, const std::uint8_t* rgb);
    void shrink(const std::uint8_t* rgb, std::vector<std::uint8_t>* out) const;
    bool matches_plan(int total_frames, std::string* error) const;

    int frame_w, frame_h, fps;
    int thumb_w, thumb_h;
    std::size_t candidate_cap;
    int current = first_scene - 1;
    int stride = 1;
    std::deque<Candidate> candidates;
    SceneShot shots[scene_count];
    bool planned = false;
    ScenePlan plan;
};
