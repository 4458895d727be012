// The demo's command line: it plays without arguments, in the sharp mode
// with --sharp, and answers the two questions every program answers.
#pragma once

#include <string>

enum class CommandLineAction { play, help, version, usage_error };

struct CommandLine {
    CommandLineAction action = CommandLineAction::play;
    bool sharp = false; // --sharp: the scenes drawn at the screen's own pixels
    double start_seconds = 0.0; // --start: where in the sequence it starts
    // For help, version and a usage error, the text to print (to standard
    // output, or to standard error for an error).
    std::string text;
};

CommandLine parse_command_line(int argc, const char* const* argv);

// The exit status of a command line that does not play: 0, or 2 for a
// usage error.
int command_line_status(CommandLineAction action);
