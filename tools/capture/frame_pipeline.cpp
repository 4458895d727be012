// The read-back and writing pipeline. The drawing thread owns GL: it starts
// each wanted frame's read into the next pixel buffer and, once `depth`
// reads are in flight, finishes the oldest into a free RGB buffer and hands
// it to the writer. Frames that are not read go through the same queue, so
// the writer sees every frame in drawing order (the contact sheet needs
// that). A few RGB buffers circulate between the two threads; when the
// writer falls behind, the drawing thread waits for one.
#include "frame_pipeline.h"

#include "contact_sheet.h"
#include "png_writer.h"
#include "video_encoder.h"

#include "platform/offscreen_target.h"

#include <cstdio>

FramePipeline::FramePipeline(const FrameOutputs& outputs, int reads_in_flight_at_most)
    : out(outputs), depth(reads_in_flight_at_most < 0 ? 0 : reads_in_flight_at_most)
{
}

FramePipeline::~FramePipeline() { abandon(); }

bool FramePipeline::start(std::string* error)
{
    const std::size_t bytes = static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3;
    // depth buffers being filled from pixel buffers, one being written and
    // one waiting for the writer.
    const int count = depth > 0 ? depth + 2 : 1;
    buffers.assign(static_cast<std::size_t>(count), std::vector<std::uint8_t>(bytes));
    for (auto& b : buffers)
        free_buffers.push_back(&b);
    if (depth == 0)
        return true;
    if (!offscreen_target_pbo_init(depth)) {
        *error = "the GL driver offers no pixel buffer objects for reading frames back";
        return false;
    }
    writer = std::thread([this] { run_writer(); });
    return true;
}

std::vector<std::uint8_t>* FramePipeline::take_buffer()
{
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return !free_buffers.empty(); });
    std::vector<std::uint8_t>* b = free_buffers.back();
    free_buffers.pop_back();
    return b;
}

void FramePipeline::give_back(std::vector<std::uint8_t>* buffer)
{
    if (!buffer)
        return;
    {
        std::lock_guard<std::mutex> hold(lock);
        free_buffers.push_back(buffer);
    }
    changed.notify_all();
}

void FramePipeline::fail(const std::string& message)
{
    std::lock_guard<std::mutex> hold(lock);
    if (first_error.empty())
        first_error = message;
    failure = true;
}

std::string FramePipeline::error()
{
    std::lock_guard<std::mutex> hold(lock);
    return first_error;
}

void FramePipeline::add(long index, int scene, bool read, std::vector<std::string> stills)
{
    Job job;
    job.index = index;
    job.scene = scene;
    job.read = read;
    job.stills = std::move(stills);
    if (depth == 0) {
        if (read) {
            job.pixels = take_buffer();
            offscreen_target_read_rgb(job.pixels->data());
        }
        if (!failed())
            write(job);
        give_back(job.pixels);
        return;
    }
    if (read) {
        if (reads_in_flight == depth)
            complete_oldest();
        job.slot = next_slot;
        next_slot = (next_slot + 1) % depth;
        offscreen_target_read_begin(job.slot);
        ++reads_in_flight;
    }
    if (in_flight.empty() && !read)
        hand_over(std::move(job));
    else
        in_flight.push_back(std::move(job));
}

// Hands over every frame up to and including the oldest one being read.
void FramePipeline::complete_oldest()
{
    while (!in_flight.empty()) {
        Job job = std::move(in_flight.front());
        in_flight.pop_front();
        const bool was_read = job.read;
        if (was_read) {
            job.pixels = take_buffer();
            if (!offscreen_target_read_end(job.slot, job.pixels->data()))
                fail("cannot read frame " + std::to_string(job.index) + " back from the GL driver");
            --reads_in_flight;
        }
        hand_over(std::move(job));
        if (was_read)
            break;
    }
    // Frames drawn after it that are not read follow at once.
    while (!in_flight.empty() && !in_flight.front().read) {
        hand_over(std::move(in_flight.front()));
        in_flight.pop_front();
    }
}

void FramePipeline::hand_over(Job job)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        queue.push_back(std::move(job));
    }
    changed.notify_all();
}

void FramePipeline::write(const Job& job)
{
    const std::uint8_t* rgb = job.pixels ? job.pixels->data() : nullptr;
    std::string error;
    if (out.video && rgb && !out.video->write_frame(rgb, &error)) {
        fail(error);
        return;
    }
    if (!out.frames_dir.empty() && rgb) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06ld.png", job.index);
        if (!write_png(out.frames_dir + name, rgb, out.width, out.height, 1, &error)) {
            fail(error);
            return;
        }
    }
    bool stills_ok = true;
    for (const std::string& path : job.stills) {
        if (rgb && !write_png(path, rgb, out.width, out.height, 6, &error)) {
            fail(error);
            stills_ok = false;
        }
    }
    if (out.sheet && stills_ok)
        out.sheet->add_frame(job.scene, static_cast<int>(job.index), rgb);
}

void FramePipeline::run_writer()
{
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [this] { return !queue.empty() || closing; });
            if (queue.empty())
                return;
            job = std::move(queue.front());
            queue.pop_front();
            if (dropping) {
                if (job.pixels)
                    free_buffers.push_back(job.pixels);
                changed.notify_all();
                continue;
            }
        }
        // After a failure nothing more is written.
        if (!failed())
            write(job);
        give_back(job.pixels);
    }
}

void FramePipeline::stop_writer(bool drain)
{
    if (!writer.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(lock);
        closing = true;
        dropping = !drain;
    }
    changed.notify_all();
    writer.join();
}

bool FramePipeline::finish(std::string* error)
{
    if (depth > 0) {
        while (!in_flight.empty() && !failed())
            complete_oldest();
        in_flight.clear();
        stop_writer(true);
    }
    if (failed()) {
        *error = this->error();
        return false;
    }
    return true;
}

void FramePipeline::abandon()
{
    // The pending reads are dropped with the pixel buffers.
    in_flight.clear();
    reads_in_flight = 0;
    stop_writer(false);
}
