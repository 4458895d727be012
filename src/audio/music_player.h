// The music player: checks the sound layer's version, starts it, loads and
// plays the song, and reports the sound layer's errors on standard output.
#pragma once

#include "platform/fsound.h"

class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    bool init(const char* path);
    bool load(const char* path);
    int play();
    void report_error();
    void stop();
    // The player's pause, and its place in the song (a seek): the song
    // goes on from `seconds`, or will when it is no longer paused.
    void pause(bool paused);
    void place_at(double seconds);
    void close();

    FSOUND_SAMPLE* sample;
    char path[256];
    int channel;
};

const char* sound_error_text(int code);
