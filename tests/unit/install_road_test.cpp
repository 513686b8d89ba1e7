// The installation road as every front drives it: the real road of the
// engine, with a front that answers from a script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "setup/install_road.h"
#include "platform/path_text.h"
#include "tests/unit/support/drive_snapshot.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/log_truth.h"
#include "tests/unit/support/shortcut_reader.h"
#include "tests/unit/support/test_env.h"
#include "uninstall/removal_plan.h"

using testenv::read_file;
using testenv::write_file;

namespace {

// A front that records what the road tells it and answers from a script.
class SCRIPTED_FRONT : public ROAD_FRONT {
public:
    std::vector<std::string> events;                 // "begin 5", "file 1 of 5, 20%", "ask <path>", "poll"
    std::vector<std::string> shown;                  // each destination shown
    std::vector<std::string> asked;                  // each destination asked about
    std::vector<int32_t> codes_asked;                // err_code at each question
    std::map<std::string, OVERWRITE_ANSWER> answers; // by destination; Skip for the others
    int32_t cancel_after = 0;                        // the file whose poll brings a confirmed Cancel; 0: none
    std::function<void(int32_t number)> before_file; // runs as each file is shown

    void begin_files(int32_t total) override { events.push_back("begin " + std::to_string(total)); }
    void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) override
    {
        events.push_back("file " + std::to_string(number) + " of " + std::to_string(total) + ", " +
                         std::to_string(percent) + "%");
        shown.push_back(destination);
        current = number;
        if (before_file)
            before_file(number);
    }
    bool cancelled() override
    {
        events.push_back("poll");
        return cancel_after != 0 && current == cancel_after;
    }
    OVERWRITE_ANSWER ask_overwrite(const char *destination) override
    {
        events.push_back(std::string("ask ") + destination);
        asked.push_back(destination);
        codes_asked.push_back(err_code);
        auto answer = answers.find(destination);
        return answer == answers.end() ? OVERWRITE_SKIP : answer->second;
    }

private:
    int32_t current = 0;
};

} // namespace

class InstallRoadTest : public LinkJobTest {
protected:
    // Where the shortcut folder goes. Under Wine, ctest names a host folder
    // in SETUP_LNK_OUT, and a step after this run reads the shortcut there
    // with lnkinfo; Wine shows the host's root as drive Z:.
    std::string shortcut_base()
    {
#ifdef _WIN32
        const char *host = std::getenv("SETUP_LNK_OUT");
        if (host && host[0] == '/') {
            std::string dos = std::string("Z:") + host;
            for (char &c : dos)
                if (c == '/')
                    c = '\\';
            dos += "\\";
            testenv::make_dir(dos);
            return dos;
        }
#endif
        return root;
    }
};

TEST_F(InstallRoadTest, WholeInstallationAsTheInstallingPageDrivesIt)
{
    const std::string app = root + "Programs\\Road\\";
    put_source("setup.ini", "; the road test's application\n"
                            "apptitle=Road Test\n"
                            "email=road@example.com\n"
                            "installpath=" +
                                app +
                                "\n"
                                "exename=foo.exe\n"
                                "file=foo.exe\n"
                                "file=readme.txt\n"
                                "file=same.dll,winsys_path\n"
                                "file=diff.ini,win_path\n"
                                "file=skip.dll,winsys_path\n");
    put_source("foo.exe", "MZ the program");
    put_source("readme.txt", "Read me.\r\n");
    put_source("same.dll", "the same library");
    put_source("diff.ini", "[new]\r\nkey=value\r\n");
    put_source("skip.dll", "newer library");
    put_source("uninstal.exe", "MZ the uninstaller");
    write_file(system + "same.dll", "the same library");
    write_file(windows + "diff.ini", "[old]\r\n");
    write_file(system + "skip.dll", "older lib");
    ASSERT_TRUE(job.load_ini("setup.ini"));

    // Installing page: yes to the question for diff.ini, no for skip.dll.
    SCRIPTED_FRONT front;
    front.answers[windows + "diff.ini"] = OVERWRITE_REPLACE;
    ROAD_RESULT road = job.run_install_road(front);
    EXPECT_EQ(road.end, ROAD_DONE);
    EXPECT_EQ(front.shown, (std::vector<std::string>{app + "foo.exe", app + "readme.txt", system + "same.dll",
                                                     windows + "diff.ini", system + "skip.dll"}));
    EXPECT_EQ(front.asked, (std::vector<std::string>{windows + "diff.ini", system + "skip.dll"}));
    EXPECT_EQ(front.codes_asked, (std::vector<int32_t>{ERR_OTHER_VERSION, ERR_OTHER_VERSION}));
    // Each file is shown, then the front runs, then the file is installed.
    EXPECT_EQ(front.events, (std::vector<std::string>{"begin 5", "file 1 of 5, 20%", "poll", "file 2 of 5, 40%", "poll",
                                                      "file 3 of 5, 60%", "poll", "file 4 of 5, 80%", "poll",
                                                      "ask " + windows + "diff.ini", "file 5 of 5, 100%", "poll",
                                                      "ask " + system + "skip.dll"}));

    // Create Shortcut page, then the entry closes the log.
    const std::string menu = shortcut_base() + "Start Menu\\Road Test";
    ASSERT_TRUE(job.create_shortcut(menu.c_str()));
    job.close_log();

    const std::string log_dir = windows + "UnInstal\\";
    EXPECT_STREQ(road.log_name, "UnInstal\\Road Test.log");
    EXPECT_EQ(text_lines(log_dir + "Road Test.log"),
              (std::vector<std::string>{
                  "; Setup log file for Road Test.  Required for the uninstall.",
                  "AppTitle=Road Test",
                  "EMail=road@example.com",
                  "MkDir=" + log_dir,
                  "MkFile=" + log_dir + "Road Test.log",
                  "MkDir=" + root + "Programs",
                  "MkDir=" + root + "Programs\\Road",
                  "MkFile=" + app + "uninstal.bat",
                  "MkFile=" + app + "foo.exe",
                  "MkFile=" + app + "readme.txt",
                  "MkDir=" + log_dir + "Road Test.log.old",
                  "Needs=Earlier",
                  "Earlier=" + windows + "diff.ini|" + log_dir + "Road Test.log.old\\1-diff.ini",
                  "MkFile=" + windows + "diff.ini",
                  "MkDir=" + shortcut_base() + "Start Menu",
                  "MkDir=" + menu,
                  "MkFile=" + menu + "\\Road Test.lnk",
              }));
    EXPECT_EQ(text_lines(app + "uninstal.bat"),
              (std::vector<std::string>{"rem This file uninstalls the Road Test application.  The uninstallation",
                                        "rem may fail if the setup log has been moved or deleted since the setup.",
                                        "\"" + log_dir + "uninstal.exe\" \"UnInstal\\Road Test.log\""}));

    EXPECT_EQ(read_file(app + "foo.exe"), "MZ the program");
    EXPECT_EQ(read_file(app + "readme.txt"), "Read me.\r\n");
    EXPECT_EQ(read_file(system + "same.dll"), "the same library");
    EXPECT_EQ(read_file(windows + "diff.ini"), "[new]\r\nkey=value\r\n");
    EXPECT_EQ(read_file(system + "skip.dll"), "older lib");
    EXPECT_EQ(read_file(log_dir + "uninstal.exe"), "MZ the uninstaller");

    LnkFields fields;
    std::string error;
    ASSERT_TRUE(read_shortcut(menu + "\\Road Test.lnk", fields, error)) << error;
    EXPECT_EQ(fields.local_path, app + "foo.exe");
    EXPECT_EQ(fields.description, "Road Test");
    EXPECT_EQ(fields.working_dir, app);

#ifdef _WIN32
    // What the lnkinfo step after this run expects to read.
    if (shortcut_base() != root)
        write_file(shortcut_base() + "expect.txt", "link=Start Menu/Road Test/Road Test.lnk\n"
                                                   "target=" +
                                                       app +
                                                       "foo.exe\n"
                                                       "description=Road Test\n"
                                                       "workdir=" +
                                                       app + "\n");
#endif
}

// Names with folders, two deep, shared, one reused by a later file, one
// there already: each new folder is made and logged before its first file,
// in the order made, the folder that was there is neither logged nor
// removed, and the uninstaller leaves the drive as it found it.
TEST_F(InstallRoadTest, FoldersOfNamesAreLoggedInOrderAndGoAgainOnUninstall)
{
    const std::string app = root + "Programs\\Folders\\";
    ASSERT_TRUE(testenv::make_dir(root + "Programs") && testenv::make_dir(app) && testenv::make_dir(app + "docs"));
    for (const char *dir : {"help", "help\\img", "docs"})
        ASSERT_TRUE(testenv::make_dir(source + dir));
    // As written in setup.ini ("/" too), and where each goes.
    const struct {
        const char *line, *name;
    } files[] = {{"help\\index.htm", "help\\index.htm"},
                 {"help\\img\\logo.gif", "help\\img\\logo.gif"},
                 {"readme.txt", "readme.txt"},
                 {"docs\\guide.txt", "docs\\guide.txt"},
                 {"help/img/more.gif", "help\\img\\more.gif"},
                 {"help\\toc.htm", "help\\toc.htm"}};
    std::string ini = "apptitle=Folders\ninstallpath=" + app + "\n";
    std::vector<std::string> shown;
    for (const auto &f : files) {
        ini += std::string("file=") + f.line + "\n";
        put_source(f.name, std::string("source of ") + f.name);
        shown.push_back(app + f.name);
    }
    put_source("setup.ini", ini);
    const std::string drive = root.substr(0, root.size() - 1);
    const logtruth::Tree before = logtruth::snapshot(drive);
    ASSERT_TRUE(job.load_ini("setup.ini"));

    SCRIPTED_FRONT front;
    ROAD_RESULT road = job.run_install_road(front);
    EXPECT_EQ(road.end, ROAD_DONE);
    EXPECT_EQ(front.shown, shown);
    job.close_log();
    const std::string log = windows + road.log_name;
    std::vector<std::string> lines = text_lines(log);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
              (std::vector<std::string>{"MkFile=" + app + "uninstal.bat", "MkDir=" + app + "help",
                                        "MkFile=" + app + "help\\index.htm", "MkDir=" + app + "help\\img",
                                        "MkFile=" + app + "help\\img\\logo.gif", "MkFile=" + app + "readme.txt",
                                        "MkFile=" + app + "docs\\guide.txt", "MkFile=" + app + "help\\img\\more.gif",
                                        "MkFile=" + app + "help\\toc.htm"}));
    for (const auto &f : files)
        EXPECT_EQ(read_file(app + f.name), std::string("source of ") + f.name);

    REMOVAL_PLAN plan;
    REMOVAL_CONTEXT context = {};
    join_path(context.dirs.windows, sizeof context.dirs.windows, windows.c_str());
    join_path(context.dirs.system, sizeof context.dirs.system, system.c_str());
    SILENT_ANSWERS answers;
    OPEN_RESULT why = OPEN_OK;
    EXPECT_EQ(run_removal(plan, log.c_str(), context, answers, why), UNINSTALL_DONE);
    EXPECT_EQ(why, OPEN_OK);
    const auto listing = [](const logtruth::Tree &tree) {
        std::vector<std::string> entries;
        for (const auto &entry : tree)
            entries.push_back(entry.first + (entry.second.dir ? "\\" : " = " + entry.second.bytes));
        return entries;
    };
    EXPECT_EQ(listing(logtruth::snapshot(drive)), listing(before));
}

// ---- where the road stops ----

class RoadStopTest : public JobTest {
protected:
    std::string app;
    std::string log;
    SCRIPTED_FRONT front;

    void SetUp() override
    {
        JobTest::SetUp();
        app = root + "app\\";
        log = windows + "UnInstal\\Stop.log";
        job.set_apptitle("Stop");
        job.set_installpath(app.c_str());
        for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
            put_source(name, std::string("new ") + name);
            ASSERT_TRUE(job.add_file(name));
        }
    }

    // The files of the install directory that the log names, in its order.
    std::vector<std::string> logged_files()
    {
        job.close_log();
        std::vector<std::string> files;
        for (const std::string &line : text_lines(log))
            if (line.rfind("MkFile=" + app, 0) == 0 && line != "MkFile=" + app + "uninstal.bat")
                files.push_back(line.substr(7 + app.size()));
        return files;
    }
};

// Abort at the overwrite question ends the road there: the old file stays,
// nothing after it is installed.
TEST_F(RoadStopTest, AbortAtTheQuestionEndsTheRoad)
{
    ASSERT_TRUE(testenv::make_dir(app));
    write_file(app + "b.txt", "an older, longer b.txt");
    front.answers[app + "b.txt"] = OVERWRITE_ABORT;
    ROAD_RESULT road = job.run_install_road(front);
    EXPECT_EQ(road.end, ROAD_ABORTED);
    EXPECT_EQ(front.asked, std::vector<std::string>{app + "b.txt"});
    EXPECT_EQ(read_file(app + "b.txt"), "an older, longer b.txt");
    EXPECT_FALSE(file_exists((app + "c.txt").c_str()));
    EXPECT_EQ(logged_files(), std::vector<std::string>{"a.txt"});
}

// Skip keeps the old file and goes on; Overwrite replaces it and logs it.
TEST_F(RoadStopTest, SkipKeepsAndOverwriteReplaces)
{
    ASSERT_TRUE(testenv::make_dir(app));
    write_file(app + "a.txt", "an older, longer a.txt");
    write_file(app + "b.txt", "an older, longer b.txt");
    front.answers[app + "b.txt"] = OVERWRITE_REPLACE;
    EXPECT_EQ(job.run_install_road(front).end, ROAD_DONE);
    EXPECT_EQ(read_file(app + "a.txt"), "an older, longer a.txt");
    EXPECT_EQ(read_file(app + "b.txt"), "new b.txt");
    EXPECT_EQ(logged_files(), (std::vector<std::string>{"b.txt", "c.txt"}));
}

TEST_F(RoadStopTest, NoFilesIsDoneAfterTheBatchFile)
{
    job.clear_job();
    job.set_apptitle("Stop");
    job.set_installpath(app.c_str());
    EXPECT_EQ(job.run_install_road(front).end, ROAD_DONE);
    EXPECT_EQ(front.events, std::vector<std::string>{"begin 0"});
    EXPECT_TRUE(file_exists((app + "uninstal.bat").c_str()));
}

// A confirmed Cancel stops before the next file: what came before stays,
// installed and logged; the file at hand and the rest are never touched.
class RoadCancelTest : public RoadStopTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(RoadCancelTest, CancelStopsBeforeTheFileAtHand)
{
    const int32_t cancel_after = GetParam();
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt"};
    front.cancel_after = cancel_after;
    ROAD_RESULT road = job.run_install_road(front);
    EXPECT_EQ(road.end, ROAD_CANCELLED);
    EXPECT_EQ(front.shown.size(), (size_t)cancel_after);
    EXPECT_EQ(front.events.back(), "poll");
    std::vector<std::string> before(names.begin(), names.begin() + (cancel_after - 1));
    EXPECT_EQ(logged_files(), before);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(file_exists((app + names[i]).c_str()), (int32_t)i < cancel_after - 1) << names[i];
}

INSTANTIATE_TEST_SUITE_P(AtEachFile, RoadCancelTest, ::testing::Values(1, 2, 3));

// Each step that fails ends the road with its code and its name, so that a
// front can say which; the log names everything made before it.
class RoadFailureTest;
struct ROAD_FAILURE {
    const char *what;
    std::function<void(RoadFailureTest &)> arrange;
    ROAD_STEP step;
    int32_t code;
    const char *file;
    std::vector<std::string> installed;
};

void PrintTo(const ROAD_FAILURE &c, std::ostream *out) { *out << c.what; }

class RoadFailureTest : public RoadStopTest, public ::testing::WithParamInterface<ROAD_FAILURE> {
public:
    using RoadStopTest::app;
    using RoadStopTest::front;
    using RoadStopTest::job;
    using RoadStopTest::put_source;
    using RoadStopTest::set_field;
    using RoadStopTest::source;
};

TEST_P(RoadFailureTest, FailureNamesTheStepTheCodeAndTheFile)
{
    const ROAD_FAILURE &c = GetParam();
    c.arrange(*this);
    err_code = ERR_NONE;
    ROAD_RESULT road = job.run_install_road(front);
    plat_test_reset();
    EXPECT_EQ(road.end, ROAD_FAILED);
    EXPECT_EQ(road.step, c.step);
    EXPECT_EQ(road.code, c.code);
    EXPECT_EQ(road.code, err_code);
    // A failed log leaves no name of a log that is not there.
    EXPECT_STREQ(road.log_name, c.step == STEP_LOG ? "" : "UnInstal\\Stop.log");
    if (c.file)
        EXPECT_STREQ(road.file_name, c.file);
    else
        EXPECT_EQ(road.file_name, nullptr);
    // The road stopped at the failure: nothing after it was shown or made.
    EXPECT_EQ(front.shown.size(), c.step == STEP_FILE ? c.installed.size() + 1 : 0u);
    EXPECT_FALSE(file_exists((app + "c.txt").c_str()));
    if (c.step == STEP_LOG)
        EXPECT_FALSE(dir_exists(app.c_str())) << "nothing is made before the log";
    else
        EXPECT_EQ(logged_files(), c.installed);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EachStep, RoadFailureTest, ::testing::Values(
    ROAD_FAILURE{"NoWindowsDirectory", [](RoadFailureTest &test) { test.set_field(test.job.windows_dir, nullptr); },
                 STEP_LOG, ERR_BAD_WINDOWS_PATH, nullptr, {}},
    ROAD_FAILURE{"LogFirstLines", [](RoadFailureTest &) { plat_test_fail_write(1); },
                 STEP_LOG, ERR_FILE_WRITE, nullptr, {}},
    ROAD_FAILURE{"RelativeInstallPath", [](RoadFailureTest &test) { test.job.set_installpath("app"); },
                 STEP_PREPARE, ERR_INSTALL_PATH_NOT_FULL, nullptr, {}},
    // The log directory, then the install directory.
    ROAD_FAILURE{"InstallDirectory", [](RoadFailureTest &) { plat_test_fail_create_dir(2); },
                 STEP_PREPARE, ERR_CREATE_DIR, nullptr, {}},
    // The log's first five lines, then the install directory's MkDir.
    ROAD_FAILURE{"InstallDirectoryLine", [](RoadFailureTest &) { plat_test_fail_write(6); },
                 STEP_PREPARE, ERR_FILE_WRITE, nullptr, {}},
    ROAD_FAILURE{"UninstallerCopy", [](RoadFailureTest &test) { test.put_source("uninstal.exe", "MZ"); plat_test_fail_copy(1); },
                 STEP_BATCH, ERR_COPY_FAILED, nullptr, {}},
    // The log, then the batch file.
    ROAD_FAILURE{"BatchFile", [](RoadFailureTest &) { plat_test_fail_open(2); },
                 STEP_BATCH, ERR_FILE_OPEN, nullptr, {}},
    ROAD_FAILURE{"MissingSource", [](RoadFailureTest &test) { plat_delete_file((test.source + "b.txt").c_str()); },
                 STEP_FILE, ERR_COPY_FAILED, "b.txt", {"a.txt"}},
    ROAD_FAILURE{"Copy", [](RoadFailureTest &) { plat_test_fail_copy(2); },
                 STEP_FILE, ERR_COPY_FAILED, "b.txt", {"a.txt"}},
    ROAD_FAILURE{"ReplacingCopy", [](RoadFailureTest &test) {
                     testenv::make_dir(test.app);
                     write_file(test.app + "b.txt", "an older, longer b.txt");
                     test.front.answers[test.app + "b.txt"] = OVERWRITE_REPLACE;
                     plat_test_fail_copy(2);
                 },
                 STEP_FILE, ERR_COPY_FAILED, "b.txt", {"a.txt"}},
    ROAD_FAILURE{"FileLine", [](RoadFailureTest &test) {
                     test.front.before_file = [](int32_t number) { if (number == 2) plat_test_fail_write(1); };
                 },
                 STEP_FILE, ERR_FILE_WRITE, "b.txt", {"a.txt"}}),
    [](const ::testing::TestParamInfo<ROAD_FAILURE> &param) { return std::string(param.param.what); });
// clang-format on

// Two installations that replace one file in turn: setup keeps the version
// from before them once, both logs name it, and whichever leaves last puts
// it back. Removed in either order, with silent answers, the Windows
// directory is as it was, bytes, attributes and time, but for the log folder.
TEST_F(InstallRoadTest, TwoInstallationsOfOneFileLeaveTheEarlierVersionInEitherOrder)
{
    const std::string dll = system + "shared.dll";
    write_file(dll, "the version from before both");
    ASSERT_TRUE(plat_set_attributes(dll.c_str(), PLAT_ATTR_READONLY));
    const std::string win_dir = windows.substr(0, windows.size() - 1);
    const drive::Snapshot before = drive::take(win_dir);
    auto install = [&](const std::string &title, const std::string &bytes) {
        write_file(source + "setup.ini",
                   "apptitle=" + title + "\ninstallpath=" + root + title + "\\\nfile=shared.dll,winsys_path\n");
        put_source("shared.dll", bytes);
        SETUP_TYPE one;
        one.set_system_dirs(windows.c_str(), system.c_str());
        ASSERT_TRUE(one.load_ini("setup.ini"));
        SCRIPTED_FRONT front;
        front.answers[dll] = OVERWRITE_REPLACE;
        EXPECT_EQ(one.run_install_road(front).end, ROAD_DONE);
        one.close_log();
        EXPECT_EQ(read_file(dll), bytes);
    };
    auto uninstall = [&](const std::string &title) {
        REMOVAL_CONTEXT context = {};
        join_path(context.dirs.windows, sizeof context.dirs.windows, win_dir.c_str());
        join_path(context.dirs.system, sizeof context.dirs.system, (system.substr(0, system.size() - 1)).c_str());
        REMOVAL_PLAN plan;
        SILENT_ANSWERS answers;
        OPEN_RESULT why;
        EXPECT_EQ(run_removal(plan, (windows + "UnInstal\\" + title + ".log").c_str(), context, answers, why),
                  UNINSTALL_DONE)
            << title;
        EXPECT_FALSE(dir_exists((root + title).c_str()));
    };
    for (bool first_goes_first : {true, false}) {
        SCOPED_TRACE(first_goes_first ? "first in, first out" : "last in, first out");
        install("Older", "the older installation's, longer");
        install("Newer", "the newer one's");
        // The newer one shares what the older keeps: one kept version.
        EXPECT_NE(read_file(windows + "UnInstal\\Newer.log")
                      .find("Earlier=" + dll + "|" + windows + "UnInstal\\Older.log.old\\1-shared.dll"),
                  std::string::npos);
        EXPECT_FALSE(dir_exists((windows + "UnInstal\\Newer.log.old").c_str()));
        uninstall(first_goes_first ? "Older" : "Newer");
        EXPECT_EQ(read_file(dll), "the newer one's") << "stays for the installation that is left";
        uninstall(first_goes_first ? "Newer" : "Older");
        EXPECT_EQ(
            drive::compare(before, drive::take(win_dir), {windows + "UnInstal", windows + "UnInstal\\uninstal.exe"}),
            "");
    }
}
