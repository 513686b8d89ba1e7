// The fault point in front of both backends: every control fails the call it
// counts to, once or from then on, natively and under Wine alike, and the
// reset turns every one of them off again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "lib/genmem.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/shell_link.h"
#include "tests/unit/support/test_env.h"

using testenv::read_file;
using testenv::write_file;

namespace {

// One seam operation: arms its control, and makes one call with fresh
// operands each time, true when the call succeeded.
struct SITE {
    const char *name;
    std::function<void(int nth, PLAT_FAULT_MODE mode)> arm;
    std::function<bool()> call;
};

class FaultPoint : public ::testing::Test {
protected:
    PLAT_TEST_SCOPE controls;
    std::string dir;
    int serial = 0;

    void SetUp() override
    {
        dir = testenv::scratch_dir();
        write_file(dir + "source.txt", "source");
    }

    // A file of its own for each call that uses one up.
    std::string fresh_file()
    {
        std::string path = dir + "f" + std::to_string(++serial) + ".txt";
        write_file(path, "x");
        return path;
    }

    std::vector<SITE> sites()
    {
        return {
            {"alloc", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_alloc(n, m); },
             [] {
                 void *p = plat_malloc(8);
                 std::free(p);
                 return p != nullptr;
             }},
            {"open", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_open(n, m); },
             [this] {
                 FILE *f = plat_fopen((dir + "source.txt").c_str(), "rb");
                 if (f)
                     std::fclose(f);
                 return f != nullptr;
             }},
            {"create_dir", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_create_dir(n, m); },
             [this] { return plat_create_dir((dir + "d" + std::to_string(++serial)).c_str()); }},
            {"copy", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_copy(n, PLAT_COPY_FAILS, m); },
             [this] {
                 std::string to = dir + "c" + std::to_string(++serial) + ".txt";
                 return plat_copy_file((dir + "source.txt").c_str(), to.c_str()) && read_file(to) == "source";
             }},
            {"delete", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_delete(n, PLAT_IN_USE, m); },
             [this] { return plat_delete_file(fresh_file().c_str()) == PLAT_DONE; }},
            {"remove_dir", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_remove_dir(n, PLAT_ACCESS_DENIED, m); },
             [this] {
                 std::string sub = dir + "r" + std::to_string(++serial);
                 testenv::make_dir(sub);
                 return plat_remove_dir(sub.c_str()) == PLAT_DONE;
             }},
            {"replace", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_replace(n, PLAT_NOT_EMPTY, m); },
             [this] { return plat_replace_file(fresh_file().c_str(), fresh_file().c_str()) == PLAT_DONE; }},
            {"schedule", [](int n, PLAT_FAULT_MODE m) { plat_test_fail_schedule(n, m); },
             [this] { return plat_schedule_removal(fresh_file().c_str()); }},
        };
    }
};

} // namespace

TEST_F(FaultPoint, EachControlFailsTheCallItCountsToOnceOrFromThenOn)
{
    for (const SITE &site : sites()) {
        for (PLAT_FAULT_MODE mode : {PLAT_FAIL_ONCE, PLAT_FAIL_FROM_NOW_ON}) {
            site.arm(3, mode);
            std::vector<bool> results;
            for (int i = 0; i < 5; ++i)
                results.push_back(site.call());
            std::vector<bool> expected = {true, true, false, mode == PLAT_FAIL_ONCE, mode == PLAT_FAIL_ONCE};
            EXPECT_EQ(results, expected) << site.name << (mode == PLAT_FAIL_ONCE ? " once" : " from now on");
            site.arm(0, PLAT_FAIL_ONCE);
            EXPECT_TRUE(site.call()) << site.name << " after it was turned off";
        }
    }
}

// A failing removal reports the reason the test chose.
TEST_F(FaultPoint, RemovalsReportTheChosenReason)
{
    for (PLAT_RESULT how : {PLAT_MISSING, PLAT_IN_USE, PLAT_ACCESS_DENIED, PLAT_NOT_EMPTY, PLAT_FAILED}) {
        plat_test_fail_delete(1, how);
        plat_test_fail_remove_dir(1, how);
        plat_test_fail_replace(1, how);
        EXPECT_EQ(plat_delete_file(fresh_file().c_str()), how);
        EXPECT_EQ(plat_remove_dir(dir.c_str()), how);
        EXPECT_EQ(plat_replace_file(fresh_file().c_str(), fresh_file().c_str()), how);
    }
}

// A full disk: the write that meets it gets half its bytes out and fails, or
// reports them all; every later write gets nothing out and fails.
TEST_F(FaultPoint, FullDiskCutsOneWriteAndRefusesTheRest)
{
    for (PLAT_WRITE_FAULT how : {PLAT_WRITE_FAILS, PLAT_WRITE_LOSES_BYTES}) {
        std::string path = fresh_file();
        FILE *f = plat_fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        plat_test_fail_write(2, how);
        EXPECT_EQ(plat_fwrite("first ", 6, f), 6u);
        EXPECT_EQ(plat_fwrite("12345678", 8, f), how == PLAT_WRITE_FAILS ? 4u : 8u);
        EXPECT_EQ(plat_fwrite("later", 5, f), 0u);
        std::fclose(f);
        EXPECT_EQ(read_file(path), "first 1234") << how;
    }
}

// The reset leaves no control armed, the allocation fault and the forced
// heap result included; so does a scope that ends.
TEST_F(FaultPoint, ResetAndScopeTurnEveryControlOff)
{
    std::vector<std::string> told;
    static std::vector<std::string> *observed = nullptr;
    observed = &told;
    const std::string healthy = get_heap_status();
    for (int way = 0; way < 2; ++way) {
        {
            PLAT_TEST_SCOPE inner;
            ASSERT_TRUE(plat_schedule_removal(fresh_file().c_str()));
            EXPECT_EQ(plat_test_scheduled_count(), 1);
            for (const SITE &site : sites())
                site.arm(1, PLAT_FAIL_FROM_NOW_ON);
            plat_test_fail_write(1);
            plat_test_fail_link_step(PLAT_LINK_CREATE, 1, PLAT_FAIL_FROM_NOW_ON);
            plat_test_set_heap_result(-6);
            plat_test_set_link_observer([](const char *call) { observed->push_back(call); });
            EXPECT_STREQ(get_heap_status(), "Corrupt (bad pointer)");
            if (way == 0)
                plat_test_reset();
        }
        for (const SITE &site : sites())
            EXPECT_TRUE(site.call()) << site.name << (way == 0 ? " after the reset" : " after the scope");
        FILE *f = plat_fopen(fresh_file().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(plat_fwrite("whole", 5, f), 5u);
        std::fclose(f);
        EXPECT_EQ(get_heap_status(), healthy);
        // Only the schedule call of the sites above is recorded.
        EXPECT_EQ(plat_test_scheduled_count(), 1);
        plat_test_reset();
    }
    plat_link_release(nullptr); // told to the observer, were it still set
    EXPECT_TRUE(told.empty());
}
