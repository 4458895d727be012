// The command line every elka program answers the way the demo does:
// --help and --version answer on standard output and end with status 0;
// an unknown option or a stray argument is a usage error of two lines on
// standard error, status 2, and nothing else is done.
#pragma once

#include <string>

struct ProgramOption {
    const char* name; // "--sections"
    bool takes_value; // the next argument is its value
};

struct ProgramLine {
    const char* name;  // as the program is called, in its messages
    const char* usage; // --help's text
    const ProgramOption* options;
    int option_count;
    int least_operands; // arguments that are not options
    int most_operands;  // < 0: any number
    const char* operands;       // what the operands are, for a missing one ("SONG OUT")
    const char* prefix = nullptr; // options that start with it are the program's too
};

// Answers --help and --version and rejects what the line does not allow.
// Returns -1 when the program goes on with argv as it is, else the status
// to end with (the answer already printed).
int answer_program_line(int argc, const char* const* argv, const ProgramLine& line);

// A usage error the program finds itself: "NAME: WHAT", then where help is.
int program_usage_error(const char* name, const std::string& what);
