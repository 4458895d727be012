// eLka: a self-running real-time OpenGL demo. It plays without arguments
// (--sharp: at the screen's own pixels; --start: from a time); --help and
// --version answer and end.
#include "app/command_line.h"
#include "app/entry.h"
#include "app/gl_window.h"
#include "platform/window_system.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const CommandLine line = parse_command_line(argc, argv);
    if (line.action == CommandLineAction::play) {
        platform_set_sharp(line.sharp);
        app.player.start_seconds = line.start_seconds;
        return win_main();
    }
    std::fputs(line.text.c_str(), line.action == CommandLineAction::usage_error ? stderr : stdout);
    return command_line_status(line.action);
}
