#include <gtest/gtest.h>

#include <string>

#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "setup/setup.h"

TEST(SetupJob, ConstructedEmptyWithTheSystemDirectories)
{
    SETUP_TYPE job;
    EXPECT_EQ(job.log.file, nullptr);
    EXPECT_EQ(job.num_files, 0);
    EXPECT_EQ(job.cur_file, -1);
    ASSERT_NE(job.windows_dir, nullptr);
    ASSERT_NE(job.system_dir, nullptr);
    std::string windows = job.windows_dir, system = job.system_dir;
    EXPECT_EQ(windows.back(), '\\');
    EXPECT_EQ(system.back(), '\\');
    EXPECT_EQ(system.compare(0, windows.size(), windows), 0) << system; // system32 lies below
    EXPECT_STREQ(setup_job.windows_dir, job.windows_dir);
}

#ifndef _WIN32
TEST(SetupJob, FailedDirectoryQueriesLeaveTheFieldsEmpty)
{
    plat_test_set_windows_dir(nullptr);
    plat_test_set_system_dir(nullptr);
    SETUP_TYPE job;
    plat_test_set_windows_dir("C:\\windows");
    plat_test_set_system_dir("C:\\windows\\system32");
    EXPECT_EQ(job.windows_dir, nullptr);
    EXPECT_EQ(job.system_dir, nullptr);

    // A directory already ending in a backslash gets no second one; one that
    // does not fit the 260-character query buffer counts as a failed query.
    plat_test_set_windows_dir("D:\\");
    plat_test_set_system_dir(("C:\\" + std::string(257, 's')).c_str());
    SETUP_TYPE odd;
    plat_test_set_windows_dir("C:\\windows");
    plat_test_set_system_dir("C:\\windows\\system32");
    EXPECT_STREQ(odd.windows_dir, "D:\\");
    EXPECT_EQ(odd.system_dir, nullptr);
}
#endif

TEST(SetupJob, GettersFallBackToDefaultsOnlyForUnsetFields)
{
    SETUP_TYPE job;
    EXPECT_STREQ(job.get_apptitle(), "Unknown");
    EXPECT_STREQ(job.get_installpath(), "c:\\");
    EXPECT_STREQ(job.get_exename(), "");
    EXPECT_STREQ(job.get_email(), "none");
    EXPECT_STREQ(job.get_website(), "none");
    EXPECT_STREQ(job.get_basepath(), "none");
    EXPECT_STREQ(job.get_desc(), "No description supplied");

    job.set_installpath("");
    job.set_apptitle("");
    EXPECT_STREQ(job.get_installpath(), "");
    EXPECT_STREQ(job.get_apptitle(), "");
    job.set_apptitle(nullptr);
    EXPECT_STREQ(job.get_apptitle(), "Unknown");
}

TEST(SetupJob, DirectorySettersAppendOneBackslash)
{
    // clang-format off
    struct {
        const char *in, *out;
    } cases[] = {{"d:\\apps\\foo", "d:\\apps\\foo\\"}, {"d:\\apps\\foo\\", "d:\\apps\\foo\\"},
                 {"c:", "c:\\"},                       {"apps/", "apps/\\"},
                 {"", ""}};
    // clang-format on
    SETUP_TYPE job;
    for (auto &c : cases) {
        job.set_installpath(c.in);
        job.set_basepath(c.in);
        EXPECT_STREQ(job.get_installpath(), c.out);
        EXPECT_STREQ(job.get_basepath(), c.out);
    }
}

TEST(SetupJob, AddFileSplitsNameAndPathType)
{
    struct {
        const char *value;
        const char *name;
        int32_t type;
    } cases[] = {
        {"readme.txt", "readme.txt", PATH_APP},
        {"Setup.DLL,WinSys_Path", "Setup.DLL", PATH_WINSYS},
        {",,readme.txt,,win_path,extra", "readme.txt", PATH_WINDOWS},
        {"lib.dll, winsys_path", "lib.dll", PATH_APP}, // the blank belongs to the word
        {"lib.dll,WINDOWS_PATH", "lib.dll", PATH_WINDOWS},
        {"lib.dll,window_path", "lib.dll", PATH_WINDOWS},
        {"lib.dll,app_path", "lib.dll", PATH_APP},
        {"lib.dll,default_path", "lib.dll", PATH_APP},
        {"lib.dll,system", "lib.dll", PATH_APP},
        {" readme.txt,app_path", " readme.txt", PATH_APP}, // blanks belong to the name
        {"data\\a b.dat,,,winsys_path", "data\\a b.dat", PATH_WINSYS},
    };
    SETUP_TYPE job;
    for (auto &c : cases) {
        ASSERT_TRUE(job.add_file(c.value)) << c.value;
        SETUP_FILE *entry = job.files[job.num_files - 1];
        EXPECT_STREQ(entry->name, c.name) << c.value;
        EXPECT_EQ(entry->path_type, c.type) << c.value;
    }
}

// Below "C:\" a destination has 255 characters and a folder setup makes 247:
// a name past either fits below no install directory. The folders of the
// system's own directories are not made, so only the whole path counts there.
TEST(SetupJob, AddFileKeepsNamesWithinThePathLimits)
{
    const std::string folder(244, 'f'); // "C:\" and this: 247 characters
    const struct {
        std::string value;
        bool taken;
    } cases[] = {
        {std::string(252, 'n'), true},
        {std::string(253, 'n'), false},
        {folder + "\\x", true},
        {folder + "f\\x", false},
        {folder.substr(0, 100) + "\\" + folder.substr(0, 143) + "f\\x", false}, // the deepest folder counts
        {folder + "f\\x,win_path", true},
        {folder + "f\\x,winsys_path", true},
        {folder + "f/x,app_path", false},
        {std::string(253, 'n') + ",winsys_path", false},
    };
    for (const auto &c : cases) {
        SETUP_TYPE job;
        err_code = ERR_NONE;
        EXPECT_EQ(job.add_file(c.value.c_str()), c.taken) << c.value.size();
        EXPECT_EQ(err_code, c.taken ? ERR_NONE : ERR_FILE_NAME_TOO_LONG) << c.value.size();
    }
    // The log names a folder by "\" alone, so a "/" becomes one.
    SETUP_TYPE job;
    ASSERT_TRUE(job.add_file("help/img\\a.gif,app_path"));
    EXPECT_STREQ(job.files[0]->name, "help\\img\\a.gif");
}

TEST(SetupJob, AddFileRefusals)
{
    SETUP_TYPE job;
    for (const char *nameless : {(const char *)nullptr, "", ",", ",,,"}) {
        err_code = ERR_NONE;
        EXPECT_FALSE(job.add_file(nameless));
        EXPECT_EQ(err_code, ERR_NULL_POINTER);
    }
    EXPECT_EQ(job.num_files, 0);
    // A blank at the name's end would be dropped by Windows, and the log
    // would name a file that the uninstaller skips.
    err_code = 0;
    EXPECT_FALSE(job.add_file("readme.txt , app_path"));
    EXPECT_EQ(err_code, ERR_FILE_NAME_LEAVES_DIR);
    EXPECT_EQ(job.num_files, 0);

    for (int i = 0; i < MAX_SETUP_FILES; ++i)
        ASSERT_TRUE(job.add_file(("f" + std::to_string(i)).c_str()));
    err_code = ERR_NONE;
    EXPECT_FALSE(job.add_file("one.more"));
    EXPECT_EQ(err_code, ERR_TABLE_FULL);
    EXPECT_EQ(job.num_files, 100);
    EXPECT_STREQ(job.files[99]->name, "f99");

    job.clear_job();
    err_code = ERR_NONE;
    PLAT_TEST_SCOPE controls;
    plat_test_fail_alloc(1); // the entry itself
    EXPECT_FALSE(job.add_file("x.dat"));
    EXPECT_EQ(job.num_files, 0);
    EXPECT_EQ(err_code, ERR_NONE);
}

TEST(SetupJob, CursorWalksTheListOnce)
{
    SETUP_TYPE job;
    EXPECT_FALSE(job.more_files());
    EXPECT_EQ(job.current_file(), nullptr);
    EXPECT_FALSE(job.next_file());
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_EQ(job.percent_done(), 0);

    job.add_file("a");
    job.cur_file = 0;
    EXPECT_EQ(job.percent_done(), 100);
    EXPECT_FALSE(job.next_file());
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_EQ(job.percent_done(), 0);

    job.add_file("b");
    job.add_file("c");
    job.cur_file = 0;
    int percents[3], n = 0;
    do {
        EXPECT_TRUE(job.more_files());
        EXPECT_EQ(job.current_file(), job.files[n]);
        percents[n++] = job.percent_done();
    } while (job.next_file());
    EXPECT_EQ(n, 3);
    EXPECT_EQ(percents[0], 33);
    EXPECT_EQ(percents[1], 66);
    EXPECT_EQ(percents[2], 100);
    EXPECT_FALSE(job.more_files());
    EXPECT_FALSE(job.next_file());
    EXPECT_EQ(job.cur_file, -1);
}

TEST(SetupJob, ClearKeepsOnlyTheSystemDirectories)
{
    SETUP_TYPE job;
    job.set_apptitle("T");
    job.set_installpath("d:\\x");
    job.add_file("a");
    job.cur_file = 0;
    std::string windows = job.windows_dir;
    job.clear_job();
    EXPECT_EQ(job.apptitle, nullptr);
    EXPECT_EQ(job.installpath, nullptr);
    EXPECT_EQ(job.num_files, 0);
    EXPECT_EQ(job.files[0], nullptr);
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_STREQ(job.windows_dir, windows.c_str());
    job.close_log(); // nothing open: nothing to do
    EXPECT_EQ(job.log.file, nullptr);
}
