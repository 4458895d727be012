// Test support for the window, its messages and the frame loop: message
// boxes recorded with the place in the window system's call log where each
// one came, and the call log read back as a list.
#pragma once

#include <string>
#include <vector>

struct LoggedBox {
    std::string text;
    std::string caption;
    unsigned style;
    int log_position; // platform_call_log_size() when the box came
};

// Records every message box from now on. Yes/No questions are answered with
// `question_answer`, other boxes with IDOK.
class LoggedBoxes {
public:
    explicit LoggedBoxes(int question_answer);
    ~LoggedBoxes();
    std::vector<LoggedBox> boxes;
    int question_answer;
    std::vector<std::string> texts() const;
};

// The window system's call log from `from` on.
std::vector<std::string> call_log(int from = 0);

// A fresh folder with a files/ folder holding small stand-ins for the media
// the start-up loads: three 4 x 4 BMP pictures and, as "song.mp3", a short
// silent WAV (the sound layer tells formats by their content). The font is
// left out: font matching falls back to an installed face. `with_song`
// false leaves the song out. Returns the folder's path.
std::string make_media_folder(bool with_song = true);
