// The capture's writing side: frames are read back asynchronously through
// pixel buffer objects (a few in flight) and handed, in drawing order, to a
// writer thread that feeds the video encoder, the PNG writer and the
// contact sheet, so drawing, read-back and encoding overlap. With depth 0
// every frame is read back synchronously and written on the drawing thread,
// as the capture did before; both give the same bytes in every file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ContactSheet;
class VideoEncoder;

struct FrameOutputs {
    VideoEncoder* video = nullptr; // each frame, in order
    std::string frames_dir;        // "": no PNG per frame
    ContactSheet* sheet = nullptr; // every frame, with or without pixels
    int width = 0;
    int height = 0;
};

class FramePipeline {
public:
    FramePipeline(const FrameOutputs& outputs, int depth);
    ~FramePipeline();
    // With the offscreen target made: its pixel buffers and the writer.
    bool start(std::string* error);
    // After frame `index` (drawn as `scene`) is drawn: `read` when its pixels
    // are wanted, `stills` the pictures to write of it.
    void add(long index, int scene, bool read, std::vector<std::string> stills);
    // Whether a write has failed; the run then stops (error() says why).
    bool failed() const { return failure.load(); }
    std::string error();
    // Reads and writes what is still pending; false with *error when any
    // write failed.
    bool finish(std::string* error);
    // Ends the writer without writing what is pending.
    void abandon();

private:
    struct Job {
        long index = 0;
        int scene = 0;
        bool read = false;
        int slot = -1;
        std::vector<std::string> stills;
        std::vector<std::uint8_t>* pixels = nullptr;
    };
    void complete_oldest();
    void hand_over(Job job);
    void write(const Job& job);
    std::vector<std::uint8_t>* take_buffer();
    void give_back(std::vector<std::uint8_t>* buffer);
    void run_writer();
    void stop_writer(bool drain);
    void fail(const std::string& message);

    FrameOutputs out;
    int depth;
    int next_slot = 0;
    int reads_in_flight = 0;
    std::deque<Job> in_flight; // drawing thread only: drawn, not yet handed over

    std::vector<std::vector<std::uint8_t>> buffers;
    std::vector<std::vector<std::uint8_t>*> free_buffers;
    std::deque<Job> queue; // handed over, not yet written
    bool closing = false;
    bool dropping = false;
    std::mutex lock;
    std::condition_variable changed;
    std::thread writer;
    std::atomic<bool> failure{false};
    std::string first_error;
};
