// The removal plan: what it plans for each line of a setup log, what it
// removes and keeps, the questions it asks, and the log it leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/dirsearch.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/test_env.h"
#include "uninstall/messages.h"
#include "uninstall/removal_plan.h"

using testenv::read_file;
using testenv::write_file;

namespace {

// Answers from a list, and remembers what was asked.
class SCRIPTED_ANSWERS : public REMOVAL_QUESTIONS {
public:
    bool confirm = true;
    std::vector<SHARED_ANSWER> answers;
    std::vector<std::string> asked;
    std::string confirmed_title;

    bool confirm_removal(const char *title) override
    {
        confirmed_title = title;
        return confirm;
    }
    SHARED_ANSWER shared_file(const char *path) override
    {
        asked.push_back(path);
        if (answers.empty())
            return SHARED_KEEP;
        SHARED_ANSWER a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

class RemovalTest : public ::testing::Test {
protected:
    std::string root, win, log_dir, log_path, app;
    REMOVAL_CONTEXT context = {};
    REMOVAL_PLAN plan;
    SCRIPTED_ANSWERS questions;
    OPEN_RESULT why = OPEN_OK;
    PLAT_TEST_SCOPE controls;

    void SetUp() override
    {
        root = testenv::scratch_dir();
        win = root + "win";
        log_dir = win + "\\UnInstal";
        log_path = log_dir + "\\Foo.log";
        app = root + "Foo";
        for (const std::string &dir : {win, win + "\\system32", log_dir})
            testenv::make_dir(dir);
        std::strcpy(context.dirs.windows, win.c_str());
        std::strcpy(context.dirs.system, (win + "\\system32").c_str());
        write_file(log_dir + "\\uninstal.exe", "MZ"); // every log shares it
    }

    // A log as setup writes it, with these entries after its first lines.
    static std::string log_text(const std::string &log_dir, const std::string &name,
                                const std::vector<std::string> &entries)
    {
        std::string text = "; Setup log file for Foo.  Required for the uninstall.\r\nAppTitle=Foo\r\n"
                           "EMail=none\r\nMkDir=" +
                           log_dir + "\\\r\nMkFile=" + log_dir + "\\" + name + "\r\n";
        for (const std::string &e : entries)
            text += e + "\r\n";
        return text;
    }
    void write_log(const std::vector<std::string> &entries)
    {
        write_file(log_path, log_text(log_dir, "Foo.log", entries));
    }
    // The default installation: the app folder with a sub folder, the batch
    // file, two files and a shortcut folder.
    std::vector<std::string> install()
    {
        testenv::make_dir(app);
        testenv::make_dir(app + "\\sub");
        testenv::make_dir(root + "Menu");
        for (const char *f : {"\\uninstal.bat", "\\foo.exe", "\\sub\\data.txt"})
            write_file(app + f, "x");
        write_file(root + "Menu\\Foo.lnk", "L");
        return {"MkDir=" + app,
                "MkDir=" + app + "\\sub",
                "MkFile=" + app + "\\uninstal.bat",
                "MkFile=" + app + "\\foo.exe",
                "MkFile=" + app + "\\sub\\data.txt",
                "MkDir=" + root + "Menu",
                "MkFile=" + root + "Menu\\Foo.lnk"};
    }
    int run() { return run_removal(plan, log_path.c_str(), context, questions, why); }
    static bool exists(const std::string &path) { return plat_get_attributes(path.c_str()) != PLAT_NO_ATTRIBUTES; }
    PLAN_OUTCOME outcome_of(const std::string &path) const
    {
        for (int32_t i = 0; i < plan.count; ++i)
            if (plan.path_of(i) && path == plan.path_of(i))
                return plan.items[i].outcome;
        ADD_FAILURE() << "no item for " << path;
        return OUT_PENDING;
    }
};

} // namespace

TEST_F(RemovalTest, RemovesEverythingInReverseOrderAndDeletesTheLog)
{
    write_log(install());
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(questions.confirmed_title, "Foo");
    // One item per MkDir and MkFile line, last line first.
    ASSERT_EQ(plan.count, 9);
    for (int32_t i = 1; i < plan.count; ++i)
        EXPECT_LT(plan.items[i].line, plan.items[i - 1].line);
    EXPECT_EQ(plan.items[0].action, PLAN_DELETE_FILE); // the shortcut
    EXPECT_EQ(plan.items[1].action, PLAN_REMOVE_DIR);  // its folder
    EXPECT_EQ(plan.items[7].action, PLAN_LOG_ITSELF);
    EXPECT_EQ(plan.items[8].action, PLAN_LOG_DIR);
    for (const char *gone : {"Foo\\sub\\data.txt", "Foo\\sub", "Foo", "Menu"})
        EXPECT_FALSE(exists(root + gone)) << gone;
    EXPECT_TRUE(plan.log_deleted);
    EXPECT_FALSE(exists(log_path));
    // The log directory keeps the uninstaller, and that is no news.
    EXPECT_TRUE(exists(log_dir + "\\uninstal.exe"));
    EXPECT_EQ(plan.items[8].outcome, OUT_LEFT);
    char text[2048];
    closing_message(plan, text, sizeof text);
    EXPECT_STREQ(text, "The Foo application has been removed from your computer.");
}

TEST_F(RemovalTest, WithoutTheUninstallerAnEmptyLogDirectoryGoesToo)
{
    plat_delete_file((log_dir + "\\uninstal.exe").c_str());
    write_log({"MkFile=" + root + "gone.txt"}); // already missing: counts as gone
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(outcome_of(root + "gone.txt"), OUT_MISSING);
    EXPECT_FALSE(exists(log_dir));
}

TEST_F(RemovalTest, WhatStaysIsReportedAndTheRewrittenLogNamesOnlyThat)
{
    std::vector<std::string> entries = install();
    write_file(app + "\\sub\\mine.txt", "the user's own"); // never ours to remove
    entries.push_back("MkFile=..\\relative.txt");
    entries.push_back("MkFile=" + app + "\\..\\Foo\\foo.exe");
    entries.push_back("MkFile=" + root + "*.lnk");
    entries.push_back("MkDir=C:\\");
    entries.push_back("Unknown=kept as it is");
    entries.push_back("MkFile=" + app + "\\a" + std::string(1, '\0') + "b"); // a shorter path if written back
    entries.push_back("Other=x" + std::string(1, '\0') + "y");
    write_file(log_path, log_text(log_dir, "Foo.log", entries) + "MkFile=" + app + "\\su"); // cut short
    write_file(app + "\\su", "a file the cut line nearly names");

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(outcome_of(app + "\\sub"), OUT_NOT_EMPTY);
    EXPECT_EQ(outcome_of(app), OUT_NOT_EMPTY);
    EXPECT_EQ(outcome_of("C:\\"), OUT_UNSAFE);
    EXPECT_TRUE(exists(app + "\\sub\\mine.txt"));
    EXPECT_TRUE(exists(app + "\\su"));
    EXPECT_FALSE(exists(app + "\\foo.exe"));
    EXPECT_TRUE(plan.log_rewritten);
    EXPECT_EQ(read_file(log_path),
              "; Setup log file for Foo.  Required for the uninstall.\r\nAppTitle=Foo\r\nEMail=none\r\n"
              "MkDir=" +
                  log_dir + "\\\r\nMkFile=" + log_path + "\r\nMkDir=" + app + "\r\nMkDir=" + app +
                  "\\sub\r\nMkFile=..\\relative.txt\r\nMkFile=" + app + "\\..\\Foo\\foo.exe\r\nMkFile=" + root +
                  "*.lnk\r\nMkDir=C:\\\r\nUnknown=kept as it is\r\n; holds a zero byte, ignored: MkFile=" + app +
                  "\\a\r\nOther=x\r\n; cut short, ignored: MkFile=" + app + "\\su\r\n");
    EXPECT_FALSE(exists(log_path + ".tmp"));

    // Run again: the same things stay, nothing else is touched.
    REMOVAL_PLAN again;
    EXPECT_EQ(run_removal(again, log_path.c_str(), context, questions, why), 1);
    EXPECT_EQ(again.count_outcome(OUT_CUT), 0); // it is a comment now
    EXPECT_EQ(again.count_outcome(OUT_UNSAFE), 4);
}

// A log that takes a file for a folder or a folder for a file (edited by
// hand, or another program made the other kind since): neither goes.
TEST_F(RemovalTest, AFileNamedAsAFolderOrAFolderAsAFileStays)
{
    testenv::make_dir(app);
    testenv::make_dir(app + "\\dir");
    write_file(app + "\\user.txt", "the user's own");
    write_log({"MkDir=" + app, "MkDir=" + app + "\\user.txt", "MkFile=" + app + "\\dir"});
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(read_file(app + "\\user.txt"), "the user's own");
    EXPECT_TRUE(exists(app + "\\dir"));
    EXPECT_TRUE(outcome_is_kept(outcome_of(app + "\\user.txt")));
    EXPECT_TRUE(outcome_is_kept(outcome_of(app + "\\dir")));
}

TEST_F(RemovalTest, ReadOnlyFilesAreClearedFirst)
{
    testenv::make_dir(app);
    write_file(app + "\\ro.txt", "x");
    ASSERT_TRUE(plat_set_attributes((app + "\\ro.txt").c_str(), PLAT_ATTR_READONLY));
    write_log({"MkDir=" + app, "MkFile=" + app + "\\ro.txt"});
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(exists(app));
}

TEST_F(RemovalTest, SharedFilesAreAskedAboutOrLeftToAnotherInstallation)
{
    const std::string ini = win + "\\foo.ini", dll = win + "\\system32\\foo.dll", other = win + "\\other.ini",
                      last = win + "\\last.ini", gone = win + "\\gone.ini";
    for (const std::string &f : {ini, dll, other, last})
        write_file(f, "x");
    // Another installation's log beside ours names foo.ini.
    write_file(log_dir + "\\Bar.log", log_text(log_dir, "Bar.log", {"MkFile=" + ini}));
    write_log({"MkFile=" + last, "MkFile=" + gone, "MkFile=" + other, "MkFile=" + ini, "MkFile=" + dll});
    questions.answers = {SHARED_REMOVE, SHARED_KEEP_ALL};
    EXPECT_EQ(run(), 1);
    // Asked in reverse order; not about the missing file, nor after "keep all".
    EXPECT_EQ(questions.asked, (std::vector<std::string>{dll, other}));
    EXPECT_EQ(outcome_of(dll), OUT_REMOVED);
    EXPECT_EQ(outcome_of(ini), OUT_HANDED_OVER);
    EXPECT_EQ(outcome_of(other), OUT_KEPT_SHARED);
    EXPECT_EQ(outcome_of(gone), OUT_MISSING);
    EXPECT_EQ(outcome_of(last), OUT_KEPT_SHARED);
    EXPECT_TRUE(exists(ini) && exists(other) && exists(last));
    // Our log goes on naming what the user kept, not what Bar's log names.
    std::string text = read_file(log_path);
    EXPECT_NE(text.find("MkFile=" + other + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("MkFile=" + last + "\r\n"), std::string::npos);
    EXPECT_EQ(text.find("MkFile=" + ini + "\r\n"), std::string::npos);

    // Silent mode keeps every shared file.
    REMOVAL_PLAN silent_plan;
    SILENT_ANSWERS silent;
    EXPECT_EQ(run_removal(silent_plan, log_path.c_str(), context, silent, why), 1);
    EXPECT_EQ(silent_plan.count_outcome(OUT_KEPT_SHARED), 2);

    // With the other log gone, the last pass removes them all.
    plat_delete_file((log_dir + "\\Bar.log").c_str());
    questions.answers = {SHARED_REMOVE_ALL};
    questions.asked.clear();
    REMOVAL_PLAN last_plan;
    EXPECT_EQ(run_removal(last_plan, log_path.c_str(), context, questions, why), 0);
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_FALSE(exists(other) || exists(last) || exists(log_path));
}

TEST_F(RemovalTest, TheUninstallerBesideTheLogIsNeverRemoved)
{
    write_log({"MkFile=" + log_dir + "\\UNINSTAL.EXE"});
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(exists(log_dir + "\\uninstal.exe"));
    EXPECT_EQ(outcome_of(log_dir + "\\UNINSTAL.EXE"), OUT_LEFT);
}

TEST_F(RemovalTest, NoMeansNothingIsTouched)
{
    std::vector<std::string> entries = install();
    write_log(entries);
    std::string before = read_file(log_path);
    questions.confirm = false;
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(why, OPEN_OK);
    EXPECT_TRUE(exists(app + "\\foo.exe") && exists(root + "Menu\\Foo.lnk"));
    EXPECT_EQ(read_file(log_path), before);
    // The log is free again.
    REMOVAL_PLAN next;
    EXPECT_EQ(next.open(log_path.c_str()), OPEN_OK);
}

// A log that needs a key this uninstaller does not know came from a newer
// setup: removing the lines it understands would leave the rest wrong.
TEST_F(RemovalTest, ALogOfANewerSetupIsLeftWhole)
{
    std::vector<std::string> entries = install();
    entries.insert(entries.begin() + 2, "Needs=RegKey");
    entries.push_back("RegKey=HKLM\\Software\\Foo");
    write_log(entries);
    std::string before = read_file(log_path);
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(why, OPEN_NEWER_FORMAT);
    EXPECT_EQ(questions.confirmed_title, ""); // not even asked
    EXPECT_TRUE(exists(app + "\\foo.exe") && exists(app + "\\sub\\data.txt") && exists(root + "Menu\\Foo.lnk"));
    EXPECT_EQ(read_file(log_path), before);
    char text[512];
    open_error_message(log_path.c_str(), why, text, sizeof text);
    EXPECT_EQ(std::string(text), "This setup log was written by a newer setup; use the uninstaller that came with "
                                 "it.\n\n     " +
                                     log_path + "\n\nNothing has been removed.");
    // A need this uninstaller knows is no obstacle.
    entries[2] = "Needs=MkFile";
    write_log(entries);
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(exists(app));
}

TEST_F(RemovalTest, OneUninstallerAtATimeAndAMissingLog)
{
    write_log({});
    REMOVAL_PLAN first;
    ASSERT_EQ(first.open(log_path.c_str()), OPEN_OK);
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(why, OPEN_IN_USE);
    first.close();
    EXPECT_EQ(run(), 0);
    REMOVAL_PLAN second;
    EXPECT_EQ(run_removal(second, log_path.c_str(), context, questions, why), 2);
    EXPECT_EQ(why, OPEN_MISSING);
    char text[512];
    open_error_message(log_path.c_str(), why, text, sizeof text);
    EXPECT_EQ(std::string(text), "The setup log\n\n     " + log_path +
                                     "\n\ncould not be opened: it does not exist.\n\nNothing has been removed.");
}

// What the command window of "uninstal.bat" holds is left to a later pass.
TEST_F(RemovalTest, WhatTheCommandWindowHoldsIsDeferredToALaterPass)
{
    write_log(install());
    context.started_by_shell = true;
    std::strcpy(context.start_dir, app.c_str());
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(outcome_of(app + "\\uninstal.bat"), OUT_DEFERRED);
    EXPECT_EQ(outcome_of(app), OUT_DEFERRED);
    EXPECT_EQ(outcome_of(app + "\\sub"), OUT_REMOVED);
    EXPECT_EQ(outcome_of(root + "Menu"), OUT_REMOVED);
    EXPECT_TRUE(exists(app + "\\uninstal.bat"));
    EXPECT_TRUE(plan.log_rewritten);
    char text[2048];
    closing_message(plan, text, sizeof text);
    EXPECT_EQ(std::string(text), "The Foo application has been removed from your computer.\n\nStill in use by the "
                                 "command window, and removed as soon as it closes:\n     " +
                                     app + "\\uninstal.bat\n     " + app);

    // The later pass, started by the uninstaller itself, finishes.
    context.started_by_shell = false;
    REMOVAL_PLAN later;
    SILENT_ANSWERS silent;
    EXPECT_EQ(run_removal(later, log_path.c_str(), context, silent, why), 0);
    EXPECT_FALSE(exists(app));
    EXPECT_FALSE(exists(log_path));
}

TEST_F(RemovalTest, ADeferredFolderWithMoreInsideIsReportedAtOnce)
{
    write_log(install());
    write_file(app + "\\mine.txt", "the user's own");
    context.started_by_shell = true;
    std::strcpy(context.start_dir, (app + "\\sub").c_str());
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(outcome_of(app + "\\sub"), OUT_DEFERRED); // empty but for being the current directory
    EXPECT_EQ(outcome_of(app + "\\uninstal.bat"), OUT_DEFERRED);
    EXPECT_EQ(outcome_of(app), OUT_NOT_EMPTY);
}

// Removals that fail: reported, scheduled for restart where possible, and
// the file keeps its read-only attribute when it stays.
TEST_F(RemovalTest, FailedRemovalsAreReportedAndScheduled)
{
    testenv::make_dir(app);
    for (const char *f : {"\\a.txt", "\\b.txt", "\\c.txt"})
        write_file(app + f, "x");
    plat_set_attributes((app + "\\c.txt").c_str(), PLAT_ATTR_READONLY);
    write_log({"MkDir=" + app, "MkFile=" + app + "\\a.txt", "MkFile=" + app + "\\b.txt", "MkFile=" + app + "\\c.txt"});
    plat_test_fail_delete(1, PLAT_IN_USE); // c.txt, the first in reverse order
    plat_test_fail_remove_dir(1, PLAT_ACCESS_DENIED);
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(outcome_of(app + "\\c.txt"), OUT_IN_USE);
    EXPECT_EQ(outcome_of(app), OUT_ACCESS_DENIED);
    EXPECT_EQ(outcome_of(app + "\\a.txt"), OUT_REMOVED);
    ASSERT_EQ(plat_test_scheduled_count(), 2);
    EXPECT_EQ(plat_test_scheduled(0), app + "\\c.txt");
    EXPECT_EQ(plat_test_scheduled(1), app);
    char text[2048];
    closing_message(plan, text, sizeof text);
    EXPECT_NE(std::string(text).find(app + "\\c.txt  (in use, removed at the next restart)"), std::string::npos)
        << text;

    // Without the rights to schedule, a read-only file that stays keeps its attribute.
    plat_test_reset();
    plat_test_fail_schedule(1, PLAT_FAIL_FROM_NOW_ON);
    plat_set_attributes((app + "\\c.txt").c_str(), PLAT_ATTR_READONLY);
    plat_test_fail_delete(1, PLAT_ACCESS_DENIED);
    REMOVAL_PLAN again;
    EXPECT_EQ(run_removal(again, log_path.c_str(), context, questions, why), 1);
    EXPECT_FALSE(again.items[0].at_restart);
    EXPECT_EQ(again.items[0].outcome, OUT_ACCESS_DENIED);
    EXPECT_TRUE(plat_get_attributes((app + "\\c.txt").c_str()) & PLAT_ATTR_READONLY);
}

// The old log stays as it was until its rewrite is whole, whatever step of
// the rewrite fails: the replace, or any of its writes on a full disk.
TEST_F(RemovalTest, ALogThatCannotBeRewrittenStaysAsItWas)
{
    testenv::make_dir(app);
    write_file(app + "\\mine.txt", "x"); // keeps the folder, so the log is rewritten
    write_log({"MkDir=" + app, "Other=kept as it is"});
    const std::string before = read_file(log_path);
    plat_test_reset(); // counts from here
    REMOVAL_PLAN counting;
    run_removal(counting, log_path.c_str(), context, questions, why);
    const int writes = plat_test_calls(PLAT_CALL_WRITE);
    ASSERT_GT(writes, 1) << "the rewrite does not write through the seam";
    // Step 0 refuses the replace; then each write fails, or loses its bytes.
    for (int step = 0; step <= 2 * writes; ++step) {
        SCOPED_TRACE(step);
        write_file(log_path, before);
        plat_test_reset();
        if (step == 0)
            plat_test_fail_replace(1, PLAT_ACCESS_DENIED);
        else
            plat_test_fail_write((step + 1) / 2, step % 2 ? PLAT_WRITE_FAILS : PLAT_WRITE_LOSES_BYTES);
        REMOVAL_PLAN failing;
        EXPECT_EQ(run_removal(failing, log_path.c_str(), context, questions, why), UNINSTALL_SOME_LEFT);
        EXPECT_FALSE(failing.log_rewritten);
        EXPECT_EQ(failing.log_problem, step == 0 ? PLAT_ACCESS_DENIED : PLAT_FAILED);
        EXPECT_EQ(read_file(log_path), before);
        EXPECT_FALSE(exists(log_path + ".tmp"));
        char text[2048];
        closing_message(failing, text, sizeof text);
        const char *told = step == 0 ? "could not be updated: access denied." : "could not be updated";
        EXPECT_NE(std::string(text).find(told), std::string::npos) << text;
    }
}

TEST_F(RemovalTest, TheClosingListIsBounded)
{
    std::vector<std::string> entries;
    for (int i = 0; i < MESSAGE_LIST_LIMIT + 3; ++i)
        entries.push_back("MkFile=rel" + std::to_string(i) + ".txt");
    write_log(entries);
    EXPECT_EQ(run(), 1);
    char text[4096];
    closing_message(plan, text, sizeof text);
    std::string shown = text;
    EXPECT_EQ(shown.rfind("The Foo application has been removed, except for these items:\n     MkFile=rel12.txt  "
                          "(skipped as unsafe: no full path)\n",
                          0),
              0u)
        << shown;
    EXPECT_NE(shown.find("rel3.txt"), std::string::npos);
    EXPECT_EQ(shown.find("rel2.txt"), std::string::npos);
    EXPECT_NE(shown.find("\n     ... and 3 more\n\nThe setup log "), std::string::npos) << shown;
    // A buffer too small is cut, never overrun.
    char small[40];
    std::memset(small, 'z', sizeof small);
    closing_message(plan, small, 32);
    EXPECT_EQ(std::strlen(small), 31u);
    EXPECT_EQ(small[39], 'z');
}

// A folder or file of the installation that someone replaced by a link (to
// a folder of the system, say) would take the removal there: every entry on
// or below the link is skipped as unsafe, the link stays, and what it points
// at stays whole. Entries beside it go as usual.
TEST_F(RemovalTest, NothingIsRemovedThroughALink)
{
    if (!testenv::make_link(root + "probe", win, true))
        GTEST_SKIP() << "no symbolic links that the seam sees here";
    const struct {
        const char *link; // below root: made a link to root\Victim (or the file of that name there)
        bool directory;
        std::vector<std::string> unsafe; // below root
    } cases[] = {
        {"Foo\\sub", true, {"Foo\\sub\\data.txt", "Foo\\sub"}},
        {"Foo", true, {"Foo\\sub\\data.txt", "Foo\\sub", "Foo\\foo.exe", "Foo\\uninstal.bat", "Foo"}},
        {"Menu", true, {"Menu\\Foo.lnk", "Menu"}},
        {"Foo\\foo.exe", false, {"Foo\\foo.exe"}},
    };
    const char *const victims[] = {"\\foo.exe", "\\uninstal.bat", "\\data.txt", "\\Foo.lnk", "\\sub\\data.txt"};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        SetUp(); // a scene of its own
        std::vector<std::string> entries = install();
        std::string victim = root + "Victim";
        testenv::make_dir(victim);
        testenv::make_dir(victim + "\\sub");
        for (const char *f : victims)
            write_file(victim + f, "the system's");
        std::string link = root + c.link;
        ASSERT_EQ(plat_replace_file(link.c_str(), (link + ".moved").c_str()), PLAT_DONE);
        ASSERT_TRUE(testenv::make_link(link, c.directory ? victim : victim + "\\foo.exe", c.directory));
        write_log(entries);

        REMOVAL_PLAN each;
        EXPECT_EQ(run_removal(each, log_path.c_str(), context, questions, why), 1);
        for (int32_t i = 0; i < each.count; ++i) {
            std::string path = each.path_of(i);
            bool expected = false;
            for (const std::string &u : c.unsafe)
                expected = expected || path == root + u;
            EXPECT_EQ(each.items[i].outcome == OUT_UNSAFE, expected) << path;
            if (expected) {
                EXPECT_EQ(each.items[i].check, ENTRY_LINK) << path;
            }
        }
        for (const char *f : victims)
            EXPECT_EQ(read_file(victim + f), "the system's") << f;
        EXPECT_TRUE(plat_get_attributes(link.c_str()) & PLAT_ATTR_REPARSE_POINT);
        char text[4096];
        closing_message(each, text, sizeof text);
        EXPECT_NE(std::strstr(text, ("=" + link + "  (skipped as unsafe: a junction or symbolic link)").c_str()),
                  nullptr)
            << text;
    }
}

// The Apps & Features entry goes only when nothing is left that running
// the uninstaller again could remove, and only when it is this log's:
// directly below the Uninstall key, naming this log, without keys below it.
TEST_F(RemovalTest, TheEntryGoesOnlyWhenItIsOursAndNoRerunCouldRemoveMore)
{
    const std::string key = "SetupLog Foo.log";
    const std::string ours = "\"" + log_dir + "\\uninstal.exe\" \"" + log_path + "\"";
    const auto make_key = [&key](const std::string &command) {
        plat_reg_create_key(key.c_str(), nullptr);
        if (!command.empty())
            plat_reg_set_string(key.c_str(), "UninstallString", command.c_str());
    };
    const struct {
        const char *what;
        std::function<void()> arrange; // the key and what goes wrong
        std::string line;              // the MkReg value
        int status;
        PLAN_OUTCOME outcome;
        ENTRY_CHECK check;
        bool key_stays;
    } rows[] = {
        {"everything removed", [&] { make_key(ours); }, key, UNINSTALL_DONE, OUT_REMOVED, ENTRY_SAFE, false},
        {"a file in use: a rerun may remove it", [&] { make_key(ours), plat_test_fail_delete(1, PLAT_IN_USE); }, key,
         UNINSTALL_SOME_LEFT, OUT_LEFT, ENTRY_SAFE, true},
        {"a failure: a rerun may remove it", [&] { make_key(ours), plat_test_fail_remove_dir(1, PLAT_FAILED); }, key,
         UNINSTALL_SOME_LEFT, OUT_LEFT, ENTRY_SAFE, true},
        {"a shared file kept: stays whatever happens", [&] { make_key(ours), questions.answers = {SHARED_KEEP}; }, key,
         UNINSTALL_SOME_LEFT, OUT_REMOVED, ENTRY_SAFE, false},
        {"a folder holding the user's file", [&] { make_key(ours), write_file(app + "\\mine.txt", "mine"); }, key,
         UNINSTALL_SOME_LEFT, OUT_REMOVED, ENTRY_SAFE, false},
        {"gone already", [] {}, key, UNINSTALL_DONE, OUT_MISSING, ENTRY_SAFE, false},
        {"empty, as a setup stopped after making it", [&] { make_key(""); }, key, UNINSTALL_DONE, OUT_REMOVED,
         ENTRY_SAFE, false},
        {"another installation's", [&] { make_key("\"C:\\x\\uninstal.exe\" \"C:\\x\\Foo.log\""); }, key,
         UNINSTALL_SOME_LEFT, OUT_UNSAFE, ENTRY_KEY_NOT_OURS, true},
        {"one with a key below it", [&] { make_key(ours), plat_reg_create_key((key + "\\Sub").c_str(), nullptr); }, key,
         UNINSTALL_SOME_LEFT, OUT_UNSAFE, ENTRY_KEY_HAS_SUBKEYS, true},
        {"a key deeper down", [&] { make_key(ours), plat_reg_create_key((key + "\\Sub").c_str(), nullptr); },
         key + "\\Sub", UNINSTALL_SOME_LEFT, OUT_UNSAFE, ENTRY_BAD_NAME, true},
        {"the registry refuses the removal", [&] { make_key(ours), plat_test_fail_registry(3); }, key,
         UNINSTALL_SOME_LEFT, OUT_ACCESS_DENIED, ENTRY_SAFE, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        plat_reg_delete_key((key + "\\Sub").c_str());
        plat_reg_delete_key(key.c_str());
        plat_delete_file((app + "\\mine.txt").c_str());
        std::vector<std::string> entries = install();
        entries.push_back("MkFile=" + win + "\\foo.ini");
        write_file(win + "\\foo.ini", "shared");
        entries.push_back("Needs=MkReg");
        entries.push_back("MkReg=" + row.line);
        write_log(entries);
        questions.answers = {SHARED_REMOVE};
        row.arrange();
        EXPECT_EQ(run(), row.status);
        plat_test_reset();
        ASSERT_EQ(plan.items[0].action, row.check == ENTRY_BAD_NAME ? PLAN_SKIP_UNSAFE : PLAN_REMOVE_ENTRY);
        EXPECT_EQ(plan.items[0].outcome, row.outcome);
        EXPECT_EQ(plan.items[0].check, row.check);
        uint32_t values = 0;
        EXPECT_EQ(plat_reg_count(row.line.c_str(), &values, nullptr) == PLAT_DONE, row.key_stays);
        // A log that stays names the entry exactly while it stays.
        std::string left = read_file(log_path);
        bool names = left.find("MkReg=" + row.line + "\r\n") != std::string::npos;
        EXPECT_EQ(names, row.key_stays);
        // Without it, no "Needs=MkReg" keeps an older uninstaller from the rest.
        EXPECT_EQ(left.find("Needs=MkReg\r\n") != std::string::npos, row.key_stays);
        EXPECT_EQ(left == "<missing>", row.status == UNINSTALL_DONE);
        plat_delete_file(log_path.c_str());
        questions.answers.clear();
    }
    plat_reg_delete_key((key + "\\Sub").c_str());
    plat_reg_delete_key(key.c_str());
#ifndef _WIN32
    // The log named by its short form on one side (uninstal.bat gives that
    // for a title the OEM code page cannot hold): the same log all the same.
    const std::string short_log = log_dir + "\\FOO~1.LOG";
    plat_test_set_short_name(log_path.c_str(), short_log.c_str());
    std::vector<std::string> entries = install();
    entries.push_back("Needs=MkReg");
    entries.push_back("MkReg=" + key);
    write_log(entries);
    make_key("\"" + log_dir + "\\uninstal.exe\" \"" + short_log + "\"");
    EXPECT_EQ(run(), UNINSTALL_DONE);
    EXPECT_EQ(plan.items[0].check, ENTRY_SAFE);
    EXPECT_NE(plat_reg_count(key.c_str(), nullptr, nullptr), PLAT_DONE);
    plat_test_set_short_name(nullptr, nullptr);
    plat_reg_delete_key(key.c_str());
#endif
}

// An Earlier line puts the kept version back once ours is gone, whatever
// the moment setup stopped, and never from outside the area beside the log.
TEST_F(RemovalTest, EarlierVersionsComeBackWhereOursGo)
{
    const struct {
        const char *name;
        bool in_system;   // in the system directory: a shared file
        bool kept;        // the earlier version is in the area
        bool part;        // half a copy into the area
        const char *dest; // what is at the file's place; null: nothing
        bool logged;      // an MkFile line names ours
        bool in_use;      // ours cannot go
        bool elsewhere;   // the log names a kept version outside the area
        PLAN_OUTCOME outcome;
        const char *dest_after;
        int status;
    } rows[] = {
        {"replaced", false, true, false, "ours", true, false, false, OUT_RESTORED, "earlier", 0},
        {"shared file, not asked", true, true, false, "ours", true, false, false, OUT_RESTORED, "earlier", 0},
        {"stopped before the move", false, false, false, "earlier", false, false, false, OUT_MISSING, "earlier", 0},
        {"stopped before our copy", false, true, false, nullptr, false, false, false, OUT_RESTORED, "earlier", 0},
        {"stopped during our copy", false, true, false, "ou", false, false, false, OUT_RESTORED, "earlier", 0},
        {"half a copy into the area", false, false, true, "earlier", false, false, false, OUT_MISSING, "earlier", 0},
        {"ours in use", false, true, false, "ours", true, true, false, OUT_NOT_RESTORED, "ours", 1},
        {"kept elsewhere", false, true, false, "ours", true, false, true, OUT_UNSAFE, nullptr, 1},
        {"put beside the logs", false, true, false, "ours", true, false, false, OUT_UNSAFE, "ours", 1},
    };
    const std::string area = log_path + ".old";
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        plat_test_reset();
        const bool beside_logs = !std::strcmp(row.name, "put beside the logs");
        const std::string dest = (beside_logs ? log_dir : row.in_system ? win + "\\system32" : app) + "\\a.ini";
        const std::string kept_dir = row.elsewhere ? root + "elsewhere" : area;
        const std::string kept = kept_dir + "\\1-a.ini";
        testenv::make_dir(app);
        testenv::make_dir(kept_dir);
        if (row.kept) {
            write_file(kept, "earlier");
            ASSERT_TRUE(plat_set_attributes(kept.c_str(), PLAT_ATTR_READONLY));
        }
        if (row.part)
            write_file(kept + ".part", "ear");
        if (row.dest)
            write_file(dest, row.dest);
        std::vector<std::string> entries = {"MkDir=" + area, "Needs=Earlier", "Earlier=" + dest + "|" + kept};
        if (row.logged)
            entries.push_back("MkFile=" + dest);
        write_log(entries);
        if (row.in_use)
            plat_test_fail_delete(1, PLAT_IN_USE);
        REMOVAL_PLAN fresh;
        SCRIPTED_ANSWERS answers;
        EXPECT_EQ(run_removal(fresh, log_path.c_str(), context, answers, why), row.status);
        EXPECT_EQ(answers.asked.empty(), !beside_logs); // a shared file, and nothing comes back
        PLAN_OUTCOME restored = OUT_PENDING;
        for (int32_t i = 0; i < fresh.count; ++i)
            if (fresh.log.lines[fresh.items[i].line].key == KEY_EARLIER)
                restored = fresh.items[i].outcome;
        EXPECT_EQ(restored, row.outcome);
        EXPECT_EQ(read_file(dest), row.dest_after ? row.dest_after : "<missing>");
        EXPECT_FALSE(exists(kept + ".part"));
        if (row.outcome == OUT_RESTORED) { // with its attributes, and out of the area, which goes
            EXPECT_EQ(plat_get_attributes(dest.c_str()) & PLAT_ATTR_READONLY, PLAT_ATTR_READONLY);
        }
        EXPECT_EQ(exists(kept), row.outcome == OUT_NOT_RESTORED || row.outcome == OUT_UNSAFE);
        EXPECT_EQ(exists(area), row.status != 0 && !row.elsewhere);
        // What waits stays named, with the line that keeps older uninstallers off.
        std::string left = read_file(log_path);
        EXPECT_EQ(left.find("Earlier=" + dest) != std::string::npos, row.status != 0);
        EXPECT_EQ(left.find("Needs=Earlier") != std::string::npos, row.status != 0);
        char text[2048];
        closing_message(fresh, text, sizeof text);
        EXPECT_EQ(std::string(text).find("Put back as they were before the setup:\n     " + dest) != std::string::npos,
                  row.outcome == OUT_RESTORED)
            << text;
        // Clear the ground for the next row.
        for (const std::string &file : {dest, kept, log_path})
            if (exists(file)) {
                plat_set_attributes(file.c_str(), 0);
                plat_delete_file(file.c_str());
            }
        for (const std::string &dir : {area, root + "elsewhere", app})
            plat_remove_dir(dir.c_str());
    }
}
