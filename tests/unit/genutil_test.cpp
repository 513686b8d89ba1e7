// GENUTIL: the module registry, the static-initialisation hook, the
// character classes and the small integer operations.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "lib/generr.h"
#include "lib/genutil.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/report_text.h"
#include "tests/unit/support/test_env.h"

TEST(Registry, StartupRegistersTheFiveModulesInOrder)
{
    ASSERT_TRUE(reg_db.initialised);
    ASSERT_EQ(reg_db.num_programs, 5);
    EXPECT_EQ(reg_db.current_program, 0);
    struct {
        const char *program, *version, *date;
    } expected[] = {{"GENUTIL", "1.0", "29 Nov 1998"},
                    {"FILEUTIL", "0.8", "29 November 1998"},
                    {"GENERR", "0.2a", "28 Nov 1998"},
                    {"GENMEM", "0.2a", "28 November 1998"},
                    {"GENSTRIN", "0.4b", "10 January 1999"}};
    for (int i = 0; i < 5; ++i) {
        PROG_TYPE *p = reg_db.get_program(i);
        ASSERT_NE(p, nullptr);
        EXPECT_STREQ(p->program, expected[i].program);
        EXPECT_STREQ(p->version, expected[i].version);
        EXPECT_STREQ(p->date, expected[i].date);
        EXPECT_NE(p->created_by, nullptr);
    }
    EXPECT_STREQ(reg_db.get_current_program()->program, "GENUTIL");
    // A second start-up changes nothing.
    start_library();
    EXPECT_EQ(reg_db.num_programs, 5);
    EXPECT_EQ(error_db.num_errors, 79);
}

TEST(Registry, IndexOutsideTheEntriesSets55)
{
    err_code = ERR_NONE;
    EXPECT_EQ(reg_db.get_program(-1), nullptr);
    EXPECT_EQ(err_code, ERR_INDEX_OVERFLOW);
    err_code = ERR_NONE;
    EXPECT_EQ(reg_db.get_program(reg_db.num_programs), nullptr);
    EXPECT_EQ(err_code, ERR_INDEX_OVERFLOW);
    err_code = ERR_NONE;
    EXPECT_NE(reg_db.get_program(reg_db.num_programs - 1), nullptr);
    EXPECT_EQ(err_code, ERR_NONE);
}

TEST(Registry, TwentyFirstRegistrationIsRefusedWith57)
{
    REG_TYPE reg;
    ASSERT_TRUE(reg.add_program("M1", "1", "a", "d")); // GENUTIL first, then M1
    EXPECT_EQ(reg.current_program, 0);
    for (int i = 2; i < MAX_PROGRAMS; ++i)
        ASSERT_TRUE(reg.add_program("M", "1", nullptr, "d"));
    EXPECT_EQ(reg.get_program(19)->created_by, nullptr);
    err_code = ERR_NONE;
    EXPECT_FALSE(reg.add_program("M21", "1", "a", "d"));
    EXPECT_EQ(err_code, ERR_TABLE_FULL);
    EXPECT_EQ(reg.num_programs, 20);
    EXPECT_FALSE(reg.add_current_program("M21", "1", "a", "d"));
    EXPECT_EQ(reg.current_program, -1);
    EXPECT_EQ(reg.get_current_program(), nullptr);
    reg.clear_programs();
    EXPECT_TRUE(reg.initialised);
    EXPECT_EQ(reg.num_programs, 0);
}

TEST(Registry, DumpWritesTheCountAndTheChosenFields)
{
    std::string path = testenv::scratch_dir() + "dump.txt";
    FILE *f = plat_fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    REG_TYPE reg;
    reg.add_program("ONE", "0.1", nullptr, "1 Jan 1999");
    EXPECT_TRUE(reg.dump_programs(f, 0));
    EXPECT_TRUE(reg.dump_programs(f, 2));
    EXPECT_TRUE(reg.dump_programs(f, 12));
    std::fclose(f);
    std::string genutil_author = GENUTIL_AUTHOR;
    EXPECT_EQ(testenv::read_file(path), "2 Modules currently in use.\n"
                                        "2 Modules currently in use.\n"
                                        "     1)          Version: 1.0\n"
                                        "     2)          Version: 0.1\n"
                                        "2 Modules currently in use.\n"
                                        "     1)          Date: 29 Nov 1998\n"
                                        "         Created By: " +
                                            genutil_author +
                                            "\n"
                                            "     2)          Date: 1 Jan 1999\n"
                                            "         Created By: NULL\n");
    reg.clear_programs();
    err_code = ERR_NONE;
    EXPECT_FALSE(reg_db.dump_programs(nullptr, 15));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

static int init_calls;
static void count_init() { ++init_calls; }

TEST(InitType, CallsItsFunctionUnlessNull)
{
    init_calls = 0;
    INIT_TYPE run(count_init);
    INIT_TYPE skip(nullptr);
    EXPECT_EQ(init_calls, 1);
}

TEST(RegistryDeathTest, NoMemoryForAnEntryEndsWithTheReport)
{
    // 16 for the entry plus "M", "1.0", "a" and "d": 22.
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            REG_TYPE reg;
            reg.init_programs();
            err_code = ERR_TABLE_FULL;
            errno = 0;
            plat_test_fail_alloc(1);
            reg.add_program("M", "1.0", "a", "d");
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(report_text::expected("Maximum array index reached, could not add entry!",
                                            "REG_TYPE::add_program() - *programs[1] (22)")));
}

// GENUTIL: the character classes and the small integer operations.
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
    // clang-format off
    const struct { uint32_t (*mask)(int32_t); int32_t n; uint32_t expected; } cases[] = {
        {bit_mask32, 0, 1u},  {bit_mask32, 31, 2147483648u}, {bit_mask32, 32, 0u}, // 1 << 32 does not fit
        {bit_mask32, 33, 0u}, {bit_mask32, -1, 0u}, {bit_mask16, 16, 65536u}, {bit_mask16, 17, 0u},
    };
    // clang-format on
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
