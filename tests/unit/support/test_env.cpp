#include "tests/unit/support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "lib/generr.h"
#include "lib/fileutil.h"
#include "lib/genmem.h"
#include "lib/genstrin.h"
#include "lib/genutil.h"
#include "platform/platform.h"
#include "setup/setup.h"

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#else
#include <process.h>
#include <windows.h>
#endif

namespace testenv {

// One root per run of the test program. A death-test child runs the program
// again; it finds the parent's root in the environment and uses the same one.
static std::string run_root()
{
    static std::string root;
    if (root.empty()) {
        const char *inherited = std::getenv("SETUP_UNIT_RUN_ROOT");
        if (inherited) {
            root = inherited;
        } else {
#ifdef _WIN32
            // Wine hands out the same small process ids run after run, so the
            // pid alone would reuse an earlier run's directories: take the
            // first name that is created anew.
            const char *tmp = std::getenv("TEMP");
            std::string base =
                std::string(tmp ? tmp : "C:\\windows\\temp") + "\\setup-unit-" + std::to_string(_getpid());
            for (int n = 1;; ++n) {
                root = base + "-" + std::to_string(n) + "\\";
                if (plat_mkdir(root.c_str()) || n == 1000)
                    break;
            }
            _putenv_s("SETUP_UNIT_RUN_ROOT", root.c_str());
#else
            root = "C:\\unit\\";
            setenv("SETUP_UNIT_RUN_ROOT", root.c_str(), 1);
#endif
        }
        plat_mkdir(root.c_str());
    }
    return root;
}

// Named after the test and its call count within the test, so that a
// death-test child that runs the test again is handed the same directories.
std::string scratch_dir()
{
    static std::string last_test;
    static int counter = 0;
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    if (test != last_test) {
        last_test = test;
        counter = 0;
    }
    std::string dir = run_root() + test + "_" + std::to_string(++counter);
    for (char &c : dir)
        if (c == '/' || c == '.')
            c = '_';
    plat_mkdir(dir.c_str());
    return dir + "\\";
}

void write_file(const std::string &path, const std::string &bytes)
{
    FILE *f = plat_fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string read_file(const std::string &path)
{
    FILE *f = plat_fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    std::string bytes;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

bool make_dir(const std::string &path) { return plat_mkdir(path.c_str()); }

bool make_link(const std::string &link, const std::string &target, bool directory)
{
#ifdef _WIN32
    // Developer mode lets a user without the privilege make one.
    const DWORD unprivileged = 2;
    if (!CreateSymbolicLinkA(link.c_str(), target.c_str(),
                             (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | unprivileged))
        return false;
#else
    (void)directory;
    char host_link[PATH_MAX], host_target[PATH_MAX];
    if (!plat_host_path(link.c_str(), host_link, sizeof host_link) ||
        !plat_host_path(target.c_str(), host_target, sizeof host_target) || symlink(host_target, host_link) != 0)
        return false;
#endif
    uint32_t attributes = plat_get_attributes(link.c_str());
    return attributes != PLAT_NO_ATTRIBUTES && (attributes & PLAT_ATTR_REPARSE_POINT);
}

std::string current_dir()
{
    char buf[4096];
    return plat_getcwd(buf, sizeof buf) ? buf : "<unreadable>";
}

void restore_startup_tables()
{
    reg_db.clear_programs();
    reg_db.initialised = false;
    error_db.clear_errors();
    error_db.initialised = false;
    add_setup_errors();
    register_fileutil();
    register_generr();
    register_genmem();
    register_genstrin();
}

} // namespace testenv
