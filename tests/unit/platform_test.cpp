#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "support/test_env.h"

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
    EXPECT_EQ(errno, 17); // EEXIST
    EXPECT_FALSE(plat_mkdir((dir + "a\\b").c_str()));
    EXPECT_EQ(errno, 2); // ENOENT: the parent is missing
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
        {"", "."},
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
}
#endif
