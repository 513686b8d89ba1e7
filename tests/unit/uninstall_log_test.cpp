// The uninstaller's reading: the setup log's lines, the safety check of an
// entry, path comparison, and the command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uninstall/command_line.h"
#include "uninstall/entry_check.h"
#include "platform/path_text.h"

TEST(LogReader, SplitsLinesAndKnowsTheKeys)
{
    // CR LF and LF mixed, a key in another case, an unknown key, a line
    // without "=", a stray CR inside a line, and a cut last line.
    const std::string data = "; header\r\nAppTitle=Foo Bar\r\nEMail=a@b\nmkfile=C:\\a b\\c.txt\r\n"
                             "Other=x\r\nno equals\r\nMkDir=C:\\d\re\r\n\r\nMkDir=C:\\cut";
    PARSED_LOG log;
    ASSERT_TRUE(log.parse(data.data(), (uint32_t)data.size()));
    struct {
        LOG_KEY key;
        const char *text, *value;
        bool cut;
    } expected[] = {
        {KEY_OTHER, "; header", nullptr, false},
        {KEY_APPTITLE, "AppTitle=Foo Bar", "Foo Bar", false},
        {KEY_EMAIL, "EMail=a@b", "a@b", false},
        {KEY_MKFILE, "mkfile=C:\\a b\\c.txt", "C:\\a b\\c.txt", false},
        {KEY_OTHER, "Other=x", "x", false},
        {KEY_OTHER, "no equals", nullptr, false},
        {KEY_MKDIR, "MkDir=C:\\d\re", "C:\\d\re", false},
        {KEY_OTHER, "", nullptr, false},
        {KEY_MKDIR, "MkDir=C:\\cut", "C:\\cut", true},
    };
    ASSERT_EQ(log.count, (int32_t)(sizeof expected / sizeof expected[0]));
    for (int i = 0; i < log.count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(log.lines[i].key, expected[i].key);
        EXPECT_STREQ(log.lines[i].text, expected[i].text);
        if (expected[i].value)
            EXPECT_STREQ(log.lines[i].value, expected[i].value);
        else
            EXPECT_EQ(log.lines[i].value, nullptr);
        EXPECT_EQ(log.lines[i].cut, expected[i].cut);
        EXPECT_FALSE(log.lines[i].has_nul);
    }
    EXPECT_STREQ(log.title(), "Foo Bar");
    EXPECT_TRUE(log.names_file("c:/A B/C.TXT"));
    EXPECT_FALSE(log.names_file("C:\\cut")); // an MkDir, and cut besides
}

TEST(LogReader, ZeroBytesCutShortLinesAndNoTitle)
{
    const char data[] = "MkFile=C:\\a\\b\0.txt\r\nAppTitle=Fo";
    PARSED_LOG log;
    ASSERT_TRUE(log.parse(data, sizeof data - 1));
    ASSERT_EQ(log.count, 2);
    EXPECT_TRUE(log.lines[0].has_nul);
    EXPECT_FALSE(log.names_file("C:\\a\\b")); // the zero byte must not make a shorter path
    EXPECT_TRUE(log.lines[1].cut);
    EXPECT_STREQ(log.title(), "Unknown"); // a cut AppTitle is no title
    ASSERT_TRUE(log.parse("", 0));
    EXPECT_EQ(log.count, 0);
    EXPECT_STREQ(log.title(), "Unknown");
}

TEST(LogReader, SafetyCheckOfEntries)
{
    PROTECTED_DIRS dirs = {};
    std::strcpy(dirs.windows, "C:\\WINDOWS");
    std::strcpy(dirs.system, "C:\\WINDOWS\\system32");
    std::strcpy(dirs.programs[1], "C:\\ProgramData\\Start Menu\\Programs");
    const std::string long_path = "C:\\" + std::string(257, 'x');
    struct {
        const char *value;
        ENTRY_CHECK check;
    } cases[] = {
        {"C:\\Program Files\\Foo\\foo.exe", ENTRY_SAFE},
        {"d:/apps/foo", ENTRY_SAFE},
        {"C:\\windows\\UnInstal\\", ENTRY_SAFE}, // the log directory's line ends in a backslash
        {"C:\\windows\\notes.ini", ENTRY_SAFE},  // shared, but that is the plan's business
        {"C:\\a\\..b\\.c", ENTRY_SAFE},
        {"", ENTRY_NOT_ABSOLUTE},
        {"foo\\bar.txt", ENTRY_NOT_ABSOLUTE},
        {"\\foo\\bar.txt", ENTRY_NOT_ABSOLUTE},
        {"\\\\server\\share\\x", ENTRY_NOT_ABSOLUTE},
        {"C:foo", ENTRY_NOT_ABSOLUTE},
        {"1:\\foo", ENTRY_NOT_ABSOLUTE},
        {" C:\\foo", ENTRY_NOT_ABSOLUTE},
        {long_path.c_str(), ENTRY_TOO_LONG},
        {"C:\\a\\..\\windows", ENTRY_DOT_PART},
        {"C:\\a\\.", ENTRY_DOT_PART},
        {"C:\\a/../b", ENTRY_DOT_PART},
        {"C:\\a\\...\\b", ENTRY_DOT_PART},
        {"C:\\a\\*.*", ENTRY_WILDCARD},
        {"C:\\a\\b?", ENTRY_WILDCARD},
        {"C:\\a\\<b", ENTRY_WILDCARD},
        {"C:\\a\\b\"", ENTRY_WILDCARD},
        {"C:\\a\\\\b", ENTRY_BAD_NAME},
        {"C:\\\\windows\\x.dll", ENTRY_BAD_NAME},
        {"C:\\a\\b.txt:stream", ENTRY_BAD_NAME},
        {"C:\\a|b", ENTRY_BAD_NAME},
        {"C:\\a\tb", ENTRY_BAD_NAME},
        {"C:\\windows.\\x.dll", ENTRY_BAD_NAME},
        {"C:\\a \\b", ENTRY_BAD_NAME},
        {"C:", ENTRY_DRIVE_ROOT},
        {"c:\\", ENTRY_DRIVE_ROOT},
        {"Z:/", ENTRY_DRIVE_ROOT},
        {"c:\\windows", ENTRY_WINDOWS_DIR},
        {"C:\\Windows\\", ENTRY_WINDOWS_DIR},
        {"C:\\windows\\SYSTEM32", ENTRY_SYSTEM_DIR},
        {"c:\\programdata\\start menu\\programs\\", ENTRY_PROGRAMS_DIR},
    };
    for (const auto &c : cases)
        EXPECT_EQ(check_entry(c.value, dirs), c.check) << c.value;
    EXPECT_EQ(check_entry(nullptr, dirs), ENTRY_NOT_ABSOLUTE);
}

TEST(PathCompare, SameBelowRootAndName)
{
    struct {
        const char *a, *b;
        bool same, below; // a is b; a lies below b
    } cases[] = {
        {"C:\\Foo\\Bar", "c:\\foo\\bar", true, false},
        {"C:\\Foo\\Bar\\", "c:/foo/bar", true, false},
        {"C:\\Foo\\Barx", "C:\\Foo\\Bar", false, false},
        {"C:\\Foo\\Bar\\x", "C:\\FOO\\bar\\", false, true},
        {"C:\\Foo\\Bar\\x\\y", "C:\\Foo", false, true},
        {"C:\\Foo", "C:\\", false, true},
        {"C:\\", "C:", true, false},
        {"C:\\Foo\\", "C:\\Foo", true, false},
        {"D:\\Foo\\x", "C:\\Foo", false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(same_path(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(path_is_below(c.a, c.b), c.below) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(is_drive_root("d:"));
    EXPECT_TRUE(is_drive_root("D:\\\\"));
    EXPECT_FALSE(is_drive_root("D:\\a"));
    EXPECT_STREQ(path_file_name("C:\\a\\uninstal.bat"), "uninstal.bat");
    EXPECT_STREQ(path_file_name("C:/a/b"), "b");
    EXPECT_STREQ(path_file_name("name"), "name");
    char out[12];
    EXPECT_TRUE(path_append(out, sizeof out, "C:\\a", "b.log"));
    EXPECT_STREQ(out, "C:\\a\\b.log");
    EXPECT_TRUE(path_append(out, sizeof out, "C:\\", "b.log"));
    EXPECT_STREQ(out, "C:\\b.log");
    EXPECT_FALSE(path_append(out, sizeof out, "C:\\abc", "defg.log")); // 15 characters
    EXPECT_STREQ(out, "");
}

TEST(CommandLine, OptionsAndTheLogName)
{
    struct {
        const char *args;
        bool ok, silent, usage;
        uint32_t finish;
        const char *log;
        ARGS_PROBLEM problem;
    } cases[] = {
        {"UnInstal\\Sample Notes.log", true, false, false, 0, "UnInstal\\Sample Notes.log", ARGS_OK},
        {"  \"UnInstal\\100% Tools.log\"  ", true, false, false, 0, "UnInstal\\100% Tools.log", ARGS_OK},
        {"/S UnInstal\\Foo.log", true, true, false, 0, "UnInstal\\Foo.log", ARGS_OK},
        {"/s  C:\\logs\\a b.log ", true, true, false, 0, "C:\\logs\\a b.log", ARGS_OK},
        {"/S /finish:1234,88 \"C:\\w\\Foo.log\"", true, true, false, 1234, "C:\\w\\Foo.log", ARGS_OK},
        {"/?", true, false, true, 0, "", ARGS_OK},
        {"/S /? Foo.log", true, true, true, 0, "", ARGS_OK},
        {"", false, false, false, 0, "", ARGS_NO_LOG},
        {"/S", false, true, false, 0, "", ARGS_NO_LOG},
        {"\"\"", false, false, false, 0, "", ARGS_NO_LOG},
        {"/X Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        {"/finish:12x Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        // The two handles the finishing copy inherits: both, neither 0.
        {"/finish:1234 Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        {"/finish:12,0 Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        {"/finish:,12 Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        {"/finish:1,2,3 Foo.log", false, false, false, 0, "", ARGS_UNKNOWN_OPTION},
        {"\"Foo.log", false, false, false, 0, "", ARGS_BAD_QUOTES},
        {"\"Foo.log\" more", false, false, false, 0, "", ARGS_BAD_QUOTES},
    };
    for (const auto &c : cases) {
        COMMAND_LINE command;
        EXPECT_EQ(parse_command_line(c.args, command), c.ok) << c.args;
        EXPECT_EQ(command.silent, c.silent) << c.args;
        EXPECT_EQ(command.usage, c.usage) << c.args;
        EXPECT_EQ(command.finish_after, c.finish) << c.args;
        EXPECT_EQ(command.finish_event, c.finish ? 88u : 0u) << c.args;
        EXPECT_STREQ(command.log_name, c.log) << c.args;
        EXPECT_EQ(command.problem, c.problem) << c.args;
    }
    COMMAND_LINE command;
    EXPECT_FALSE(parse_command_line(std::string(300, 'a').c_str(), command));
    EXPECT_EQ(command.problem, ARGS_TOO_LONG);
}

TEST(CommandLine, RelativeNamesLieInTheWindowsDirectory)
{
    struct {
        const char *name, *path;
    } cases[] = {
        {"UnInstal\\Foo.log", "C:\\WINDOWS\\UnInstal\\Foo.log"},
        {"Foo.log", "C:\\WINDOWS\\Foo.log"},
        {"D:\\logs\\Foo.log", "D:\\logs\\Foo.log"},
        {"\\logs\\Foo.log", "\\logs\\Foo.log"},
    };
    for (const auto &c : cases) {
        char out[LOG_PATH_SIZE];
        ASSERT_TRUE(resolve_log_path(c.name, "C:\\WINDOWS", out, sizeof out)) << c.name;
        EXPECT_STREQ(out, c.path);
    }
    char small[16];
    EXPECT_FALSE(resolve_log_path("UnInstal\\Foo.log", "C:\\WINDOWS", small, sizeof small));
}
