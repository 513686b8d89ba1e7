// The seam, natively against the substitute and under Wine against the real
// API: text mode, directories, path mapping, where Windows is stricter than a
// Unix file system, attributes, and the removal calls of the uninstaller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/dirsearch.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/sys_errors.h"
#include "tests/unit/support/test_env.h"

// Text mode behaves as the Windows runtime's on both platforms.
TEST(TextMode, LineEndsAreTranslatedBothWays)
{
    std::string path = testenv::scratch_dir() + "text.txt";
    FILE *f = plat_fopen(path.c_str(), "wt");
    ASSERT_NE(f, nullptr);
    std::fputs("one\ntwo\r\n\nend", f);
    std::fclose(f);
    EXPECT_EQ(testenv::read_file(path), "one\r\ntwo\r\r\n\r\nend");

    testenv::write_file(path, "a\r\nb\rc\n\r\n");
    f = plat_fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::string read;
    int c;
    while ((c = std::getc(f)) != EOF)
        read += (char)c;
    std::fclose(f);
    EXPECT_EQ(read, "a\nb\rc\n\n");

    // Binary mode changes nothing.
    f = plat_fopen(path.c_str(), "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("x\n", f);
    std::fclose(f);
    EXPECT_EQ(testenv::read_file(path), "a\r\nb\rc\n\r\nx\n");
}

TEST(Directories, MakeChangeAndReadBack)
{
    std::string dir = testenv::scratch_dir();
    std::string before = testenv::current_dir();
    EXPECT_TRUE(plat_mkdir((dir + "new").c_str()));
    EXPECT_FALSE(plat_mkdir((dir + "new").c_str()));
    EXPECT_EQ(errno, ERR_SYS_EEXIST);
    EXPECT_FALSE(plat_mkdir((dir + "a\\b").c_str()));
    EXPECT_EQ(errno, ERR_SYS_ENOENT); // the parent is missing
    ASSERT_TRUE(plat_chdir((dir + "new").c_str()));
    std::string now = testenv::current_dir();
    ASSERT_TRUE(plat_chdir(before.c_str()));
    // Windows reports the directory with its drive and backslashes.
    std::string expected = dir + "new";
    ASSERT_GE(now.size(), 2u);
    EXPECT_EQ(now.substr(1), expected.substr(1)); // the drive letter's case may differ
    EXPECT_EQ(now[1], ':');
}

#ifndef _WIN32
TEST(PathMapping, DosPathsLieUnderTheDriveRoot)
{
    std::string root = plat_test_drive_root();
    struct {
        const char *dos, *host;
    } cases[] = {
        {"C:\\windows\\system32", "/c/windows/system32"},
        {"d:\\Apps\\Foo\\", "/d/Apps/Foo/"},
        {"E:", "/e/"},
        {"rel\\sub\\f.txt", "rel/sub/f.txt"},
        {"/host/abs", "/host/abs"},
    };
    for (auto &c : cases) {
        char out[512];
        ASSERT_TRUE(plat_host_path(c.dos, out, sizeof out)) << c.dos;
        std::string expected = c.host[0] == '/' && c.dos[0] != '/' ? root + c.host : c.host;
        EXPECT_EQ(out, expected) << c.dos;
    }
    char small[8];
    EXPECT_FALSE(plat_host_path("C:\\a\\long\\path", small, sizeof small));
    EXPECT_STREQ(small, "");
    // An empty path names nothing, not the current directory.
    EXPECT_FALSE(plat_host_path("", small, sizeof small));
    EXPECT_EQ(errno, ERR_SYS_ENOENT);
}
#endif

// ---- where Windows is stricter than a Unix file system ----
// Each runs natively against the substitute and under Wine against the real
// runtime, so the two are checked against each other.

TEST(WindowsStrictness, DirectoryDoesNotOpenAsAFile)
{
    std::string dir = testenv::scratch_dir();
    for (std::string path : {dir, dir.substr(0, dir.size() - 1)}) {
        for (const char *mode : {"r", "rt", "rb", "w", "wt", "a", "r+b"}) {
            errno = 0;
            FILE *f = plat_fopen(path.c_str(), mode);
            EXPECT_EQ(f, nullptr) << path << " " << mode;
            if (f)
                std::fclose(f);
            EXPECT_EQ(errno, ERR_SYS_EACCES) << path << " " << mode; // as the Windows runtime reports
        }
        EXPECT_FALSE(file_exists(path.c_str())) << path;
        EXPECT_EQ(get_filesize(path.c_str()), -1) << path;
        err_code = ERR_NONE;
        EXPECT_EQ(openfile(path.c_str(), "rt", false), nullptr);
        EXPECT_EQ(err_code, ERR_FILE_OPEN);
    }
    EXPECT_TRUE(dir_exists(dir.c_str()));
}

TEST(WindowsStrictness, EmptyPathNamesNothing)
{
    errno = 0;
    EXPECT_EQ(plat_fopen("", "r"), nullptr);
    EXPECT_EQ(errno, ERR_SYS_ENOENT);
    errno = 0;
    EXPECT_FALSE(plat_mkdir(""));
    EXPECT_EQ(errno, ERR_SYS_ENOENT);
    errno = 0;
    EXPECT_FALSE(plat_chdir(""));
    EXPECT_EQ(errno, ERR_SYS_EINVAL);
    EXPECT_FALSE(plat_create_dir(""));
    EXPECT_EQ(plat_get_attributes(""), PLAT_NO_ATTRIBUTES);
    EXPECT_FALSE(dir_exists(""));
    EXPECT_FALSE(file_exists(""));
    EXPECT_EQ(get_filesize(""), -1);
}

TEST(WindowsStrictness, ExistingNamesAreFoundWhateverTheirCase)
{
    std::string dir = testenv::scratch_dir();
    ASSERT_TRUE(testenv::make_dir(dir + "Data"));
    testenv::write_file(dir + "Data\\Read Me.TXT", "found");

    EXPECT_EQ(testenv::read_file(dir + "DATA\\read me.txt"), "found");
    EXPECT_TRUE(file_exists((dir + "data\\READ ME.txt").c_str()));
    EXPECT_EQ(plat_file_size((dir + "dAtA\\rEaD mE.tXt").c_str()), 5);
    EXPECT_TRUE(dir_exists((dir + "DATA").c_str()));
    EXPECT_EQ(plat_get_attributes((dir + "data").c_str()) & PLAT_ATTR_SUBDIR, PLAT_ATTR_SUBDIR);
    errno = 0;
    EXPECT_FALSE(plat_mkdir((dir + "DATA").c_str()));
    EXPECT_EQ(errno, ERR_SYS_EEXIST); // the same directory
    EXPECT_FALSE(plat_create_dir((dir + "data").c_str()));

    // A new name goes into the directory that is there, spelt as given.
    testenv::write_file(dir + "DATA\\New.Txt", "new");
    std::vector<std::string> names;
    plat_finddata record;
    for (int found = find_first((dir + "data\\*").c_str(), &record); found == 0; found = find_next(&record))
        if (record.name[0] != '.')
            names.push_back(record.name);
    find_close();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"New.Txt", "Read Me.TXT"}));
    EXPECT_FALSE(dir_exists((dir + "Data\\Missing").c_str()));
}

TEST(WindowsStrictness, TextModeReadingEndsAtCtrlZ)
{
    std::string path = testenv::scratch_dir() + "ctrlz.txt";
    testenv::write_file(path, "ab\r\nc\x1a"
                              "de\r\n");
    auto read_all = [&](const char *mode) {
        FILE *f = plat_fopen(path.c_str(), mode);
        std::string text;
        if (!f)
            return std::string("<unopened>");
        int c;
        while ((c = std::getc(f)) != EOF)
            text += (char)c;
        // The end stays the end: a second read finds nothing more.
        if (std::getc(f) != EOF)
            text += "<read on>";
        std::fclose(f);
        return text;
    };
    EXPECT_EQ(read_all("rt"), "ab\nc");
    EXPECT_EQ(read_all("r"), "ab\nc");
    EXPECT_EQ(read_all("rb"), "ab\r\nc\x1a"
                              "de\r\n");
    EXPECT_EQ(get_filesize(path.c_str()), 10); // the size is the file's, not the text's

    FILE *f = plat_fopen(path.c_str(), "rt");
    ASSERT_NE(f, nullptr);
    char line[16];
    EXPECT_EQ(read_eol(f, line, 15), 0);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(read_eol(f, line, 15), 1);
    EXPECT_STREQ(line, "c");
    std::fclose(f);
}

// ---- file attributes ----

TEST(Attributes, SetAndReadBack)
{
    std::string dir = testenv::scratch_dir();
    std::string file = dir + "file.txt";
    testenv::write_file(file, "x");
    const uint32_t kept = PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM;
    for (uint32_t bits : {PLAT_ATTR_READONLY, PLAT_ATTR_HIDDEN, PLAT_ATTR_SYSTEM, kept, 0u}) {
        ASSERT_TRUE(plat_set_attributes(file.c_str(), bits)) << bits;
        uint32_t read = plat_get_attributes(file.c_str());
        EXPECT_EQ(read & kept, bits) << bits;
        EXPECT_EQ(read & PLAT_ATTR_SUBDIR, 0u) << bits;
    }
    ASSERT_TRUE(testenv::make_dir(dir + "sub"));
    EXPECT_EQ(plat_get_attributes((dir + "sub").c_str()) & (PLAT_ATTR_SUBDIR | kept), PLAT_ATTR_SUBDIR);
    EXPECT_EQ(plat_get_attributes((dir + "missing").c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_FALSE(plat_set_attributes((dir + "missing").c_str(), 0));
    EXPECT_EQ(plat_get_attributes(nullptr), PLAT_NO_ATTRIBUTES);
}

#ifndef _WIN32
// What Windows refuses and Wine, run by root as the tests are, does not:
// Wine keeps read-only as a file without write permission, which root
// ignores, and it checks no hidden or system bit when a file is replaced.
TEST(Attributes, SubstituteReplacesNoReadOnlyHiddenOrSystemFile)
{
    std::string dir = testenv::scratch_dir();
    std::string source = dir + "source.txt", hidden_source = dir + "hidden.txt", dest = dir + "dest.txt";
    testenv::write_file(source, "new");
    testenv::write_file(hidden_source, "new hidden");
    ASSERT_TRUE(plat_set_attributes(hidden_source.c_str(), PLAT_ATTR_HIDDEN));
    // clang-format off
    const struct {
        uint32_t dest_bits;
        const std::string *from;
        bool replaced;
    } cases[] = {
        {PLAT_ATTR_READONLY, &source, false},     {PLAT_ATTR_HIDDEN, &source, false},
        {PLAT_ATTR_SYSTEM, &source, false},       {PLAT_ATTR_HIDDEN, &hidden_source, true},
        {PLAT_ATTR_READONLY, &hidden_source, false}, {0, &hidden_source, true},
    };
    // clang-format on
    for (const auto &c : cases) {
        plat_set_attributes(dest.c_str(), 0);
        testenv::write_file(dest, "old");
        ASSERT_TRUE(plat_set_attributes(dest.c_str(), c.dest_bits));
        errno = 0;
        EXPECT_EQ(plat_copy_file(c.from->c_str(), dest.c_str()), c.replaced) << c.dest_bits << " " << *c.from;
        if (!c.replaced) {
            EXPECT_EQ(errno, EACCES) << c.dest_bits;
        }
        plat_set_attributes(dest.c_str(), 0);
        EXPECT_EQ(testenv::read_file(dest), c.replaced ? testenv::read_file(*c.from) : "old") << c.dest_bits;
    }
    // The copy takes the source's attributes.
    ASSERT_TRUE(plat_copy_file(hidden_source.c_str(), (dir + "copy.txt").c_str()));
    EXPECT_EQ(plat_get_attributes((dir + "copy.txt").c_str()) & PLAT_ATTR_HIDDEN, PLAT_ATTR_HIDDEN);
    // Nor does the runtime open a read-only file for writing.
    ASSERT_TRUE(plat_set_attributes(dest.c_str(), PLAT_ATTR_READONLY));
    for (const char *mode : {"w", "a", "r+", "wb"})
        EXPECT_EQ(plat_fopen(dest.c_str(), mode), nullptr) << mode;
    FILE *f = plat_fopen(dest.c_str(), "r");
    EXPECT_NE(f, nullptr);
    if (f)
        std::fclose(f);
}
#endif

// The seam's removal calls, natively against the substitute and under Wine
// against the real API: the same expectations for both.
using testenv::read_file;
using testenv::write_file;

TEST(RemovalSeam, DeleteAndRemoveReportWhyTheyFail)
{
    std::string dir = testenv::scratch_dir();
    testenv::make_dir(dir + "full");
    testenv::make_dir(dir + "empty");
    write_file(dir + "full\\f.txt", "x");
    write_file(dir + "ro.txt", "x");
    ASSERT_TRUE(plat_set_attributes((dir + "ro.txt").c_str(), PLAT_ATTR_READONLY));
    // clang-format off
    struct {
        bool is_dir;
        std::string path;
        PLAT_RESULT result;
    } cases[] = {
        {false, dir + "missing.txt", PLAT_MISSING},
        {false, dir + "nodir\\missing.txt", PLAT_MISSING},
        {false, dir + "ro.txt", PLAT_ACCESS_DENIED}, // Windows keeps a read-only file
        {false, dir + "full", PLAT_ACCESS_DENIED},   // a directory is no file
        {true, dir + "full", PLAT_NOT_EMPTY},
        {true, dir + "full\\f.txt", PLAT_FAILED},    // a file is no directory
        {true, dir + "missing", PLAT_MISSING},
        {true, dir + "empty", PLAT_DONE},
        {false, dir + "full\\f.txt", PLAT_DONE},
        {true, dir + "full", PLAT_DONE},
    };
    // clang-format on
    for (const auto &c : cases) {
        PLAT_RESULT got = c.is_dir ? plat_remove_dir(c.path.c_str()) : plat_delete_file(c.path.c_str());
        EXPECT_EQ(got, c.result) << (c.is_dir ? "rmdir " : "delete ") << c.path;
    }
    uint32_t attributes = plat_get_attributes((dir + "ro.txt").c_str());
    ASSERT_NE(attributes, PLAT_NO_ATTRIBUTES);
    EXPECT_TRUE(attributes & PLAT_ATTR_READONLY);
    EXPECT_FALSE(attributes & PLAT_ATTR_SUBDIR);
    ASSERT_TRUE(plat_set_attributes((dir + "ro.txt").c_str(), attributes & ~PLAT_ATTR_READONLY));
    EXPECT_FALSE(plat_get_attributes((dir + "ro.txt").c_str()) & PLAT_ATTR_READONLY);
    EXPECT_EQ(plat_delete_file((dir + "ro.txt").c_str()), PLAT_DONE);
    EXPECT_EQ(plat_get_attributes((dir + "ro.txt").c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_TRUE(plat_get_attributes(dir.c_str()) & PLAT_ATTR_SUBDIR);
}

TEST(RemovalSeam, ALockedFileIsReadableButNeitherLockedDeletedNorReplaced)
{
    std::string dir = testenv::scratch_dir();
    std::string log = dir + "Foo.log", temp = dir + "Foo.tmp";
    write_file(log, "old");
    write_file(temp, "new");
    PLAT_RESULT why = PLAT_FAILED;
    intptr_t lock = plat_lock_file(log.c_str(), &why);
    ASSERT_NE(lock, -1);
    EXPECT_EQ(why, PLAT_DONE);

    EXPECT_EQ(plat_lock_file(log.c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_IN_USE);
    EXPECT_EQ(read_file(log), "old");
    EXPECT_EQ(plat_delete_file(log.c_str()), PLAT_IN_USE);
    EXPECT_EQ(plat_replace_file(temp.c_str(), log.c_str()), PLAT_ACCESS_DENIED);
    plat_unlock_file(lock);

    EXPECT_EQ(plat_replace_file(temp.c_str(), log.c_str()), PLAT_DONE);
    EXPECT_EQ(read_file(log), "new");
    EXPECT_EQ(plat_get_attributes(temp.c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_EQ(plat_lock_file((dir + "missing.log").c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_MISSING);
    EXPECT_EQ(plat_lock_file(dir.c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_ACCESS_DENIED);
}

TEST(RemovalSeam, RemovalAtRestartIsAccepted)
{
    PLAT_TEST_SCOPE controls;
    std::string file = testenv::scratch_dir() + "busy.txt";
    write_file(file, "x");
    EXPECT_TRUE(plat_schedule_removal(file.c_str()));
    EXPECT_EQ(read_file(file), "x"); // nothing happens before the restart
    EXPECT_EQ(plat_test_scheduled(plat_test_scheduled_count() - 1), file);
    plat_test_fail_schedule(1);
    EXPECT_FALSE(plat_schedule_removal(file.c_str()));
    plat_test_reset();
    EXPECT_EQ(plat_test_scheduled_count(), 0);
}
