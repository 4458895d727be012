// Contact sheet. The middle frame of a scene is only known once the scene
// has ended, so while a scene runs the thumbnails of its second half so far
// are kept: a frame before the middle of what has been seen can no longer
// be the middle. If a scene is long enough to make that too many, only
// every second (fourth, ...) frame is kept, and the middle is then the kept
// frame nearest to it. When a first pass has told where the scenes lie,
// only the frame that this would choose is kept.
#include "contact_sheet.h"

#include "png_writer.h"

#include "caption_fonts.h"
#include "caption_font.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int columns = 4;
constexpr int margin = 16;
constexpr int gap = 12;
constexpr int caption_lines = 4;
// The captions' lines and the installed monospaced face they are drawn in:
// ten pixels to the em on lines eleven pixels apart, the header twice that.
constexpr int line_height = 11;
constexpr int caption_pixels = 10;
constexpr int header_scale = 2;
constexpr int min_cell_width = 180;
constexpr std::size_t kept_bytes = 48u << 20; // thumbnails kept per scene at most
const std::uint8_t background[3] = {28, 28, 32};
const std::uint8_t ink[3] = {232, 232, 232};
const std::uint8_t dim_ink[3] = {150, 150, 160};
const std::uint8_t empty_cell[3] = {60, 60, 66};

// Breaks `text` into lines at most `width` pixels wide, at spaces where it
// can.
std::vector<std::string> wrap(const std::string& text, int width, CaptionFont* font)
{
    auto fits = [&](const std::string& line) { return caption_text_width(font, line) <= width; };
    std::vector<std::string> lines;
    std::string rest = text;
    while (!fits(rest)) {
        std::size_t longest = 1; // the longest start of `rest` that fits, at least one byte
        while (longest < rest.size() && fits(rest.substr(0, longest + 1)))
            ++longest;
        std::size_t cut = rest.rfind(' ', longest);
        if (cut == std::string::npos || cut == 0)
            cut = longest;
        lines.push_back(rest.substr(0, cut));
        rest = rest.substr(cut);
        if (!rest.empty() && rest[0] == ' ')
            rest.erase(0, 1);
    }
    lines.push_back(rest);
    return lines;
}

std::string clock_text(double seconds)
{
    int whole_ms = static_cast<int>(seconds * 1000.0 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", whole_ms / 60000, (whole_ms / 1000) % 60, whole_ms % 1000);
    return text;
}
} // namespace

bool contact_sheet_fonts_ready(std::string* error)
{
    CaptionFonts fonts;
    if (fonts.open(caption_pixels, header_scale * caption_pixels, error))
        return true;
    *error = "cannot caption the contact sheet: " + *error;
    return false;
}

ContactSheet::ContactSheet(int frame_width, int frame_height, int frames_per_second)
    : frame_w(frame_width), frame_h(frame_height), fps(frames_per_second)
{
    thumb_w = 240;
    thumb_h = std::max(1, static_cast<int>(static_cast<long long>(thumb_w) * frame_h / frame_w));
    if (thumb_h > 360) { // very tall frames: keep the cells a sensible size
        thumb_h = 360;
        thumb_w = std::max(1, static_cast<int>(static_cast<long long>(thumb_h) * frame_w / frame_h));
    }
    std::size_t bytes = static_cast<std::size_t>(thumb_w) * thumb_h * 3;
    candidate_cap = std::max<std::size_t>(16, kept_bytes / bytes);
}

void ContactSheet::shrink(const std::uint8_t* rgb, std::vector<std::uint8_t>* out) const
{
    // Area average over the source pixels under each thumbnail pixel (or
    // the nearest one where the thumbnail is larger).
    out->resize(static_cast<std::size_t>(thumb_w) * thumb_h * 3);
    std::vector<int> x0(thumb_w + 1);
    for (int tx = 0; tx <= thumb_w; ++tx)
        x0[tx] = static_cast<int>(static_cast<long long>(tx) * frame_w / thumb_w);
    std::uint8_t* to = out->data();
    for (int ty = 0; ty < thumb_h; ++ty) {
        int y_begin = static_cast<int>(static_cast<long long>(ty) * frame_h / thumb_h);
        int y_end = std::max(y_begin + 1, static_cast<int>(static_cast<long long>(ty + 1) * frame_h / thumb_h));
        for (int tx = 0; tx < thumb_w; ++tx) {
            int x_begin = x0[tx];
            int x_end = std::max(x_begin + 1, x0[tx + 1]);
            unsigned sum[3] = {0, 0, 0};
            for (int y = y_begin; y < y_end; ++y) {
                const std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * frame_w + x_begin) * 3;
                for (int x = x_begin; x < x_end; ++x, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            unsigned count = static_cast<unsigned>((y_end - y_begin) * (x_end - x_begin));
            for (int c = 0; c < 3; ++c)
                *to++ = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
        }
    }
}

bool ContactSheet::wants_frame(int scene, int frame_index) const
{
    if (scene < first_scene || scene > last_scene)
        return false;
    if (planned)
        return frame_index == shots[scene - first_scene].shown;
    if (scene != current)
        return true;
    return shots[scene - first_scene].frames % stride == 0;
}

void ContactSheet::close_scene()
{
    if (current < first_scene || current > last_scene)
        return;
    SceneShot& shot = shots[current - first_scene];
    int middle = shot.frames / 2;
    const Candidate* best = nullptr;
    for (const Candidate& c : candidates)
        if (!best || std::abs(c.index - middle) < std::abs(best->index - middle))
            best = &c;
    if (best) {
        shot.shown = shot.first_frame + best->index;
        shot.thumbnail = best->pixels;
    }
    candidates.clear();
}

int ContactSheet::shown_frame(int frames) const
{
    // The choice depends on nothing but the scene's length: a sheet fed
    // that many frames without pixels makes it.
    ContactSheet one(frame_w, frame_h, fps);
    for (int i = 0; i < frames; ++i)
        one.note_frame(first_scene, i, true);
    one.close_scene();
    return one.shots[0].shown;
}

void ContactSheet::follow(const ScenePlan& scenes)
{
    planned = true;
    plan = scenes;
    for (int i = 0; i < scene_count; ++i)
        shots[i].shown = plan.frames[i] > 0 ? plan.first_frame[i] + shown_frame(plan.frames[i]) : -1;
}

bool ContactSheet::matches_plan(int total_frames, std::string* error) const
{
    bool same = total_frames == plan.total_frames;
    for (int i = 0; i < scene_count && same; ++i)
        same = shots[i].first_frame == plan.first_frame[i] && shots[i].frames == plan.frames[i];
    if (!same)
        *error = "the contact sheet's second pass drew the scenes at other frames than its first";
    return same;
}

void ContactSheet::add_frame(int scene, int frame_index, const std::uint8_t* rgb)
{
    record(scene, frame_index, rgb != nullptr, rgb);
}

void ContactSheet::note_frame(int scene, int frame_index, bool read) { record(scene, frame_index, read, nullptr); }

void ContactSheet::record(int scene, int frame_index, bool read, const std::uint8_t* rgb)
{
    if (scene != current) {
        close_scene();
        current = scene;
        stride = 1;
        if (scene >= first_scene && scene <= last_scene)
            shots[scene - first_scene].first_frame = frame_index;
    }
    if (scene < first_scene || scene > last_scene)
        return;
    SceneShot& shot = shots[scene - first_scene];
    int index = shot.frames++;
    if (planned) {
        if (rgb && frame_index == shot.shown)
            shrink(rgb, &shot.thumbnail);
        return;
    }
    // Frames before the middle of what has been seen can no longer be it.
    int earliest = shot.frames / 2;
    while (!candidates.empty() && candidates.front().index < earliest)
        candidates.pop_front();
    if (index % stride != 0 || !read)
        return;
    Candidate c;
    c.index = index;
    if (rgb)
        shrink(rgb, &c.pixels);
    candidates.push_back(std::move(c));
    if (candidates.size() > candidate_cap) {
        stride *= 2;
        std::deque<Candidate> kept;
        for (Candidate& k : candidates)
            if (k.index % stride == 0)
                kept.push_back(std::move(k));
        candidates.swap(kept);
    }
}

bool ContactSheet::write(const std::string& path, int total_frames, std::string* error)
{
    close_scene();
    current = last_scene + 1;
    if (planned && !matches_plan(total_frames, error))
        return false;
    CaptionFonts fonts;
    if (!fonts.open(caption_pixels, header_scale * caption_pixels, error)) {
        *error = "cannot caption the contact sheet " + path + ": " + *error;
        return false;
    }

    const int header_height = 2 * line_height * header_scale;
    const int caption_height = caption_lines * line_height + 6;
    const int cell_w = std::max(thumb_w, min_cell_width);
    const int cell_h = thumb_h + caption_height;
    const int rows = (scene_count + columns - 1) / columns;
    const int width = 2 * margin + columns * cell_w + (columns - 1) * gap;
    const int height = 2 * margin + header_height + rows * cell_h + (rows - 1) * gap;
    std::vector<std::uint8_t> sheet(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < sheet.size(); i += 3)
        std::copy(background, background + 3, sheet.begin() + static_cast<std::ptrdiff_t>(i));
    CaptionCanvas canvas{sheet.data(), width, height};

    char header[160];
    std::snprintf(header, sizeof header, "eLka  %dx%d, %d frames per second, %d frames, %s", frame_w, frame_h, fps,
                  total_frames, clock_text(static_cast<double>(total_frames) / fps).c_str());
    caption_draw(fonts.header, canvas, margin, margin, header, ink);

    for (int i = 0; i < scene_count; ++i) {
        int scene = first_scene + i;
        const SceneShot& shot = shots[i];
        int x = margin + (i % columns) * (cell_w + gap);
        int y = margin + header_height + (i / columns) * (cell_h + gap);
        for (int ty = 0; ty < thumb_h; ++ty) {
            std::uint8_t* row = sheet.data() + (static_cast<std::size_t>(y + ty) * width + x) * 3;
            if (!shot.thumbnail.empty()) {
                std::copy_n(shot.thumbnail.data() + static_cast<std::size_t>(ty) * thumb_w * 3, thumb_w * 3, row);
            } else {
                for (int tx = 0; tx < thumb_w; ++tx)
                    std::copy(empty_cell, empty_cell + 3, row + tx * 3);
            }
        }
        std::string first_line = "scene " + std::to_string(scene) + "  ";
        if (shot.first_frame >= 0)
            first_line += clock_text(static_cast<double>(shot.first_frame) / fps);
        else
            first_line += "not reached";
        int text_y = y + thumb_h + 4;
        caption_draw(fonts.caption, canvas, x, text_y, first_line, ink);
        std::vector<std::string> lines = wrap(scene_title(scene), cell_w, fonts.caption);
        for (int line = 0; line < static_cast<int>(lines.size()) && line < caption_lines - 1; ++line)
            caption_draw(fonts.caption, canvas, x, text_y + (line + 1) * line_height,
                                  lines[static_cast<std::size_t>(line)], dim_ink);
    }
    return write_png(path, sheet.data(), width, height, 6, error);
}
