// The directory search: the seam's plat_find* and FILEUTIL's search with its
// existence tests. Natively this is the substitute, under Wine the runtime's
// _findfirst; both must give the same answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/platform.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Names = std::set<std::string>;

// Every name the search reports, through the seam or through FILEUTIL.
Names names_of(const std::string &pattern, bool seam)
{
    Names names;
    plat_finddata r;
    intptr_t h = seam ? plat_findfirst(pattern.c_str(), &r) : find_first(pattern.c_str(), &r);
    for (int found = h == -1 ? -1 : 0; found == 0; found = seam ? plat_findnext(h, &r) : find_next(&r))
        names.insert(r.name);
    EXPECT_EQ(seam ? (h == -1 ? 0 : plat_findclose(h)) : (find_close(), 0), 0);
    return names;
}

plat_finddata record_of(const std::string &path)
{
    plat_finddata record = {};
    EXPECT_EQ(find_first(path.c_str(), &record), 0) << path;
    find_close();
    return record;
}

class DirSearch : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        dir = testenv::scratch_dir();
        for (const char *name : {"alpha.txt", "beta.TXT", "gamma.dat", "readme"})
            testenv::write_file(dir + name, "12345");
        ASSERT_TRUE(testenv::make_dir(dir + "sub"));
        // Hidden on both builds: Wine hides dot names, Windows needs the bit.
        ASSERT_TRUE(testenv::make_dir(dir + ".hid"));
#ifdef _WIN32
        ASSERT_TRUE(SetFileAttributesA((dir + ".hid").c_str(), FILE_ATTRIBUTE_HIDDEN));
#endif
    }
    void TearDown() override { EXPECT_EQ(search_handle, -1) << "a search was left open"; }
};

TEST_F(DirSearch, WildcardsInTheLastComponentIgnoringCase)
{
    const Names all = {".", "..", ".hid", "alpha.txt", "beta.TXT", "gamma.dat", "readme", "sub"};
    // clang-format off
    const struct { const char *pattern; Names expected; } cases[] = {
        {"*.txt", {"alpha.txt", "beta.TXT"}}, {"?eta.txt", {"beta.TXT"}}, {"READ*", {"readme"}}, {"SUB", {"sub"}},
        {"*a*.*t", {"alpha.txt", "beta.TXT", "gamma.dat"}}, {"??????", {"readme"}}, {"*", all}, {"*.*", all},
        {"alpha.tx", {}}, {"alpha.txtx", {}}, {"s?b\\*", {}}, {"sub\\", {}}, {"missing\\*", {}},
    };
    // clang-format on
    for (const auto &c : cases) {
        EXPECT_EQ(names_of(dir + c.pattern, true), c.expected) << c.pattern;
        EXPECT_EQ(names_of(dir + c.pattern, false), c.expected) << c.pattern;
    }
    testenv::write_file(dir + "sub\\a", "");
    EXPECT_EQ(names_of(dir + "sub/?", true), Names({".", "a"})) << "'?' is one character; '/' separates";
    EXPECT_EQ(names_of("", true), Names());
    Names root = names_of("C:\\*", true);
    EXPECT_FALSE(root.empty());
    EXPECT_EQ(root.count(".") + root.count(".."), 0u) << "a drive's root has no dot entries";
}

TEST_F(DirSearch, RecordDescribesTheEntry)
{
    plat_finddata file = record_of(dir + "alpha.txt");
    EXPECT_STREQ(file.name, "alpha.txt");
    EXPECT_EQ(file.attrib, PLAT_ATTR_ARCHIVE);
    EXPECT_EQ(file.size, 5u);
    int32_t now = (int32_t)std::time(nullptr);
    EXPECT_LT(std::abs(file.time_write - now), 3600);
    EXPECT_TRUE(file.time_create == -1 || std::abs(file.time_create - now) < 3600);
    EXPECT_EQ(record_of(dir + "sub").attrib, PLAT_ATTR_SUBDIR);
    EXPECT_EQ(record_of(dir + ".hid").attrib, PLAT_ATTR_SUBDIR | PLAT_ATTR_HIDDEN);
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA((dir + "readme").c_str(), FILE_ATTRIBUTE_READONLY));
#else
    char host[4096];
    ASSERT_TRUE(plat_host_path((dir + "readme").c_str(), host, sizeof host));
    ASSERT_EQ(chmod(host, 0444), 0);
#endif
    EXPECT_EQ(record_of(dir + "readme").attrib, PLAT_ATTR_ARCHIVE | PLAT_ATTR_READONLY);
}

TEST_F(DirSearch, SearchStaysOpenUntilClosedAndSetsNoCode)
{
    plat_finddata record;
    err_code = 4321;
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_EQ(find_close(), -1);
    ASSERT_EQ(find_first((dir + "*.txt").c_str(), &record), 0);
    ASSERT_EQ(find_next(&record), 0);
    EXPECT_EQ(find_next(&record), -1);
    EXPECT_NE(search_handle, -1) << "running out of matches does not close the search";
    EXPECT_EQ(find_close(), 0);
    EXPECT_EQ(find_close(), -1);
    EXPECT_EQ(find_first((dir + "*.none").c_str(), &record), -1);
    EXPECT_EQ(search_handle, -1);
    EXPECT_EQ(err_code, 4321);
    // find_first replaces the handle, so it must end a search still open:
    // many more starts than the substitute has searches.
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(find_first((dir + "*").c_str(), &record), 0) << i;
    find_close();
}

TEST_F(DirSearch, ExistenceTests)
{
    // clang-format off
    const struct { std::string pattern; int file; bool directory; } cases[] = {
        {dir + "ALPHA.TXT", 1, false}, {dir + "sub", 1, true},    {dir + "S*", 1, true},
        {dir + ".hid", 1, false},      {dir + "*.txt", 1, false}, {dir + "missing", 0, false},
        {dir, 0, false},               {dir.substr(0, dir.size() - 1), 1, true},
        {dir + "*h*", 1, false}, // alpha.txt and .hid: no plain directory
    };
    // clang-format on
    for (const auto &c : cases) {
        EXPECT_EQ(file_exists_find(c.pattern.c_str()), c.file) << c.pattern;
        EXPECT_EQ(dir_exists_find(c.pattern.c_str()), c.directory) << c.pattern;
        EXPECT_EQ(search_handle, -1);
    }
    ASSERT_TRUE(testenv::make_dir(dir + "hplain"));
    EXPECT_TRUE(dir_exists_find((dir + "*h*").c_str())) << "looks past matches that do not count";
}

#ifndef _WIN32
TEST_F(DirSearch, SubstituteMarksLinksSkipsDanglingOnesAndRefusesStaleHandles)
{
    char host[4096];
    ASSERT_TRUE(plat_host_path(dir.c_str(), host, sizeof host));
    ASSERT_EQ(symlink("sub", (std::string(host) + "linked").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (std::string(host) + "dangling").c_str()), 0);
    EXPECT_EQ(record_of(dir + "linked").attrib, PLAT_ATTR_SUBDIR | 1024u);
    EXPECT_FALSE(dir_exists_find((dir + "linked").c_str()));
    EXPECT_EQ(file_exists_find((dir + "dangling").c_str()), 0);
    plat_finddata record;
    ASSERT_EQ(find_first((dir + "*").c_str(), &record), 0);
    intptr_t stale = search_handle;
    find_close();
    EXPECT_EQ(plat_findnext(stale, &record), -1);
    search_handle = stale;
    EXPECT_EQ(find_close(), -1);
    EXPECT_EQ(search_handle, -1) << "a failed close leaves no search open";
}
#endif

} // namespace
