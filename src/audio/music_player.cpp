// The music player: checks the sound layer's version, starts it, loads the
// song whole and plays it once; its diagnostics go to standard output.
#include "audio/music_player.h"

#include <cstring>
#include <iostream>

namespace {
// The oldest sound library the player works with.
constexpr float required_version = 3.33f;
constexpr int mixing_rate = 44100;
constexpr int mixing_channels = 32;
constexpr unsigned int init_flags = 2;
} // namespace

// channel is set here too: the one instance is static and starts zeroed
// anyway, and any other instance must not stop a channel it never played.
MusicPlayer::MusicPlayer() : sample(nullptr), path{}, channel(0) {}

MusicPlayer::~MusicPlayer()
{
    stop();
    close();
}

bool MusicPlayer::init(const char* song_path)
{
    float version = FSOUND_GetVersion();
    if (!(version >= required_version)) { // a NaN counts as too old
        std::cout << "Error : You are using the wrong DLL version!  You should be using FMOD " << required_version
                  << std::endl;
        return false;
    }
    if (!FSOUND_Init(mixing_rate, mixing_channels, init_flags)) {
        report_error();
        return false;
    }
    return load(song_path);
}

bool MusicPlayer::load(const char* song_path)
{
    if (song_path == nullptr)
        return false;
    std::cout << "Loading the song...\n\n";
    sample = FSOUND_Sample_Load(FSOUND_FREE, song_path, 0, 0);
    if (sample == nullptr) {
        report_error();
        return false;
    }
    // Bounded: a longer path is cut to fit the field, always terminated.
    std::strncpy(path, song_path, sizeof path - 1);
    path[sizeof path - 1] = '\0';
    return true;
}

int MusicPlayer::play()
{
    channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    return channel;
}

void MusicPlayer::report_error() { std::cout << sound_error_text(FSOUND_GetError()) << std::endl; }

void MusicPlayer::stop() { FSOUND_StopSound(channel); }

void MusicPlayer::pause(bool paused) { FSOUND_SetPaused(channel, paused ? 1 : 0); }

void MusicPlayer::place_at(double seconds)
{
    const double frames = seconds * static_cast<double>(FSOUND_GetOutputRate());
    if (frames >= 0.0 && frames < 4294967295.0)
        FSOUND_SetCurrentPosition(channel, static_cast<unsigned int>(frames + 0.5));
}

void MusicPlayer::close() { FSOUND_Close(); }

const char* sound_error_text(int code)
{
    switch (code) {
    case 0: return "No errors";
    case 1: return "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";
    case 2: return "This command failed because FSOUND_Init was not called";
    case 3: return "Error initializing output device.";
    case 4: return "The output device is already in use and cannot be reused.";
    case 5: return "Playing the sound failed.";
    case 6: return "Soundcard does not support the features needed for this soundsystem (16bit stereo output)";
    case 7: return "Error setting cooperative level for hardware.";
    case 8: return "Error creating hardware sound buffer.";
    case 9: return "File not found";
    case 10: return "Unknown file format";
    case 11: return "Error loading file";
    case 12: return "Not enough memory ";
    case 13: return "The version number of this file format is not supported";
    case 14: return "An invalid parameter was passed to this function";
    case 15: return "Tried to use an EAX command on a non EAX enabled channel or output.";
    case 16: return "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.";
    case 17: return "Failed to allocate a new channel";
    case 18: return "Recording not supported on this device";
    case 19: return "Required Mediaplayer codec is not installed";
    default: return "Unknown error";
    }
}
