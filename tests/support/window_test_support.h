// Test support for the window, its messages and the frame loop: the call
// log read back as a list (message boxes are recorded by the harness's
// BoxRecorder), and a folder of small media files for whole runs.
#pragma once

#include "harness/test_support.h"
#include "platform/messages.h"

#include <functional>

#include <string>
#include <vector>

// The frame loop's iterations as the window system sees them: each look for
// a message begins one, a buffer swap is its frame, and it is over when the
// loop looks again, which is where the loop's own iteration ends. Then
// `on_iteration` runs, with the message the look took (null: none) and
// whether a frame was drawn, before the next look takes anything. A look
// that takes WM_QUIT begins no iteration: the loop leaves at once. After the
// loop has returned, finish() reports its last iteration. One at a time.
class LoopIterations {
public:
    using Observer = std::function<void(const Message* taken, bool drew)>;
    explicit LoopIterations(Observer on_iteration);
    ~LoopIterations();
    void finish();

private:
    Observer observer;
    bool open = false, taken = false, drew = false;
    Message message;
    static LoopIterations* current;
    static void before_peek();
    static void after_peek(const Message* taken);
    static void after_swap();
};

// The window system's call log from `from` on.
std::vector<std::string> call_log(int from = 0);

// A fresh folder with a files/ folder holding small stand-ins for the media
// the start-up loads: three 4 x 4 BMP pictures and, as "song.mp3", a short
// silent WAV (the sound layer tells formats by their content). The font is
// left out: font matching falls back to an installed face. `with_song`
// false leaves the song out. Returns the folder's path.
std::string make_media_folder(bool with_song = true);
