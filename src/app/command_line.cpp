// The demo's command line, as a Linux user expects it: --help and
// --version answer and end, anything else is a usage error (status 2), so
// a mistyped option never starts a fullscreen demo.
#include "app/command_line.h"

#ifndef ELKA_VERSION
#define ELKA_VERSION "unknown"
#endif

namespace {

const char* const usage_text = "Usage: elka [OPTION]\n"
                               "Plays the eLka demo: a self-running real-time OpenGL demo of about 151 seconds\n"
                               "with its song, fullscreen over the monitor at the desktop's own mode.\n"
                               "\n"
                               "      --help     show this help and exit\n"
                               "      --version  show the version and exit\n"
                               "\n"
                               "Keys: Escape ends the demo; F1 switches between fullscreen and a 640 x 480\n"
                               "window. The media are read from files/ in the working directory.\n";

} // namespace

CommandLineAction parse_command_line(int argc, const char* const* argv, std::string* text)
{
    text->clear();
    if (argc < 2)
        return CommandLineAction::play;
    const std::string first = argv[1] ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        *text = usage_text;
        return CommandLineAction::help;
    }
    if (first == "--version") {
        *text = std::string("elka ") + ELKA_VERSION + "\n";
        return CommandLineAction::version;
    }
    if (first.size() > 1 && first[0] == '-')
        *text = "elka: unrecognized option '" + first + "'\n";
    else
        *text = "elka: unexpected argument '" + first + "'\n";
    *text += "Try 'elka --help' for more information.\n";
    return CommandLineAction::usage_error;
}

int command_line_status(CommandLineAction action) { return action == CommandLineAction::usage_error ? 2 : 0; }
