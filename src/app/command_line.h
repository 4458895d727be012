// The demo's command line: it plays without arguments, and answers the two
// questions every program answers.
#pragma once

#include <string>

enum class CommandLineAction { play, help, version, usage_error };

// What the arguments ask for; for help, version and a usage error, the text
// to print (to standard output, or to standard error for an error).
CommandLineAction parse_command_line(int argc, const char* const* argv, std::string* text);

// The exit status of a command line that does not play: 0, or 2 for a
// usage error.
int command_line_status(CommandLineAction action);
