// FILEUTIL's path strings, change_dir and make_path (which runs against the
// real runtime under Wine and the substitute natively).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "tests/unit/support/test_env.h"

namespace {

struct Bounded { const char *input; uint32_t size; const char *expected; int32_t code; };

// op on a buffer of c.size bytes with guard bytes behind it: the result, the
// code, zeros after the text and intact guards.
void check_bounded(const Bounded &c, char *(*op)(char *, const char *, uint32_t))
{
    char buf[40];
    std::memset(buf, 'Z', sizeof buf);
    err_code = ERR_NONE;
    EXPECT_EQ(op(buf, c.input, c.size), buf);
    EXPECT_STREQ(buf, c.expected) << c.input << " in " << c.size;
    EXPECT_EQ(err_code, c.code) << c.input << " in " << c.size;
    for (uint32_t i = (uint32_t)std::strlen(buf); i < sizeof buf; ++i)
        ASSERT_EQ(buf[i], i < c.size ? '\0' : 'Z') << c.input << " byte " << i;
}

TEST(PathStrings, CopyPathAddsTheBackslashOrRefusesWhatDoesNotFit)
{
    const Bounded cases[] = {
        {"D:\\Games", 30, "D:\\Games\\", ERR_NONE}, {"D:\\", 30, "D:\\", ERR_NONE}, {"", 30, "", ERR_NONE},
        {"D:\\Games", 10, "D:\\Games\\", ERR_NONE}, {"D:\\Games\\", 10, "D:\\Games\\", ERR_NONE},
        {"D:\\Games", 9, "", ERR_STRING_BOUNDS}, {"D:\\Games\\", 9, "", ERR_STRING_BOUNDS}, {"a", 1, "", ERR_STRING_BOUNDS},
    };
    for (const auto &c : cases)
        check_bounded(c, copy_path);
    char buf[4] = "old";
    err_code = ERR_NONE;
    EXPECT_EQ(copy_path(buf, nullptr, 4), buf);
    EXPECT_EQ(copy_path(buf, "D:\\", 0), buf);
    EXPECT_STREQ(buf, "old");
    EXPECT_EQ(err_code, ERR_NONE);
}

TEST(PathStrings, ExtractFilenameTakesWhatFollowsTheLastBackslash)
{
    const Bounded cases[] = {
        {"D:\\Games\\run.exe", 30, "run.exe", ERR_NONE}, {"run.exe", 30, "run.exe", ERR_NONE}, {"D:\\Games\\", 30, "", ERR_NONE},
        {"D:/Games/run.exe", 30, "D:/Games/run.exe", ERR_NONE}, {"D:\\run.exe", 8, "run.exe", ERR_NONE},
        {"D:\\run.exe", 7, "", ERR_STRING_BOUNDS}, // would be left unterminated
    };
    for (const auto &c : cases)
        check_bounded(c, extract_filename);
    char buf[4] = "old";
    err_code = ERR_NONE;
    extract_filename(buf, nullptr, 4);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    EXPECT_STREQ(buf, "old");
}

TEST(PathStrings, ExtensionPathWildcardAndRemoveExtension)
{
    const struct { const char *text; bool extension, path, wildcard; const char *cut; } cases[] = {
        {"archive.tar.gz", true, false, false, "archive.tar"}, {".cfg", true, false, false, ""},
        {"readme", false, false, false, "readme"}, {"D:\\dir.x\\readme", false, true, false, "D:\\dir.x\\readme"},
        {"D:\\dir.x\\", false, true, false, "D:\\dir.x\\"}, {"a.b/c", false, true, false, "a"},
        {"a:b", false, true, false, "a:b"}, {"*.txt", true, false, true, "*"}, {"", false, false, false, ""},
        {"file?", false, false, true, "file?"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(has_extension(c.text), c.extension) << c.text;
        EXPECT_EQ(has_path(c.text), c.path) << c.text;
        EXPECT_EQ(has_wildcard(c.text), c.wildcard) << c.text;
        char buf[32];
        EXPECT_STREQ(remove_extension(std::strcpy(buf, c.text)), c.cut) << c.text;
    }
    err_code = ERR_NONE;
    EXPECT_FALSE(has_extension(nullptr));
    EXPECT_EQ(remove_extension(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_FALSE(has_path(nullptr));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    err_code = ERR_NONE;
    EXPECT_FALSE(has_wildcard(nullptr));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

class InScratchDir : public ::testing::Test {
protected:
    std::string saved, dir;
    void SetUp() override
    {
        saved = testenv::current_dir();
        dir = testenv::scratch_dir();
        ASSERT_TRUE(change_dir(dir.c_str()));
    }
    void TearDown() override { ASSERT_TRUE(change_dir(saved.c_str())) << saved; }
};

TEST_F(InScratchDir, ChangeDirFailsWithoutCodeExceptForNoPath)
{
    ASSERT_TRUE(testenv::make_dir(dir + "inner"));
    ASSERT_TRUE(change_dir("inner"));
    testenv::write_file("here.txt", "x");
    EXPECT_EQ(testenv::read_file(dir + "inner\\here.txt"), "x");
    err_code = ERR_NONE;
    EXPECT_FALSE(change_dir("missing"));
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_FALSE(change_dir(""));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST_F(InScratchDir, MakePathCreatesEveryMissingDirectory)
{
    ASSERT_TRUE(testenv::make_dir(dir + "a"));
    EXPECT_TRUE(make_path((dir + "a\\b\\c").c_str()));
    EXPECT_TRUE(dir_exists((dir + "a\\b\\c").c_str()));
    EXPECT_TRUE(make_path((dir + "d\\\\e\\").c_str())) << "doubled and trailing backslashes";
    EXPECT_TRUE(dir_exists((dir + "d\\e").c_str()));
    EXPECT_TRUE(make_path("rel\\one"));
    EXPECT_TRUE(dir_exists((dir + "rel\\one").c_str()));
    // Without its drive the path is rooted at the current drive, not relative.
    ASSERT_EQ(dir[1], ':');
    EXPECT_TRUE(make_path((dir.substr(2) + "rooted\\two").c_str()));
    EXPECT_TRUE(dir_exists((dir + "rooted\\two").c_str()));
    EXPECT_FALSE(dir_exists((dir + dir.substr(3)).c_str()));
    err_code = ERR_NONE;
    for (const char *nothing_to_make : {"C:", "C:\\", "\\", "\\\\\\"})
        EXPECT_TRUE(make_path(nothing_to_make)) << nothing_to_make;
    EXPECT_EQ(err_code, ERR_NONE);
}

TEST_F(InScratchDir, MakePathFailureLeavesTheRuntimeErrno)
{
    testenv::write_file(dir + "plain", "x");
    const struct { std::string path; int32_t code; } cases[] = {
        {dir + "kept\\..\\plain\\below", ERR_SYS_EEXIST}, // a file stands where a directory should
        {"Q:\\not\\there", ERR_SYS_ENOENT},                // no such drive
        {"", ERR_NULL_POINTER},
    };
    for (const auto &c : cases) {
        err_code = ERR_NONE;
        EXPECT_FALSE(make_path(c.path.c_str())) << c.path;
        EXPECT_EQ(err_code, c.code) << c.path;
    }
    EXPECT_TRUE(dir_exists((dir + "kept").c_str())) << "what was made before stays";
}

} // namespace
