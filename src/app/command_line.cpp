// The demo's command line, as a Linux user expects it: --help and
// --version answer and end, --sharp plays in the sharp mode, anything else
// is a usage error (status 2), so a mistyped option never starts a
// fullscreen demo.
#include "app/command_line.h"

#include "timeline/schedule.h"

#include <cstdio>
#include <cstdlib>

#ifndef ELKA_VERSION
#define ELKA_VERSION "unknown"
#endif

namespace {

const char* const usage_text = "Usage: elka [OPTION]...\n"
                               "Plays the eLka demo: a self-running real-time OpenGL demo of about 151 seconds\n"
                               "with its song, fullscreen over the monitor at the desktop's own mode.\n"
                               "\n"
                               "      --sharp    draw the scenes at the screen's own pixels (the largest 4:3\n"
                               "                 area of the window) instead of 800 x 600 scaled up; needs\n"
                               "                 a GPU to keep up on large screens\n"
                               "      --start SECONDS  start that far into the sequence (from 0 to its end,\n"
                               "                 such as 79), as a link to a moment of a video does\n"
                               "      --help     show this help and exit\n"
                               "      --version  show the version and exit\n"
                               "\n"
                               "Keys: Escape ends the demo; F1 switches between fullscreen and a 640 x 480\n"
                               "window; Space pauses and plays on; Left and Right jump 5 seconds back and\n"
                               "forth; Home starts again. The media are read from files/ in the working\n"
                               "directory.\n";

// Plain decimal seconds only ("79", "79.5"): no sign, exponent, hex or inf.
bool parse_seconds(const std::string& text, double* seconds)
{
    int digits = 0, dots = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.' && ++dots == 1)
            continue;
        else
            return false;
    }
    if (digits == 0 || digits > 12)
        return false;
    *seconds = std::strtod(text.c_str(), nullptr);
    return true;
}

// One line that says what --start takes.
std::string start_error(const std::string& value)
{
    char end[32];
    std::snprintf(end, sizeof end, "%g", nominal_length_seconds());
    return std::string("elka: --start: expected seconds from 0 to less than ") + end + " (such as 79), got '" + value +
           "'\n";
}

} // namespace

CommandLine parse_command_line(int argc, const char* const* argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLineAction::help;
            line.text = usage_text;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLineAction::version;
            line.text = std::string("elka ") + ELKA_VERSION + "\n";
            return line;
        }
        if (arg == "--sharp") {
            line.sharp = true;
            continue;
        }
        if (arg == "--start" || arg.rfind("--start=", 0) == 0) {
            const bool joined = arg.size() > 7;
            if (!joined && i + 1 >= argc) {
                line.action = CommandLineAction::usage_error;
                line.text = start_error("");
                return line;
            }
            const std::string value = joined ? arg.substr(8) : std::string(argv[++i] ? argv[i] : "");
            if (!parse_seconds(value, &line.start_seconds) || line.start_seconds >= nominal_length_seconds()) {
                line.action = CommandLineAction::usage_error;
                line.text = start_error(value);
                return line;
            }
            continue;
        }
        line.action = CommandLineAction::usage_error;
        if (arg.size() > 1 && arg[0] == '-')
            line.text = "elka: unrecognized option '" + arg + "'\n";
        else
            line.text = "elka: unexpected argument '" + arg + "'\n";
        line.text += "Try 'elka --help' for more information.\n";
        return line;
    }
    return line;
}

int command_line_status(CommandLineAction action) { return action == CommandLineAction::usage_error ? 2 : 0; }
