// setup.exe /S on the real engine: the exit status and the /LOG= report of
// each way a silent run can end, and what it leaves on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/test_env.h"
#include "setup/session.h"

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
        SILENT_FRONT front(with_programs ? programs.c_str() : nullptr);
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
    c.arrange(*this);
    std::string line = c.options;
    size_t at = line.find("REPORT");
    if (at != std::string::npos)
        line.replace(at, 6, report_path);
    else
        line += " /LOG=" + report_path;
    EXPECT_EQ(run(line, c.what != std::string("NoProgramsFolder")), c.status);
    const std::string reason = c.reason(*this);
    if (reason.empty()) {
        EXPECT_FALSE(file_exists(report_path.c_str())) << "a report was written";
    } else {
        std::vector<std::string> lines = report_lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], reason);
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
                [](SilentOutcomeTest &test) { return "failed " + test.app + "b.txt: " + test.error(ERR_COPY_FAILED); }, true},
    // The files are in place, the shortcut is not: not installed as asked.
    SILENT_CASE{"ShortcutFails", [](SilentOutcomeTest &) { plat_test_fail_link_step(PLAT_LINK_SAVE); }, "/S", SETUP_EXIT_FAILED,
                [](SilentOutcomeTest &test) { return "failed shortcut: " + test.error(ERR_SHORTCUT); }, true},
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
