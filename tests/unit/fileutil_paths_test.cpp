// FILEUTIL's path strings, change_dir and make_path. make_path runs against
// the real runtime under Wine and the substitute natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "support/test_env.h"

namespace {

// A buffer with guard bytes behind it: a write past size shows in the guards.
struct Guarded {
    static const size_t GUARD = 8;
    char bytes[64 + GUARD];
    uint32_t size;

    explicit Guarded(uint32_t size) : size(size) { std::memset(bytes, 'Z', sizeof bytes); }
    bool guards_intact() const
    {
        for (size_t i = size; i < size + GUARD; ++i)
            if (bytes[i] != 'Z')
                return false;
        return true;
    }
    // Every byte from the terminator to the end of the buffer is zero.
    bool zero_after_text() const
    {
        size_t len = strnlen(bytes, size);
        for (size_t i = len; i < size; ++i)
            if (bytes[i] != '\0')
                return false;
        return len < size;
    }
};

// ---- copy_path -----------------------------------------------------------------

TEST(CopyPath, CopiesAsDirectoryPathWithinTheBuffer)
{
    const struct {
        const char *source;
        uint32_t size;
        const char *expected;
        int32_t code; // err_code afterwards; 0 = untouched
    } cases[] = {
        {"D:\\Games", 60, "D:\\Games\\", 0},
        {"D:\\", 60, "D:\\", 0},
        {"", 60, "", 0},
        {"a", 3, "a\\", 0},
        {"D:\\Games", 10, "D:\\Games\\", 0},    // 8 + backslash + terminator: exactly fits
        {"D:\\Games\\", 10, "D:\\Games\\", 0},  // 9 + terminator
        {"D:\\Games", 9, "", 64},               // the backslash would not fit
        {"D:\\Games\\", 9, "", 64},
        {"a", 1, "", 64},
        {"", 1, "", 0},
    };
    for (const auto &c : cases) {
        Guarded buf(c.size);
        err_code = 0;
        EXPECT_EQ(copy_path(buf.bytes, c.source, c.size), buf.bytes);
        EXPECT_STREQ(buf.bytes, c.expected) << c.source << " size " << c.size;
        EXPECT_EQ(err_code, c.code) << c.source << " size " << c.size;
        EXPECT_TRUE(buf.zero_after_text()) << c.source << " size " << c.size;
        EXPECT_TRUE(buf.guards_intact()) << c.source << " size " << c.size;
    }
}

TEST(CopyPath, NullArgumentsLeaveTheBufferAndCodeAlone)
{
    Guarded buf(16);
    err_code = 0;
    EXPECT_EQ(copy_path(buf.bytes, nullptr, 16), buf.bytes);
    EXPECT_EQ(copy_path(buf.bytes, "D:\\", 0), buf.bytes);
    EXPECT_EQ(copy_path(nullptr, "D:\\", 16), nullptr);
    EXPECT_EQ(buf.bytes[0], 'Z');
    EXPECT_EQ(err_code, 0);
}

// ---- extract_filename ------------------------------------------------------------

TEST(ExtractFilename, TakesWhatFollowsTheLastBackslash)
{
    const struct {
        const char *path;
        uint32_t size;
        const char *expected;
        int32_t code;
    } cases[] = {
        {"D:\\Games\\run.exe", 60, "run.exe", 0},
        {"run.exe", 60, "run.exe", 0},
        {"D:\\Games\\", 60, "", 0},
        {"D:/Games/run.exe", 60, "D:/Games/run.exe", 0}, // only the backslash separates
        {"C:run.exe", 60, "C:run.exe", 0},
        {"D:\\run.exe", 8, "run.exe", 0},                // 7 + terminator: exactly fits
        {"D:\\run.exe", 7, "", 64},                      // would be left unterminated
        {"D:\\x", 1, "", 64},
    };
    for (const auto &c : cases) {
        Guarded buf(c.size);
        err_code = 0;
        EXPECT_EQ(extract_filename(buf.bytes, c.path, c.size), buf.bytes);
        EXPECT_STREQ(buf.bytes, c.expected) << c.path << " size " << c.size;
        EXPECT_EQ(err_code, c.code) << c.path << " size " << c.size;
        EXPECT_TRUE(buf.zero_after_text()) << c.path;
        EXPECT_TRUE(buf.guards_intact()) << c.path;
    }
}

TEST(ExtractFilename, NullArgumentsSet58)
{
    Guarded buf(16);
    for (int i = 0; i < 3; ++i) {
        err_code = 0;
        if (i == 0)
            extract_filename(buf.bytes, nullptr, 16);
        else if (i == 1)
            extract_filename(buf.bytes, "a", 0);
        else
            EXPECT_EQ(extract_filename(nullptr, "a", 16), nullptr);
        EXPECT_EQ(err_code, 58) << i;
    }
    EXPECT_EQ(buf.bytes[0], 'Z');
}

// ---- has_extension, has_path, has_wildcard ------------------------------------

TEST(PathTests, HasExtensionLooksAtTheLastComponentOnly)
{
    const struct {
        const char *name;
        bool expected;
    } cases[] = {
        {"readme.txt", true}, {".cfg", true},           {"x.", true},
        {"readme", false},    {"D:\\dir.x\\readme", false}, {"D:\\dir.x\\", false},
        {"a.b/c", false},     {"a/b.c", true},          {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(has_extension(c.name), c.expected) << c.name;
    err_code = 0;
    EXPECT_FALSE(has_extension(nullptr));
    EXPECT_EQ(err_code, 0);
}

TEST(PathTests, HasPathAndHasWildcard)
{
    const struct {
        const char *text;
        bool path, wildcard;
    } cases[] = {
        {"a:b", true, false},     {"readme.txt", false, false}, {"", false, false},
        {"a/b", true, false},     {"a\\b", true, false},        {"*.txt", false, true},
        {"file?.txt", false, true}, {"C:\\*", true, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(has_path(c.text), c.path) << c.text;
        EXPECT_EQ(has_wildcard(c.text), c.wildcard) << c.text;
    }
    err_code = 0;
    EXPECT_FALSE(has_path(nullptr));
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_FALSE(has_wildcard(nullptr));
    EXPECT_EQ(err_code, 58);
}

// ---- remove_extension ------------------------------------------------------------

TEST(RemoveExtension, CutsAtTheLastDotOfTheLastComponent)
{
    const struct {
        const char *name;
        const char *expected;
    } cases[] = {
        {"archive.tar.gz", "archive.tar"},
        {".cfg", ""},
        {"D:\\dir.x\\file", "D:\\dir.x\\file"},
        {"a.b/c", "a"}, // a slash does not stop the search
        {"readme", "readme"},
        {"", ""},
    };
    for (const auto &c : cases) {
        char buf[32];
        std::strcpy(buf, c.name);
        EXPECT_EQ(remove_extension(buf), buf);
        EXPECT_STREQ(buf, c.expected) << c.name;
    }
    err_code = 0;
    EXPECT_EQ(remove_extension(nullptr), nullptr);
    EXPECT_EQ(err_code, 0);
}

// ---- change_dir --------------------------------------------------------------

class CurrentDirectory : public ::testing::Test {
protected:
    std::string saved;
    void SetUp() override { saved = testenv::current_dir(); }
    void TearDown() override { ASSERT_TRUE(change_dir(saved.c_str())) << saved; }
};

TEST_F(CurrentDirectory, ChangeDirMovesAndReportsFailureWithoutCode)
{
    std::string dir = testenv::scratch_dir();
    ASSERT_TRUE(testenv::make_dir(dir + "inner"));
    ASSERT_TRUE(change_dir(dir.c_str()));
    ASSERT_TRUE(change_dir("inner"));
    testenv::write_file("here.txt", "x");
    EXPECT_EQ(testenv::read_file(dir + "inner\\here.txt"), "x");

    err_code = 0;
    EXPECT_FALSE(change_dir((dir + "missing").c_str()));
    EXPECT_EQ(err_code, 0);
    EXPECT_FALSE(change_dir(nullptr));
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_FALSE(change_dir(""));
    EXPECT_EQ(err_code, 58);
}

// ---- make_path ----------------------------------------------------------------

TEST(MakePath, CreatesEachMissingDirectoryAlongThePath)
{
    std::string dir = testenv::scratch_dir();
    ASSERT_TRUE(testenv::make_dir(dir + "a"));
    EXPECT_TRUE(make_path((dir + "a\\b\\c").c_str()));
    EXPECT_TRUE(dir_exists((dir + "a\\b").c_str()));
    EXPECT_TRUE(dir_exists((dir + "a\\b\\c").c_str()));

    // Doubled and trailing backslashes separate like single ones.
    EXPECT_TRUE(make_path((dir + "d\\\\e\\").c_str()));
    EXPECT_TRUE(dir_exists((dir + "d\\e").c_str()));

    // Existing all the way: nothing to do.
    err_code = 0;
    EXPECT_TRUE(make_path((dir + "a\\b\\c").c_str()));
    EXPECT_EQ(err_code, 0);
}

TEST_F(CurrentDirectory, MakePathRelativeAndRootedAtTheCurrentDrive)
{
    std::string dir = testenv::scratch_dir();
    ASSERT_TRUE(change_dir(dir.c_str()));
    EXPECT_TRUE(make_path("rel\\one"));
    EXPECT_TRUE(dir_exists((dir + "rel\\one").c_str()));

    // "\path" without its drive: the leading backslash roots it, it is not dropped.
    ASSERT_EQ(dir[1], ':');
    std::string rooted = dir.substr(2) + "rooted\\two";
    EXPECT_TRUE(make_path(rooted.c_str()));
    EXPECT_TRUE(dir_exists((dir + "rooted\\two").c_str()));
    EXPECT_FALSE(dir_exists((dir + dir.substr(3) + "rooted").c_str()));
}

TEST(MakePath, PathsWithNothingToCreateSucceed)
{
    err_code = 0;
    for (const char *path : {"C:", "C:\\", "\\", "\\\\\\"})
        EXPECT_TRUE(make_path(path)) << path;
    EXPECT_EQ(err_code, 0);
}

TEST(MakePath, FailureSetsTheRuntimeErrnoAndKeepsWhatWasMade)
{
    std::string dir = testenv::scratch_dir();
    testenv::write_file(dir + "plain", "x");
    err_code = 0;
    // A file where a directory is wanted: "already exists".
    EXPECT_FALSE(make_path((dir + "kept\\..\\plain\\below").c_str()));
    EXPECT_EQ(err_code, 17);
    EXPECT_TRUE(dir_exists((dir + "kept").c_str()));
    EXPECT_FALSE(dir_exists((dir + "plain\\below").c_str()));

    // A drive that is not there: "no such file or directory".
    err_code = 0;
    EXPECT_FALSE(make_path("Q:\\not\\there"));
    EXPECT_EQ(err_code, 2);

    err_code = 0;
    EXPECT_FALSE(make_path(nullptr));
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_FALSE(make_path(""));
    EXPECT_EQ(err_code, 58);
}

} // namespace
