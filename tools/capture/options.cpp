// Options, GNU style. Every value is checked in full: a number with
// trailing junk, out of range or missing is a usage error.
#include "options.h"

#include "video_encoder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <getopt.h>

namespace {

enum LongOnly { opt_fps = 1000, opt_size, opt_frames, opt_still, opt_sheet, opt_chapters, opt_benchmark, opt_end,
                opt_version, opt_frame_times, opt_frame_plot, opt_sync_readback, opt_fill };

bool parse_int(const char* text, long low, long high, long* out)
{
    if (!text || !*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    *out = v;
    return true;
}

bool parse_seconds(const std::string& text, double* out)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < 0 || v > 1e6)
        return false;
    *out = v;
    return true;
}

// The frame drawn at time `seconds`: n with n / fps <= seconds < (n + 1) / fps.
// A hair of tolerance keeps times written in decimals (0.1 at 10 frames
// per second) on the frame they name.
long frame_at(double seconds, int fps) { return static_cast<long>(std::floor(seconds * fps + 1e-9)); }

} // namespace

void print_usage(FILE* to)
{
    std::fprintf(to,
                 "Usage: elka-capture [OPTION]...\n"
                 "Draws the eLka demo frame by frame at a fixed frame rate, without a display\n"
                 "or a sound device, and writes it out; or times it (timedemo).\n"
                 "It reads the demo's media from files/ in the working directory, or where\n"
                 "there is none, from the installed data folder.\n"
                 "\n"
                 "  -o, --output FILE         write a video: H.264 with the song as AAC and the\n"
                 "                            scenes as chapters; MP4 (.mp4, .m4v) or MKV (.mkv)\n"
                 "                            by the file's extension; needs ffmpeg\n"
                 "      --frames DIR          write every frame as DIR/frame-NNNNNN.png\n"
                 "      --still SECONDS=FILE  write the frame drawn at SECONDS as a PNG picture;\n"
                 "                            may be given more than once\n"
                 "      --contact-sheet FILE  write one PNG with a captioned thumbnail from the\n"
                 "                            middle of every scene\n"
                 "      --chapters FILE       write the scenes' first frames and start times as a\n"
                 "                            tab-separated table\n"
                 "      --benchmark           timedemo: draw every frame as fast as possible, write\n"
                 "                            nothing, print the frame times of every scene\n"
                 "      --frame-times FILE    with --benchmark: every frame's time as CSV\n"
                 "                            (frame,scene,ms)\n"
                 "      --frame-plot FILE     with --benchmark: a PNG plot of every frame's time,\n"
                 "                            scenes shaded, the 60 Hz and 120 Hz budgets drawn\n"
                 "      --sync-readback       read each frame back and write it on the drawing\n"
                 "                            thread (slower; the same files, for comparison)\n"
                 "      --fps N               frames per second of sequence time (default 60)\n"
                 "      --size WxH            size of the frames in pixels (default 800x600); at\n"
                 "                            another aspect than 4:3 the scenes are drawn at the\n"
                 "                            largest 4:3 size that fits, centred on black bars\n"
                 "      --fill                draw the scenes over the whole frame at its own\n"
                 "                            aspect instead (a wider or taller view than 4:3)\n"
                 "      --end SECONDS         stop after the frames of the first SECONDS of the\n"
                 "                            sequence (default: the whole sequence, about 151 s)\n"
                 "  -q, --quiet               no progress on standard error\n"
                 "      --help                show this help and exit\n"
                 "      --version             show the version and exit\n"
                 "\n"
                 "Outputs combine: one run can write a video, stills, a contact sheet and\n"
                 "chapters. Frame n is drawn with the clocks at n / fps seconds.\n"
                 "Exit status: 0 when everything was written, 1 when something could not be\n"
                 "made or written, 2 for a bad command line.\n");
}

ParseResult parse_options(int argc, char** argv, Options* o, std::string* error)
{
    static const struct option long_options[] = {
        {"output", required_argument, nullptr, 'o'},
        {"frames", required_argument, nullptr, opt_frames},
        {"still", required_argument, nullptr, opt_still},
        {"contact-sheet", required_argument, nullptr, opt_sheet},
        {"chapters", required_argument, nullptr, opt_chapters},
        {"benchmark", no_argument, nullptr, opt_benchmark},
        {"frame-times", required_argument, nullptr, opt_frame_times},
        {"frame-plot", required_argument, nullptr, opt_frame_plot},
        {"sync-readback", no_argument, nullptr, opt_sync_readback},
        {"fill", no_argument, nullptr, opt_fill},
        {"fps", required_argument, nullptr, opt_fps},
        {"size", required_argument, nullptr, opt_size},
        {"end", required_argument, nullptr, opt_end},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, opt_version},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 1;
    int c;
    int index = 0;
    while ((c = getopt_long(argc, argv, ":o:qh", long_options, &index)) != -1) {
        switch (c) {
        case 'o':
            if (!*optarg) {
                *error = "--output: the file name is empty";
                return ParseResult::usage_error;
            }
            o->video = optarg;
            break;
        case opt_frames:
            if (!*optarg) {
                *error = "--frames: the folder name is empty";
                return ParseResult::usage_error;
            }
            o->frames_dir = optarg;
            break;
        case opt_still: {
            std::string value = optarg;
            std::string::size_type eq = value.find('=');
            Still still;
            if (eq == std::string::npos || !parse_seconds(value.substr(0, eq), &still.seconds) ||
                eq + 1 >= value.size()) {
                *error = "--still: expected SECONDS=FILE, got '" + value + "'";
                return ParseResult::usage_error;
            }
            still.path = value.substr(eq + 1);
            still.frame = 0;
            o->stills.push_back(still);
            break;
        }
        case opt_sheet:
            if (!*optarg) {
                *error = "--contact-sheet: the file name is empty";
                return ParseResult::usage_error;
            }
            o->contact_sheet = optarg;
            break;
        case opt_chapters:
            if (!*optarg) {
                *error = "--chapters: the file name is empty";
                return ParseResult::usage_error;
            }
            o->chapters = optarg;
            break;
        case opt_benchmark: o->benchmark = true; break;
        case opt_frame_times:
        case opt_frame_plot:
            if (!*optarg) {
                *error = std::string(c == opt_frame_times ? "--frame-times" : "--frame-plot") + ": the file name is empty";
                return ParseResult::usage_error;
            }
            (c == opt_frame_times ? o->frame_times : o->frame_plot) = optarg;
            break;
        case opt_sync_readback: o->sync_readback = true; break;
        case opt_fill: o->fill = true; break;
        case opt_fps: {
            long v = 0;
            if (!parse_int(optarg, 1, 1000, &v)) {
                *error = std::string("--fps: expected a whole number from 1 to 1000, got '") + optarg + "'";
                return ParseResult::usage_error;
            }
            o->fps = static_cast<int>(v);
            break;
        }
        case opt_size: {
            std::string value = optarg;
            std::string::size_type x = value.find_first_of("xX");
            long w = 0, h = 0;
            if (x == std::string::npos || !parse_int(value.substr(0, x).c_str(), 1, 16384, &w) ||
                !parse_int(value.substr(x + 1).c_str(), 1, 16384, &h)) {
                *error = "--size: expected WIDTHxHEIGHT from 1x1 to 16384x16384, got '" + value + "'";
                return ParseResult::usage_error;
            }
            o->width = static_cast<int>(w);
            o->height = static_cast<int>(h);
            break;
        }
        case opt_end:
            if (!parse_seconds(optarg, &o->end_seconds) || o->end_seconds <= 0) {
                *error = std::string("--end: expected a number of seconds above 0, got '") + optarg + "'";
                return ParseResult::usage_error;
            }
            break;
        case 'q': o->quiet = true; break;
        case 'h': return ParseResult::help;
        case opt_version: return ParseResult::version;
        case ':':
            *error = std::string("option '") + argv[optind - 1] + "' needs a value";
            return ParseResult::usage_error;
        default:
            if (optopt && optopt < 256)
                *error = std::string("unknown option '-") + static_cast<char>(optopt) + "'";
            else
                *error = std::string("unknown option '") + argv[optind - 1] + "'";
            return ParseResult::usage_error;
        }
    }
    if (optind < argc) {
        *error = std::string("unexpected argument '") + argv[optind] + "'";
        return ParseResult::usage_error;
    }

    bool writes = !o->video.empty() || !o->frames_dir.empty() || !o->stills.empty() || !o->contact_sheet.empty() ||
                  !o->chapters.empty();
    if ((!o->frame_times.empty() || !o->frame_plot.empty()) && !o->benchmark) {
        *error = "--frame-times and --frame-plot go with --benchmark";
        return ParseResult::usage_error;
    }
    if (o->benchmark && writes) {
        *error = "--benchmark writes nothing; give it without output options";
        return ParseResult::usage_error;
    }
    if (!o->benchmark && !writes) {
        *error = "nothing to do: give -o, --frames, --still, --contact-sheet, --chapters or --benchmark";
        return ParseResult::usage_error;
    }
    if (!o->video.empty()) {
        if (video_container(o->video).empty()) {
            *error = "--output: '" + o->video + "' does not end in .mp4, .m4v or .mkv";
            return ParseResult::usage_error;
        }
        if (o->width % 2 != 0 || o->height % 2 != 0) {
            *error = "--size: a video needs an even width and height";
            return ParseResult::usage_error;
        }
    }
    if (o->end_seconds > 0)
        o->end_frames = std::max(1L, static_cast<long>(std::ceil(o->end_seconds * o->fps - 1e-9)));
    for (Still& still : o->stills)
        still.frame = frame_at(still.seconds, o->fps);
    return ParseResult::run;
}
