// The usage errors and answers of every elka program, written once.
#include "program_line.h"

#include <cstdio>
#include <cstring>

#ifndef ELKA_VERSION
#define ELKA_VERSION "unknown"
#endif

namespace {

const ProgramOption* option_named(const ProgramLine& line, const char* arg)
{
    for (int i = 0; i < line.option_count; ++i)
        if (std::strcmp(line.options[i].name, arg) == 0)
            return &line.options[i];
    return nullptr;
}

} // namespace

int program_usage_error(const char* name, const std::string& what)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name, what.c_str(), name);
    return 2;
}

int answer_program_line(int argc, const char* const* argv, const ProgramLine& line)
{
    int operands = 0;
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        const bool option = !options_ended && arg.size() > 1 && arg[0] == '-';
        if (!option) {
            if (line.most_operands >= 0 && operands == line.most_operands)
                return program_usage_error(line.name, "unexpected argument '" + arg + "'");
            ++operands;
            continue;
        }
        if (arg == "--") {
            options_ended = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(line.usage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("%s %s\n", line.name, ELKA_VERSION);
            return 0;
        } else if (const ProgramOption* known = option_named(line, arg.c_str())) {
            if (known->takes_value && ++i == argc)
                return program_usage_error(line.name, "option '" + arg + "' needs a value");
        } else if (!line.prefix || arg.rfind(line.prefix, 0) != 0) {
            return program_usage_error(line.name, "unrecognized option '" + arg + "'");
        }
    }
    if (operands < line.least_operands)
        return program_usage_error(line.name, std::string("missing ") + line.operands);
    return -1;
}
