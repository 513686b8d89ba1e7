// GENUTIL: the character classes and the small integer operations.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "lib/generr.h"
#include "lib/genutil.h"

namespace {

std::string members(bool (*is_member)(int))
{
    std::string found;
    for (int c = 0; c < 256; ++c)
        if (is_member(c))
            found += (char)c;
    return found;
}

TEST(Genutil, CharacterClassesAndHowWideValuesAreRead)
{
    EXPECT_EQ(members(is_comment_char), "#;");
    EXPECT_EQ(members(is_separator_char), " -/\\");
    EXPECT_EQ(members(is_punctuation_char), " !\"'(),-.:;?[]`\xfc\xfd\xfe\xff");
    EXPECT_EQ(members(is_printable_char).size(), 95u);
    EXPECT_FALSE(is_printable_char('\x7f'));
    EXPECT_FALSE(is_printable_char('\xe9')) << "a plain char above 127 arrives negative";
    EXPECT_TRUE(is_punctuation_char('\xfc')) << "252 by its low 8 bits";
    EXPECT_TRUE(is_separator_char(256 + '-'));
    EXPECT_FALSE(is_punctuation_char(256)) << "low 8 bits are 0";
    EXPECT_FALSE(is_comment_char(256 + ';'));
}

TEST(Genutil, BitMasksSignAndSwap)
{
    const struct { uint32_t (*mask)(int32_t); int32_t n; uint32_t expected; } cases[] = {
        {bit_mask32, 0, 1u},  {bit_mask32, 31, 2147483648u}, {bit_mask32, 32, 0u}, // 1 << 32 does not fit
        {bit_mask32, 33, 0u}, {bit_mask32, -1, 0u}, {bit_mask16, 16, 65536u}, {bit_mask16, 17, 0u},
    };
    for (const auto &c : cases) {
        err_code = ERR_NONE;
        EXPECT_EQ(c.mask(c.n), c.expected) << c.n;
        EXPECT_EQ(err_code, c.expected ? ERR_NONE : ERR_OVERFLOW) << c.n;
    }
    EXPECT_EQ(sign_of(-5), -1);
    EXPECT_EQ(sign_of(0), 0);
    EXPECT_EQ(sign_of(7), 1);
    EXPECT_EQ(sign_of(INT32_MIN), -1);
    int32_t a = 1, b = INT32_MIN;
    swap_ints(a, b);
    EXPECT_EQ(a, INT32_MIN);
    EXPECT_EQ(b, 1);
    swap_ints(a, a);
    EXPECT_EQ(a, INT32_MIN) << "one integer twice stays as it is";
}

} // namespace
