#include <gtest/gtest.h>

#include <cstring>

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
