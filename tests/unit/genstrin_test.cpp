// GENSTRIN: trimming, conversion, single-character edits, searches, bounded
// copies and comparisons, line measures, number formatting and ASCII folding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/generr.h"
#include "lib/genstrin.h"

TEST(Trim, RightRemovesOnlyTrailingSpacesAndTabs)
{
    struct {
        const char *in, *out;
    } cases[] = {
        {"abc \t \t", "abc"}, {"  a b  ", "  a b"}, {" \t\t ", ""}, {"", ""}, {"x\r ", "x\r"}, {"x\n", "x\n"},
    };
    for (auto &c : cases) {
        char buf[32];
        std::strcpy(buf, c.in);
        EXPECT_EQ(trim_right(buf), buf);
        EXPECT_STREQ(buf, c.out) << "input [" << c.in << "]";
    }
}

TEST(Trim, LeftPointsPastLeadingBlanksWithoutChangingText)
{
    char text[] = "  \tvalue  ";
    EXPECT_EQ(trim_left(text), text + 3);
    EXPECT_STREQ(text, "  \tvalue  ");
    char blanks[] = " \t ";
    EXPECT_EQ(trim_left(blanks), blanks + 3);
    EXPECT_EQ(*trim_left(blanks), '\0');
}

TEST(Trim, NullTextSets58)
{
    err_code = ERR_NONE;
    EXPECT_EQ(trim_right(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    err_code = ERR_NONE;
    EXPECT_EQ(trim_left(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(Chrcat, AppendsAndTerminates)
{
    char buf[8] = "ab";
    buf[3] = 'z'; // garbage past the terminator must be overwritten
    EXPECT_TRUE(chrcat(buf, '\\'));
    EXPECT_STREQ(buf, "ab\\");
    char empty[2] = "";
    EXPECT_TRUE(chrcat(empty, 'x'));
    EXPECT_STREQ(empty, "x");
    err_code = ERR_NONE;
    EXPECT_FALSE(chrcat(nullptr, 'x'));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

// Only A to Z fold, whatever the locale: "@", "[" and the letters of a
// code page's upper half stay as they are.
TEST(Genstrin, AsciiFoldingTouchesOnlyAToZ)
{
    char text[] = "AbZ@[`az{\xC4\xE4";
    EXPECT_EQ(fold_ascii(text), text);
    EXPECT_STREQ(text, "abz@[`az{\xC4\xE4");
    EXPECT_EQ(ascii_lower('Q'), 'q');
    EXPECT_EQ(ascii_lower('\xC4'), '\xC4');
    err_code = ERR_NONE;
    EXPECT_EQ(fold_ascii(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

// GENSTRIN: conversion, single-character edits, searches, bounded copies and
// comparisons, line measures and number formatting.
namespace {

const int32_t UNTOUCHED = 4321; // err_code before a call that must leave it alone

TEST(Genstrin, MonthNamesAndStrToBool)
{
    EXPECT_STREQ(short_month_names[5], "June");
    EXPECT_STREQ(short_month_names[8], "Sept");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(std::strncmp(short_month_names[i], long_month_names[i], 3), 0) << i;

    // clang-format off
    const struct { const char *text; bool expected; } cases[] = {
        {"true", true}, {"True", true}, {"FALSE", false}, {"12abc", true}, {"abc", false}, {"-1", true},
        {"0", false}, {"", false}, {" \t7", true}, {"-0", false}, {"TRUE ", false}, {"0009", true},
        {"4294967296", true}, // an int would wrap it to 0
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(str_to_bool(c.text), c.expected) << '"' << c.text << '"';
    err_code = UNTOUCHED;
    EXPECT_FALSE(str_to_bool(nullptr));
    EXPECT_EQ(err_code, UNTOUCHED);
}

TEST(Genstrin, InsertDeleteAndChopCharacters)
{
    // clang-format off
    const struct { bool insert; const char *text; uint32_t position; const char *expected; int32_t code; } cases[] = {
        {true, "abc", 3, "abcX", ERR_NONE}, {true, "abc", 0, "Xabc", ERR_NONE}, {true, "", 0, "X", ERR_NONE}, {true, "abc", 4, "abc", ERR_INVALID_INPUT},
        {false, "abc", 0, "bc", ERR_NONE},  {false, "abc", 2, "ab", ERR_NONE},
        {false, "abc", 3, "abc", ERR_INVALID_INPUT}, // at the terminator there is nothing to remove
        {false, "abc", 5, "abc", ERR_INVALID_INPUT},
    };
    // clang-format on
    for (const auto &c : cases) {
        char buf[8];
        std::memset(buf, 'Z', sizeof buf);
        std::strcpy(buf, c.text);
        err_code = ERR_NONE;
        bool ok = c.insert ? insert_char(buf, c.position, 'X') : delete_char(buf, c.position);
        EXPECT_EQ(ok, c.code == ERR_NONE) << c.text << " @" << c.position;
        EXPECT_STREQ(buf, c.expected);
        EXPECT_EQ(err_code, c.code);
        EXPECT_EQ(buf[std::strlen(c.text) + 2], 'Z') << "one character more at most";
    }
    char buf[4] = "ab";
    err_code = UNTOUCHED;
    EXPECT_TRUE(chop_char(buf) && chop_char(buf));
    EXPECT_FALSE(chop_char(buf));
    EXPECT_EQ(err_code, UNTOUCHED);
    EXPECT_FALSE(insert_char(nullptr, 0, 'X') || delete_char(nullptr, 0) || chop_char(nullptr));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

char *format(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    char *block = create_format_string(fmt, args);
    va_end(args);
    return block;
}

TEST(Genstrin, FormattingIntoBoundedBuffers)
{
    char *block = format("%s-%d", "x", 42);
    EXPECT_STREQ(block, "x-42");
    EXPECT_EQ(std::memcmp(block + 4, std::string(1021, '\0').data(), 1021), 0) << "1025 zeroed bytes";
    std::free(block);
    std::string long_text(3000, 'q'); // the sanitizers report a write past the block
    block = format("%s", long_text.c_str());
    EXPECT_EQ(std::string(block), long_text.substr(0, 1024));
    std::free(block);
    err_code = ERR_NONE;
    EXPECT_EQ(format(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);

    // clang-format off
    const struct { uint32_t value; const char *expected; } numbers[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {999999, "999,999"}, {1002003, "1,002,003"},
        {1000000000, "1,000,000,000"}, {4294967295u, "4,294,967,295"},
    };
    // clang-format on
    for (const auto &c : numbers) {
        char buf[16];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_STREQ(comma_number(c.value, buf), c.expected);
        EXPECT_EQ(buf[14], 'Z');
    }
    for (uint16_t value : {0, 9, 10, 100, 10005, 65535}) {
        char buf[8];
        std::memset(buf, 'Z', sizeof buf);
        err_code = UNTOUCHED;
        EXPECT_EQ(ushort_to_digits(value, buf), (int16_t)std::to_string(value).size());
        EXPECT_EQ(buf, std::to_string(value));
        EXPECT_EQ(err_code, ERR_NONE);
        EXPECT_EQ(buf[6], 'Z');
    }
    EXPECT_EQ(comma_number(1, nullptr), nullptr);
    EXPECT_EQ(ushort_to_digits(1, nullptr), -1);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(Genstrin, CapitalizeWordsAndFindLastSeparator)
{
    // clang-format off
    const struct { const char *text, *expected; } cases[] = {
        {"hello  big\tworld", "Hello  Big\tWorld"}, {"mIXED", "MIXED"}, {"1abc -x", "1abc -x"},
        {"ab  ", "Ab  "}, {"  \t", "  \t"}, {"", ""}, {"\xe9t\xe9 a", "\xe9t\xe9 A"},
    };
    // clang-format on
    for (const auto &c : cases) {
        char buf[32];
        EXPECT_STREQ(capitalize_words(std::strcpy(buf, c.text)), c.expected);
    }
    EXPECT_EQ(find_last_separator("c:\\dir\\file-a b"), 13);
    EXPECT_EQ(find_last_separator("abc"), -1);
    EXPECT_EQ(find_last_separator(""), -1);
    err_code = ERR_NONE;
    EXPECT_EQ(find_last_separator(nullptr), -1);
    EXPECT_EQ(capitalize_words(nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(Genstrin, FindSubstringWithinTheGivenLengths)
{
    const struct {
        const char *text;
        uint32_t n;
        const char *pattern;
        uint32_t m, start;
        int32_t exact, nocase;
    } cases[] = {
        {"abcabd", 6, "abd", 3, 0, 3, 3}, {"abcabd", 6, "abd", 3, 4, -1, -1}, {"abcabd", 6, "abd", 3, 7, -1, -1},
        {"aab", 3, "ab", 2, 0, 1, 1},     {"xab", 3, "AB", 2, 0, -1, 1},      {"abcd", 3, "cd", 2, 0, -1, -1},
        {"a\0b", 3, "\0b", 2, 0, 1, 1},   {"ab", 2, "abc", 3, 0, -1, -1},     {"abc", 3, "", 0, 0, -1, -1},
    };
    for (const auto &c : cases) {
        err_code = UNTOUCHED;
        EXPECT_EQ(find_substring(c.text, c.pattern, c.n, c.m, c.start), c.exact) << c.pattern << "@" << c.start;
        EXPECT_EQ(find_substring_nocase(c.text, c.pattern, c.n, c.m, c.start), c.nocase) << c.pattern;
        EXPECT_EQ(err_code, UNTOUCHED);
    }
    // Exactly sized blocks: the sanitizers report a read past either length.
    char *text = static_cast<char *>(std::malloc(4));
    char *pattern = static_cast<char *>(std::malloc(1));
    std::memcpy(text, "xyab", 4);
    pattern[0] = 'B';
    EXPECT_EQ(find_substring_nocase(text, pattern, 4, 1, 0), 3);
    EXPECT_EQ(find_substring(text, pattern, 4, 0, 0), -1);
    std::free(text);
    std::free(pattern);
    EXPECT_EQ(find_substring(nullptr, "a", 0, 1, 0), -1);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);

    // clang-format off
    const struct { const char *text, *pattern; int offset; } strings[] = {
        {"Hello World", "WORLD", 6}, {"aaab", "AAB", 1}, {"abc", "abcd", -1}, {"abc", "", -1}, {"", "a", -1},
    };
    // clang-format on
    for (const auto &c : strings)
        EXPECT_EQ(find_string_nocase(c.text, c.pattern), c.offset < 0 ? nullptr : c.text + c.offset) << c.pattern;
    err_code = ERR_NONE;
    EXPECT_EQ(find_string_nocase("a", nullptr), nullptr);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(Genstrin, BoundedCopyAndCaselessCompare)
{
    // clang-format off
    const struct { const char *source; uint32_t count, limit; const char *expected; } copies[] = {
        {"abcdef", 3, 9, "abc"}, {"ab", 5, 9, "ab"}, {"abc", 0, 9, ""}, {"abcdef", 5, 2, "ab"},
    };
    // clang-format on
    for (const auto &c : copies) {
        char buf[12];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_STREQ(copy_chars_limit(buf, c.source, c.count, c.limit), c.expected);
        EXPECT_EQ(buf[std::min(c.count, c.limit) + 1], 'Z') << "bound + 1 bytes at most";
        EXPECT_STREQ(copy_chars(buf, c.source, std::min(c.count, c.limit)), c.expected);
    }
    char buf[4] = "old";
    err_code = UNTOUCHED;
    EXPECT_EQ(copy_chars(buf, nullptr, 3), buf);
    EXPECT_STREQ(buf, "old");
    EXPECT_EQ(err_code, UNTOUCHED);

    // clang-format off
    const struct { const char *first, *second; uint32_t count; int expected; } compares[] = {
        {"abc", "ABD", 2, 0}, {"abc", "ABD", 3, -1}, {"ab", "abc", 5, -67}, {"abc", "ab", 2, 0},
        {"abc", "ab", 3, 67}, {"abc", "xyz", 0, 0},  {"a", "\xe9", 1, 'A' + 23}, // 0xE9 counts as -23
    };
    // clang-format on
    for (const auto &c : compares)
        EXPECT_EQ(compare_nocase(c.first, c.second, c.count), c.expected) << c.first << "/" << c.second;
    EXPECT_EQ(compare_nocase(nullptr, "a", 1), 0);
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

TEST(Genstrin, LineMeasures)
{
    // clang-format off
    const struct { const char *text; uint32_t first, longest, lines; } cases[] = {
        {"a\nb\n", 1, 1, 3}, {"ab\ncdef\ng", 2, 4, 3}, {"", 0, 0, 1}, {"a\nbcdefg", 1, 6, 2}, {"\n\n", 0, 0, 3},
    };
    // clang-format on
    for (const auto &c : cases) {
        err_code = UNTOUCHED;
        EXPECT_EQ(first_line_length(c.text), c.first) << c.text;
        EXPECT_EQ(err_code, ERR_NONE) << "first_line_length clears the code";
        err_code = UNTOUCHED;
        EXPECT_EQ(longest_line_length(c.text), c.longest) << c.text;
        EXPECT_EQ(count_lines(c.text), c.lines) << c.text;
        EXPECT_EQ(err_code, UNTOUCHED);
    }
    for (uint32_t (*measure)(const char *) : {first_line_length, longest_line_length, count_lines}) {
        err_code = ERR_NONE;
        EXPECT_EQ(measure(nullptr), 0u);
        EXPECT_EQ(err_code, ERR_NULL_POINTER);
    }
}

} // namespace
