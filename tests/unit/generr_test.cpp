#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genutil.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/report_text.h"
#include "tests/unit/support/test_env.h"

TEST(ErrorTable, StartupFillsSeventyTwoRecordsInOrder)
{
    ASSERT_TRUE(error_db.initialised);
    ASSERT_EQ(error_db.num_errors, 79);
    const int defaults[] = {0, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(error_db.errors[i]->code, defaults[i]) << i;
    ASSERT_EQ(system_error_count, 43);
    for (int i = 0; i < 43; ++i) {
        EXPECT_EQ(error_db.errors[16 + i]->code, i);
        EXPECT_STREQ(error_db.errors[16 + i]->message, system_error_messages[i]);
    }
    const int setup_codes[] = {905, 909, 910, 907, 908, 906, 901, 902, 903, 904,
                               911, 912, 913, 914, 915, 916, 917, 918, 919, 920};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(error_db.errors[59 + i]->code, setup_codes[i]) << i;
}

TEST(ErrorTable, LookupsTakeTheFirstMatch)
{
    // clang-format off
    struct {
        int32_t code;
        const char *text;
    } cases[] = {
        {0, "No error generated."},                 // before the system list's own 0
        {2, "No such file or directory"},           // an errno value
        {38, "Filename too long"},                  // Windows numbering
        {42, "Illegal byte sequence"},
        {51, "Failed to open file!"},
        {58, "Received invalid NULL pointer!"},
        {65, "Received input that would result in an overflow!"},
        {903, "Invalid Windows path received!"},
        {910, "Another version of one of the setup files was found!"},
        {911, "A setup file name may not have a drive, a leading backslash, a '.' or '..' part, or a part that "
              "Windows would change or refuse!"},
        {912, "The install path must be a full path, with a drive letter, a colon and a backslash, and no part "
              "that Windows would change or refuse!"},
        {913, "A destination folder is a junction or symbolic link that setup did not create: no file is copied "
              "through it!"},
        {914, "The install path is too long for the files that setup writes into it!"},
        {915, "A setup file name is too long: its destination or one of its folders would not fit the path limits of "
              "Windows!"},
        {916, "No line of the setup config file is a setup key such as AppTitle=, InstallPath= or File=!"},
        {917, "The setup config file is saved as Unicode (UTF-16), which setup cannot read: save setup.ini as ANSI!"},
        {918, "A folder name of the install path holds a '?', which no name may hold: Windows puts one for each "
              "character that this system's ANSI code page cannot hold!"},
        {919, "A folder name of the install path ends in a dot or a blank, which Windows would drop from it!"},
        {999, "Specified Error code not found."},
        {-1, "Specified Error code not found."},
    };
    // clang-format on
    for (auto &c : cases)
        EXPECT_STREQ(error_db.get_error_msg(c.code), c.text) << c.code;
    EXPECT_EQ(error_db.find_error(0), 0);
    EXPECT_EQ(error_db.find_error(999), -1);
}

TEST(ErrorTable, FullTableRefusesTheHundredFiftyFirstAndLogsIt)
{
    std::string log = testenv::scratch_dir() + "debug.log";
    ASSERT_TRUE(open_logfile(log.c_str()));

    ERR_TYPE table;
    ASSERT_TRUE(table.add_error(1000, "first")); // the first add fills the defaults
    EXPECT_EQ(table.num_errors, 60);
    for (int code = 1001; table.num_errors < MAX_ERRORS; ++code)
        ASSERT_TRUE(table.add_error(code, "filler"));
    err_code = 12;
    EXPECT_FALSE(table.add_error(2000, "one too many"));
    EXPECT_EQ(table.num_errors, 150);
    EXPECT_EQ(table.find_error(2000), -1);
    EXPECT_EQ(err_code, 12);

    // A later record with a code already present never changes a lookup.
    ERR_TYPE dup;
    ASSERT_TRUE(dup.add_error(51, "shadowed"));
    EXPECT_STREQ(dup.get_error_msg(51), "Failed to open file!");
    ASSERT_TRUE(dup.add_error(3000, nullptr));
    EXPECT_EQ(dup.get_error_msg(3000), nullptr);

    // Clearing empties the table but keeps it initialised: no refill on the next add.
    dup.clear_errors();
    EXPECT_TRUE(dup.initialised);
    EXPECT_STREQ(dup.get_error_msg(51), "Specified Error code not found.");
    ASSERT_TRUE(dup.add_error(7, "seven"));
    EXPECT_EQ(dup.num_errors, 1);

    error_db.get_error_msg(-1);
    close_logfile();
    table.clear_errors();
    dup.clear_errors();

    std::string text = testenv::read_file(log);
    EXPECT_NE(text.find(" - GENERR - add_error(): Maximum number of errors 150 exceeded!\r\n"), std::string::npos);
    EXPECT_NE(text.find(" - Error code 4294967295 not found\r\n"), std::string::npos);
}

TEST(ErrorTableDeathTest, NoMemoryForARecordEndsSilently)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            plat_test_fail_alloc(1);
            error_db.add_error(4000, "never stored");
        },
        ::testing::ExitedWithCode(0), ::testing::Eq(""));
}

TEST(CriticalReportDeathTest, SystemErrorLineFollowsErrno)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            error_db.critical_error("Something broke", nullptr);
        },
        ::testing::ExitedWithCode(0), ::testing::Eq(report_text::expected("Something broke", nullptr)));
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 2;
            error_db.critical_error("Something broke", "detail %d%%", 5);
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(
            report_text::expected("Something broke", "detail 5%", "System Error(2): No such file or directory")));
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 43;
            error_db.critical_error(nullptr, nullptr);
        },
        ::testing::ExitedWithCode(0), ::testing::Eq(report_text::expected("None", nullptr, "System Error: 43")));
}

// A program may ask for another status, so that a caller waiting for it
// never takes the crash for success.
TEST(CriticalReportDeathTest, EndsWithTheProgramsChosenStatus)
{
    EXPECT_EXIT(
        {
            critical_exit_status = 2;
            error_db.critical_error("Out of memory", nullptr);
        },
        ::testing::ExitedWithCode(2), "Error Message: Out of memory");
}

TEST(CriticalReportDeathTest, ByCodeAlwaysWritesTheDetailLineUnchanged)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            error_db.critical_error_code(903, nullptr);
        },
        ::testing::ExitedWithCode(0), ::testing::Eq(report_text::expected("Invalid Windows path received!", "")));
    // A "%" produced by the detail is not read as a format again.
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            error_db.critical_error_code(999, "file %s", "100%d.txt");
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(report_text::expected("Specified Error code not found.", "file 100%d.txt")));
}

TEST(CriticalReportDeathTest, WithoutCurrentModuleTheHeaderNamesGenerr)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            reg_db.clear_programs(); // as after the registry's exit handler
            error_db.critical_error("late", nullptr);
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(report_text::expected("late", nullptr, "No System Error Registered",
                                            "   GENERR, v0.2a - 28 Nov 1998, "
                                            "Marten Koivisto (marten.koivisto@example.net)\n\n")));
}
