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
#include "support/test_env.h"

namespace {

// A scratch file with the given bytes, opened in mode; closed afterwards.
class StreamTest : public ::testing::Test {
protected:
    std::string dir;
    FILE *stream = nullptr;

    void SetUp() override { dir = testenv::scratch_dir(); }
    void TearDown() override
    {
        if (stream)
            std::fclose(stream);
        close_logfile();
    }
    FILE *open_with(const std::string &bytes, const char *mode = "rb")
    {
        testenv::write_file(dir + "stream.bin", bytes);
        stream = plat_fopen((dir + "stream.bin").c_str(), mode);
        EXPECT_NE(stream, nullptr);
        return stream;
    }
    void open_debug_log() { ASSERT_TRUE(open_logfile((dir + "debug.log").c_str())); }
    // The debug log's text so far; the log is closed.
    std::string debug_log()
    {
        close_logfile();
        return testenv::read_file(dir + "debug.log");
    }
};

// ---- read_word -------------------------------------------------------------------

struct Word {
    std::string text;
    int result;
    bool operator==(const Word &o) const { return text == o.text && result == o.result; }
};
std::ostream &operator<<(std::ostream &os, const Word &w) { return os << "{\"" << w.text << "\", " << w.result << "}"; }

// Reads words with the given maximum until the stream ends; the buffer has
// guard bytes behind its max + 1 bytes, checked after every call.
std::vector<Word> read_words(FILE *stream, uint32_t max)
{
    std::vector<Word> words;
    for (int guard = 0; guard < 20; ++guard) {
        char buf[64];
        std::memset(buf, 'Z', sizeof buf);
        int result = read_word(stream, buf, max);
        for (size_t i = max + 1; i < sizeof buf; ++i)
            EXPECT_EQ(buf[i], 'Z') << "write past max + 1 bytes";
        words.push_back({buf, result});
        if (result == 1)
            break;
    }
    return words;
}

TEST_F(StreamTest, ReadWordSplitsAtBlanksAndNewlines)
{
    const struct {
        const char *bytes;
        uint32_t max;
        std::vector<Word> expected;
    } cases[] = {
        {"  alpha\tbeta\n", 10, {{"alpha", 0}, {"beta", 2}, {"", 1}}},
        {"abcde fg", 5, {{"abcde", 0}, {"fg", 1}}},                // exactly max: whole
        {"abcdef ghi", 5, {{"abcde", 3}, {"ghi", 1}}},             // f is dropped
        {"abcdefgh", 5, {{"abcde", 3}, {"gh", 1}}},
        {"\n\tword", 10, {{"", 2}, {"word", 1}}},                  // newlines are not skipped
        {"one\r\ntwo", 10, {{"one\r", 2}, {"two", 1}}},            // binary: the CR is part of the word
        {"", 10, {{"", 1}}},
        {"x", 0, {{"", 3}, {"", 1}}},
    };
    for (const auto &c : cases) {
        FILE *f = open_with(c.bytes);
        EXPECT_EQ(read_words(f, c.max), c.expected) << '"' << c.bytes << '"';
        std::fclose(f);
        stream = nullptr;
    }
}

TEST_F(StreamTest, ReadWordAtTheLimitLogsAndLeavesTheRestUnread)
{
    open_debug_log();
    FILE *f = open_with("abcdef ghi");
    char buf[6];
    EXPECT_EQ(read_word(f, buf, 5), 3);
    EXPECT_NE(debug_log().find("FILEUTIL - read_word(): Max string length exceeded, 5!"), std::string::npos);
    EXPECT_EQ(std::getc(f), ' ');
}

TEST_F(StreamTest, ReadWordWithoutBufferSkipsAWordOfAnyLength)
{
    FILE *f = open_with("  averyveryverylongword next");
    EXPECT_EQ(read_word(f, nullptr, 3), 0);
    char buf[11];
    EXPECT_EQ(read_word(f, buf, 10), 1);
    EXPECT_STREQ(buf, "next");
}

TEST(ReadWord, NullStreamSets58)
{
    char buf[8] = "keep";
    err_code = 0;
    EXPECT_EQ(read_word(nullptr, buf, 7), 1);
    EXPECT_EQ(err_code, 58);
    EXPECT_STREQ(buf, "keep");
}

// ---- read_file, read_textfile, write_textfile ------------------------------------

TEST_F(StreamTest, ReadFileReturnsTheExactBytesFollowedByNul)
{
    const std::string bytes("ab\r\ncd\0\xff", 8);
    testenv::write_file(dir + "data.bin", bytes);
    err_code = 0;
    char *got = read_file((dir + "data.bin").c_str());
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(std::string(got, 8), bytes);
    EXPECT_EQ(got[8], '\0');
    EXPECT_EQ(err_code, 0);
    std::free(got);

    testenv::write_file(dir + "empty", "");
    got = read_file((dir + "empty").c_str());
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(got, "");
    std::free(got);
}

TEST_F(StreamTest, ReadTextfileConvertsLineEndsAndReportsTheShortRead)
{
    testenv::write_file(dir + "text.txt", "ab\r\ncd\r\nef");
    open_debug_log();
    err_code = 0;
    char *got = read_textfile((dir + "text.txt").c_str());
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(got, "ab\ncd\nef");
    EXPECT_EQ(std::memcmp(got + 8, "\0\0\0", 3), 0) << "zeros up to the file's size";
    EXPECT_EQ(err_code, 52);
    std::free(got);
    EXPECT_NE(debug_log().find("FILEUTIL - read_file(): Expected 10 bytes but read only 8!"), std::string::npos);

    // Without carriage returns nothing is short.
    testenv::write_file(dir + "unix.txt", "ab\ncd");
    err_code = 0;
    got = read_textfile((dir + "unix.txt").c_str());
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(got, "ab\ncd");
    EXPECT_EQ(err_code, 0);
    std::free(got);
}

TEST_F(StreamTest, ReadersReturnNullForAFileThatCannotBeOpened)
{
    err_code = 0;
    EXPECT_EQ(read_file((dir + "missing").c_str()), nullptr);
    EXPECT_EQ(err_code, 51);
    err_code = 0;
    EXPECT_EQ(read_textfile((dir + "missing").c_str()), nullptr);
    EXPECT_EQ(err_code, 51);
}

TEST_F(StreamTest, WriteTextfileReplacesTheContentInTextMode)
{
    const std::string name = dir + "out.txt";
    testenv::write_file(name, "a much longer old content");
    err_code = 0;
    EXPECT_TRUE(write_textfile(name.c_str(), "one\ntwo\n"));
    EXPECT_EQ(testenv::read_file(name), "one\r\ntwo\r\n");
    EXPECT_EQ(err_code, 0);

    EXPECT_TRUE(write_textfile(name.c_str(), nullptr));
    EXPECT_EQ(testenv::read_file(name), "");

    EXPECT_FALSE(write_textfile((dir + "missing\\out.txt").c_str(), "x"));
    EXPECT_EQ(err_code, 51);
}

#ifndef _WIN32
// /dev/full accepts the open and the buffered write, then fails when the
// bytes are pushed out: the loss must not go unreported.
TEST_F(StreamTest, WriteTextfileReportsBytesLostWhenTheFileIsClosed)
{
    err_code = 0;
    EXPECT_TRUE(write_textfile("/dev/full", "short text"));
    EXPECT_EQ(err_code, 53);

    std::string big(100000, 'x');
    open_debug_log();
    err_code = 0;
    EXPECT_TRUE(write_textfile("/dev/full", big.c_str()));
    EXPECT_EQ(err_code, 53);
    EXPECT_NE(debug_log().find("FILEUTIL - write_textfile(): Wrote only "), std::string::npos);
}
#endif

// ---- binary integers ----------------------------------------------------------

TEST_F(StreamTest, ReadsIntegersInBothByteOrders)
{
    const struct {
        std::string bytes;
        int32_t little, big;
        int16_t little16;
    } cases[] = {
        {"\x12\x34\x56\x78", 2018915346, 305419896, 0x3412},
        {"\xff\xff\xff\xff", -1, -1, -1},
        {std::string("\x80\0\0\0", 4), 128, INT32_MIN, 128},
        {std::string("\0\0\0\x80", 4), INT32_MIN, 128, 0},
        {std::string("\x01\x80\0\0", 4), 0x8001, 0x01800000, (int16_t)0x8001},
    };
    for (const auto &c : cases) {
        FILE *f = open_with(c.bytes);
        EXPECT_EQ(read_int(f), c.little);
        std::rewind(f);
        EXPECT_EQ(read_long(f), c.little);
        std::rewind(f);
        EXPECT_EQ(read_motorola_int(f), c.big);
        std::rewind(f);
        EXPECT_EQ(read_short(f), c.little16);
        EXPECT_EQ(std::ftell(f), 2);
        std::fclose(f);
        stream = nullptr;
    }
}

TEST_F(StreamTest, ShortReadGivesZeroWith52)
{
    FILE *f = open_with("\x12\x34\x56");
    for (int which = 0; which < 3; ++which) {
        std::rewind(f);
        err_code = 0;
        int32_t value = which == 0 ? read_int(f) : which == 1 ? read_long(f) : read_motorola_int(f);
        EXPECT_EQ(value, 0) << which;
        EXPECT_EQ(err_code, 52) << which;
    }
    std::fseek(f, 2, SEEK_SET);
    err_code = 0;
    EXPECT_EQ(read_short(f), 0);
    EXPECT_EQ(err_code, 52);
}

TEST(BinaryIntegers, NullStreamGivesZeroWith58)
{
    for (int which = 0; which < 5; ++which) {
        err_code = 0;
        int32_t value = which == 0   ? read_int(nullptr)
                        : which == 1 ? read_long(nullptr)
                        : which == 2 ? read_short(nullptr)
                        : which == 3 ? read_motorola_int(nullptr)
                                     : (int32_t)write_motorola_int(nullptr, 1);
        EXPECT_EQ(value, 0) << which;
        EXPECT_EQ(err_code, 58) << which;
    }
}

TEST_F(StreamTest, WriteMotorolaIntWritesMostSignificantFirst)
{
    const std::string name = dir + "out.bin";
    FILE *f = plat_fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(write_motorola_int(f, 305419896));
    EXPECT_TRUE(write_motorola_int(f, -2));
    EXPECT_TRUE(write_motorola_int(f, INT32_MIN));
    std::fclose(f);
    EXPECT_EQ(testenv::read_file(name), std::string("\x12\x34\x56\x78\xff\xff\xff\xfe\x80\0\0\0", 12));

    // Round trip through the reader.
    f = plat_fopen(name.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(read_motorola_int(f), 305419896);
    EXPECT_EQ(read_motorola_int(f), -2);
    EXPECT_EQ(read_motorola_int(f), INT32_MIN);
    std::fclose(f);
}

TEST_F(StreamTest, WriteMotorolaIntOnAReadOnlyStreamFailsWith53)
{
    FILE *f = open_with("", "rb");
    err_code = 0;
    EXPECT_FALSE(write_motorola_int(f, 1));
    EXPECT_EQ(err_code, 53);
}

} // namespace
