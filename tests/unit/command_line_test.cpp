// The demo's command line: no arguments plays; --sharp plays in the sharp
// mode; --help and --version answer on standard output with status 0;
// anything else is a usage error with status 2 that names what was wrong.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
CommandLine parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"elka"};
    argv.insert(argv.end(), args);
    return parse_command_line(static_cast<int>(argv.size()), argv.data());
}
} // namespace

TEST(CommandLine, NoArgumentsPlaysAsDesignedAndSharpPlaysSharp)
{
    CommandLine line = parse({});
    EXPECT_EQ(line.action, CommandLineAction::play);
    EXPECT_FALSE(line.sharp);
    EXPECT_EQ(line.text, "");
    line = parse({"--sharp"});
    EXPECT_EQ(line.action, CommandLineAction::play);
    EXPECT_TRUE(line.sharp);
    EXPECT_EQ(line.text, "");
}

TEST(CommandLine, HelpAndVersionAnswerWithStatusZero)
{
    CommandLine line = parse({"--help"});
    EXPECT_EQ(line.action, CommandLineAction::help);
    EXPECT_EQ(line.text.rfind("Usage: elka [OPTION]...\n", 0), 0u) << line.text;
    for (const char* named : {"--sharp", "--help", "--version", "Escape", "F1"})
        EXPECT_NE(line.text.find(named), std::string::npos) << named;
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::help);
    EXPECT_EQ(parse({"--sharp", "--help"}).action, CommandLineAction::help);
    EXPECT_EQ(command_line_status(CommandLineAction::help), 0);
    line = parse({"--version"});
    EXPECT_EQ(line.action, CommandLineAction::version);
    EXPECT_EQ(line.text, "elka " ELKA_TEST_VERSION "\n");
    EXPECT_EQ(command_line_status(CommandLineAction::version), 0);
}

TEST(CommandLine, AnythingElseIsAUsageErrorWithStatusTwo)
{
    CommandLine line = parse({"--fullscreen"});
    EXPECT_EQ(line.action, CommandLineAction::usage_error);
    EXPECT_EQ(line.text, "elka: unrecognized option '--fullscreen'\nTry 'elka --help' for more information.\n");
    line = parse({"song.mp3"});
    EXPECT_EQ(line.action, CommandLineAction::usage_error);
    EXPECT_EQ(line.text, "elka: unexpected argument 'song.mp3'\nTry 'elka --help' for more information.\n");
    // An error stops the reading: an option further down is not taken.
    EXPECT_EQ(parse({"-x", "--help"}).action, CommandLineAction::usage_error);
    EXPECT_EQ(parse({"--sharp", "--sharpen"}).action, CommandLineAction::usage_error);
    EXPECT_EQ(parse({"-"}).action, CommandLineAction::usage_error);
    EXPECT_EQ(command_line_status(CommandLineAction::usage_error), 2);
}
