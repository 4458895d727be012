// STAND-IN until the music player lands: no sound.
#include "audio/music_player.h"

MusicPlayer::MusicPlayer() : sample(nullptr), path{}, channel(0) {}
MusicPlayer::~MusicPlayer() {}
bool MusicPlayer::init(const char* p) { return load(p); }
bool MusicPlayer::load(const char* p) { return p != nullptr; }
int MusicPlayer::play() { return 0; }
void MusicPlayer::report_error() {}
void MusicPlayer::stop() {}
void MusicPlayer::close() {}
const char* sound_error_text(int code)
{
    (void)code;
    return "Unknown error";
}
