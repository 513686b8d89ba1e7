// Test entry: gives the POSIX substitute a private drive root for this run.
#include <gtest/gtest.h>

#include "platform/platform.h"

#ifndef _WIN32
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

static int remove_entry(const char *path, const struct stat *, int, struct FTW *) { return std::remove(path); }
#endif

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests start the program afresh: no fork of a process with state.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
#ifndef _WIN32
    // A death-test child inherits the parent's drive root through the environment.
    const char *inherited = std::getenv("SETUP_UNIT_DRIVE_ROOT");
    if (inherited) {
        plat_test_set_drive_root(inherited);
        return RUN_ALL_TESTS();
    }
    char root[] = "/tmp/setup-unit-XXXXXX";
    if (!mkdtemp(root))
        return 2;
    setenv("SETUP_UNIT_DRIVE_ROOT", root, 1);
    plat_test_set_drive_root(root);
    std::string c_drive = std::string(root) + "/c";
    for (const std::string &dir : {c_drive, c_drive + "/windows", c_drive + "/windows/system32"})
        mkdir(dir.c_str(), 0777);
    int rc = RUN_ALL_TESTS();
    nftw(root, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    return rc;
#else
    return RUN_ALL_TESTS();
#endif
}
