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
#include <utility>

namespace {

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

ParseResult usage_error(std::string* error, std::string text)
{
    *error = std::move(text);
    return ParseResult::usage_error;
}

// A file or folder name, which may not be empty.
ParseResult set_name(const char* value, std::string* name, const char* option, const char* what, std::string* error)
{
    if (!*value)
        return usage_error(error, std::string(option) + ": the " + what + " name is empty");
    *name = value;
    return ParseResult::run;
}

ParseResult add_still(const char* value, Options* o, std::string* error)
{
    const std::string text = value;
    const std::string::size_type eq = text.find('=');
    Still still;
    if (eq == std::string::npos || !parse_seconds(text.substr(0, eq), &still.seconds) || eq + 1 >= text.size())
        return usage_error(error, "--still: expected SECONDS=FILE, got '" + text + "'");
    still.path = text.substr(eq + 1);
    still.frame = 0;
    o->stills.push_back(still);
    return ParseResult::run;
}

ParseResult set_fps(const char* value, Options* o, std::string* error)
{
    long v = 0;
    if (!parse_int(value, 1, 1000, &v))
        return usage_error(error, std::string("--fps: expected a whole number from 1 to 1000, got '") + value + "'");
    o->fps = static_cast<int>(v);
    return ParseResult::run;
}

ParseResult set_size(const char* value, Options* o, std::string* error)
{
    const std::string text = value;
    const std::string::size_type x = text.find_first_of("xX");
    long w = 0, h = 0;
    if (x == std::string::npos || !parse_int(text.substr(0, x).c_str(), 1, 16384, &w) ||
        !parse_int(text.substr(x + 1).c_str(), 1, 16384, &h))
        return usage_error(error, "--size: expected WIDTHxHEIGHT from 1x1 to 16384x16384, got '" + text + "'");
    o->width = static_cast<int>(w);
    o->height = static_cast<int>(h);
    return ParseResult::run;
}

ParseResult set_end(const char* value, Options* o, std::string* error)
{
    if (!parse_seconds(value, &o->end_seconds) || o->end_seconds <= 0)
        return usage_error(error, std::string("--end: expected a number of seconds above 0, got '") + value + "'");
    return ParseResult::run;
}

// What an option does with its value (null when it takes none): run goes
// on to the next option, anything else ends the parse with that result.
using OptionHandler = ParseResult (*)(const char* value, Options* o, std::string* error);

struct OptionEntry {
    const char* name;
    bool takes_value;
    char letter; // its short form, or 0 for none
    OptionHandler handle;
};

const OptionEntry option_table[] = {
    {"output", true, 'o',
     [](const char* v, Options* o, std::string* e) { return set_name(v, &o->video, "--output", "file", e); }},
    {"frames", true, 0,
     [](const char* v, Options* o, std::string* e) { return set_name(v, &o->frames_dir, "--frames", "folder", e); }},
    {"still", true, 0, add_still},
    {"contact-sheet", true, 0,
     [](const char* v, Options* o, std::string* e) {
         return set_name(v, &o->contact_sheet, "--contact-sheet", "file", e);
     }},
    {"chapters", true, 0,
     [](const char* v, Options* o, std::string* e) { return set_name(v, &o->chapters, "--chapters", "file", e); }},
    {"benchmark", false, 0,
     [](const char*, Options* o, std::string*) {
         o->benchmark = true;
         return ParseResult::run;
     }},
    {"frame-times", true, 0,
     [](const char* v, Options* o, std::string* e) {
         return set_name(v, &o->frame_times, "--frame-times", "file", e);
     }},
    {"frame-plot", true, 0,
     [](const char* v, Options* o, std::string* e) { return set_name(v, &o->frame_plot, "--frame-plot", "file", e); }},
    {"sync-readback", false, 0,
     [](const char*, Options* o, std::string*) {
         o->sync_readback = true;
         return ParseResult::run;
     }},
    {"fill", false, 0,
     [](const char*, Options* o, std::string*) {
         o->fill = true;
         return ParseResult::run;
     }},
    {"fps", true, 0, set_fps},
    {"size", true, 0, set_size},
    {"end", true, 0, set_end},
    {"quiet", false, 'q',
     [](const char*, Options* o, std::string*) {
         o->quiet = true;
         return ParseResult::run;
     }},
    {"help", false, 'h', [](const char*, Options*, std::string*) { return ParseResult::help; }},
    {"version", false, 0, [](const char*, Options*, std::string*) { return ParseResult::version; }},
};
constexpr int option_count = static_cast<int>(sizeof option_table / sizeof option_table[0]);

// getopt's code for an option: its letter, or a number past every
// character for a long-only one, so that a value wrongly given to it is
// reported under its long name.
int option_code(int index) { return option_table[index].letter ? option_table[index].letter : 1000 + index; }

// The table entry getopt answered with a code, or null.
const OptionEntry* option_of(int code)
{
    for (int i = 0; i < option_count; ++i)
        if (option_code(i) == code)
            return &option_table[i];
    return nullptr;
}

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
    // getopt's view of the table: the long forms and the letters.
    struct option long_options[option_count + 1] = {};
    std::string letters = ":";
    for (int i = 0; i < option_count; ++i) {
        const OptionEntry& entry = option_table[i];
        long_options[i] = {entry.name, entry.takes_value ? required_argument : no_argument, nullptr, option_code(i)};
        if (entry.letter) {
            letters += entry.letter;
            if (entry.takes_value)
                letters += ':';
        }
    }
    opterr = 0;
    optind = 1;
    int c;
    int index = 0;
    while ((c = getopt_long(argc, argv, letters.c_str(), long_options, &index)) != -1) {
        if (c == ':')
            return usage_error(error, std::string("option '") + argv[optind - 1] + "' needs a value");
        const OptionEntry* entry = option_of(c);
        if (!entry) {
            if (optopt && optopt < 256)
                return usage_error(error, std::string("unrecognized option '-") + static_cast<char>(optopt) + "'");
            return usage_error(error, std::string("unrecognized option '") + argv[optind - 1] + "'");
        }
        const ParseResult result = entry->handle(entry->takes_value ? optarg : nullptr, o, error);
        if (result != ParseResult::run)
            return result;
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
