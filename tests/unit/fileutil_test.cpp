#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/platform.h"
#include "tests/unit/support/report_text.h"
#include "tests/unit/support/test_env.h"

namespace {

struct ReadEolCase {
    std::string content;
    int expected_result;
    std::string expected_text;
    const char *rest; // what the stream holds afterwards
};

std::string drain(FILE *f)
{
    std::string rest;
    int c;
    while ((c = std::getc(f)) != EOF)
        rest += (char)c;
    return rest;
}

} // namespace

TEST(ReadEol, LineEndsAndLimits)
{
    const std::string l255(255, 'a'), l256(256, 'b');
    const ReadEolCase cases[] = {
        {"abc\ndef", 0, "abc", "def"},
        {"abc", 1, "abc", ""},                             // last line without newline
        {"\nx", 0, "", "x"},                               // empty line
        {"", 1, "", ""},                                   // end of stream
        {"a\r\nb", 0, "a", "b"},                           // text mode hides the CR
        {"a\rb\n", 0, "a\rb", ""},                         // a lone CR is kept
        {l255 + "\nnext", 0, l255, "next"},                // exactly the limit: complete
        {l256 + "\nnext", 3, l256.substr(1), "\nnext"},    // the 256th character is consumed
        {l256 + "c\nnext", 3, l256.substr(1), "c\nnext"},
    };
    std::string dir = testenv::scratch_dir();
    int n = 0;
    for (const ReadEolCase &c : cases) {
        std::string path = dir + "case" + std::to_string(n++) + ".txt";
        testenv::write_file(path, c.content);
        FILE *f = plat_fopen(path.c_str(), "rt");
        ASSERT_NE(f, nullptr);
        char buf[256];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(read_eol(f, buf, 255), c.expected_result) << "case " << n - 1;
        EXPECT_EQ(std::string(buf), c.expected_text) << "case " << n - 1;
        EXPECT_EQ(drain(f), c.rest) << "case " << n - 1;
        std::fclose(f);
    }
}

TEST(ReadEol, WithoutBufferSkipsTheLine)
{
    std::string path = testenv::scratch_dir() + "skip.txt";
    testenv::write_file(path, std::string(300, 'x') + "\r\nnext\r\n");
    FILE *f = plat_fopen(path.c_str(), "rt");
    ASSERT_NE(f, nullptr);
    char buf[8];
    EXPECT_EQ(read_eol(f, buf, 4), 3);
    EXPECT_EQ(read_eol(f, nullptr, 4), 0);
    EXPECT_EQ(read_eol(f, buf, 7), 0);
    EXPECT_STREQ(buf, "next");
    EXPECT_EQ(read_eol(f, nullptr, 0), 1);
    std::fclose(f);

    err_code = ERR_NONE;
    EXPECT_EQ(read_eol(nullptr, buf, 7), 1);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(OpenFile, FailureSets51AndReturnsNull)
{
    std::string dir = testenv::scratch_dir();
    err_code = ERR_NONE;
    EXPECT_EQ(openfile((dir + "missing.txt").c_str(), "rt", false), nullptr);
    EXPECT_EQ(err_code, ERR_FILE_OPEN);
    FILE *f = openfile((dir + "new.txt").c_str(), "wt", false);
    ASSERT_NE(f, nullptr);
    std::fputs("line\n", f);
    std::fclose(f);
    EXPECT_EQ(testenv::read_file(dir + "new.txt"), "line\r\n"); // text mode writes CR LF

    err_code = ERR_NONE;
    EXPECT_EQ(openfile(nullptr, "rt", false), nullptr); // no name: refused
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    err_code = ERR_NONE;
    EXPECT_EQ(openfile((dir + "new.txt").c_str(), nullptr, false), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    err_code = ERR_NONE;
    EXPECT_FALSE(dir_exists(nullptr));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(OpenFileDeathTest, FatalFailureEndsWithTheReport)
{
    std::string missing = testenv::scratch_dir() + "missing.txt";
    std::string detail = "FILEUTIL - openfile (" + missing + ", rb) failed";
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            openfile(missing.c_str(), "rb", true);
            std::exit(9); // not reached
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(report_text::expected("Failed to open file!", detail.c_str(),
                                            "System Error(2): No such file or directory")));
}

// A fatal open never returns a failure, not even for a missing name or mode.
TEST(OpenFileDeathTest, FatalOpenWithoutNameOrModeEndsWithTheReport)
{
    const struct {
        const char *name, *mode, *detail;
    } cases[] = {
        {nullptr, "rt", "FILEUTIL - openfile ((null), rt) failed"},
        {"setup.ini", nullptr, "FILEUTIL - openfile (setup.ini, (null)) failed"},
    };
    for (const auto &c : cases)
        EXPECT_EXIT(
            {
                report_text::binary_stderr();
                openfile(c.name, c.mode, true);
                std::exit(9); // not reached
            },
            ::testing::ExitedWithCode(0),
            ::testing::Eq(report_text::expected("Received invalid NULL pointer!", c.detail,
                                                "System Error(22): Invalid argument")));
}

TEST(FileTests, ExistenceAndSize)
{
    std::string dir = testenv::scratch_dir();
    testenv::write_file(dir + "five.bin", "12\r\n5");
    testenv::write_file(dir + "empty.bin", "");
    err_code = 33;
    EXPECT_TRUE(file_exists((dir + "five.bin").c_str()));
    EXPECT_FALSE(file_exists((dir + "none.bin").c_str()));
    EXPECT_FALSE(file_exists(nullptr));
    EXPECT_EQ(get_filesize((dir + "five.bin").c_str()), 5); // bytes on disk, CR included
    EXPECT_EQ(get_filesize((dir + "empty.bin").c_str()), 0);
    EXPECT_EQ(get_filesize((dir + "none.bin").c_str()), -1);
    EXPECT_EQ(err_code, 33);

    FILE *f = plat_fopen((dir + "five.bin").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fgetc(f);
    std::fgetc(f);
    EXPECT_EQ(get_filesize(f), 5);
    EXPECT_EQ(std::ftell(f), 2);
    EXPECT_EQ(std::fgetc(f), '\r');
    std::fclose(f);
    EXPECT_EQ(get_filesize(static_cast<FILE *>(nullptr)), -1);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(FileTests, DirExistsKeepsTheCurrentDirectory)
{
    std::string dir = testenv::scratch_dir();
    ASSERT_TRUE(testenv::make_dir(dir + "sub"));
    testenv::write_file(dir + "file.txt", "x");
    std::string before = testenv::current_dir();
    EXPECT_TRUE(dir_exists((dir + "sub").c_str()));
    EXPECT_TRUE(dir_exists((dir + "sub\\").c_str()));
    EXPECT_FALSE(dir_exists((dir + "nothing").c_str()));
    EXPECT_FALSE(dir_exists((dir + "file.txt").c_str()));
    EXPECT_EQ(testenv::current_dir(), before);
}

TEST(FileTests, DirExistsWithAnOverlongCurrentDirectorySets64)
{
    // 257 characters: past the 256-byte buffer, yet within what Windows
    // allows for a current directory.
    std::string deep = testenv::scratch_dir();
    while (deep.size() + 17 < 240) {
        deep += "0123456789abcdef\\";
        ASSERT_TRUE(testenv::make_dir(deep)) << deep;
    }
    deep += std::string(257 - deep.size(), 'x');
    ASSERT_TRUE(testenv::make_dir(deep)) << deep;
    std::string before = testenv::current_dir();
    ASSERT_TRUE(plat_chdir(deep.c_str()));
    err_code = ERR_NONE;
    bool exists = dir_exists("..");
    int code = err_code;
    ASSERT_TRUE(plat_chdir(before.c_str()));
    EXPECT_FALSE(exists);
    EXPECT_EQ(code, ERR_STRING_BOUNDS);
}

TEST(Paths, TerminatePath)
{
    struct {
        const char *in, *out;
    } cases[] = {{"D:\\APP", "D:\\APP\\"}, {"D:\\APP\\", "D:\\APP\\"}, {"", ""}, {"dir/", "dir/\\"}};
    for (auto &c : cases) {
        char buf[32];
        std::strcpy(buf, c.in);
        EXPECT_STREQ(terminate_path(buf), c.out);
    }
    err_code = ERR_NONE;
    EXPECT_EQ(terminate_path(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NONE);
}

TEST(Paths, ExtractPath)
{
    struct {
        const char *in;
        uint32_t len;
        const char *out;
    } cases[] = {
        {"D:\\APP\\SETUP.EXE", 260, "D:\\APP\\"},
        {"SETUP.EXE", 260, ""},
        {"D:\\", 260, "D:\\"},
        {"a\\b\\c", 260, "a\\b\\"},
        {"D:\\APP\\SETUP.EXE", 6, "D:\\"}, // cut to 5 characters first: "D:\AP"
        {"D:\\APP\\SETUP.EXE", 1, ""},
    };
    for (auto &c : cases) {
        char buf[260];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_STREQ(extract_path(buf, c.in, c.len), c.out) << c.in << " " << c.len;
    }
    char buf[8] = "keep";
    err_code = ERR_NONE;
    EXPECT_EQ(extract_path(buf, nullptr, 8), buf);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    err_code = ERR_NONE;
    extract_path(buf, "a\\b", 0);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(extract_path(nullptr, "a\\b", 8), nullptr);
}

TEST(DebugLog, ClosedLogWritesNothing)
{
    ASSERT_FALSE(log_open);
    EXPECT_FALSE(write_logfile("nothing %d", 1));
    EXPECT_FALSE(write_logfile(nullptr));
}

static bool is_stamped(const std::string &line, const std::string &text)
{
    // "hh:mm:ss - text"
    if (line.size() != 11 + text.size())
        return false;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (line[i] < '0' || line[i] > '9')
            return false;
    return line[2] == ':' && line[5] == ':' && line.compare(8, 3, " - ") == 0 && line.compare(11, text.size(), text) == 0;
}

static std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size())
        lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

TEST(DebugLog, OpeningWritesHeaderModulesAndHeap)
{
    std::string dir = testenv::scratch_dir();
    std::string first = dir + "first.log", second = dir + "second.log";
    ASSERT_TRUE(open_logfile(first.c_str()));
    EXPECT_TRUE(log_open);
    EXPECT_TRUE(write_logfile("value %d", 42));
    EXPECT_TRUE(write_logfile(nullptr));
    // The line is on disk before the log is closed.
    EXPECT_NE(testenv::read_file(first).find(" - value 42\r\n"), std::string::npos);
    ASSERT_TRUE(open_logfile(second.c_str())); // closes the first one
    close_logfile();
    close_logfile(); // a second close does nothing
    EXPECT_FALSE(log_open);
    EXPECT_EQ(log_stream, nullptr);

    std::vector<std::string> lines = lines_of(testenv::read_file(first));
    ASSERT_EQ(lines.size(), 1u + 1 + 20 + 2 + 1 + 3);
    EXPECT_TRUE(is_stamped(lines[0], "Opened Log File " + first + " on " + lines[0].substr(lines[0].size() - 8)));
    EXPECT_EQ(lines[1], "5 Modules currently in use.");
    EXPECT_EQ(lines[2], "     1) Program: GENUTIL");
    EXPECT_EQ(lines[3], "         Version: 1.0");
    EXPECT_EQ(lines[4], "         Date: 29 Nov 1998");
    EXPECT_EQ(lines[18], "     5) Program: GENSTRIN");
    EXPECT_TRUE(is_stamped(lines[22], "Heap is OK"));
    EXPECT_TRUE(is_stamped(lines[23], "Used/Free/Total Memory: 0/0/0 bytes"));
    EXPECT_TRUE(is_stamped(lines[24], "value 42"));
    EXPECT_TRUE(is_stamped(lines[25], "Heap is OK"));
    EXPECT_TRUE(is_stamped(lines[26], "Used/Free/Total Memory: 0/0/0 bytes"));
    EXPECT_TRUE(is_stamped(lines[27], "Closing log file..."));
    // The date is mm/dd/yy.
    std::string date = lines[0].substr(lines[0].size() - 8);
    EXPECT_TRUE(date[2] == '/' && date[5] == '/') << date;

    std::vector<std::string> second_lines = lines_of(testenv::read_file(second));
    ASSERT_FALSE(second_lines.empty());
    EXPECT_TRUE(is_stamped(second_lines.back(), "Closing log file..."));
}

TEST(DebugLog, FailedOpenLeavesTheLogClosed)
{
    err_code = ERR_NONE;
    EXPECT_FALSE(open_logfile((testenv::scratch_dir() + "no\\such\\dir.log").c_str()));
    EXPECT_EQ(err_code, ERR_FILE_OPEN);
    EXPECT_FALSE(log_open);
}

TEST(DebugLogDeathTest, ExitClosesAnOpenLog)
{
    std::string log = testenv::scratch_dir() + "exit.log";
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            open_logfile(log.c_str());
            write_logfile("before exit");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), ::testing::Eq(""));
    std::vector<std::string> lines = lines_of(testenv::read_file(log));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(is_stamped(lines.back(), "Closing log file..."));
}
