// The demo's command line, as a Linux user expects it: --help and
// --version answer and end, --sharp plays in the sharp mode, anything else
// is a usage error (status 2), so a mistyped option never starts a
// fullscreen demo.
#include "app/command_line.h"

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
                               "      --help     show this help and exit\n"
                               "      --version  show the version and exit\n"
                               "\n"
                               "Keys: Escape ends the demo; F1 switches between fullscreen and a 640 x 480\n"
                               "window. The media are read from files/ in the working directory.\n";

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
