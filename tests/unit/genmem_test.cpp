#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/generr.h"
#include "lib/genmem.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/report_text.h"

TEST(CreatePtr, CopiesTextIntoANewBlock)
{
    const char text[] = "C:\\Program Files\\";
    err_code = 7;
    char *copy = create_ptr(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, text);
    std::free(copy);

    char *empty = create_ptr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    std::free(empty);

    EXPECT_EQ(create_ptr(static_cast<const char *>(nullptr)), nullptr);
    EXPECT_EQ(err_code, 7);
}

TEST(CreatePtr, SizedBlockIsZeroed)
{
    char *block = create_ptr(static_cast<uint32_t>(300));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(block[i], 0) << i;
    std::free(block);
}

TEST(CreatePtrDeathTest, ExhaustedMemoryForTextEndsWithReportForCode54)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            plat_test_fail_alloc(1);
            create_ptr("hello");
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(
            report_text::expected("Not enough memory to allocate pointer!", "GENMEM - create_ptr(): *temp_ptr (6)")));
}

TEST(CreatePtrDeathTest, ExhaustedMemoryForBlockEndsWithReport)
{
    EXPECT_EXIT(
        {
            report_text::binary_stderr();
            errno = 0;
            plat_test_fail_alloc(1);
            create_ptr(static_cast<uint32_t>(4096));
        },
        ::testing::ExitedWithCode(0),
        ::testing::Eq(report_text::expected("Could not allocate memory for pointer!",
                                            "GENMEM - create_ptr(): *temp_ptr (4096)")));
}

TEST(Heap, MemoryFiguresAreZero)
{
    EXPECT_EQ(get_used_memory(), 0u);
    EXPECT_EQ(get_free_memory(), 0u);
    EXPECT_EQ(get_total_memory(), 0u);
}

TEST(Heap, StatusOfAHealthyHeapIsOK) { EXPECT_STREQ(get_heap_status(), "OK"); }

TEST(Heap, StatusTextForEveryCheckResult)
{
    PLAT_TEST_SCOPE controls;
    struct {
        int result;
        const char *text;
    } cases[] = {{-2, "OK"},
                 {-1, "Empty"},
                 {-3, "Bad (invalid start)"},
                 {-4, "Bad (invalid node)"},
                 {-6, "Corrupt (bad pointer)"},
                 {-5, "Undefined"},
                 {1, "Undefined"}};
    for (auto &c : cases) {
        plat_test_set_heap_result(c.result);
        EXPECT_STREQ(get_heap_status(), c.text) << c.result;
    }
}
