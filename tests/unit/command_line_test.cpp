// The demo's command line: no arguments plays; --help and --version answer
// on standard output with status 0; anything else is a usage error with
// status 2 that names what was wrong.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {
CommandLineAction parse(std::initializer_list<const char*> args, std::string* text)
{
    std::vector<const char*> argv{"elka"};
    argv.insert(argv.end(), args);
    return parse_command_line(static_cast<int>(argv.size()), argv.data(), text);
}
} // namespace

TEST(CommandLine, NoArgumentsPlaysAndPrintsNothing)
{
    std::string text = "left over";
    EXPECT_EQ(parse({}, &text), CommandLineAction::play);
    EXPECT_EQ(text, "");
}

TEST(CommandLine, HelpAndVersionAnswerWithStatusZero)
{
    std::string text;
    EXPECT_EQ(parse({"--help"}, &text), CommandLineAction::help);
    EXPECT_EQ(text.rfind("Usage: elka [OPTION]\n", 0), 0u) << text;
    EXPECT_NE(text.find("--version"), std::string::npos);
    EXPECT_NE(text.find("Escape"), std::string::npos);
    EXPECT_EQ(parse({"-h"}, &text), CommandLineAction::help);
    EXPECT_EQ(command_line_status(CommandLineAction::help), 0);
    EXPECT_EQ(parse({"--version"}, &text), CommandLineAction::version);
    EXPECT_EQ(text, "elka " ELKA_TEST_VERSION "\n");
    EXPECT_EQ(command_line_status(CommandLineAction::version), 0);
}

TEST(CommandLine, AnythingElseIsAUsageErrorWithStatusTwo)
{
    std::string text;
    EXPECT_EQ(parse({"--fullscreen"}, &text), CommandLineAction::usage_error);
    EXPECT_EQ(text, "elka: unrecognized option '--fullscreen'\nTry 'elka --help' for more information.\n");
    EXPECT_EQ(parse({"song.mp3"}, &text), CommandLineAction::usage_error);
    EXPECT_EQ(text, "elka: unexpected argument 'song.mp3'\nTry 'elka --help' for more information.\n");
    // An option is not taken from further down the line either.
    EXPECT_EQ(parse({"-x", "--help"}, &text), CommandLineAction::usage_error);
    EXPECT_EQ(parse({"-"}, &text), CommandLineAction::usage_error);
    EXPECT_EQ(command_line_status(CommandLineAction::usage_error), 2);
}
