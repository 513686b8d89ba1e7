// The seam's removal calls, natively against the substitute and under Wine
// against the real API: the same expectations for both.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/dirsearch.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/test_env.h"

using testenv::read_file;
using testenv::write_file;

TEST(RemovalSeam, DeleteAndRemoveReportWhyTheyFail)
{
    std::string dir = testenv::scratch_dir();
    testenv::make_dir(dir + "full");
    testenv::make_dir(dir + "empty");
    write_file(dir + "full\\f.txt", "x");
    write_file(dir + "ro.txt", "x");
    ASSERT_TRUE(plat_set_attributes((dir + "ro.txt").c_str(), PLAT_ATTR_READONLY));
    struct {
        bool is_dir;
        std::string path;
        PLAT_RESULT result;
    } cases[] = {
        {false, dir + "missing.txt", PLAT_MISSING},
        {false, dir + "nodir\\missing.txt", PLAT_MISSING},
        {false, dir + "ro.txt", PLAT_ACCESS_DENIED}, // Windows keeps a read-only file
        {false, dir + "full", PLAT_ACCESS_DENIED},   // a directory is no file
        {true, dir + "full", PLAT_NOT_EMPTY},
        {true, dir + "full\\f.txt", PLAT_FAILED},    // a file is no directory
        {true, dir + "missing", PLAT_MISSING},
        {true, dir + "empty", PLAT_DONE},
        {false, dir + "full\\f.txt", PLAT_DONE},
        {true, dir + "full", PLAT_DONE},
    };
    for (const auto &c : cases) {
        PLAT_RESULT got = c.is_dir ? plat_remove_dir(c.path.c_str()) : plat_delete_file(c.path.c_str());
        EXPECT_EQ(got, c.result) << (c.is_dir ? "rmdir " : "delete ") << c.path;
    }
    uint32_t attributes = plat_get_attributes((dir + "ro.txt").c_str());
    ASSERT_NE(attributes, PLAT_NO_ATTRIBUTES);
    EXPECT_TRUE(attributes & PLAT_ATTR_READONLY);
    EXPECT_FALSE(attributes & PLAT_ATTR_SUBDIR);
    ASSERT_TRUE(plat_set_attributes((dir + "ro.txt").c_str(), attributes & ~PLAT_ATTR_READONLY));
    EXPECT_FALSE(plat_get_attributes((dir + "ro.txt").c_str()) & PLAT_ATTR_READONLY);
    EXPECT_EQ(plat_delete_file((dir + "ro.txt").c_str()), PLAT_DONE);
    EXPECT_EQ(plat_get_attributes((dir + "ro.txt").c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_TRUE(plat_get_attributes(dir.c_str()) & PLAT_ATTR_SUBDIR);
}

TEST(RemovalSeam, ALockedFileIsReadableButNeitherLockedDeletedNorReplaced)
{
    std::string dir = testenv::scratch_dir();
    std::string log = dir + "Foo.log", temp = dir + "Foo.tmp";
    write_file(log, "old");
    write_file(temp, "new");
    PLAT_RESULT why = PLAT_FAILED;
    intptr_t lock = plat_lock_file(log.c_str(), &why);
    ASSERT_NE(lock, -1);
    EXPECT_EQ(why, PLAT_DONE);

    EXPECT_EQ(plat_lock_file(log.c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_IN_USE);
    EXPECT_EQ(read_file(log), "old");
    EXPECT_EQ(plat_delete_file(log.c_str()), PLAT_IN_USE);
    EXPECT_EQ(plat_replace_file(temp.c_str(), log.c_str()), PLAT_ACCESS_DENIED);
    plat_unlock_file(lock);

    EXPECT_EQ(plat_replace_file(temp.c_str(), log.c_str()), PLAT_DONE);
    EXPECT_EQ(read_file(log), "new");
    EXPECT_EQ(plat_get_attributes(temp.c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_EQ(plat_lock_file((dir + "missing.log").c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_MISSING);
    EXPECT_EQ(plat_lock_file(dir.c_str(), &why), -1);
    EXPECT_EQ(why, PLAT_ACCESS_DENIED);
}

TEST(RemovalSeam, RemovalAtRestartIsAccepted)
{
    PLAT_TEST_SCOPE controls;
    std::string file = testenv::scratch_dir() + "busy.txt";
    write_file(file, "x");
    EXPECT_TRUE(plat_schedule_removal(file.c_str()));
    EXPECT_EQ(read_file(file), "x"); // nothing happens before the restart
    EXPECT_EQ(plat_test_scheduled(plat_test_scheduled_count() - 1), file);
    plat_test_fail_schedule(1);
    EXPECT_FALSE(plat_schedule_removal(file.c_str()));
    plat_test_reset();
    EXPECT_EQ(plat_test_scheduled_count(), 0);
}
