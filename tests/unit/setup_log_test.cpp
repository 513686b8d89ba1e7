// The setup log: its name, its first lines, its entries, what becomes of an
// operation whose line cannot be written, and the batch file that hands the
// log to the uninstaller.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/test_env.h"

#ifndef _WIN32
#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using testenv::read_file;
using testenv::write_file;

class SetupLogTest : public JobTest {
protected:
    // The first lines of a log that create_log wrote in dir under name.
    std::vector<std::string> first_lines(const std::string &title, const std::string &email, const std::string &log_dir,
                                         const std::string &name, bool made_dir)
    {
        std::vector<std::string> lines = {"; Setup log file for " + title + ".  Required for the uninstall.",
                                          "AppTitle=" + title, "EMail=" + email};
        if (made_dir)
            lines.push_back("MkDir=" + log_dir);
        lines.push_back("MkFile=" + log_dir + name);
        return lines;
    }
};

TEST_F(SetupLogTest, FirstLogCreatesTheDirectoryAndNamesItself)
{
    job.set_apptitle("Foo");
    job.set_email("foo@example.com");
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    EXPECT_STREQ(relative, "UnInstal\\Foo.log");
    EXPECT_TRUE(dir_exists((windows + "UnInstal\\").c_str()));
    job.close_log();
    EXPECT_EQ(text_lines(windows + "UnInstal\\Foo.log"),
              first_lines("Foo", "foo@example.com", windows + "UnInstal\\", "Foo.log", true));
}

TEST_F(SetupLogTest, LaterLogsTakeTheNextLetterWithoutAnotherMkDir)
{
    job.set_apptitle("Foo");
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    ASSERT_TRUE(job.create_log(relative, sizeof relative)); // closes the first one
    EXPECT_STREQ(relative, "UnInstal\\Fooa.log");
    job.close_log();
    EXPECT_EQ(text_lines(windows + "UnInstal\\Fooa.log"),
              first_lines("Foo", "none", windows + "UnInstal\\", "Fooa.log", false));
    // The first log was closed whole.
    EXPECT_EQ(text_lines(windows + "UnInstal\\Foo.log").size(), 5u);
}

// An earlier log that cannot be opened at the moment keeps its name: the
// new log must not empty it.
TEST_F(SetupLogTest, LogThatCannotBeOpenedNowStillTakesItsName)
{
    job.set_apptitle("Foo");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    write_file(windows + "UnInstal\\Foo.log", "MkFile=C:\\other\\app.exe\r\n");
    char relative[64];
    // The first open reads Foo.log (is it this installation's?), the second
    // makes the new log.
    plat_test_fail_open(2);
    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_FILE_OPEN);
    EXPECT_EQ(read_file(windows + "UnInstal\\Foo.log"), "MkFile=C:\\other\\app.exe\r\n");
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    EXPECT_STREQ(relative, "UnInstal\\Fooa.log");
}

TEST_F(SetupLogTest, TwentySixNamesThenNoMore)
{
    job.set_apptitle("Foo");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    write_file(windows + "UnInstal\\Foo.log", "old");
    for (char letter = 'a'; letter < 'y'; ++letter)
        write_file(windows + "UnInstal\\Foo" + letter + ".log", "old");

    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    EXPECT_STREQ(relative, "UnInstal\\Fooy.log");
    job.close_log();

    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_LOG_NAME);
    EXPECT_EQ(job.log.file, nullptr);
    EXPECT_STREQ(relative, ""); // no name of a log that is not there
    EXPECT_FALSE(file_exists((windows + "UnInstal\\Fooz.log").c_str()));
    EXPECT_EQ(read_file(windows + "UnInstal\\Foo.log"), "old");
}

// Windows opens no directory as a file: one that bears the log's name is
// not a log that is taken, and the log cannot be made.
TEST_F(SetupLogTest, DirectoryWithTheLogsNameFailsTheLog)
{
    job.set_apptitle("Foo");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal\\Foo.log"));
    char relative[64];
    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_FILE_OPEN);
    EXPECT_EQ(job.log.file, nullptr);
    EXPECT_FALSE(file_exists((windows + "UnInstal\\Fooa.log").c_str()));
}

// The buffer comes with its size: a call with the buffer alone, which could
// only fail, must not compile.
template <typename T, typename = void> struct takes_buffer_alone : std::false_type {
};
template <typename T>
struct takes_buffer_alone<T, std::void_t<decltype(std::declval<T &>().create_log(std::declval<char *>()))>>
    : std::true_type {
};
static_assert(!takes_buffer_alone<SETUP_TYPE>::value, "create_log(buffer) must not compile");

TEST_F(SetupLogTest, UntitledJobLogsUnknownAndNone)
{
    ASSERT_TRUE(job.create_log());
    job.close_log();
    EXPECT_EQ(text_lines(windows + "UnInstal\\Unknown.log"),
              first_lines("Unknown", "none", windows + "UnInstal\\", "Unknown.log", true));
}

// A file named like the directory keeps it from being made, on any system.
TEST_F(SetupLogTest, WithoutUninstallDirectoryTheLogLiesInTheWindowsDirectory)
{
    job.set_apptitle("Foo");
    job.set_installpath(root.c_str());
    write_file(windows + "UnInstal", "in the way");
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    EXPECT_STREQ(relative, "Foo.log");
    ASSERT_TRUE(job.write_uninstall_bat(relative));
    job.close_log();

    EXPECT_EQ(
        text_lines(windows + "Foo.log"),
        (std::vector<std::string>{"; Setup log file for Foo.  Required for the uninstall.", "AppTitle=Foo",
                                  "EMail=none", "MkFile=" + windows + "Foo.log", "MkFile=" + root + "uninstal.bat"}));
    EXPECT_EQ(text_lines(root + "uninstal.bat")[2], "\"" + windows + "uninstal.exe\" \"Foo.log\"");
}

// The free name leads nowhere that a file can be made: a directory in its
// place on Windows, a link into a missing directory here.
TEST_F(SetupLogTest, LogThatCannotBeOpenedLeavesNoLogOpenAndNoName)
{
    job.set_apptitle("Foo");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
#ifdef _WIN32
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal\\Foo.log"));
#else
    char host[PATH_MAX];
    ASSERT_TRUE(plat_host_path((windows + "UnInstal\\Foo.log").c_str(), host, sizeof host));
    ASSERT_EQ(symlink("/nonexistent/dir/Foo.log", host), 0);
#endif
    char relative[64] = "sentinel";
    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_FILE_OPEN);
    EXPECT_EQ(job.log.file, nullptr);
    EXPECT_STREQ(relative, "");
}

// Without a Windows directory every path would become relative to the
// current directory; nothing may be made there.
TEST_F(SetupLogTest, NoWindowsDirectoryFailsWithoutTouchingAnything)
{
    set_field(job.windows_dir, nullptr);
    job.set_apptitle("Foo");
    job.set_installpath(root.c_str());
    put_source("uninstal.exe", "MZ uninstaller");
    char relative[64] = "unchanged";

    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_BAD_WINDOWS_PATH);
    EXPECT_EQ(job.log.file, nullptr);

    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Foo.log"), ERR_BAD_WINDOWS_PATH);

    EXPECT_FALSE(dir_exists((source + "UnInstal").c_str()));
    EXPECT_FALSE(file_exists((source + "UnInstal\\Foo.log").c_str()));
    EXPECT_FALSE(file_exists((source + "Foo.log").c_str()));
    EXPECT_FALSE(file_exists((root + "uninstal.bat").c_str()));
    EXPECT_EQ(read_file(source + "uninstal.exe"), "MZ uninstaller");
}

// ---- path lengths: refused whole, never cut, nothing made ----

TEST_F(SetupLogTest, TitleAtTheLimitIsTakenAndOneMoreIsRefused)
{
    // The longest candidate, "<windows>UnInstal\<title>a.log", must fit 259 characters.
    size_t room = 259 - windows.size() - std::string("UnInstal\\a.log").size();
    std::string title(room, 't');
    job.set_apptitle(title.c_str());
    size_t length = 0;
    EXPECT_TRUE(job.log_path_fits(&length));
    EXPECT_EQ(length, 259u);
    char relative[300];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    EXPECT_EQ(std::string(relative), "UnInstal\\" + title + ".log");
    job.close_log();
    EXPECT_TRUE(file_exists((windows + "UnInstal\\" + title + ".log").c_str()));

    std::string longer(room + 1, 'u');
    job.set_apptitle(longer.c_str());
    EXPECT_FALSE(job.log_path_fits(&length));
    EXPECT_EQ(length, 260u);
    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_STRING_BOUNDS);
    EXPECT_EQ(job.log.file, nullptr);
    EXPECT_STREQ(relative, "");
}

TEST_F(SetupLogTest, OverlongTitleOrWindowsDirectoryIsRefusedBeforeAnythingIsMade)
{
    std::string long_title(400, 'T');
    job.set_apptitle(long_title.c_str());
    EXPECT_FAILS_WITH(job.create_log(), ERR_STRING_BOUNDS);
    EXPECT_FALSE(dir_exists((windows + "UnInstal").c_str()));

    job.set_apptitle("Foo");
    std::string long_windows = windows + std::string(300, 'w') + "\\";
    set_field(job.windows_dir, long_windows.c_str());
    EXPECT_FAILS_WITH(job.create_log(), ERR_STRING_BOUNDS);
    EXPECT_EQ(job.log.file, nullptr);

    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Foo.log"), ERR_STRING_BOUNDS);
    EXPECT_FALSE(file_exists("uninstal.bat"));
}

TEST_F(SetupLogTest, CallersBufferTooSmallForTheNameIsRefused)
{
    job.set_apptitle("Foo");
    char relative[16] = "sentinel"; // "UnInstal\Fooa.log" needs 18 bytes
    EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_STRING_BOUNDS);
    EXPECT_STREQ(relative, "");
    EXPECT_FALSE(dir_exists((windows + "UnInstal").c_str()));

    char exact[18];
    EXPECT_TRUE(job.create_log(exact, sizeof exact));
    EXPECT_STREQ(exact, "UnInstal\\Foo.log");
}

TEST_F(SetupLogTest, InstallPathAtTheLimitTakesTheBatchFileAndOneMoreIsRefused)
{
    // "<install path>uninstal.bat" may have 259 characters.
    std::string install = root + std::string(259 - root.size() - 13, 'p') + "\\";
    ASSERT_TRUE(testenv::make_dir(install));
    job.set_installpath(install.c_str());
    open_log_at(root);
    ASSERT_TRUE(job.write_uninstall_bat("Unknown.log"));
    EXPECT_EQ(text_lines(install + "uninstal.bat").size(), 3u);

    std::string longer = root + std::string(259 - root.size() - 12, 'q') + "\\";
    ASSERT_TRUE(testenv::make_dir(longer));
    job.set_installpath(longer.c_str());
    EXPECT_FAILS_WITH(job.write_uninstall_bat("Unknown.log"), ERR_STRING_BOUNDS);
    EXPECT_FALSE(file_exists((longer + "uninstal.bat").c_str()));
}

TEST_F(SetupLogTest, OverlongInstallPathOrLogNameIsRefusedByTheBatchFile)
{
    job.set_apptitle("Foo");
    put_source("uninstal.exe", "MZ");
    std::string long_install = root + std::string(300, 'i') + "\\";
    job.set_installpath(long_install.c_str());
    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Foo.log"), ERR_STRING_BOUNDS);

    job.set_installpath(root.c_str());
    std::string long_name = "UnInstal\\" + std::string(300, 'n') + ".log";
    EXPECT_FAILS_WITH(job.write_uninstall_bat(long_name.c_str()), ERR_STRING_BOUNDS);
    EXPECT_FALSE(file_exists((root + "uninstal.bat").c_str()));
    EXPECT_FALSE(file_exists((windows + "uninstal.exe").c_str()));
}

// ---- log_entry ----

TEST_F(SetupLogTest, EntryIsOnDiskWhenLogEntryReturns)
{
    ASSERT_TRUE(job.create_log());
    std::string log = windows + "UnInstal\\Unknown.log";
    ASSERT_TRUE(job.log_entry(KEY_MKFILE, "C:\\a b\\c.txt"));
    // Read through a handle of its own while the log is still open.
    std::string on_disk = read_file(log);
    EXPECT_NE(on_disk.find("\r\nMkFile=C:\\a b\\c.txt\r\n"), std::string::npos) << on_disk;
    ASSERT_TRUE(job.log_entry(KEY_MKDIR, "C:\\d"));
    EXPECT_EQ(read_file(log).size(), on_disk.size() + std::string("MkDir=C:\\d\r\n").size());
}

TEST_F(SetupLogTest, EntryWithoutLogKeyOrValueWritesNothing)
{
    ASSERT_TRUE(job.create_log());
    std::string log = windows + "UnInstal\\Unknown.log";
    std::string before = read_file(log);
    for (auto call : {+[](SETUP_TYPE &j) { return j.log_entry(KEY_OTHER, "v"); },
                      +[](SETUP_TYPE &j) { return j.log_entry(KEY_MKFILE, nullptr); }}) {
        EXPECT_FAILS_WITH(call(job), ERR_NULL_POINTER);
    }
    job.close_log();
    EXPECT_FAILS_WITH(job.log_entry(KEY_MKFILE, "C:\\x"), ERR_NULL_POINTER);
    EXPECT_EQ(read_file(log), before);
}

TEST_F(SetupLogTest, EntryThatCannotBeWrittenIsReported)
{
    job.log.file = plat_fopen(testenv::FULL_DEVICE, "wt");
    if (!job.log.file)
        GTEST_SKIP() << "no " << testenv::FULL_DEVICE << " to write to";
    EXPECT_FAILS_WITH(job.log_entry(KEY_MKFILE, "C:\\x"), ERR_FILE_WRITE);
}

// ---- write_uninstall_bat ----

TEST_F(SetupLogTest, BatchFileCallsTheUninstallerOnTheLog)
{
    job.set_apptitle("Foo");
    job.set_installpath(root.c_str());
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    ASSERT_TRUE(job.write_uninstall_bat(relative));
    job.close_log();

    EXPECT_EQ(text_lines(root + "uninstal.bat"),
              (std::vector<std::string>{"rem This file uninstalls the Foo application.  The uninstallation",
                                        "rem may fail if the setup log has been moved or deleted since the setup.",
                                        "\"" + windows + "UnInstal\\uninstal.exe\" \"UnInstal\\Foo.log\""}));
    std::vector<std::string> log = text_lines(windows + "UnInstal\\Foo.log");
    EXPECT_EQ(log.back(), "MkFile=" + root + "uninstal.bat");
    // Without an uninstaller in the setup directory there is nothing to copy.
    EXPECT_FALSE(file_exists((windows + "UnInstal\\uninstal.exe").c_str()));
}

// An uninstal.bat already in the install directory is replaced and logged
// only when it is this installation's own (it runs this uninstaller on this
// log); any other stays as it is and is not logged, or the uninstaller would
// delete it.
TEST_F(SetupLogTest, BatchFileAlreadyThereIsReplacedOnlyWhenItIsOurs)
{
    const std::string runs = "\"" + windows + "UnInstal\\uninstal.exe\" ";
    const struct {
        const char *what;
        std::string text; // "" for no file there; "@" stands for our line
        bool replaced;
    } cases[] = {
        {"none there", "", true},
        {"ours", "rem old\n@\n", true},
        {"ours, CR LF", "rem old\r\n@\r\n", true},
        {"the user's", "@echo off\r\ndel /q *.*\r\n", false},
        {"another log", runs + "\"UnInstal\\Bar.log\"\n", false},
        {"ours inside a longer line", "echo @\n", false},
        {"empty", "\n", false},
    };
    int number = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string dir = root + "case" + std::to_string(number++) + "\\";
        ASSERT_TRUE(testenv::make_dir(dir));
        std::string batch = dir + "uninstal.bat";
        SETUP_TYPE fresh;
        set_field(fresh.windows_dir, windows.c_str());
        set_field(fresh.system_dir, system.c_str());
        fresh.set_apptitle("Foo");
        fresh.set_installpath(dir.c_str());
        char relative[64];
        ASSERT_TRUE(fresh.create_log(relative, sizeof relative));
        const std::string ours = runs + "\"" + relative + "\"";
        std::string text = c.text;
        size_t at = text.find('@', 1);
        if (at != std::string::npos)
            text.replace(at, 1, ours);
        if (!text.empty())
            write_file(batch, text);
        ASSERT_TRUE(fresh.write_uninstall_bat(relative));
        fresh.close_log();
        EXPECT_EQ(fresh.batch_kept, !c.replaced);
        if (c.replaced) {
            EXPECT_EQ(text_lines(batch).back(), ours);
        } else {
            EXPECT_EQ(read_file(batch), text);
        }
        std::vector<std::string> log = text_lines(windows + relative);
        EXPECT_EQ(log.back() == "MkFile=" + batch, c.replaced);
    }
}

TEST_F(SetupLogTest, UninstallerIsCopiedBesideTheLogReplacingAnOldOne)
{
    job.set_installpath(root.c_str());
    put_source("uninstal.exe", "MZ new uninstaller");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    write_file(windows + "UnInstal\\uninstal.exe", "MZ an older and longer uninstaller");
    open_log_at(root);
    ASSERT_TRUE(job.write_uninstall_bat("UnInstal\\Unknown.log"));
    EXPECT_EQ(read_file(windows + "UnInstal\\uninstal.exe"), "MZ new uninstaller");
}

TEST_F(SetupLogTest, UninstallerReplacesAReadOnlyHiddenSystemCopy)
{
    job.set_installpath(root.c_str());
    put_source("uninstal.exe", "MZ new uninstaller");
    ASSERT_TRUE(plat_set_attributes("uninstal.exe", PLAT_ATTR_READONLY));
    std::string copy = windows + "UnInstal\\uninstal.exe";
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    write_file(copy, "MZ an older and longer uninstaller");
    const uint32_t blocking = PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM;
    ASSERT_TRUE(plat_set_attributes(copy.c_str(), blocking));
    open_log_at(root);
    ASSERT_TRUE(job.write_uninstall_bat("UnInstal\\Unknown.log"));
    EXPECT_EQ(read_file(copy), "MZ new uninstaller");
    EXPECT_EQ(plat_get_attributes(copy.c_str()) & blocking, 0u);
}

// An empty name is what a refused create_log leaves: a batch file for it
// would call the uninstaller on a directory.
TEST_F(SetupLogTest, BatchFileWithoutNameIsRefused)
{
    job.set_installpath(root.c_str());
    std::string log = open_log_at(root);
    EXPECT_FAILS_WITH(job.write_uninstall_bat(nullptr), ERR_NULL_POINTER);
    EXPECT_FAILS_WITH(job.write_uninstall_bat(""), ERR_NULL_POINTER);
    EXPECT_FALSE(file_exists((root + "uninstal.bat").c_str()));
    job.close_log();
    EXPECT_EQ(read_file(log), "");
}

TEST_F(SetupLogTest, BatchFileThatCannotBeOpenedLeavesNoTrace)
{
    job.set_installpath((root + "missing\\").c_str());
    put_source("uninstal.exe", "MZ");
    std::string log = open_log_at(root);
    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Unknown.log"), ERR_FILE_OPEN);
    job.close_log();
    EXPECT_EQ(read_file(log), "");
    EXPECT_FALSE(file_exists((windows + "UnInstal\\uninstal.exe").c_str()));
}

// A directory where the copy should go makes the copy fail on any system.
TEST_F(SetupLogTest, FailedUninstallerCopyKeepsTheBatchFileAndItsLine)
{
    job.set_installpath(root.c_str());
    put_source("uninstal.exe", "MZ");
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal\\uninstal.exe"));
    std::string log = open_log_at(root);
    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Unknown.log"), ERR_COPY_FAILED);
    job.close_log();
    EXPECT_EQ(text_lines(root + "uninstal.bat").size(), 3u);
    EXPECT_EQ(text_lines(log), std::vector<std::string>{"MkFile=" + root + "uninstal.bat"});
}

TEST_F(SetupLogTest, InjectedUninstallerCopyFailureIsReported)
{
    job.set_installpath(root.c_str());
    put_source("uninstal.exe", "MZ");
    open_log_at(root);
    plat_test_fail_copy(1);
    EXPECT_FAILS_WITH(job.write_uninstall_bat("Unknown.log"), ERR_COPY_FAILED);
    EXPECT_FALSE(file_exists((windows + "uninstal.exe").c_str()));
    EXPECT_EQ(text_lines(root + "uninstal.bat").size(), 3u);
    // A copy that reports success but is not there fails the same way: the
    // batch file would call an uninstaller that is missing.
    plat_test_fail_copy(1, PLAT_COPY_LOSES_FILE);
    EXPECT_FAILS_WITH(job.write_uninstall_bat("Unknown.log"), ERR_COPY_FAILED);
    EXPECT_FALSE(file_exists((windows + "uninstal.exe").c_str()));
}

#ifndef _WIN32
// The batch file that cannot be written whole is named in the log (it
// exists) but reported as a failure. The file may grow only as far as the
// log's one line: the batch file is cut there, the log line fits.
TEST_F(SetupLogTest, BatchFileThatCannotBeWrittenIsReported)
{
    job.set_installpath(root.c_str());
    std::string log = open_log_at(root);
    const std::string line = "MkFile=" + root + "uninstal.bat";
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = line.size() + 2;
    void (*saved_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    err_code = ERR_NONE;
    bool written = job.write_uninstall_bat("Unknown.log");
    int32_t code = err_code;
    job.close_log();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_handler);

    EXPECT_FALSE(written);
    EXPECT_EQ(code, ERR_FILE_WRITE);
    EXPECT_EQ(read_file(root + "uninstal.bat").size(), line.size() + 2);
    EXPECT_EQ(text_lines(log), std::vector<std::string>{line});
}

// One there already that never ends (a link to /dev/full reads as zeros
// for ever) is not ours: kept and not logged, and only its head is read.
TEST_F(SetupLogTest, BatchFileThatNeverEndsIsKept)
{
    char host[PATH_MAX];
    ASSERT_TRUE(plat_host_path((root + "uninstal.bat").c_str(), host, sizeof host));
    ASSERT_EQ(symlink("/dev/full", host), 0);
    job.set_installpath(root.c_str());
    std::string log = open_log_at(root);
    ASSERT_TRUE(job.write_uninstall_bat("Unknown.log"));
    EXPECT_TRUE(job.batch_kept);
    job.close_log();
    EXPECT_EQ(text_lines(log), std::vector<std::string>{});
}
#endif

// ---- the title as a file name; the batch line cmd reads ----

// The log and the batch file's last line take the title's file name; the
// header, AppTitle and the batch file's first line keep the title as written,
// "%" doubled in the batch file, where cmd would read a variable. Both paths
// of the last line stand in quotes, so that blanks, "&" and the like stay
// inside the one argument.
TEST_F(SetupLogTest, TitleNamesTheLogAsAFileNameAndTheBatchLineQuotesIt)
{
    const struct {
        const char *title, *name, *title_in_batch, *name_in_batch;
    } cases[] = {
        {"Tom & Jerry", "Tom & Jerry", "Tom & Jerry", "Tom & Jerry"},
        {"100% Tools", "100% Tools", "100%% Tools", "100%% Tools"},
        {"AC/DC: What?", "AC_DC_ What_", "AC/DC: What?", "AC_DC_ What_"},
        {"..\\..\\x", ".._.._x", "..\\..\\x", ".._.._x"},
        {"Nul", "_Nul", "Nul", "_Nul"},
        {"%~x <a|b> ^c", "%~x _a_b_ ^c", "%%~x <a|b> ^c", "%%~x _a_b_ ^c"},
    };
    job.set_installpath(root.c_str());
    for (const auto &c : cases) {
        job.set_apptitle(c.title);
        // The last case's batch file is another installation's, which would be kept.
        plat_delete_file((root + "uninstal.bat").c_str());
        char relative[64];
        ASSERT_TRUE(job.create_log(relative, sizeof relative)) << c.title;
        EXPECT_EQ(std::string(relative), std::string("UnInstal\\") + c.name + ".log");
        ASSERT_TRUE(job.write_uninstall_bat(relative)) << c.title;
        job.close_log();

        const std::string log = windows + "UnInstal\\" + c.name + ".log";
        std::vector<std::string> lines = text_lines(log);
        ASSERT_GE(lines.size(), 3u) << log;
        EXPECT_EQ(lines[0], std::string("; Setup log file for ") + c.title + ".  Required for the uninstall.");
        EXPECT_EQ(lines[1], std::string("AppTitle=") + c.title);
        EXPECT_EQ(lines.back(), "MkFile=" + root + "uninstal.bat");
        EXPECT_EQ(
            text_lines(root + "uninstal.bat"),
            (std::vector<std::string>{
                std::string("rem This file uninstalls the ") + c.title_in_batch + " application.  The uninstallation",
                "rem may fail if the setup log has been moved or deleted since the setup.",
                "\"" + windows + "UnInstal\\uninstal.exe\" \"UnInstal\\" + c.name_in_batch + ".log\""}));
    }
    // Nothing went outside the log directory.
    EXPECT_FALSE(file_exists((root + "x.log").c_str()));
}

#ifndef _WIN32
// cmd reads a batch file in the OEM code page (here 850 under 1252): the
// title and the log name are written there, so that "Ä" reaches the
// uninstaller as "Ä". A name with a character 850 lacks is given by the
// log's short name, and as it is when there is none. Setup knows its own
// batch file in that form too: a second run replaces it.
TEST_F(SetupLogTest, BatchFileIsWrittenInTheOemCodePage)
{
    plat_test_set_oem_code_page(850);
    const struct {
        const char *title, *short_name, *title_in_batch, *log_in_batch;
    } cases[] = {
        // In octal: a hex escape would take the letters after it.
        {"\304cme M\344len f\374r Kinder", nullptr, "\216cme M\204len f\201r Kinder",
         "UnInstal\\\216cme M\204len f\201r Kinder.log"},
        {"100% \311t\351", nullptr, "100%% \220t\202", "UnInstal\\100%% \220t\202.log"},
        {"Prix \200", "C:\\WINDOWS\\UNINST~1\\PRIX~1.LOG", "Prix \200", "C:\\WINDOWS\\UNINST~1\\PRIX~1.LOG"},
        {"Co\234ur", nullptr, "Co\234ur", "UnInstal\\Co\234ur.log"},
    };
    job.set_installpath(root.c_str());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        job.set_apptitle(c.title);
        plat_delete_file((root + "uninstal.bat").c_str());
        char relative[64];
        ASSERT_TRUE(job.create_log(relative, sizeof relative));
        plat_test_set_short_name((windows + relative).c_str(), c.short_name);
        ASSERT_TRUE(job.write_uninstall_bat(relative));
        const std::vector<std::string> lines = {
            std::string("rem This file uninstalls the ") + c.title_in_batch + " application.  The uninstallation",
            "rem may fail if the setup log has been moved or deleted since the setup.",
            "\"" + windows + "UnInstal\\uninstal.exe\" \"" + c.log_in_batch + "\""};
        EXPECT_EQ(text_lines(root + "uninstal.bat"), lines);
        ASSERT_TRUE(job.write_uninstall_bat(relative));
        EXPECT_FALSE(job.batch_kept);
        job.close_log();
    }
}
#endif

// Nothing counts as made unless the setup log records it: an operation whose
// log line fails reports the failure, and a line that reached the disk only
// in part is cut off again, so that the log ends in a whole line.
using testenv::read_file;
using testenv::write_file;

class LogFailureTest : public LinkJobTest {
protected:
    std::string app;

    void SetUp() override
    {
        LinkJobTest::SetUp();
        app = root + "app\\";
        ASSERT_TRUE(testenv::make_dir(app));
        job.set_apptitle("Foo");
        job.set_installpath(app.c_str());
        job.set_exename("a.txt");
        put_source("a.txt", "alpha");
    }
};

// Each operation that makes something fails with ERR_FILE_WRITE when its
// line cannot be written: what it made is the one item the log does not
// name, and the log is closed, so that nothing made later can follow the gap.
TEST_F(LogFailureTest, OperationWhoseLineCannotBeWrittenFails)
{
    ASSERT_TRUE(job.add_file("a.txt"));
    const struct {
        const char *what;
        std::function<bool()> run;
        std::string made;
    } cases[] = {
        {"directory", [&] { return job.make_dir_tree((root + "made\\deeper").c_str()); }, root + "made"},
        {"file",
         [&] {
             job.cur_file = 0;
             return job.install_file();
         },
         app + "a.txt"},
        {"overwrite",
         [&] {
             job.cur_file = 0;
             return job.copy_setup_file(nullptr);
         },
         app + "a.txt"},
        {"shortcut", [&] { return job.create_shortcut(root.c_str()); }, root + "Foo.lnk"},
        {"batch file", [&] { return job.write_uninstall_bat("UnInstal\\Foo.log"); }, app + "uninstal.bat"},
    };
    for (const auto &c : cases) {
        if (!job.open_log(testenv::FULL_DEVICE))
            GTEST_SKIP() << "no " << testenv::FULL_DEVICE << " to write to";
        EXPECT_FAILS_WITH(c.run(), ERR_FILE_WRITE);
        EXPECT_TRUE(file_exists(c.made.c_str()) || dir_exists(c.made.c_str())) << c.what;
        EXPECT_EQ(job.log.file, nullptr) << c.what;
        EXPECT_FAILS_WITH(job.log_entry(KEY_MKFILE, "C:\\later"), ERR_NULL_POINTER);
    }
    // The tree stopped at the directory it could not record; the folder for
    // an earlier version, which it could not record either, went again.
    EXPECT_FALSE(dir_exists((root + "made\\deeper").c_str()));
    EXPECT_FALSE(dir_exists((std::string(testenv::FULL_DEVICE) + ".old").c_str()));
    // The file stays on its entry, so the page can name it.
    EXPECT_EQ(job.cur_file, 0);
}

// Without a log nothing can be recorded, so nothing is made.
TEST_F(LogFailureTest, OperationWithoutALogFailsWith58)
{
    EXPECT_FAILS_WITH(job.make_dir_tree((root + "made").c_str()), ERR_NULL_POINTER);
    EXPECT_FAILS_WITH(job.write_uninstall_bat("UnInstal\\Foo.log"), ERR_NULL_POINTER);
    EXPECT_FAILS_WITH(job.create_shortcut(root.c_str()), ERR_NULL_POINTER);
    EXPECT_FALSE(file_exists((root + "Foo.lnk").c_str()));
}

// The disk fills up in the middle of a line: what got out of it is cut off
// again, and the log ends in its last whole line.
TEST_F(LogFailureTest, LineCutByAFullDiskIsTakenBackToTheLastWholeLine)
{
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    ASSERT_TRUE(job.log_entry(KEY_MKDIR, "C:\\Program Files\\Foo"));
    const std::string log = windows + "UnInstal\\Foo.log";
    const std::string whole = read_file(log);

    plat_test_fail_write(1);
    EXPECT_FAILS_WITH(job.log_entry(KEY_MKFILE, ("C:\\Program Files\\" + std::string(200, 'L')).c_str()),
                      ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
    EXPECT_EQ(text_lines(log).back(), "MkDir=C:\\Program Files\\Foo");
    EXPECT_EQ(job.log.file, nullptr);
}

// A runtime may report a flush that met a full disk as done: the line counts
// only when the file grew by all of it.
TEST_F(LogFailureTest, LineReportedWrittenButCutIsTakenBackToo)
{
    ASSERT_TRUE(job.create_log());
    const std::string log = windows + "UnInstal\\Foo.log";
    const std::string whole = read_file(log);

    plat_test_fail_write(1, PLAT_WRITE_LOSES_BYTES);
    EXPECT_FAILS_WITH(job.log_entry(KEY_MKFILE, "C:\\Program Files\\Foo\\a.txt"), ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
    EXPECT_EQ(job.log.file, nullptr);
}

// A log that cannot hold its first lines is no log: neither it nor the log
// directory it made stays behind, whichever of those lines met the full disk
// (the fourth names the directory, the fifth the log itself).
TEST_F(LogFailureTest, LogWhoseFirstLinesCannotBeWrittenIsRefusedAndRemoved)
{
    for (int line = 1; line <= 5; ++line) {
        SCOPED_TRACE(line);
        plat_test_fail_write(line);
        char relative[64] = "sentinel";
        EXPECT_FAILS_WITH(job.create_log(relative, sizeof relative), ERR_FILE_WRITE);
        EXPECT_STREQ(relative, "");
        EXPECT_EQ(job.log.file, nullptr);
        EXPECT_EQ(read_file(windows + "UnInstal\\Foo.log"), "<missing>");
        EXPECT_FALSE(dir_exists((windows + "UnInstal").c_str()));
    }
    // A log directory that was there before stays.
    ASSERT_TRUE(testenv::make_dir(windows + "UnInstal"));
    plat_test_fail_write(2);
    EXPECT_FAILS_WITH(job.create_log(), ERR_FILE_WRITE);
    EXPECT_EQ(read_file(windows + "UnInstal\\Foo.log"), "<missing>");
    EXPECT_TRUE(dir_exists((windows + "UnInstal").c_str()));
}

#ifndef _WIN32
// The same with a real limit of the kernel: a write beyond it gets only part
// of its bytes out, as on a full disk.
TEST_F(LogFailureTest, LineCutByTheFileSizeLimitIsTakenBack)
{
    ASSERT_TRUE(job.create_log());
    const std::string log = windows + "UnInstal\\Foo.log";
    const std::string whole = read_file(log);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = whole.size() + 20;
    void (*saved_handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    err_code = ERR_NONE;
    bool logged = job.log_entry(KEY_MKFILE, ("C:\\Program Files\\" + std::string(100, 'L')).c_str());
    int32_t code = err_code;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_handler);

    EXPECT_FALSE(logged);
    EXPECT_EQ(code, ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
}
#endif
