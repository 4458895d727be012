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

TEST(CommandLine, StartTakesSecondsWithinTheSequence)
{
    CommandLine line = parse({"--start", "79"});
    EXPECT_EQ(line.action, CommandLineAction::play);
    EXPECT_EQ(line.start_seconds, 79.0);
    EXPECT_EQ(parse({"--sharp", "--start=0.5"}).start_seconds, 0.5);
    EXPECT_TRUE(parse({"--start=0.5", "--sharp"}).sharp);
    EXPECT_EQ(parse({"--start", "0"}).start_seconds, 0.0);
    EXPECT_EQ(parse({"--start", "151"}).action, CommandLineAction::play); // the last cards
    EXPECT_EQ(parse({}).start_seconds, 0.0);
    for (const char* named : {"--start", "Space", "Left", "Right", "Home"})
        EXPECT_NE(parse({"--help"}).text.find(named), std::string::npos) << named;
}

TEST(CommandLine, ABadStartIsOneLineSayingWhatIsAccepted)
{
    // Not a number, negative, written otherwise than in decimals, at or
    // past the end (151.02 s), or missing.
    for (const char* value : {"abc", "-1", "+5", "1e2", "0x10", "inf", "nan", "", ".", "1.2.3", "79s", "151.02",
                              "99999999999999"}) {
        SCOPED_TRACE(value);
        CommandLine line = parse({"--start", value});
        EXPECT_EQ(line.action, CommandLineAction::usage_error);
        EXPECT_EQ(command_line_status(line.action), 2);
        EXPECT_EQ(line.text, std::string("elka: --start: expected seconds from 0 to less than 151.02 (such as 79), got '") +
                                 value + "'\n");
    }
    EXPECT_EQ(parse({"--start"}).action, CommandLineAction::usage_error);
    EXPECT_EQ(parse({"--start=-3"}).text,
              "elka: --start: expected seconds from 0 to less than 151.02 (such as 79), got '-3'\n");
}
