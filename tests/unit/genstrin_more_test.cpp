// GENSTRIN: conversion, single-character edits, searches, bounded copies and
// comparisons, line measures and number formatting.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/generr.h"
#include "lib/genstrin.h"

namespace {

const int32_t UNTOUCHED = 4321; // err_code before a call that must leave it alone

TEST(MonthNames, ShortFormsOfJuneJulyAndSeptemberHaveFourLetters)
{
    EXPECT_STREQ(short_month_names[0], "Jan");
    EXPECT_STREQ(short_month_names[5], "June");
    EXPECT_STREQ(short_month_names[6], "July");
    EXPECT_STREQ(short_month_names[8], "Sept");
    EXPECT_STREQ(short_month_names[11], "Dec");
    EXPECT_STREQ(long_month_names[0], "January");
    EXPECT_STREQ(long_month_names[8], "September");
    EXPECT_STREQ(long_month_names[11], "December");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(std::strncmp(short_month_names[i], long_month_names[i], 3), 0) << i;
}

TEST(StrToBool, WordsInAnyCaseThenTheLeadingNumber)
{
    const struct {
        const char *text;
        bool expected;
    } cases[] = {
        {"true", true},   {"TRUE", true},   {"True", true},  {"False", false}, {"FALSE", false},
        {"12abc", true},  {"abc", false},   {"-1", true},    {"0", false},     {"", false},
        {" \t7", true},   {"-0", false},    {"+000", false}, {"0009", true},   {"truex", false},
        {"TRUE ", false}, {"4294967296", true}, // an int would wrap this to 0
        {"99999999999999999999", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(str_to_bool(c.text), c.expected) << '"' << c.text << '"';
    err_code = UNTOUCHED;
    EXPECT_FALSE(str_to_bool(nullptr));
    EXPECT_EQ(err_code, UNTOUCHED);
}

// ---- single-character edits ------------------------------------------------

TEST(InsertChar, InsertsBeforeThePositionOrAppendsAtTheEnd)
{
    const struct {
        const char *text;
        uint32_t position;
        bool ok;
        const char *expected;
    } cases[] = {
        {"abc", 3, true, "abcX"}, {"abc", 0, true, "Xabc"}, {"abc", 1, true, "aXbc"},
        {"", 0, true, "X"},       {"abc", 4, false, "abc"}, {"", 1, false, ""},
    };
    for (const auto &c : cases) {
        char buf[16];
        std::memset(buf, 'Z', sizeof buf);
        std::strcpy(buf, c.text);
        err_code = 0;
        EXPECT_EQ(insert_char(buf, c.position, 'X'), c.ok) << c.text << " @" << c.position;
        EXPECT_STREQ(buf, c.expected);
        EXPECT_EQ(err_code, c.ok ? 0 : 59);
        EXPECT_EQ(buf[std::strlen(c.expected) + 1], 'Z') << "one character more, no further";
    }
    err_code = 0;
    EXPECT_FALSE(insert_char(nullptr, 0, 'X'));
    EXPECT_EQ(err_code, 58);
}

TEST(DeleteChar, RemovesTheCharacterAtThePosition)
{
    const struct {
        const char *text;
        uint32_t position;
        bool ok;
        const char *expected;
    } cases[] = {
        {"abc", 0, true, "bc"},  {"abc", 1, true, "ac"},   {"abc", 2, true, "ab"},
        {"abc", 3, false, "abc"}, // at the terminator: nothing to remove
        {"abc", 5, false, "abc"}, {"", 0, false, ""},
    };
    for (const auto &c : cases) {
        char buf[8];
        std::strcpy(buf, c.text);
        err_code = 0;
        EXPECT_EQ(delete_char(buf, c.position), c.ok) << c.text << " @" << c.position;
        EXPECT_STREQ(buf, c.expected);
        EXPECT_EQ(err_code, c.ok ? 0 : 59);
    }
    err_code = 0;
    EXPECT_FALSE(delete_char(nullptr, 0));
    EXPECT_EQ(err_code, 58);
}

TEST(ChopChar, RemovesTheLastCharacter)
{
    char buf[8] = "ab";
    EXPECT_TRUE(chop_char(buf));
    EXPECT_STREQ(buf, "a");
    EXPECT_TRUE(chop_char(buf));
    err_code = UNTOUCHED;
    EXPECT_FALSE(chop_char(buf));
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(err_code, UNTOUCHED);
    EXPECT_FALSE(chop_char(nullptr));
    EXPECT_EQ(err_code, 58);
}

TEST(FindLastSeparator, IndexOfTheLastSpaceDashSlashOrBackslash)
{
    const struct {
        const char *text;
        int32_t expected;
    } cases[] = {
        {"c:\\dir\\file-a b", 13}, {"abc", -1}, {"", -1}, {"a/b", 1}, {"-abc", 0}, {"ab\\", 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(find_last_separator(c.text), c.expected) << c.text;
    err_code = 0;
    EXPECT_EQ(find_last_separator(nullptr), -1);
    EXPECT_EQ(err_code, 58);
}

// ---- create_format_string, comma_number, capitalize_words -----------------

char *format(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    char *block = create_format_string(fmt, args);
    va_end(args);
    return block;
}

TEST(CreateFormatString, FormatsIntoAZeroedBlockOf1025Bytes)
{
    char *block = format("%s-%d-%05.1f", "x", 42, 2.5);
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "x-42-002.5");
    for (size_t i = std::strlen(block); i < 1025; ++i)
        ASSERT_EQ(block[i], '\0') << i;
    std::free(block);
}

TEST(CreateFormatString, CutsAtTheEndOfTheBlock)
{
    // Under the sanitizers a write past the 1025 bytes is reported.
    std::string long_text(3000, 'q');
    char *block = format("%s%s", long_text.c_str(), "tail");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::strlen(block), 1024u);
    EXPECT_EQ(std::string(block), long_text.substr(0, 1024));
    std::free(block);

    block = format("%1024d", 7);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::strlen(block), 1024u);
    EXPECT_EQ(block[1023], '7');
    std::free(block);
}

TEST(CreateFormatString, NullFormatSets58)
{
    err_code = 0;
    EXPECT_EQ(format(nullptr), nullptr);
    EXPECT_EQ(err_code, 58);
}

TEST(CommaNumber, GroupsOfThreeDigits)
{
    const struct {
        uint32_t value;
        const char *expected;
    } cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {1001, "1,001"},
        {999999, "999,999"},
        {1000000, "1,000,000"},
        {1002003, "1,002,003"},
        {1234567, "1,234,567"},
        {999999999, "999,999,999"},
        {1000000000, "1,000,000,000"},
        {4294967295u, "4,294,967,295"},
    };
    for (const auto &c : cases) {
        char buf[20];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(comma_number(c.value, buf), buf);
        EXPECT_STREQ(buf, c.expected);
        for (size_t i = 14; i < sizeof buf; ++i)
            EXPECT_EQ(buf[i], 'Z') << "the buffer's 14 bytes are enough";
    }
    err_code = 0;
    EXPECT_EQ(comma_number(1, nullptr), nullptr);
    EXPECT_EQ(err_code, 58);
}

TEST(CapitalizeWords, UpperCasesTheFirstCharacterOfEachWord)
{
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        {"hello  big\tworld", "Hello  Big\tWorld"},
        {"mIXED", "MIXED"},
        {"1abc -x +y", "1abc -x +y"},
        {"ab  ", "Ab  "},
        {"  \t", "  \t"},
        {"", ""},
        {"\xe9t\xe9 a", "\xe9t\xe9 A"},
    };
    for (const auto &c : cases) {
        char buf[32];
        std::strcpy(buf, c.text);
        EXPECT_EQ(capitalize_words(buf), buf);
        EXPECT_STREQ(buf, c.expected);
    }
    err_code = 0;
    EXPECT_EQ(capitalize_words(nullptr), nullptr);
    EXPECT_EQ(err_code, 58);
}

// ---- searches --------------------------------------------------------------

TEST(FindSubstring, FirstOccurrenceAtOrAfterTheStart)
{
    const struct {
        const char *text;
        uint32_t n;
        const char *pattern;
        uint32_t m, start;
        int32_t exact, nocase;
    } cases[] = {
        {"abcabd", 6, "abd", 3, 0, 3, 3},
        {"abcabd", 6, "abd", 3, 4, -1, -1}, // fewer than 3 characters remain
        {"abcabd", 6, "abd", 3, 7, -1, -1}, // start past the text
        {"abcabd", 6, "abd", 3, 3, 3, 3},
        {"aab", 3, "ab", 2, 0, 1, 1},       // the partial match at 0 is abandoned
        {"aaab", 4, "aab", 3, 0, 1, 1},
        {"xab", 3, "AB", 2, 0, -1, 1},
        {"abcd", 3, "cd", 2, 0, -1, -1},    // only the first n characters take part
        {"abcd", 4, "cdx", 2, 0, 2, 2},     // only the first m of the pattern
        {"a\0b", 3, "\0b", 2, 0, 1, 1},     // a NUL compares like any character
        {"ab", 2, "abc", 3, 0, -1, -1},
        {"abc", 3, "", 0, 0, -1, -1},       // an empty pattern finds nothing
        {"abc", 3, "", 0, 3, -1, -1},
    };
    for (const auto &c : cases) {
        err_code = UNTOUCHED;
        EXPECT_EQ(find_substring(c.text, c.pattern, c.n, c.m, c.start), c.exact)
            << c.pattern << " in " << c.text << " from " << c.start;
        EXPECT_EQ(find_substring_nocase(c.text, c.pattern, c.n, c.m, c.start), c.nocase)
            << c.pattern << " in " << c.text << " from " << c.start;
        EXPECT_EQ(err_code, UNTOUCHED);
    }
    err_code = 0;
    EXPECT_EQ(find_substring(nullptr, "a", 0, 1, 0), -1);
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_EQ(find_substring_nocase("a", nullptr, 1, 0, 0), -1);
    EXPECT_EQ(err_code, 58);
}

TEST(FindSubstring, ReadsNoFurtherThanTheGivenLengths)
{
    // Exactly sized heap copies: the sanitizers report any read past them.
    char *text = static_cast<char *>(std::malloc(4));
    char *pattern = static_cast<char *>(std::malloc(2));
    std::memcpy(text, "xyab", 4);
    std::memcpy(pattern, "AB", 2);
    EXPECT_EQ(find_substring_nocase(text, pattern, 4, 2, 0), 2);
    EXPECT_EQ(find_substring(text, pattern, 4, 2, 0), -1);
    EXPECT_EQ(find_substring(text, pattern, 4, 0, 0), -1);
    std::free(text);
    std::free(pattern);
}

TEST(FindStringNocase, PointsAtTheFirstMatchInTheText)
{
    const struct {
        const char *text;
        const char *pattern;
        int expected; // offset into text, -1 for null
    } cases[] = {
        {"Hello World", "WORLD", 6}, {"aab", "ab", 1},  {"aaab", "AAB", 1}, {"abc", "abc", 0},
        {"abc", "abcd", -1},         {"abc", "", -1},   {"", "a", -1},      {"", "", -1},
        {"xAbAbC", "abc", 3},
    };
    for (const auto &c : cases) {
        const char *got = find_string_nocase(c.text, c.pattern);
        if (c.expected < 0)
            EXPECT_EQ(got, nullptr) << c.pattern << " in " << c.text;
        else
            EXPECT_EQ(got, c.text + c.expected) << c.pattern << " in " << c.text;
    }
    char mutable_text[] = "one Two";
    EXPECT_EQ(find_string_nocase(mutable_text, "two"), mutable_text + 4);
    err_code = 0;
    EXPECT_EQ(find_string_nocase(nullptr, "a"), nullptr);
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_EQ(find_string_nocase("a", nullptr), nullptr);
    EXPECT_EQ(err_code, 58);
}

// ---- bounded copies and comparison -------------------------------------------

TEST(CopyChars, CopiesUpToTheBoundAndTerminates)
{
    const struct {
        const char *source;
        uint32_t count, limit;
        const char *expected;
    } cases[] = {
        {"abcdef", 3, 100, "abc"}, {"ab", 5, 100, "ab"},  {"abc", 0, 100, ""},
        {"abcdef", 5, 2, "ab"},    {"abcdef", 2, 5, "ab"}, {"", 3, 3, ""},
    };
    for (const auto &c : cases) {
        char buf[16];
        std::memset(buf, 'Z', sizeof buf);
        bool limited = c.limit != 100;
        char *got = limited ? copy_chars_limit(buf, c.source, c.count, c.limit) : copy_chars(buf, c.source, c.count);
        EXPECT_EQ(got, buf);
        EXPECT_STREQ(buf, c.expected) << c.source << " " << c.count << "/" << c.limit;
        uint32_t bound = c.count < c.limit ? c.count : c.limit;
        EXPECT_EQ(buf[bound + 1], 'Z') << "needs only bound + 1 bytes";
    }
    char buf[4] = "old";
    err_code = UNTOUCHED;
    EXPECT_EQ(copy_chars(buf, nullptr, 3), buf);
    EXPECT_EQ(copy_chars(nullptr, "x", 3), nullptr);
    EXPECT_EQ(copy_chars_limit(buf, nullptr, 3, 3), buf);
    EXPECT_STREQ(buf, "old");
    EXPECT_EQ(err_code, UNTOUCHED);
}

TEST(CompareNocase, DifferenceOfTheFirstDifferingUpperCasedCharacters)
{
    const struct {
        const char *first, *second;
        uint32_t count;
        int expected;
    } cases[] = {
        {"abc", "ABD", 2, 0},
        {"abc", "ABD", 3, -1},
        {"ab", "abc", 5, -67},
        {"abc", "ab", 2, 0},
        {"abc", "ab", 3, 67},
        {"abc", "xyz", 0, 0},
        {"", "", 5, 0},
        {"Hello", "hELLO", 99, 0},
        {"a", "\xe9", 1, 'A' + 23}, // 0xE9 counts as -23
        {"a[", "A{", 2, '[' - '{'},
    };
    for (const auto &c : cases)
        EXPECT_EQ(compare_nocase(c.first, c.second, c.count), c.expected)
            << c.first << " / " << c.second << " over " << c.count;
    err_code = 0;
    EXPECT_EQ(compare_nocase(nullptr, "a", 1), 0);
    EXPECT_EQ(err_code, 58);
    err_code = 0;
    EXPECT_EQ(compare_nocase("a", nullptr, 1), 0);
    EXPECT_EQ(err_code, 58);
}

// ---- line measures ----------------------------------------------------------

TEST(LineMeasures, FirstLongestAndCount)
{
    const struct {
        const char *text;
        uint32_t first, longest, lines;
    } cases[] = {
        {"a\nb\n", 1, 1, 3},    {"ab\ncdef\ng", 2, 4, 3}, {"", 0, 0, 1},  {"abc", 3, 3, 1},
        {"a\nbcdefg", 1, 6, 2}, {"\n\n", 0, 0, 3},        {"abc\n", 3, 3, 2},
    };
    for (const auto &c : cases) {
        err_code = UNTOUCHED;
        EXPECT_EQ(first_line_length(c.text), c.first) << c.text;
        EXPECT_EQ(err_code, 0) << "first_line_length clears the code";
        err_code = UNTOUCHED;
        EXPECT_EQ(longest_line_length(c.text), c.longest) << c.text;
        EXPECT_EQ(count_lines(c.text), c.lines) << c.text;
        EXPECT_EQ(err_code, UNTOUCHED);
    }
    for (uint32_t (*measure)(const char *) : {first_line_length, longest_line_length, count_lines}) {
        err_code = 0;
        EXPECT_EQ(measure(nullptr), 0u);
        EXPECT_EQ(err_code, 58);
    }
}

TEST(UshortToDigits, DecimalWithoutLeadingZeros)
{
    const struct {
        uint16_t value;
        const char *expected;
    } cases[] = {
        {0, "0"}, {9, "9"}, {10, "10"}, {100, "100"}, {1000, "1000"}, {10005, "10005"}, {65535, "65535"},
    };
    for (const auto &c : cases) {
        char buf[8];
        std::memset(buf, 'Z', sizeof buf);
        err_code = UNTOUCHED;
        EXPECT_EQ(ushort_to_digits(c.value, buf), (int16_t)std::strlen(c.expected));
        EXPECT_STREQ(buf, c.expected);
        EXPECT_EQ(err_code, 0);
        EXPECT_EQ(buf[6], 'Z') << "six bytes are enough";
    }
    EXPECT_EQ(ushort_to_digits(1, nullptr), -1);
    EXPECT_EQ(err_code, 58);
}

} // namespace
