// The directory search: the seam's plat_find* and FILEUTIL's search on
// search_handle with its two existence tests. These run natively against the
// substitute and under Wine against the runtime's _findfirst; both must agree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/dirsearch.h"
#include "platform/platform.h"
#include "support/test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Names = std::set<std::string>;

// Every name plat_findfirst/plat_findnext report for pattern.
Names seam_names(const std::string &pattern)
{
    Names names;
    plat_finddata record;
    intptr_t handle = plat_findfirst(pattern.c_str(), &record);
    if (handle == -1)
        return names;
    do
        names.insert(record.name);
    while (plat_findnext(handle, &record) == 0);
    EXPECT_EQ(plat_findclose(handle), 0);
    return names;
}

// The same through FILEUTIL's find_first / find_next / find_close.
Names module_names(const std::string &pattern)
{
    Names names;
    plat_finddata record;
    for (int found = find_first(pattern.c_str(), &record); found == 0; found = find_next(&record))
        names.insert(record.name);
    find_close();
    return names;
}

// Marks path read-only: the attribute on Windows, no write permission here.
void make_read_only(const std::string &path)
{
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    char host[4096];
    ASSERT_TRUE(plat_host_path(path.c_str(), host, sizeof host));
    ASSERT_EQ(chmod(host, 0555), 0);
#endif
}

// A directory that carries the hidden bit on both builds: Wine hides dot
// names, and on Windows the attribute is set as well.
void make_hidden_dir(const std::string &path)
{
    ASSERT_TRUE(testenv::make_dir(path));
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
#endif
}

class DirSearch : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        dir = testenv::scratch_dir();
        testenv::write_file(dir + "alpha.txt", "12345");
        testenv::write_file(dir + "beta.TXT", "");
        testenv::write_file(dir + "gamma.dat", "");
        testenv::write_file(dir + "readme", "");
        ASSERT_TRUE(testenv::make_dir(dir + "sub"));
        make_hidden_dir(dir + ".hid");
        search_handle = -1;
    }

    void TearDown() override { EXPECT_EQ(search_handle, -1) << "a test left its search open"; }
};

// ---- patterns -------------------------------------------------------------

TEST_F(DirSearch, PatternsMatchTheLastComponentWithoutRegardToCase)
{
    const struct {
        const char *pattern;
        Names expected;
    } cases[] = {
        {"*.txt", {"alpha.txt", "beta.TXT"}},
        {"*.TXT", {"alpha.txt", "beta.TXT"}},
        {"?eta.txt", {"beta.TXT"}},
        {"*a*.*t", {"alpha.txt", "beta.TXT", "gamma.dat"}},
        {"READ*", {"readme"}},
        {"readme", {"readme"}},
        {"SUB", {"sub"}},
        {"*.*", {".", "..", ".hid", "alpha.txt", "beta.TXT", "gamma.dat", "readme", "sub"}},
        {"*", {".", "..", ".hid", "alpha.txt", "beta.TXT", "gamma.dat", "readme", "sub"}},
        {"??????", {"readme"}},
        {"*.none", {}},
        {"alpha.tx", {}},
        {"alpha.txtx", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(seam_names(dir + c.pattern), c.expected) << c.pattern;
        EXPECT_EQ(module_names(dir + c.pattern), c.expected) << c.pattern;
    }
}

TEST_F(DirSearch, QuestionMarkStandsForExactlyOneCharacter)
{
    testenv::write_file(dir + "a", "");
    testenv::write_file(dir + "ab", "");
    testenv::write_file(dir + "abc", "");
    EXPECT_EQ(seam_names(dir + "a?"), Names({"ab"}));
    EXPECT_EQ(seam_names(dir + "a??"), Names({"abc"}));
    EXPECT_EQ(seam_names(dir + "?"), Names({".", "a"}));
}

TEST_F(DirSearch, DirectoryPartIsLiteralAndMayUseEitherSlash)
{
    testenv::write_file(dir + "sub\\inner.txt", "");
    EXPECT_EQ(seam_names(dir + "sub\\*.txt"), Names({"inner.txt"}));
    EXPECT_EQ(seam_names(dir + "sub/inner.txt"), Names({"inner.txt"}));
    EXPECT_EQ(seam_names(dir + "s?b\\*.txt"), Names()) << "wildcards only count in the last component";
}

TEST_F(DirSearch, NothingMatchesForMissingDirectoryTrailingBackslashOrEmptyPattern)
{
    plat_finddata record;
    for (const std::string &pattern : {dir + "missing\\*", dir + "sub\\", std::string()}) {
        EXPECT_EQ(plat_findfirst(pattern.c_str(), &record), -1) << pattern;
        EXPECT_EQ(find_first(pattern.c_str(), &record), -1) << pattern;
        EXPECT_EQ(search_handle, -1) << pattern;
    }
    EXPECT_EQ(plat_findfirst(nullptr, &record), -1);
    EXPECT_EQ(plat_findfirst("*", nullptr), -1);
}

TEST_F(DirSearch, DriveRootListsNoDotEntries)
{
    Names names = seam_names("C:\\*");
    EXPECT_FALSE(names.empty());
    EXPECT_EQ(names.count("."), 0u);
    EXPECT_EQ(names.count(".."), 0u);
}

// ---- the record -------------------------------------------------------------

TEST_F(DirSearch, RecordDescribesTheEntry)
{
    plat_finddata record;
    ASSERT_EQ(find_first((dir + "alpha.txt").c_str(), &record), 0);
    find_close();
    EXPECT_STREQ(record.name, "alpha.txt");
    EXPECT_EQ(record.attrib, PLAT_ATTR_ARCHIVE);
    EXPECT_EQ(record.size, 5u);
    int32_t now = (int32_t)std::time(nullptr);
    EXPECT_LT(std::abs(record.time_write - now), 3600) << record.time_write;
    EXPECT_LT(std::abs(record.time_access - now), 3600) << record.time_access;

    ASSERT_EQ(find_first((dir + "sub").c_str(), &record), 0);
    find_close();
    EXPECT_STREQ(record.name, "sub");
    EXPECT_EQ(record.attrib, PLAT_ATTR_SUBDIR);
    EXPECT_EQ(record.size, 0u);
}

TEST_F(DirSearch, AttributesOfHiddenAndReadOnlyEntries)
{
    const std::string locked = dir + "locked.txt";
    testenv::write_file(locked, "x");
    make_read_only(locked);
    plat_finddata record;
    ASSERT_EQ(find_first(locked.c_str(), &record), 0);
    find_close();
    EXPECT_EQ(record.attrib, PLAT_ATTR_ARCHIVE | PLAT_ATTR_READONLY);

    ASSERT_EQ(find_first((dir + ".hid").c_str(), &record), 0);
    find_close();
    EXPECT_EQ(record.attrib, PLAT_ATTR_SUBDIR | PLAT_ATTR_HIDDEN);
}

// ---- find_first / find_next / find_close ------------------------------------

TEST_F(DirSearch, SearchWalksEveryMatchOnceThenStaysOpenUntilClosed)
{
    plat_finddata record;
    ASSERT_EQ(find_first((dir + "*.txt").c_str(), &record), 0);
    EXPECT_NE(search_handle, -1);
    Names seen = {record.name};
    ASSERT_EQ(find_next(&record), 0);
    seen.insert(record.name);
    EXPECT_EQ(seen, Names({"alpha.txt", "beta.TXT"}));
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_NE(search_handle, -1) << "the end of the matches does not close the search";
    EXPECT_EQ(find_close(), 0);
    EXPECT_EQ(search_handle, -1);
}

TEST_F(DirSearch, WithoutAnOpenSearchNextAndCloseReportMinusOne)
{
    plat_finddata record;
    err_code = 4321;
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_EQ(find_close(), -1);
    EXPECT_EQ(find_first((dir + "*.none").c_str(), &record), -1);
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_EQ(find_close(), -1);
    EXPECT_EQ(err_code, 4321) << "the search sets no code";
}

TEST_F(DirSearch, StartingASearchEndsTheOneStillOpen)
{
    // Each find_first replaces search_handle; were the old search not closed,
    // its handle would be lost. Many more starts than the substitute has slots.
    plat_finddata record;
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(find_first((dir + "*").c_str(), &record), 0) << "start " << i;
    ASSERT_EQ(find_first((dir + "gamma.*").c_str(), &record), 0);
    EXPECT_STREQ(record.name, "gamma.dat");
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_EQ(find_close(), 0);
}

// ---- existence tests ---------------------------------------------------------

TEST_F(DirSearch, FileExistsFindCountsAnyMatchingEntry)
{
    const struct {
        const char *name;
        int expected;
    } cases[] = {
        {"alpha.txt", 1}, {"ALPHA.TXT", 1}, {"sub", 1},       {".hid", 1},
        {"*.txt", 1},     {"*.none", 0},    {"missing", 0},   {"missing\\alpha.txt", 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(file_exists_find((dir + c.name).c_str()), c.expected) << c.name;
        EXPECT_EQ(search_handle, -1) << c.name;
    }
    EXPECT_EQ(file_exists_find(nullptr), 0);
}

TEST_F(DirSearch, DirExistsFindWantsAPlainDirectory)
{
    const std::string locked = dir + "locked";
    ASSERT_TRUE(testenv::make_dir(locked));
    testenv::write_file(locked + "\\inside", "");
    const struct {
        std::string pattern;
        bool expected;
    } cases[] = {
        {dir + "sub", true},
        {dir + "SUB", true},
        {dir + "s*", true},
        {dir + ".hid", false},      // 16 + hidden
        {dir + "alpha.txt", false}, // a file
        {dir + "*.txt", false},
        {dir + "missing", false},
        {dir.substr(0, dir.size() - 1), true}, // the scratch directory itself
        {dir, false},                          // a trailing backslash matches nothing
    };
    for (const auto &c : cases) {
        EXPECT_EQ(dir_exists_find(c.pattern.c_str()), c.expected) << c.pattern;
        EXPECT_EQ(search_handle, -1) << c.pattern;
    }
}

TEST_F(DirSearch, DirExistsFindLooksPastMatchesThatAreNotPlainDirectories)
{
    // "*h*": alpha.txt, the hidden .hid and four more files, none a plain directory.
    for (const char *name : {"h1", "h2", "h3", "h4"})
        testenv::write_file(dir + name, "");
    EXPECT_FALSE(dir_exists_find((dir + "*h*").c_str()));
    ASSERT_TRUE(testenv::make_dir(dir + "hplain"));
    EXPECT_TRUE(dir_exists_find((dir + "*h*").c_str()));
}

#ifndef _WIN32
// The substitute's own rules, where there is no Windows behaviour to compare.

TEST_F(DirSearch, SubstituteMarksLinksAndSkipsDanglingOnes)
{
    char host[4096];
    ASSERT_TRUE(plat_host_path(dir.c_str(), host, sizeof host));
    std::string base = host;
    ASSERT_EQ(symlink("sub", (base + "linked").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (base + "dangling").c_str()), 0);
    plat_finddata record;
    ASSERT_EQ(find_first((dir + "linked").c_str(), &record), 0);
    find_close();
    EXPECT_EQ(record.attrib, PLAT_ATTR_SUBDIR | 1024u);
    EXPECT_FALSE(dir_exists_find((dir + "linked").c_str()));
    EXPECT_EQ(file_exists_find((dir + "dangling").c_str()), 0);
}

TEST_F(DirSearch, SubstituteRefusesHandlesItDidNotHandOut)
{
    plat_finddata record;
    ASSERT_EQ(find_first((dir + "*").c_str(), &record), 0);
    intptr_t handle = search_handle;
    EXPECT_EQ(find_close(), 0);
    EXPECT_EQ(plat_findnext(handle, &record), -1);
    EXPECT_EQ(plat_findclose(handle), -1);
    EXPECT_EQ(plat_findclose(0), -1);
    // A failed close still leaves no search open.
    search_handle = handle;
    EXPECT_EQ(find_close(), -1);
    EXPECT_EQ(search_handle, -1);
}
#endif

} // namespace
