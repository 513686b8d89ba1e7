// Nothing counts as made unless the setup log records it: an operation whose
// log line fails reports the failure, and a line that reached the disk only
// in part is cut off again, so that the log ends in a whole line.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <objbase.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

using testenv::read_file;
using testenv::write_file;

class LogFailureTest : public JobTest {
protected:
    std::string app;

    void SetUp() override
    {
#ifdef _WIN32
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
#endif
        JobTest::SetUp();
        app = root + "app\\";
        ASSERT_TRUE(testenv::make_dir(app));
        job.set_apptitle("Foo");
        job.set_installpath(app.c_str());
        job.set_exename("a.txt");
        put_source("a.txt", "alpha");
    }

    void TearDown() override
    {
        JobTest::TearDown();
#ifdef _WIN32
        CoUninitialize();
#endif
    }
};

// Each operation that makes something fails with ERR_FILE_WRITE when its line cannot be
// written: what it made is the one item the log does not name, and the log
// is closed, so that nothing made later can follow the gap.
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
        EXPECT_EQ(job.log_file, nullptr) << c.what;
        EXPECT_FAILS_WITH(job.log_entry("MkFile", "C:\\later"), ERR_NULL_POINTER);
    }
    // The tree stopped at the directory it could not record.
    EXPECT_FALSE(dir_exists((root + "made\\deeper").c_str()));
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
    ASSERT_TRUE(job.log_entry("MkDir", "C:\\Program Files\\Foo"));
    const std::string log = windows + "UnInstal\\Foo.log";
    const std::string whole = read_file(log);

    plat_test_fail_write(1);
    EXPECT_FAILS_WITH(job.log_entry("MkFile", ("C:\\Program Files\\" + std::string(200, 'L')).c_str()), ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
    EXPECT_EQ(text_lines(log).back(), "MkDir=C:\\Program Files\\Foo");
    EXPECT_EQ(job.log_file, nullptr);
}

// A runtime may report a flush that met a full disk as done: the line counts
// only when the file grew by all of it.
TEST_F(LogFailureTest, LineReportedWrittenButCutIsTakenBackToo)
{
    ASSERT_TRUE(job.create_log());
    const std::string log = windows + "UnInstal\\Foo.log";
    const std::string whole = read_file(log);

    plat_test_fail_write(1, PLAT_WRITE_LOSES_BYTES);
    EXPECT_FAILS_WITH(job.log_entry("MkFile", "C:\\Program Files\\Foo\\a.txt"), ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
    EXPECT_EQ(job.log_file, nullptr);
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
        EXPECT_EQ(job.log_file, nullptr);
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
    bool logged = job.log_entry("MkFile", ("C:\\Program Files\\" + std::string(100, 'L')).c_str());
    int32_t code = err_code;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, saved_handler);

    EXPECT_FALSE(logged);
    EXPECT_EQ(code, ERR_FILE_WRITE);
    EXPECT_EQ(read_file(log), whole);
}
#endif
