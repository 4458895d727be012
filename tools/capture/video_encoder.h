// The video: raw RGB frames piped into Debian's ffmpeg, which encodes them
// as H.264; at the end a second ffmpeg run adds the song as AAC and the
// chapters and writes the final MP4 or MKV.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Chapter {
    int first_frame;
    int end_frame; // one past the last frame
    std::string title;
};

// Where ffmpeg is, from PATH; "" when it is not installed.
std::string find_ffmpeg();

// The container for a video file name: "mp4" or "matroska"; "" for a name
// whose extension is neither.
std::string video_container(const std::string& path);

class VideoEncoder {
public:
    ~VideoEncoder();
    bool start(const std::string& ffmpeg, const std::string& path, int width, int height, int fps, std::string* error);
    bool write_frame(const std::uint8_t* rgb, std::string* error);
    // Ends the encoding and writes the final file with `song` (cut to the
    // video's length) and the chapters.
    bool finish(const std::string& song, const std::vector<Chapter>& chapters, int frames, std::string* error);
    // Stops ffmpeg and removes what it wrote.
    void abandon();

private:
    bool close_pipe(std::string* error);
    std::string ffmpeg_path, final_path, video_only, container;
    int width = 0, height = 0, fps = 0;
    int pipe_fd = -1;
    int child = -1;
};
