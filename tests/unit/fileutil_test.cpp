// FILEUTIL: opening and reading files, existence and size, the debug log,
// the readers and writers, path strings and directories.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
    // clang-format off
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
    // clang-format on
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

TEST(FileTests, DirExistsFromADeepCurrentDirectory)
{
    // A current directory of 255 to 258 characters: past a 256-byte buffer,
    // yet within what Windows allows. Setup started from one must still see
    // the directories that are there, and make the current one no other.
    std::string base = testenv::scratch_dir();
    std::string deep = base;
    while (deep.size() + 17 < 236) {
        deep += "0123456789abcdef\\";
        ASSERT_TRUE(testenv::make_dir(deep)) << deep;
    }
    ASSERT_TRUE(testenv::make_dir(base + "sub"));
    std::string before = testenv::current_dir();
    for (size_t length : {255, 256, 257, 258}) {
        std::string here = deep + std::string(length - deep.size(), 'x');
        ASSERT_TRUE(testenv::make_dir(here)) << here;
        ASSERT_TRUE(plat_chdir(here.c_str()));
        err_code = ERR_NONE;
        bool parent = dir_exists("..");
        bool other = dir_exists((base + "sub").c_str());
        bool missing = dir_exists((base + "none").c_str());
        std::string after = testenv::current_dir();
        ASSERT_TRUE(plat_chdir(before.c_str()));
        EXPECT_TRUE(parent) << length;
        EXPECT_TRUE(other) << length;
        EXPECT_FALSE(missing) << length;
        EXPECT_EQ(err_code, ERR_NONE) << length;
        EXPECT_EQ(after.size(), length) << after;
    }
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
    return line[2] == ':' && line[5] == ':' && line.compare(8, 3, " - ") == 0 &&
           line.compare(11, text.size(), text) == 0;
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

// FILEUTIL's readers and writers: read_word, whole files, binary integers.
namespace {

class FileIo : public ::testing::Test {
protected:
    std::string dir;
    FILE *stream = nullptr;

    void SetUp() override { dir = testenv::scratch_dir(); }
    void TearDown() override { reopen(std::string(), false); }
    // Replaces the open stream with a binary one over a file of these bytes.
    void reopen(const std::string &bytes, bool open = true)
    {
        if (stream)
            std::fclose(stream);
        stream = nullptr;
        if (open) {
            testenv::write_file(dir + "stream.bin", bytes);
            ASSERT_NE(stream = plat_fopen((dir + "stream.bin").c_str(), "rb"), nullptr);
        }
    }
    // What fn writes to the debug log.
    template <typename Fn> std::string logged(Fn fn)
    {
        EXPECT_TRUE(open_logfile((dir + "debug.log").c_str()));
        fn();
        close_logfile();
        return testenv::read_file(dir + "debug.log");
    }
};

TEST_F(FileIo, ReadWordSplitsAtBlanksAndNewlinesWithinTheLimit)
{
    // clang-format off
    const struct { const char *bytes; uint32_t max; std::vector<std::pair<std::string, int>> words; } cases[] = {
        {"  alpha\tbeta\n", 10, {{"alpha", 0}, {"beta", 2}, {"", 1}}},
        {"abcde fg", 5, {{"abcde", 0}, {"fg", 1}}},
        {"abcdef ghi", 5, {{"abcde", 3}, {"ghi", 1}}}, // the f is dropped
        {"\n\tword", 10, {{"", 2}, {"word", 1}}},       // newlines are not skipped
        {"x", 0, {{"", 3}, {"", 1}}},
    };
    // clang-format on
    for (const auto &c : cases) {
        reopen(c.bytes);
        for (const auto &word : c.words) {
            char buf[16];
            std::memset(buf, 'Z', sizeof buf);
            EXPECT_EQ(read_word(stream, buf, c.max), word.second) << c.bytes;
            EXPECT_EQ(buf, word.first) << c.bytes;
            EXPECT_EQ(buf[c.max + 1], 'Z') << "max + 1 bytes at most";
        }
    }
    reopen("  averyveryverylongword next");
    EXPECT_EQ(read_word(stream, nullptr, 3), 0) << "without a buffer there is no limit";
    err_code = ERR_NONE;
    EXPECT_EQ(read_word(nullptr, nullptr, 3), 1);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST_F(FileIo, ReadWordAtTheLimitLogsAndLeavesTheRestUnread)
{
    reopen("abcdef ghi");
    char buf[6];
    std::string log = logged([&] { EXPECT_EQ(read_word(stream, buf, 5), 3); });
    EXPECT_NE(log.find("FILEUTIL - read_word(): Max string length exceeded, 5!"), std::string::npos);
    EXPECT_EQ(std::getc(stream), ' ');
}

TEST_F(FileIo, ReadFileAndReadTextfile)
{
    testenv::write_file(dir + "data", std::string("ab\r\ncd\0\xff", 8));
    testenv::write_file(dir + "text", "ab\r\ncd\r\nef");
    err_code = ERR_NONE;
    char *bytes = read_file((dir + "data").c_str());
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes, 9), std::string("ab\r\ncd\0\xff\0", 9));
    EXPECT_EQ(err_code, ERR_NONE);
    std::free(bytes);
    // Text mode reads CR LF as LF, so the read is short of the file's size.
    char *text = nullptr;
    std::string log = logged([&] { text = read_textfile((dir + "text").c_str()); });
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, 11), std::string("ab\ncd\nef\0\0\0", 11));
    EXPECT_EQ(err_code, ERR_FILE_READ);
    EXPECT_NE(log.find("FILEUTIL - read_file(): Expected 10 bytes but read only 8!"), std::string::npos);
    std::free(text);
    for (char *(*reader)(const char *) : {read_file, read_textfile}) {
        err_code = ERR_NONE;
        EXPECT_EQ(reader((dir + "missing").c_str()), nullptr);
        EXPECT_EQ(err_code, ERR_FILE_OPEN);
    }
}

TEST_F(FileIo, WriteTextfileReplacesTheContentInTextMode)
{
    const std::string name = dir + "out.txt";
    testenv::write_file(name, "a much longer old content");
    err_code = ERR_NONE;
    EXPECT_TRUE(write_textfile(name.c_str(), "one\ntwo\n"));
    EXPECT_EQ(testenv::read_file(name), "one\r\ntwo\r\n");
    EXPECT_TRUE(write_textfile(name.c_str(), nullptr));
    EXPECT_EQ(testenv::read_file(name), "");
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_FALSE(write_textfile((dir + "missing\\out.txt").c_str(), "x"));
    EXPECT_EQ(err_code, ERR_FILE_OPEN);
#ifndef _WIN32
    // /dev/full takes buffered bytes and fails when they are pushed out.
    err_code = ERR_NONE;
    EXPECT_TRUE(write_textfile("/dev/full", "short text"));
    EXPECT_EQ(err_code, ERR_FILE_WRITE) << "lost when the stream is closed";
    err_code = ERR_NONE;
    std::string big(100000, 'x');
    std::string log = logged([&] { EXPECT_TRUE(write_textfile("/dev/full", big.c_str())); });
    EXPECT_EQ(err_code, ERR_FILE_WRITE);
    EXPECT_NE(log.find("FILEUTIL - write_textfile(): Wrote only "), std::string::npos);
#endif
}

TEST_F(FileIo, BinaryIntegersInBothByteOrders)
{
    // clang-format off
    const struct { std::string bytes; int32_t little, big; int16_t little16; } cases[] = {
        {"\x12\x34\x56\x78", 2018915346, 305419896, 0x3412},
        {"\xff\xff\xff\xff", -1, -1, -1},
        {std::string("\x80\0\0\0", 4), 128, INT32_MIN, 128},
        {std::string("\x01\x80\0\0", 4), 0x8001, 0x01800000, (int16_t)0x8001},
    };
    // clang-format on
    for (const auto &c : cases) {
        reopen(c.bytes);
        EXPECT_EQ(read_int(stream), c.little);
        std::rewind(stream);
        EXPECT_EQ(read_long(stream), c.little);
        std::rewind(stream);
        EXPECT_EQ(read_motorola_int(stream), c.big);
        std::rewind(stream);
        EXPECT_EQ(read_short(stream), c.little16);
    }
    // One byte short: 0 and ERR_FILE_READ. No stream: 0 and ERR_NULL_POINTER.
    for (bool with_stream : {true, false}) {
        for (int32_t (*reader)(FILE *) : {read_int, read_long, read_motorola_int}) {
            reopen("\x12\x34\x56", with_stream);
            err_code = ERR_NONE;
            EXPECT_EQ(reader(stream), 0);
            EXPECT_EQ(err_code, with_stream ? ERR_FILE_READ : ERR_NULL_POINTER);
        }
        reopen("\x12", with_stream);
        err_code = ERR_NONE;
        EXPECT_EQ(read_short(stream), 0);
        EXPECT_EQ(err_code, with_stream ? ERR_FILE_READ : ERR_NULL_POINTER);
    }
}

TEST_F(FileIo, WriteMotorolaIntWritesMostSignificantFirst)
{
    const std::string name = dir + "out.bin";
    FILE *out = plat_fopen(name.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(write_motorola_int(out, 305419896));
    EXPECT_TRUE(write_motorola_int(out, -2));
    std::fclose(out);
    EXPECT_EQ(testenv::read_file(name), "\x12\x34\x56\x78\xff\xff\xff\xfe");
    reopen("");
    err_code = ERR_NONE;
    EXPECT_FALSE(write_motorola_int(stream, 1)) << "a stream opened for reading";
    EXPECT_EQ(err_code, ERR_FILE_WRITE);
    EXPECT_FALSE(write_motorola_int(nullptr, 1));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

} // namespace

// FILEUTIL's path strings, change_dir and make_path (which runs against the
// real runtime under Wine and the substitute natively).
namespace {

struct Bounded {
    const char *input;
    uint32_t size;
    const char *expected;
    int32_t code;
};

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
    // clang-format off
    const Bounded cases[] = {
        {"D:\\Games", 30, "D:\\Games\\", ERR_NONE}, {"D:\\", 30, "D:\\", ERR_NONE}, {"", 30, "", ERR_NONE},
        {"D:\\Games", 10, "D:\\Games\\", ERR_NONE}, {"D:\\Games\\", 10, "D:\\Games\\", ERR_NONE},
        {"D:\\Games", 9, "", ERR_STRING_BOUNDS}, {"D:\\Games\\", 9, "", ERR_STRING_BOUNDS}, {"a", 1, "", ERR_STRING_BOUNDS},
    };
    // clang-format on
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
    // clang-format off
    const Bounded cases[] = {
        {"D:\\Games\\run.exe", 30, "run.exe", ERR_NONE}, {"run.exe", 30, "run.exe", ERR_NONE}, {"D:\\Games\\", 30, "", ERR_NONE},
        {"D:/Games/run.exe", 30, "D:/Games/run.exe", ERR_NONE}, {"D:\\run.exe", 8, "run.exe", ERR_NONE},
        {"D:\\run.exe", 7, "", ERR_STRING_BOUNDS}, // would be left unterminated
    };
    // clang-format on
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
    // clang-format off
    const struct { const char *text; bool extension, path, wildcard; const char *cut; } cases[] = {
        {"archive.tar.gz", true, false, false, "archive.tar"}, {".cfg", true, false, false, ""},
        {"readme", false, false, false, "readme"}, {"D:\\dir.x\\readme", false, true, false, "D:\\dir.x\\readme"},
        {"D:\\dir.x\\", false, true, false, "D:\\dir.x\\"}, {"a.b/c", false, true, false, "a"},
        {"a:b", false, true, false, "a:b"}, {"*.txt", true, false, true, "*"}, {"", false, false, false, ""},
        {"file?", false, false, true, "file?"},
    };
    // clang-format on
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
    // clang-format off
    const struct { std::string path; int32_t code; } cases[] = {
        {dir + "kept\\..\\plain\\below", ERR_SYS_EEXIST}, // a file stands where a directory should
        {"Q:\\not\\there", ERR_SYS_ENOENT},                // no such drive
        {"", ERR_NULL_POINTER},
    };
    // clang-format on
    for (const auto &c : cases) {
        err_code = ERR_NONE;
        EXPECT_FALSE(make_path(c.path.c_str())) << c.path;
        EXPECT_EQ(err_code, c.code) << c.path;
    }
    EXPECT_TRUE(dir_exists((dir + "kept").c_str())) << "what was made before stays";
}

} // namespace
