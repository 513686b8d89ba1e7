// FILEUTIL's readers and writers: read_word, whole files, binary integers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/platform.h"
#include "tests/unit/support/test_env.h"

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
    const struct { const char *bytes; uint32_t max; std::vector<std::pair<std::string, int>> words; } cases[] = {
        {"  alpha\tbeta\n", 10, {{"alpha", 0}, {"beta", 2}, {"", 1}}},
        {"abcde fg", 5, {{"abcde", 0}, {"fg", 1}}},
        {"abcdef ghi", 5, {{"abcde", 3}, {"ghi", 1}}}, // the f is dropped
        {"\n\tword", 10, {{"", 2}, {"word", 1}}},       // newlines are not skipped
        {"x", 0, {{"", 3}, {"", 1}}},
    };
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
    const struct { std::string bytes; int32_t little, big; int16_t little16; } cases[] = {
        {"\x12\x34\x56\x78", 2018915346, 305419896, 0x3412},
        {"\xff\xff\xff\xff", -1, -1, -1},
        {std::string("\x80\0\0\0", 4), 128, INT32_MIN, 128},
        {std::string("\x01\x80\0\0", 4), 0x8001, 0x01800000, (int16_t)0x8001},
    };
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
