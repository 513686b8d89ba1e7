// Every call of the seam that can fail, failed in turn along a whole
// installation: thirteen files, three of them in folders setup makes, one of them met at its destination in another
// version, one the same, and a shortcut. Each run must end as a failure
// with the code of what failed (or go on where a failure has a way around
// it); its undo then leaves the drive as it was before, but for the shared
// uninstaller, and a whole run leaves a log that names everything it made.
// The sweep counts the calls of a clean run first and goes one past
// them, so no call is missed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "lib/error_codes.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "platform/dirsearch.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "setup/install_road.h"
#include "setup/session.h"
#include "setup/setup.h"
#include "setup/undo.h"
#include "tests/unit/support/drive_snapshot.h"
#include "tests/unit/support/log_truth.h"
#include "tests/unit/support/test_env.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif
#ifdef _WIN32
#include <objbase.h>
#include <windows.h>
#else
#include "platform/shell_link.h"
#endif

namespace {

// How one run ended.
struct RUN {
    bool succeeded;
    int32_t code;
    int calls; // of the swept operation
    std::string problem;
};

// One operation of the seam, armed to fail its nth call.
struct SWEPT {
    const char *name;
    PLAT_CALL counted;
    std::function<void(int nth)> arm;
    std::set<int32_t> codes; // a failure must report one of these
    int goes_on;             // calls whose failure has a way around it
};

void disable_leak_check()
{
#ifdef __SANITIZE_ADDRESS__
    __lsan_disable();
#endif
}

void remove_tree(const std::string &dir)
{
    plat_finddata record;
    intptr_t search = plat_findfirst((dir + "\\*").c_str(), &record);
    std::vector<std::string> subdirs;
    if (search != -1) {
        do {
            std::string name = record.name;
            if (name == "." || name == "..")
                continue;
            if (record.attrib & PLAT_ATTR_SUBDIR)
                subdirs.push_back(dir + "\\" + name);
            else
                plat_delete_file((dir + "\\" + name).c_str());
        } while (plat_findnext(search, &record) == 0);
        plat_findclose(search);
    }
    for (const std::string &sub : subdirs)
        remove_tree(sub);
    plat_remove_dir(dir.c_str());
}

} // namespace

// Not the job fixture: a death test's child runs the test again from the
// start, over the folders its parent made.
class FaultSweep : public ::testing::Test {
protected:
    PLAT_TEST_SCOPE controls;
    std::string root; // ends in a backslash
    std::string saved_cwd;
#ifdef _WIN32
    bool com_ready = false; // for the shell's link object
#endif

    void SetUp() override
    {
#ifdef _WIN32
        com_ready = SUCCEEDED(CoInitialize(nullptr));
        ASSERT_TRUE(com_ready);
#endif
        root = testenv::scratch_dir();
        saved_cwd = testenv::current_dir();
    }
    void TearDown() override
    {
        plat_chdir(saved_cwd.c_str());
#ifdef _WIN32
        if (com_ready)
            CoUninitialize();
#else
        EXPECT_EQ(plat_test_live_links(), 0) << "a link object was not released";
#endif
    }

    static void set_field(char *&field, const std::string &value)
    {
        std::free(field);
        field = create_ptr(value.c_str());
    }

    // A fresh machine in a folder of its own.
    struct SCENE {
        std::string base, win, sys, setup, menu;
        logtruth::Tree before, keep;
        drive::Snapshot drive_before;
    };
    int serial = 0;

    SCENE lay_out()
    {
        SCENE s;
        s.base = root + "run" + std::to_string(++serial);
        s.win = s.base + "\\win";
        s.sys = s.win + "\\system32";
        s.setup = s.base + "\\setup";
        s.menu = s.base + "\\Start Menu";
        for (const std::string &dir : {s.base, s.win, s.sys, s.setup, s.menu})
            testenv::make_dir(dir);
        std::string ini = "apptitle=Sweep\ninstallpath=" + s.base + "\\Programs\\Sweep\nexename=app.exe\n";
        // Folders below the install directory too: two deep, and one met again.
        testenv::make_dir(s.setup + "\\help");
        testenv::make_dir(s.setup + "\\help\\img");
        for (const char *name : {"app.exe", "readme.txt", "help\\index.htm", "help\\img\\logo.gif", "data1.dat",
                                 "data2.dat", "help\\toc.htm", "data3.dat", "data4.dat"}) {
            ini += std::string("file=") + name + "\n";
            testenv::write_file(s.setup + "\\" + name, std::string("contents of ") + name);
        }
        // One new, one met in another version (skipped), one met the same.
        ini += "file=sweep.ini,win_path\nfile=other.ini,win_path\nfile=sweep.dll,winsys_path\n"
               "file=shared.dll,winsys_path\n";
        for (const char *name : {"sweep.ini", "other.ini", "sweep.dll", "shared.dll", "uninstal.exe"})
            testenv::write_file(s.setup + "\\" + name, std::string("new ") + name);
        testenv::write_file(s.setup + "\\setup.ini", ini);
        testenv::write_file(s.win + "\\other.ini", "an older other.ini");
        testenv::write_file(s.sys + "\\shared.dll", "old shared.dll");
        s.keep = {{s.win + "\\other.ini", {false, "an older other.ini"}},
                  {s.sys + "\\shared.dll", {false, "old shared.dll"}}};
        s.before = logtruth::snapshot(s.base);
        s.drive_before = drive::take(s.base);
        return s;
    }

    // The installation as setup.exe runs it, with arm() in force once the
    // description is read.
    RUN install(const SCENE &s, const std::function<void(int)> &arm, PLAT_CALL counted, int nth, std::string &log)
    {
        RUN run = {false, ERR_NONE, 0, ""};
        SETUP_TYPE fresh;
        set_field(fresh.windows_dir, s.win + "\\");
        set_field(fresh.system_dir, s.sys + "\\");
        if (!plat_chdir(s.setup.c_str()) || !fresh.load_ini("setup.ini")) {
            run.problem = "the scene could not be laid out";
            return run;
        }
        plat_test_reset();
        if (arm)
            arm(nth);
        err_code = ERR_NONE;
        SILENT_FRONT front;
        ROAD_RESULT road = fresh.run_install_road(front);
        run.succeeded = road.end == ROAD_DONE && fresh.create_shortcut((s.menu + "\\Sweep").c_str());
        run.code = err_code;
        fresh.close_log();
        run.calls = plat_test_calls(counted);
        plat_test_reset();
        if (!run.succeeded) {
            // As the session does for every early end, with the fault gone.
            SETUP_REPORT no_report;
            UNDO_WATCH unseen;
            UNDO_RESULT undone = undo_setup(fresh, road.log_name, (s.menu + "\\").c_str(), unseen, no_report);
            if (undone.left != 0)
                run.problem = "the undo left " + std::to_string(undone.left) + ", the first " + undone.first_left;
        }
        plat_chdir(saved_cwd.c_str());
        if (road.end == ROAD_FAILED && road.code != run.code)
            run.problem = "the road reported code " + std::to_string(road.code);
        log = road.log_name;
        return run;
    }

    // What the run left, checked; the scene goes.
    // A run that was undone (undone) is measured against the drive before
    // it; any other by its log.
    std::string check(const SCENE &s, const std::string &log_name, size_t in_flight, bool undone = false)
    {
        PROTECTED_DIRS dirs = {};
        join_path(dirs.windows, sizeof dirs.windows, s.win.c_str(), "\\");
        join_path(dirs.system, sizeof dirs.system, s.sys.c_str(), "\\");
        join_path(dirs.programs[0], sizeof dirs.programs[0], s.menu.c_str(), "\\");
        // A run that ends before its log has a name leaves it where a fresh
        // machine has it.
        const std::string log = s.win + "\\" + (log_name.empty() ? "UnInstal\\Sweep.log" : log_name);
        // A run that failed was undone: the drive is as it was, but for the
        // shared uninstaller and its folder (the Windows directory itself
        // when the log's folder could not be made).
        std::string problem = undone
                                  ? drive::compare(s.drive_before, drive::take(s.base),
                                                   {s.win + "\\UnInstal", s.win + "\\UnInstal\\uninstal.exe"})
                                  : logtruth::check(log, s.before, logtruth::snapshot(s.base), in_flight, dirs, s.keep);
        remove_tree(s.base);
        return problem;
    }

    RUN install_and_check(const SWEPT &swept, int nth)
    {
        SCENE s = lay_out();
        std::string log;
        RUN run = install(s, swept.arm, swept.counted, nth, log);
        std::string problem = check(s, log, run.succeeded ? 0 : 1, !run.succeeded);
        if (run.problem.empty())
            run.problem = problem;
        return run;
    }
};

TEST_F(FaultSweep, EveryCallFailedInTurnIsUndoneToTheDriveAsItWas)
{
    // clang-format off
    const std::vector<SWEPT> sweeps = {
        {"create_dir", PLAT_CALL_CREATE_DIR, [](int n) { plat_test_fail_create_dir(n); }, {ERR_CREATE_DIR}, 1},
        {"copy", PLAT_CALL_COPY, [](int n) { plat_test_fail_copy(n); }, {ERR_COPY_FAILED}, 0},
        {"copy_loses_file", PLAT_CALL_COPY, [](int n) { plat_test_fail_copy(n, PLAT_COPY_LOSES_FILE); }, {ERR_COPY_FAILED}, 0},
        // Refused once as in use: a silent run waits and copies again; only the uninstaller's copy has no second try.
        {"copy_in_use", PLAT_CALL_COPY, [](int n) { plat_test_fail_copy(n, PLAT_COPY_IN_USE); }, {ERR_COPY_FAILED}, 11},
        {"open", PLAT_CALL_OPEN, [](int n) { plat_test_fail_open(n); }, {ERR_FILE_OPEN}, 3},
        {"write", PLAT_CALL_WRITE, [](int n) { plat_test_fail_write(n); }, {ERR_FILE_WRITE}, 0},
        {"write_loses_bytes", PLAT_CALL_WRITE, [](int n) { plat_test_fail_write(n, PLAT_WRITE_LOSES_BYTES); }, {ERR_FILE_WRITE}, 0},
        {"link_create", PLAT_CALL_LINK_CREATE, [](int n) { plat_test_fail_link_step(PLAT_LINK_CREATE, n); }, {ERR_SHORTCUT}, 0},
        {"link_persist", PLAT_CALL_LINK_PERSIST, [](int n) { plat_test_fail_link_step(PLAT_LINK_PERSIST, n); }, {ERR_SHORTCUT}, 0},
        {"link_save", PLAT_CALL_LINK_SAVE, [](int n) { plat_test_fail_link_step(PLAT_LINK_SAVE, n); }, {ERR_SHORTCUT}, 0},
    };
    // clang-format on
    for (const SWEPT &swept : sweeps) {
        RUN clean = install_and_check(SWEPT{swept.name, swept.counted, nullptr, {}, 0}, 0);
        ASSERT_TRUE(clean.succeeded) << swept.name << ": the clean run failed with code " << clean.code;
        ASSERT_EQ(clean.problem, "") << swept.name;
        ASSERT_GT(clean.calls, 0) << swept.name << ": the installation makes no such call";
        int failed = 0;
        for (int n = 1; n <= clean.calls + 1; ++n) {
            RUN run = install_and_check(swept, n);
            SCOPED_TRACE(std::string(swept.name) + " #" + std::to_string(n) + " of " + std::to_string(clean.calls));
            EXPECT_EQ(run.problem, "");
            // The call that was to fail was made (every run takes the clean
            // run's road up to it), and none past it.
            EXPECT_GE(run.calls, n <= clean.calls ? n : clean.calls);
            if (!run.succeeded) {
                ++failed;
                EXPECT_TRUE(swept.codes.count(run.code)) << "failed with code " << run.code;
            }
            if (n > clean.calls) {
                EXPECT_TRUE(run.succeeded) << "the run past the last call failed with code " << run.code;
            }
        }
        // Only the log's own directory has a way around (the log then lies
        // in the Windows directory), and so has a file copy refused as in
        // use (tried again), and so has reading the uninstaller's
        // version (none there to weigh it against: it is copied all the
        // same), and so has comparing the bytes of a file of the same size
        // (one that cannot be read is another version, asked about);
        // every other failure ends the run.
        EXPECT_EQ(failed, clean.calls - swept.goes_on) << swept.name;
        std::printf("[ sweep    ] %-18s %3d calls, %3d ended the run\n", swept.name, clean.calls, failed);
    }
}

// A failed allocation ends the program with the library's report of it;
// whatever the log holds at that moment must be the truth.
TEST_F(FaultSweep, EveryAllocationFailedInTurnEndsWithTheReportAndATruthfulLog)
{
    const auto arm = [](int n) { plat_test_fail_alloc(n); };
    std::string log;
    SCENE clean_scene = lay_out();
    RUN clean = install(clean_scene, nullptr, PLAT_CALL_ALLOC, 0, log);
    ASSERT_TRUE(clean.succeeded) << clean.code;
    ASSERT_EQ(check(clean_scene, log, 0), "");
    ASSERT_GT(clean.calls, 0);
    for (int n = 1; n <= clean.calls; ++n) {
        SCOPED_TRACE("alloc #" + std::to_string(n) + " of " + std::to_string(clean.calls));
        SCENE s = lay_out();
        EXPECT_EXIT(
            {
                // The report ends the program with the job and its open log
                // in hand, as setup.exe ends: no leak to look for.
                disable_leak_check();
                std::string ignored;
                install(s, arm, PLAT_CALL_ALLOC, n, ignored);
                std::exit(1);
            },
            ::testing::ExitedWithCode(0), "Not enough memory to allocate pointer");
        EXPECT_EQ(check(s, "", 1), "");
    }
    SCENE past = lay_out();
    RUN run = install(past, arm, PLAT_CALL_ALLOC, clean.calls + 1, log);
    EXPECT_TRUE(run.succeeded) << run.code;
    EXPECT_EQ(check(past, log, 0), "");
    std::printf("[ sweep    ] %-18s %3d calls, each ended the program\n", "alloc", clean.calls);
}
