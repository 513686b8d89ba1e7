// GENUTIL: the character classes and the small integer operations.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "lib/generr.h"
#include "lib/genutil.h"

namespace {

// The members of a class among the codes 0 to 255.
std::string members(bool (*is_member)(int))
{
    std::string found;
    for (int c = 0; c < 256; ++c)
        if (is_member(c))
            found += (char)c;
    return found;
}

TEST(CharacterClasses, MembersAmongAllByteValues)
{
    EXPECT_EQ(members(is_comment_char), "#;");
    EXPECT_EQ(members(is_separator_char), " -/\\");
    EXPECT_EQ(members(is_punctuation_char), " !\"'(),-.:;?[]`\xfc\xfd\xfe\xff");
    std::string printable = members(is_printable_char);
    ASSERT_EQ(printable.size(), 95u);
    EXPECT_EQ(printable.front(), ' ');
    EXPECT_EQ(printable.back(), '~');
}

TEST(CharacterClasses, SignedCharactersAndWiderValues)
{
    // A plain char above 127 arrives negative.
    const char e_acute = '\xe9', u_umlaut = '\xfc';
    EXPECT_FALSE(is_printable_char(e_acute));
    EXPECT_FALSE(is_printable_char(127));
    EXPECT_TRUE(is_punctuation_char(u_umlaut)) << "252 by its low 8 bits";
    EXPECT_TRUE(is_punctuation_char(-1)) << "255 by its low 8 bits";
    EXPECT_FALSE(is_punctuation_char(251));
    EXPECT_TRUE(is_separator_char(256 + '-'));
    EXPECT_TRUE(is_punctuation_char(512 + '!'));
    EXPECT_FALSE(is_separator_char(256)) << "low 8 bits are the terminator";
    EXPECT_FALSE(is_punctuation_char(0));
    EXPECT_FALSE(is_comment_char(256 + ';')) << "only the two named codes";
}

TEST(BitMasks, InRangeShiftsOutOfRangeSets65)
{
    const struct {
        uint32_t (*mask)(int32_t);
        int32_t n;
        uint32_t expected;
        bool ok;
    } cases[] = {
        {bit_mask32, 0, 1u, true},
        {bit_mask32, 31, 2147483648u, true},
        {bit_mask32, 32, 0u, false}, // does not fit 32 bits
        {bit_mask32, 33, 0u, false},
        {bit_mask32, -1, 0u, false},
        {bit_mask32, INT32_MIN, 0u, false},
        {bit_mask16, 0, 1u, true},
        {bit_mask16, 15, 32768u, true},
        {bit_mask16, 16, 65536u, true},
        {bit_mask16, 17, 0u, false},
        {bit_mask16, -1, 0u, false},
    };
    for (const auto &c : cases) {
        err_code = 0;
        EXPECT_EQ(c.mask(c.n), c.expected) << (c.mask == bit_mask32 ? "32: " : "16: ") << c.n;
        EXPECT_EQ(err_code, c.ok ? 0 : 65) << c.n;
    }
}

TEST(SignOf, NegativeZeroPositive)
{
    const struct {
        int32_t value;
        int expected;
    } cases[] = {{-5, -1}, {0, 0}, {7, 1}, {INT32_MIN, -1}, {INT32_MAX, 1}};
    for (const auto &c : cases)
        EXPECT_EQ(sign_of(c.value), c.expected) << c.value;
}

TEST(SwapInts, ExchangesAndLeavesOneIntegerAsItIs)
{
    int32_t a = 1, b = INT32_MIN;
    swap_ints(a, b);
    EXPECT_EQ(a, INT32_MIN);
    EXPECT_EQ(b, 1);
    int32_t same = 12345;
    swap_ints(same, same);
    EXPECT_EQ(same, 12345);
}

} // namespace
