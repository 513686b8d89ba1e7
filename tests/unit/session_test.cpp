// setup.exe /S on the real engine: the exit status and the /LOG= report of
// each way a silent run can end, and what it leaves on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "tests/unit/support/drive_snapshot.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/log_truth.h"
#include "tests/unit/support/test_env.h"
#include "setup/session.h"
#include "uninstall/removal_plan.h"

using testenv::read_file;
using testenv::write_file;

class SilentSetupTest : public LinkJobTest {
protected:
    std::string app;      // setup.ini's installpath
    std::string programs; // the Programs folder
    std::string report_path;
    SETUP_REPORT report;

    void SetUp() override
    {
        LinkJobTest::SetUp();
        app = root + "App\\";
        programs = root + "Programs\\";
        report_path = root + "report.txt";
        ASSERT_TRUE(testenv::make_dir(programs));
        put_source("setup.ini", "apptitle=Quiet Tool\nemail=q@example.com\ninstallpath=" + app +
                                    "\nexename=a.exe\nfile=a.exe\nfile=b.txt\nfile=c.txt\n");
        put_source("a.exe", "MZ tool");
        put_source("b.txt", "bee");
        put_source("c.txt", "sea");
    }

    int run(const std::string &line, bool with_programs = true)
    {
        SETUP_ARGS args;
        parse_setup_args(line.c_str(), args);
        SILENT_FRONT front(with_programs ? programs.c_str() : nullptr, args.replace);
        int status = run_setup(job, line.c_str(), args, front, report);
        plat_test_reset();
        return status;
    }

    std::vector<std::string> report_lines()
    {
        if (!file_exists(report_path.c_str()))
            return {"<no report>"};
        return text_lines(report_path);
    }

    static std::string error(int32_t code)
    {
        return "error " + std::to_string(code) + ": " + error_db.get_error_msg(code);
    }
};

// The run a deployment tool makes: another directory with blanks, a file
// already there with the same bytes (kept) and one of another size
// (skipped, as the warning's default button does), the default shortcut.
TEST_F(SilentSetupTest, WholeRunInstallsReportsAndLogs)
{
    const std::string dir = root + "Program Files\\Quiet Tool\\";
    ASSERT_TRUE(testenv::make_dir(root + "Program Files"));
    ASSERT_TRUE(testenv::make_dir(dir));
    write_file(dir + "b.txt", "bee");
    write_file(dir + "c.txt", "older sea");
    const std::string line = "/S /LOG=" + report_path + " /D=" + dir.substr(0, dir.size() - 1);

    EXPECT_EQ(run(line), SETUP_EXIT_INSTALLED);

    const std::string log = windows + "UnInstal\\Quiet Tool.log";
    const std::string folder = programs + "Quiet Tool";
    EXPECT_EQ(report_lines(), (std::vector<std::string>{
                                  "setup " + line,
                                  "loaded setup.ini: Quiet Tool, 3 files",
                                  "log " + log,
                                  "files 3 to install in " + dir,
                                  "created " + dir + "a.exe",
                                  "kept " + dir + "b.txt",
                                  "skipped " + dir + "c.txt: " + error(ERR_OTHER_VERSION),
                                  "shortcut made in " + folder,
                                  "entry none: no uninstal.exe beside the setup log",
                                  "exit 0: installed",
                              }));
    EXPECT_EQ(read_file(dir + "a.exe"), "MZ tool");
    EXPECT_EQ(read_file(dir + "b.txt"), "bee");
    EXPECT_EQ(read_file(dir + "c.txt"), "older sea");
    EXPECT_FALSE(dir_exists(app.c_str())) << "setup.ini's installpath was used";
    EXPECT_TRUE(file_exists((folder + "\\Quiet Tool.lnk").c_str()));
    // The log is closed and names the shortcut, for the uninstaller.
    EXPECT_EQ(job.log.file, nullptr);
    const std::vector<std::string> logged = text_lines(log);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), "MkFile=" + folder + "\\Quiet Tool.lnk");
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "MkFile=" + dir + "a.exe"), 1);
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "MkFile=" + dir + "c.txt"), 0);
}

// Each way a silent run ends: its status, the report's last two lines
// (with the error table's texts), and whether anything was installed.
class SilentOutcomeTest;
struct SILENT_CASE {
    const char *what;
    std::function<void(SilentOutcomeTest &)> arrange;
    std::string options; // REPORT stands for the report's path; without it /LOG= comes last
    int status;
    std::function<std::string(SilentOutcomeTest &)> reason; // the line before "exit"; "" for no report at all
    bool installed;
};

void PrintTo(const SILENT_CASE &c, std::ostream *out) { *out << c.what; }

class SilentOutcomeTest : public SilentSetupTest, public ::testing::WithParamInterface<SILENT_CASE> {
public:
    using SilentSetupTest::app;
    using SilentSetupTest::error;
    using SilentSetupTest::job;
    using SilentSetupTest::programs;
    using SilentSetupTest::put_source;
    using SilentSetupTest::root;
    using SilentSetupTest::source;
};

TEST_P(SilentOutcomeTest, StatusReportAndDisk)
{
    const SILENT_CASE &c = GetParam();
    drive::Snapshot before = drive::take(root.substr(0, root.size() - 1)); // before a fault is armed
    c.arrange(*this);
    std::string line = c.options;
    size_t at = line.find("REPORT");
    if (at != std::string::npos)
        line.replace(at, 6, report_path);
    else
        line += " /LOG=" + report_path;
    EXPECT_EQ(run(line, c.what != std::string("NoProgramsFolder")), c.status);
    // A run that stopped part-way is undone: the drive as it was, but for
    // the report and the log folder (which a run before the log leaves).
    if (c.status == SETUP_EXIT_FAILED) {
        EXPECT_EQ(drive::compare(before, drive::take(root.substr(0, root.size() - 1)),
                                 {windows + "UnInstal", windows + "UnInstal\\uninstal.exe", report_path}),
                  "");
    }
    const std::string reason = c.reason(*this);
    if (reason.empty()) {
        EXPECT_FALSE(file_exists(report_path.c_str())) << "a report was written";
    } else {
        std::vector<std::string> lines = report_lines();
        ASSERT_GE(lines.size(), 2u);
        size_t before_exit = lines.size() - 2;
        while (before_exit > 0 &&
               (lines[before_exit].rfind("undone ", 0) == 0 || lines[before_exit].rfind("left ", 0) == 0))
            --before_exit; // the undo's lines
        if (before_exit > 0 && lines[before_exit].rfind("entry ", 0) == 0)
            --before_exit; // the entry's line, after the shortcut's
        EXPECT_EQ(lines[before_exit], reason);
        EXPECT_EQ(lines.back().substr(0, 7), "exit " + std::to_string(c.status) + ":");
    }
    EXPECT_EQ(file_exists((app + "a.exe").c_str()), c.installed);
}

static std::function<void(SilentOutcomeTest &)> nothing = [](SilentOutcomeTest &) {};

// clang-format off
INSTANTIATE_TEST_SUITE_P(EachEnd, SilentOutcomeTest, ::testing::Values(
    SILENT_CASE{"NoProgramsFolder", nothing, "/S", SETUP_EXIT_INSTALLED,
                [](SilentOutcomeTest &) { return std::string("shortcut none: the Programs folder could not be located"); }, true},
    SILENT_CASE{"RefusedName", [](SilentOutcomeTest &test) { test.put_source("setup.ini", "apptitle=Q\ninstallpath=" + test.app + "\nfile=a.exe\nfile=..\\evil.txt\n"); },
                "/S", SETUP_EXIT_DESCRIPTION,
                [](SilentOutcomeTest &test) { return "refused setup.ini at the line 'file=..\\evil.txt': " + test.error(ERR_FILE_NAME_LEAVES_DIR); }, false},
    SILENT_CASE{"RelativeDirectory", nothing, "/S /LOG=REPORT /D=apps\\quiet", SETUP_EXIT_DESCRIPTION,
                [](SilentOutcomeTest &test) { return "refused install directory 'apps\\quiet\\': " + test.error(ERR_INSTALL_PATH_NOT_FULL); }, false},
    SILENT_CASE{"NoDirectoryAnywhere", [](SilentOutcomeTest &test) { test.put_source("setup.ini", "apptitle=Q\ninstallpath=\nfile=a.exe\n"); },
                "/S", SETUP_EXIT_DESCRIPTION,
                [](SilentOutcomeTest &test) { return "refused install directory '': " + test.error(ERR_INSTALL_PATH_NOT_FULL); }, false},
    // The log directory is made first, then the install directory.
    SILENT_CASE{"DirectoryNotMade", [](SilentOutcomeTest &) { plat_test_fail_create_dir(2); }, "/S", SETUP_EXIT_FAILED,
                [](SilentOutcomeTest &test) { return "failed install directory " + test.app + ": " + test.error(ERR_CREATE_DIR); }, false},
    SILENT_CASE{"CopyFails", [](SilentOutcomeTest &) { plat_test_fail_copy(2); }, "/S", SETUP_EXIT_FAILED,
                [](SilentOutcomeTest &test) { return "failed " + test.app + "b.txt: " + test.error(ERR_COPY_FAILED); }, false},
    // The files were in place, the shortcut is not: not installed as asked, and undone.
    SILENT_CASE{"ShortcutFails", [](SilentOutcomeTest &) { plat_test_fail_link_step(PLAT_LINK_SAVE); }, "/S", SETUP_EXIT_FAILED,
                [](SilentOutcomeTest &test) { return "failed shortcut: " + test.error(ERR_SHORTCUT); }, false},
    // Nothing is read or made for a line that cannot be used, nor without the report asked for.
    // The first open reads setup.ini for the names the report must not take.
    SILENT_CASE{"ReportNotCreated", [](SilentOutcomeTest &) { plat_test_fail_open(2); }, "/S", SETUP_EXIT_BAD_ARGS,
                [](SilentOutcomeTest &) { return std::string(); }, false},
    SILENT_CASE{"UnknownOption", nothing, "/S /QUIET /LOG=REPORT", SETUP_EXIT_BAD_ARGS,
                [](SilentOutcomeTest &) { return std::string(); }, false},
    SILENT_CASE{"Usage", nothing, "/S /? /LOG=REPORT", SETUP_EXIT_BAD_ARGS,
                [](SilentOutcomeTest &) { return std::string(); }, false}),
    [](const ::testing::TestParamInfo<SILENT_CASE> &param) { return std::string(param.param.what); });
// clang-format on

// ---- a setup that does not finish is undone ---------------------------------

namespace {

// A person who stops the setup at one point: a confirmed Cancel before a
// file, Abort Setup at the overwrite warning, the wizard closed before
// Complete. It counts what the undo shows.
class STOPPING_FRONT : public SILENT_FRONT {
public:
    STOPPING_FRONT(const char *programs, int cancel_before_file, bool leave_at_complete)
        : SILENT_FRONT(programs), cancel_before(cancel_before_file), leave(leave_at_complete)
    {
    }
    bool cancelled() override { return ++files == cancel_before; }
    OVERWRITE_ANSWER ask_overwrite(const char *) override { return OVERWRITE_ABORT; }
    FRONT_ANSWER complete(const SETUP_TYPE &) override { return leave ? FRONT_CANCELLED : FRONT_GO_ON; }
    void undo_begins(int32_t total) override { undo_total = total; }
    void undo_step(int32_t number, int32_t total, const char *) override
    {
        steps_in_order = steps_in_order && number == ++undo_steps && total == undo_total;
    }
    void undo_ended(int32_t left) override { undo_left = left; }

    int cancel_before, files = 0;
    bool leave;
    int32_t undo_total = 0, undo_steps = 0, undo_left = -1;
    bool steps_in_order = true;
};

} // namespace

class UndoTest : public SilentSetupTest {
protected:
    std::string key = "SetupLog Ten Files.log";
    std::vector<std::string> names = {"one.exe",    "two.txt",   "docs\\three.txt", "docs\\four.txt", "five.txt",
                                      "six\\s.txt", "seven.txt", "eight.txt",       "nine.ini",       "ten.dll"};

    void SetUp() override
    {
        SilentSetupTest::SetUp();
        plat_reg_delete_key(key.c_str());
        std::string ini = "apptitle=Ten Files\ninstallpath=" + app + "\nexename=one.exe\n";
        for (const std::string &name : names) {
            const char *where = name == "nine.ini" ? ",win_path" : name == "ten.dll" ? ",winsys_path" : "";
            ini += "file=" + name + where + "\n";
            testenv::make_dir(source + "docs");
            testenv::make_dir(source + "six");
            put_source(name, "bytes of " + name);
        }
        put_source("setup.ini", ini);
        put_source("uninstal.exe", "MZ uninstaller");
    }
    void TearDown() override
    {
        plat_reg_delete_key(key.c_str());
        SilentSetupTest::TearDown();
    }
    drive::Snapshot drive_now() { return drive::take(root.substr(0, root.size() - 1), {key}); }
    // The shared uninstaller and its folder stay, and so does the report.
    std::vector<std::string> left_alone()
    {
        return {windows + "UnInstal", windows + "UnInstal\\uninstal.exe", report_path};
    }
};

// However the run stops, once it has begun to install: the drive (every
// file's bytes, attributes and time) and the entry are what they were
// before, but for the shared uninstaller; the report has a line per step
// undone and none left; the status is still 2.
TEST_F(UndoTest, EveryEarlyEndLeavesTheDriveAsItWas)
{
    struct CASE {
        std::string what;
        int cancel_before;         // file number; 0 for none
        std::string other_version; // a destination there already, in another version: Abort Setup
        bool shortcut_fails;
        bool leave_at_complete;
    };
    std::vector<CASE> cases;
    for (int file = 1; file <= 10; ++file)
        cases.push_back({"cancel before file " + std::to_string(file), file, "", false, false});
    cases.push_back({"abort at the first file", 0, app + "one.exe", false, false});
    cases.push_back({"abort at the last file", 0, system + "ten.dll", false, false});
    cases.push_back({"shortcut fails", 0, "", true, false});
    cases.push_back({"closed before Complete", 0, "", false, true});
    testenv::make_dir(app);
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.other_version.empty())
            write_file(c.other_version, "an earlier version");
        drive::Snapshot before = drive_now();
        SETUP_ARGS args;
        const std::string line = "/S /LOG=" + report_path;
        parse_setup_args(line.c_str(), args);
        STOPPING_FRONT front(programs.c_str(), c.cancel_before, c.leave_at_complete);
        if (c.shortcut_fails)
            plat_test_fail_link_step(PLAT_LINK_SAVE);
        EXPECT_EQ(run_setup(job, line.c_str(), args, front, report), SETUP_EXIT_FAILED);
        plat_test_reset();
        EXPECT_EQ(drive::compare(before, drive_now(), left_alone()), "");
        EXPECT_GT(front.undo_total, 0);
        EXPECT_EQ(front.undo_steps, front.undo_total);
        EXPECT_TRUE(front.steps_in_order);
        EXPECT_EQ(front.undo_left, 0);
        std::vector<std::string> lines = report_lines();
        size_t undone =
            std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.rfind("undone ", 0) == 0; });
        size_t left =
            std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.rfind("left ", 0) == 0; });
        EXPECT_GE(undone, 2u) << "uninstal.bat and the log at least";
        EXPECT_EQ(left, 0u);
        EXPECT_EQ(lines.back().substr(0, 7), "exit 2:");
        if (!c.other_version.empty())
            plat_delete_file(c.other_version.c_str());
    }
}

// A file that another program holds open, met after Overwrite: the user
// stops (the run is undone, the file as it was), closes the program and
// tries again (installed), or a silent /REPLACE waits a few seconds, then
// fails with the code for it and is undone. Natively the substitute
// refuses the copy as Windows does.
TEST_F(UndoTest, AFileInUseIsAskedAboutThenRetriedOrUndone)
{
    const std::string held = app + "seven.txt";
    struct IN_USE_FRONT : public STOPPING_FRONT {
        IN_USE_FRONT(const char *menu, IN_USE_ANSWER said, intptr_t &lock)
            : STOPPING_FRONT(menu, 0, false), answer(said), holding(lock)
        {
        }
        OVERWRITE_ANSWER ask_overwrite(const char *) override { return OVERWRITE_REPLACE; }
        IN_USE_ANSWER ask_in_use(const char *, int32_t attempt) override
        {
            asked = attempt;
            if (answer == IN_USE_RETRY) {
                plat_unlock_file(holding); // the user closed the program
                holding = -1;
            }
            return answer;
        }
        IN_USE_ANSWER answer;
        intptr_t &holding;
        int32_t asked = 0;
    };
    const struct {
        const char *what;
        bool silent;
        IN_USE_ANSWER answer;
        int status;
        int32_t asked;
    } cases[] = {
        {"the user stops", false, IN_USE_ABORT, SETUP_EXIT_FAILED, 1},
        {"the user closes the program and retries", false, IN_USE_RETRY, SETUP_EXIT_INSTALLED, 1},
        {"a silent run waits, then fails", true, IN_USE_FAIL, SETUP_EXIT_FAILED, SILENT_IN_USE_TRIES},
    };
    testenv::make_dir(app);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        write_file(held, "an earlier seven.txt");
        drive::Snapshot before = drive_now();
        PLAT_RESULT why = PLAT_FAILED;
        intptr_t lock = plat_lock_file(held.c_str(), &why);
        ASSERT_NE(lock, -1) << why;
        const std::string line = std::string(c.silent ? "/S /REPLACE" : "/S") + " /NOSHORTCUT /LOG=" + report_path;
        SETUP_ARGS args;
        parse_setup_args(line.c_str(), args);
        IN_USE_FRONT asking(programs.c_str(), c.answer, lock);
        SILENT_FRONT silent(nullptr, true);
        SETUP_FRONT &front = c.silent ? static_cast<SETUP_FRONT &>(silent) : asking;
        EXPECT_EQ(run_setup(job, line.c_str(), args, front, report), c.status);
        plat_unlock_file(lock);
        std::vector<std::string> lines = report_lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "in-use " + held + ": refused 1 time(s)"), 1);
        EXPECT_EQ(c.silent ? c.asked : asking.asked, c.asked);
        if (c.status == SETUP_EXIT_INSTALLED) {
            EXPECT_EQ(read_file(held), "bytes of seven.txt");
            // Removed again for the next row, as the uninstaller would.
            REMOVAL_PLAN plan;
            REMOVAL_CONTEXT context = {};
            SILENT_ANSWERS yes;
            OPEN_RESULT opened;
            run_removal(plan, (windows + "UnInstal\\Ten Files.log").c_str(), context, yes, opened);
            plat_reg_delete_key(key.c_str());
            // The earlier seven.txt, kept aside once the program let go, is back.
            EXPECT_EQ(drive::compare(before, drive_now(), left_alone()), "");
        } else {
            EXPECT_EQ(drive::compare(before, drive_now(), left_alone()), "");
            const std::string failed = "failed " + held + ": " + error(ERR_FILE_IN_USE);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), failed), c.silent ? 1 : 0);
            EXPECT_EQ(std::count(lines.begin(), lines.end(),
                                 "in-use " + held + ": refused " + std::to_string(SILENT_IN_USE_TRIES) + " time(s)"),
                      c.silent ? 1 : 0);
        }
    }
}

// A file the run made that another program holds open when the undo comes:
// the undo waits a moment for it; released meanwhile, it goes and the drive
// is as before; held on, it stays with its folder, the log names both (and
// nothing else), the report has a "left" line for each, and the front is
// told in a box.
TEST_F(UndoTest, AFileHeldOpenDuringTheUndoStaysNamedInTheLogOrGoesOnceReleased)
{
    struct HOLDING_FRONT : public STOPPING_FRONT {
        HOLDING_FRONT(const char *menu, std::string file, int release_after)
            : STOPPING_FRONT(menu, 5, false), held(std::move(file)), release(release_after)
        {
        }
        bool cancelled() override
        {
            if (files + 1 == cancel_before) // the first files are in place: a program opens one
                lock = plat_lock_file(held.c_str(), nullptr);
            return STOPPING_FRONT::cancelled();
        }
        void undo_step(int32_t, int32_t, const char *what) override
        {
            if (held == what && ++tries == release && lock != -1) {
                plat_unlock_file(lock);
                lock = -1;
            }
        }
        void show_warning(const char *text) override { warning = text; }
        std::string held, warning;
        int release, tries = 0;
        intptr_t lock = -1;
    };
    for (int release : {3, 0}) {
        SCOPED_TRACE(release ? "released while the undo waits" : "held on");
        drive::Snapshot before = drive_now();
        const std::string line = "/S /NOSHORTCUT /LOG=" + report_path;
        SETUP_ARGS args;
        parse_setup_args(line.c_str(), args);
        HOLDING_FRONT front(programs.c_str(), app + "one.exe", release);
        EXPECT_EQ(run_setup(job, line.c_str(), args, front, report), SETUP_EXIT_FAILED);
        plat_unlock_file(front.lock);
        const std::string log = windows + "UnInstal\\Ten Files.log";
        std::vector<std::string> lines = report_lines();
        if (release) {
            EXPECT_EQ(drive::compare(before, drive_now(), left_alone()), "");
            EXPECT_EQ(front.warning, "");
            EXPECT_EQ(front.tries, release);
            continue;
        }
        EXPECT_EQ(front.tries, 1 + UNDO_IN_USE_TRIES);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "left " + app + "one.exe: in use"), 1);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "left " + app.substr(0, app.size() - 1) + ": not empty"), 1);
        EXPECT_EQ(front.warning, "Setup has undone the installation of Ten Files, but could not remove " + app +
                                     "one.exe and 1 more: a program may be using it. The setup log " + log +
                                     " names what stays, so that the uninstaller can remove it later.");
        EXPECT_EQ(front.undo_left, 2);
        std::vector<std::string> logged = text_lines(log);
        std::vector<std::string> named;
        for (const std::string &l : logged)
            if (l.rfind("Mk", 0) == 0)
                named.push_back(l);
        EXPECT_EQ(named, (std::vector<std::string>{"MkFile=" + log, "MkDir=" + app.substr(0, app.size() - 1),
                                                   "MkFile=" + app + "one.exe"}));
    }
}

// Run again over an installation of its own, the setup goes on with that
// installation's log. Stopped, it undoes only what this run added: the
// earlier installation, its entry and its log stay whole.
TEST_F(UndoTest, AnEarlierInstallationInTheSameLogStays)
{
    SETUP_ARGS args;
    std::string line = "/S /NOSHORTCUT";
    parse_setup_args(line.c_str(), args);
    STOPPING_FRONT first(programs.c_str(), 0, false);
    ASSERT_EQ(run_setup(job, line.c_str(), args, first, report), SETUP_EXIT_INSTALLED);
    const std::string log = windows + "UnInstal\\Ten Files.log";
    const std::string earlier_log = read_file(log);
    put_source("setup.ini", read_file(source + "setup.ini") + "file=eleven.txt\n");
    put_source("eleven.txt", "bytes of eleven.txt");
    drive::Snapshot before = drive_now();
    line = "/S /LOG=" + report_path;
    parse_setup_args(line.c_str(), args);
    STOPPING_FRONT second(programs.c_str(), 0, true); // the entry is taken over, then the wizard is closed
    EXPECT_EQ(run_setup(job, line.c_str(), args, second, report), SETUP_EXIT_FAILED);
    // The log is written back whole, byte for byte, at a later time.
    std::vector<std::string> ignored = left_alone();
    ignored.push_back(log);
    EXPECT_EQ(drive::compare(before, drive_now(), ignored), "");
    EXPECT_EQ(read_file(log), earlier_log);
    EXPECT_TRUE(file_exists((app + "one.exe").c_str()));
    EXPECT_NE(before.entries[key], "<none>");
}

#ifndef _WIN32
// Started from another folder (a shortcut's "Start in") that has no
// setup.ini: setup reads the one beside setup.exe and installs its files
// from there; a relative /LOG= stays in the folder it was started from, and
// a report over the description there is still refused. A folder with a
// setup.ini of its own is used as it is.
TEST_F(SilentSetupTest, DescriptionBesideTheProgramIsReadWhenTheCurrentOneHasNone)
{
    const std::string elsewhere = root + "Elsewhere\\";
    ASSERT_TRUE(testenv::make_dir(elsewhere));
    const struct {
        std::string line;
        bool ini_elsewhere;
        int status;
        const char *report; // "report.txt" when it is made in elsewhere
    } cases[] = {
        {"/S /NOSHORTCUT /LOG=report.txt", false, SETUP_EXIT_INSTALLED, "report.txt"},
        {"/S /NOSHORTCUT /LOG=" + source + "SETUP.INI", false, SETUP_EXIT_BAD_ARGS, ""},
        {"/S /NOSHORTCUT /LOG=report.txt", true, SETUP_EXIT_DESCRIPTION, "report.txt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        plat_delete_file((app + "a.exe").c_str());
        plat_delete_file((elsewhere + "setup.ini").c_str());
        if (c.ini_elsewhere)
            write_file(elsewhere + "setup.ini", "apptitle=Other\nfile=..\\evil.txt\n");
        ASSERT_TRUE(plat_chdir(elsewhere.c_str()));
        plat_test_set_program_dir(source.c_str());
        EXPECT_EQ(run(c.line), c.status);
        EXPECT_EQ(file_exists((app + "a.exe").c_str()), c.status == SETUP_EXIT_INSTALLED);
        EXPECT_EQ(file_exists((elsewhere + "report.txt").c_str()), c.report[0] != '\0');
        plat_delete_file((elsewhere + "report.txt").c_str());
        EXPECT_FALSE(file_exists((source + "report.txt").c_str()));
        EXPECT_EQ(read_file(source + "setup.ini").substr(0, 19), "apptitle=Quiet Tool");
    }
}
#endif

// A report over a file that setup reads would empty it first: the
// description, the uninstaller it copies, a listed file (which would be
// installed half-written). However the name is spelt, it is a bad command
// line (3) before anything is touched; so is a device.
TEST_F(SilentSetupTest, ReportOverAnInputOrADeviceIsABadCommandLine)
{
    const std::string ini = "apptitle=Quiet Tool\ninstallpath=" + app + "\nfile=a.exe\nfile=b.txt\nfile=gone.txt\n";
    const struct {
        std::string report; // relative to the setup directory
        int status;
    } cases[] = {
        {"setup.ini", SETUP_EXIT_BAD_ARGS},
        {"SETUP.INI", SETUP_EXIT_BAD_ARGS},
        {".\\setup.ini", SETUP_EXIT_BAD_ARGS},
        {"..\\setup\\Setup.ini", SETUP_EXIT_BAD_ARGS},
        {source + "setup.ini", SETUP_EXIT_BAD_ARGS},
        {"uninstal.exe", SETUP_EXIT_BAD_ARGS},
        {"b.txt", SETUP_EXIT_BAD_ARGS},
        {"B.Txt", SETUP_EXIT_BAD_ARGS},
        {"late.txt", SETUP_EXIT_BAD_ARGS}, // listed after a refused line
        {"gone.txt", SETUP_EXIT_BAD_ARGS}, // listed, not there: it would be installed
        {"NUL", SETUP_EXIT_BAD_ARGS},
        {"com1.txt", SETUP_EXIT_BAD_ARGS},
        {"setup.ini.txt", SETUP_EXIT_DESCRIPTION},
        {"report.txt", SETUP_EXIT_DESCRIPTION},
    };
    put_source("uninstal.exe", "MZ uninstaller");
    for (const auto &c : cases) {
        put_source("setup.ini", ini + "file=..\\evil.txt\nfile=late.txt\n");
        put_source("b.txt", "bee");
        put_source("late.txt", "late");
        EXPECT_EQ(run("/S /LOG=" + c.report), c.status) << c.report;
        EXPECT_EQ(read_file(source + "setup.ini"), ini + "file=..\\evil.txt\nfile=late.txt\n") << c.report;
        EXPECT_EQ(read_file(source + "uninstal.exe"), "MZ uninstaller") << c.report;
        EXPECT_EQ(read_file(source + "b.txt"), "bee") << c.report;
        EXPECT_EQ(read_file(source + "late.txt"), "late") << c.report;
        EXPECT_FALSE(file_exists((source + "gone.txt").c_str())) << c.report;
        // The others are reports: setup.ini is refused at its evil line.
        EXPECT_TRUE(c.status == SETUP_EXIT_BAD_ARGS || file_exists((source + c.report).c_str())) << c.report;
    }
}

// ---- the Apps & Features entry ----------------------------------------------

namespace {

// Each value of an entry: "text" for a string, "#n" for a number.
std::map<std::string, std::string> entry_values(const std::string &key)
{
    std::map<std::string, std::string> values;
    char name[256];
    for (uint32_t i = 0; plat_reg_value_name(key.c_str(), i, name, sizeof name) == PLAT_DONE; ++i) {
        char data[ENTRY_COMMAND_SIZE] = {};
        uint32_t type = 0;
        if (plat_reg_get(key.c_str(), name, &type, data, sizeof data) != PLAT_DONE)
            values[name] = "<unreadable>";
        else if (type == PLAT_REG_DWORD)
            values[name] = "#" + std::to_string(*reinterpret_cast<uint32_t *>(data));
        else if (type == PLAT_REG_SZ)
            values[name] = data;
        else
            values[name] = "<type " + std::to_string(type) + ">";
    }
    return values;
}

// Bytes, rounded up to kibibytes, of every file below dir (DOS path, with "\").
uint64_t bytes_below(const std::string &dir)
{
    uint64_t total = 0;
    for (const auto &entry : logtruth::snapshot(dir.substr(0, dir.size() - 1)))
        total += entry.second.dir ? 0 : entry.second.bytes.size();
    return total;
}

} // namespace

class EntryTest : public SilentSetupTest {
public:
    std::string key = "SetupLog Quiet Tool.log";
    std::string log;
    std::string today;

    void SetUp() override
    {
        SilentSetupTest::SetUp();
        plat_reg_delete_key(key.c_str());
        log = windows + "UnInstal\\Quiet Tool.log";
        put_source("uninstal.exe", "MZ uninstaller");
        put_source("a.exe", std::string(5000, 'x')); // several kibibytes
        char date[16];
        std::time_t now = std::time(nullptr);
        std::strftime(date, sizeof date, "%Y%m%d", std::localtime(&now));
        today = date;
    }
    void TearDown() override
    {
        plat_reg_delete_key(key.c_str());
        SilentSetupTest::TearDown();
    }
    std::string command(const char *option)
    {
        return "\"" + windows + "UnInstal\\uninstal.exe\"" + option + " \"" + log + "\"";
    }
    // What the installation into dir made: its files, the log, the shortcut.
    std::string kib(const std::string &dir)
    {
        uint64_t bytes = bytes_below(dir) + bytes_below(programs) + read_file(log).size();
        return "#" + std::to_string((bytes + 1023) / 1024);
    }
};

// The values and their types, for a description with every key and for one
// with none of the optional ones ("none" stands for no address).
TEST_F(EntryTest, ValuesAndTypesAsTheDescriptionGivesThem)
{
    const struct {
        const char *what;
        std::string ini; // after the title and the install path
        std::map<std::string, std::string> optional;
    } rows[] = {
        {"every key",
         "email=q@example.com\nwebsite=https://example.com/q\nversion=2.1\npublisher=Quiet & Sons\nexename=a.exe\n",
         {{"Contact", "q@example.com"},
          {"URLInfoAbout", "https://example.com/q"},
          {"DisplayVersion", "2.1"},
          {"Publisher", "Quiet & Sons"},
          {"DisplayIcon", "<app>a.exe,0"}}},
        {"none of the optional keys", "email=none\nwebsite=none\n", {}},
    };
    int n = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const std::string dir = root + "App" + std::to_string(++n) + "\\";
        put_source("setup.ini",
                   "apptitle=Quiet Tool\ninstallpath=" + app + "\n" + row.ini + "file=a.exe\nfile=b.txt\n");
        ASSERT_EQ(run("/S /LOG=" + report_path + " /D=" + dir.substr(0, dir.size() - 1)), SETUP_EXIT_INSTALLED);
        std::map<std::string, std::string> expected = {
            {"DisplayName", "Quiet Tool"},
            {"UninstallString", command("")},
            {"QuietUninstallString", command(" /S")},
            {"InstallLocation", dir},
            {"EstimatedSize", kib(dir)},
            {"InstallDate", today},
            {"NoModify", "#1"},
            {"NoRepair", "#1"},
        };
        for (auto value : row.optional) {
            if (value.second.rfind("<app>", 0) == 0)
                value.second = dir + value.second.substr(5);
            expected.insert(value);
        }
        EXPECT_EQ(entry_values(key), expected);
        // The log names the entry, announced, before the shortcut's line is
        // followed by nothing else.
        std::vector<std::string> logged = text_lines(log);
        ASSERT_GE(logged.size(), 2u);
        EXPECT_EQ(logged[logged.size() - 2], "Needs=MkReg");
        EXPECT_EQ(logged.back(), "MkReg=" + key);
        EXPECT_EQ(report_lines()[report_lines().size() - 2], std::string("entry ") + PLAT_UNINSTALL_ROOT + "\\" + key);
        // Removed, with the log and the shortcut, for the next row: a
        // shortcut already there would be the user's and be kept.
        EXPECT_EQ(plat_reg_delete_key(key.c_str()), PLAT_DONE);
        plat_delete_file(log.c_str());
        plat_delete_file((programs + "Quiet Tool\\Quiet Tool.lnk").c_str());
    }
}

// A key of the entry's name is taken over when it is empty or names this
// log; any other is left as it is, with a report line, and the installation
// still counts as done.
TEST_F(EntryTest, AKeyOfThatNameIsTakenOverOnlyWhenItIsOurs)
{
    const struct {
        const char *what;
        std::function<void(EntryTest &)> arrange;
        std::string report; // the entry's line after "entry "
        std::string uninstall_string;
        int logged; // MkReg lines in the log
    } rows[] = {
        {"no key", [](EntryTest &) {}, "<root>", "<ours>", 1},
        {"an empty key, as a setup stopped after making it leaves it",
         [](EntryTest &t) { plat_reg_create_key(t.key.c_str(), nullptr); }, "<root>", "<ours>", 1},
        {"one that names this log",
         [](EntryTest &t) {
             plat_reg_create_key(t.key.c_str(), nullptr);
             plat_reg_set_string(t.key.c_str(), "UninstallString", t.command("").c_str());
         },
         "<root>", "<ours>", 1},
        {"another program's",
         [](EntryTest &t) {
             plat_reg_create_key(t.key.c_str(), nullptr);
             plat_reg_set_string(t.key.c_str(), "UninstallString", "\"C:\\x\\uninst.exe\" \"C:\\x\\other.log\"");
         },
         "none: <root> belongs to another program", "\"C:\\x\\uninst.exe\" \"C:\\x\\other.log\"", 0},
        {"one without an UninstallString",
         [](EntryTest &t) {
             plat_reg_create_key(t.key.c_str(), nullptr);
             plat_reg_set_string(t.key.c_str(), "DisplayName", "Other");
         },
         "none: <root> belongs to another program", "<missing>", 0},
        {"one with a key below it", [](EntryTest &t) { plat_reg_create_key((t.key + "\\Sub").c_str(), nullptr); },
         "none: <root> belongs to another program", "<missing>", 0},
        {"the registry refuses", [](EntryTest &) { plat_test_fail_registry(1, PLAT_ACCESS_DENIED); },
         "none: <root> could not be written: access denied", "<missing>", 0},
    };
    const std::string root_key = std::string(PLAT_UNINSTALL_ROOT) + "\\" + key;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        put_source("setup.ini", "apptitle=Quiet Tool\ninstallpath=" + app + "\nfile=a.exe\n");
        row.arrange(*this);
        ASSERT_EQ(run("/S /NOSHORTCUT /LOG=" + report_path), SETUP_EXIT_INSTALLED);
        std::string said = row.report;
        said.replace(said.find("<root>"), 6, root_key);
        std::vector<std::string> lines = report_lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "entry " + said);
        char named[ENTRY_COMMAND_SIZE] = "<missing>";
        plat_reg_get(key.c_str(), "UninstallString", nullptr, named, sizeof named);
        EXPECT_EQ(named, row.uninstall_string == "<ours>" ? command("") : row.uninstall_string);
        std::vector<std::string> logged = text_lines(log);
        EXPECT_EQ(std::count(logged.begin(), logged.end(), "MkReg=" + key), row.logged);
        plat_reg_delete_key((key + "\\Sub").c_str());
        plat_reg_delete_key(key.c_str());
        plat_delete_file(log.c_str());
    }
}

// Setup run again into the same folder goes on with the first run's log:
// one log naming everything the installation owns, each thing once, one
// entry; and the uninstaller on that log leaves the drive and the registry
// as they were before the first run. Into another folder it is another
// installation with a log and an entry of its own, told apart by its folder.
TEST_F(EntryTest, RunAgainItGoesOnWithTheSameLogAndEntry)
{
    const std::string other = root + "Other";
    const std::string again_key = "SetupLog Quiet Toola.log";
    plat_reg_delete_key(again_key.c_str());
    const logtruth::Tree before = logtruth::snapshot(root.substr(0, root.size() - 1));
    put_source("setup.ini", "apptitle=Quiet Tool\ninstallpath=" + app + "\nfile=a.exe\nfile=b.txt\n");
    ASSERT_EQ(run("/S"), SETUP_EXIT_INSTALLED);
    // The upgrade: another b.txt (kept, as /S keeps it) and a new file.
    put_source("setup.ini", "apptitle=Quiet Tool\ninstallpath=" + app + "\nfile=a.exe\nfile=b.txt\nfile=c.txt\n");
    put_source("b.txt", "a longer bee");
    ASSERT_EQ(run("/S"), SETUP_EXIT_INSTALLED);
    EXPECT_EQ(read_file(app + "b.txt"), "bee");
    // /REPLACE: the upgrade that replaces it.
    ASSERT_EQ(run("/S /REPLACE"), SETUP_EXIT_INSTALLED);
    EXPECT_EQ(read_file(app + "b.txt"), "a longer bee");
    EXPECT_FALSE(file_exists((windows + "UnInstal\\Quiet Toola.log").c_str())) << "a second log";
    std::vector<std::string> logged = text_lines(log);
    for (const std::string &line : logged)
        EXPECT_EQ(std::count(logged.begin(), logged.end(), line), 1) << line;
    for (const char *name : {"a.exe", "b.txt", "c.txt", "uninstal.bat"})
        EXPECT_EQ(std::count(logged.begin(), logged.end(), "MkFile=" + app + name), 1) << name;
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "MkReg=" + key), 1);
    EXPECT_EQ(entry_values(key)["EstimatedSize"], kib(app));

    // Into another folder: a log and an entry of its own.
    ASSERT_EQ(run("/S /D=" + other), SETUP_EXIT_INSTALLED);
    EXPECT_EQ(entry_values(again_key)["DisplayName"], "Quiet Tool (" + other + ")");
    EXPECT_EQ(entry_values(key)["DisplayName"], "Quiet Tool");

    for (const std::string &log_path : {windows + "UnInstal\\Quiet Toola.log", log}) {
        REMOVAL_CONTEXT context = {};
        std::strcpy(context.dirs.windows, windows.c_str());
        std::strcpy(context.dirs.system, system.c_str());
        REMOVAL_PLAN plan;
        SILENT_ANSWERS answers;
        OPEN_RESULT why;
        EXPECT_EQ(run_removal(plan, log_path.c_str(), context, answers, why), UNINSTALL_DONE) << log_path;
    }
    EXPECT_EQ(plat_reg_count(key.c_str(), nullptr, nullptr), PLAT_MISSING);
    EXPECT_EQ(plat_reg_count(again_key.c_str(), nullptr, nullptr), PLAT_MISSING);
    logtruth::Tree after = logtruth::snapshot(root.substr(0, root.size() - 1));
    after.erase(windows + "UnInstal\\uninstal.exe"); // every log's, left on purpose
    after.erase(windows + "UnInstal");
    after.erase(root + "report.txt");
    after[source + "b.txt"] = before.at(source + "b.txt");
    after[source + "setup.ini"] = before.at(source + "setup.ini");
    std::string changed;
    for (const auto &entry : after)
        if (!before.count(entry.first))
            changed += " +" + entry.first;
    for (const auto &entry : before)
        if (!after.count(entry.first))
            changed += " -" + entry.first;
    EXPECT_EQ(changed, "");
}
