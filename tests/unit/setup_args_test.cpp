// setup.exe's command line, as deployment tools and scripts write it.
#include <gtest/gtest.h>

#include <string>

#include "setup/setup_args.h"

namespace {

struct ARGS_CASE {
    const char *line;
    bool ok;
    bool silent, no_shortcut, usage;
    const char *log, *dir;
    SETUP_ARGS_PROBLEM problem;
};

} // namespace

TEST(SetupArgs, EachLineReadsAsACallerMeansIt)
{
    const SETUP_ARGS_PROBLEM OK = SETUP_ARGS_OK;
    // clang-format off
    const ARGS_CASE cases[] = {
        {"", true, false, false, false, "", "", OK},
        {" \t ", true, false, false, false, "", "", OK},
        {"/S", true, true, false, false, "", "", OK},
        {"/s /noShortcut", true, true, true, false, "", "", OK},
        {"/NOSHORTCUT /S", true, true, true, false, "", "", OK},
        {"/S /S", true, true, false, false, "", "", OK},                      // the same answer twice
        {"/?", true, false, false, true, "", "", OK},
        {"/S /LOG=C:\\r.txt", true, true, false, false, "C:\\r.txt", "", OK},
        {"/log=\"C:\\My Logs\\r.txt\" /S", true, true, false, false, "C:\\My Logs\\r.txt", "", OK},
        // /D= takes the rest of the line, blanks and all, without the blanks that end it.
        {"/S /D=C:\\Program Files\\My App  ", true, true, false, false, "", "C:\\Program Files\\My App", OK},
        {"/d=\"C:\\Program Files\\My App\"", true, false, false, false, "", "C:\\Program Files\\My App", OK},
        {"/S /D=C:\\a /S", true, true, false, false, "", "C:\\a /S", OK},    // nothing after /D= is an option
        // The whole option quoted, as a program quotes an argument with a blank.
        {"/S \"/LOG=C:\\My Logs\\r.txt\" \"/D=C:\\Program Files\\My App\" ", true, true, false, false,
         "C:\\My Logs\\r.txt", "C:\\Program Files\\My App", OK},
        {"\"/S\"", true, true, false, false, "", "", OK},
        {"/D=relative\\dir", true, false, false, false, "", "relative\\dir", OK}, // syntax only: checked later
        // Refused lines.
        {"/X", false, false, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"install", false, false, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"/SILENT", false, false, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"/S/NOSHORTCUT", false, false, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"/DIR=C:\\x", false, false, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"/LOG=", false, false, false, false, "", "", SETUP_ARGS_EMPTY_VALUE},
        {"/LOG=\"\"", false, false, false, false, "", "", SETUP_ARGS_EMPTY_VALUE},
        {"/D=  ", false, false, false, false, "", "", SETUP_ARGS_EMPTY_VALUE},
        {"/LOG=\"C:\\r.txt", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES},
        {"/LOG=C:\\\"r\".txt", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES},
        {"/D=\"C:\\a\" b", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES},
        {"\"/D=C:\\a", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES},
        {"\"/S", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES},
        {"/LOG=a.txt /LOG=b.txt", false, false, false, false, "a.txt", "", SETUP_ARGS_REPEATED},
        // /S anywhere before /D= keeps a refused line silent.
        {"/X /S", false, true, false, false, "", "", SETUP_ARGS_UNKNOWN},
        {"/LOG=\"a b /S", false, false, false, false, "", "", SETUP_ARGS_BAD_QUOTES}, // inside the open quote
    };
    // clang-format on
    for (const ARGS_CASE &c : cases) {
        SCOPED_TRACE(std::string("line: ") + c.line);
        SETUP_ARGS args;
        EXPECT_EQ(parse_setup_args(c.line, args), c.ok);
        EXPECT_EQ(args.problem, c.problem);
        EXPECT_EQ(args.silent, c.silent);
        EXPECT_EQ(args.no_shortcut, c.no_shortcut);
        EXPECT_EQ(args.usage, c.usage);
        if (c.ok) {
            EXPECT_STREQ(args.log_file, c.log);
            EXPECT_STREQ(args.install_dir, c.dir);
        }
        EXPECT_EQ(args.given, std::string(c.line).find_first_not_of(" \t") != std::string::npos);
    }
}

// /REPLACE, the upgrade's answer: an option like the others, never a part
// of /D='s value, never a prefix of another word.
TEST(SetupArgs, ReplaceIsAnOptionOfItsOwn)
{
    const struct {
        const char *line;
        bool ok, replace;
    } cases[] = {
        {"/S /REPLACE", true, true},           {"/replace /s", true, true},  {"/S", true, false},
        {"/S /D=C:\\a /REPLACE", true, false}, {"/REPLACE=1", false, false}, {"/S/REPLACE", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        SETUP_ARGS args;
        EXPECT_EQ(parse_setup_args(c.line, args), c.ok);
        EXPECT_EQ(args.replace, c.replace);
    }
}

// Whether any argument was given decides the exit statuses: a null line is
// none, as a start without arguments hands it over.
TEST(SetupArgs, NullLineIsNoArguments)
{
    SETUP_ARGS args;
    args.given = true;
    EXPECT_TRUE(parse_setup_args(nullptr, args));
    EXPECT_FALSE(args.given);
}

// A value that does not fit a path is refused, never cut to one that names
// another directory; the word is kept for the message, cut to its buffer.
TEST(SetupArgs, LongValuesAreRefusedWhole)
{
    const std::string fits = "C:\\" + std::string(SETUP_PATH_SIZE - 4, 'a');
    const std::string too_long = fits + "b";
    SETUP_ARGS args;
    ASSERT_TRUE(parse_setup_args(("/D=" + fits).c_str(), args));
    EXPECT_EQ(std::string(args.install_dir), fits);
    EXPECT_FALSE(parse_setup_args(("/D=" + too_long).c_str(), args));
    EXPECT_EQ(args.problem, SETUP_ARGS_TOO_LONG);
    EXPECT_STREQ(args.install_dir, "");
    EXPECT_FALSE(parse_setup_args(("/S /LOG=" + too_long).c_str(), args));
    EXPECT_EQ(args.problem, SETUP_ARGS_TOO_LONG);
    EXPECT_TRUE(args.silent);
    EXPECT_EQ(std::string(args.problem_word), ("/LOG=" + too_long).substr(0, sizeof args.problem_word - 1));
    EXPECT_STRNE(setup_args_problem_text(args.problem), "");
}
