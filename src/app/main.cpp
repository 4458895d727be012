// eLka: a self-running real-time OpenGL demo. It plays without arguments;
// --help and --version answer and end.
#include "app/command_line.h"
#include "app/entry.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string text;
    const CommandLineAction action = parse_command_line(argc, argv, &text);
    if (action == CommandLineAction::play)
        return win_main();
    std::fputs(text.c_str(), action == CommandLineAction::usage_error ? stderr : stdout);
    return command_line_status(action);
}
