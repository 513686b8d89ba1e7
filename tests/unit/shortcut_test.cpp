// The shortcut to the installed program: its folder, its file, what it says,
// what the log records, and how the link object is driven and released.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "platform/shell_link.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/shortcut_reader.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <objbase.h>
#endif

using testenv::write_file;

class ShortcutTest : public LinkJobTest {
protected:
    std::string app; // the install directory
    std::string log;

    void SetUp() override
    {
        LinkJobTest::SetUp();
        app = root + "app\\";
        ASSERT_TRUE(testenv::make_dir(app));
        write_file(app + "foo.exe", "MZ program");
        job.set_apptitle("Foo");
        job.set_installpath(app.c_str());
        job.set_exename("foo.exe");
        log = open_log_at(root);
    }

    std::vector<std::string> log_lines()
    {
        job.close_log();
        return text_lines(log);
    }

    void expect_shortcut(const std::string &path, const std::string &target, const std::string &description,
                         const std::string &working_dir)
    {
        LnkFields fields;
        std::string error;
        ASSERT_TRUE(read_shortcut(path, fields, error)) << error;
        EXPECT_EQ(fields.local_path, target);
        EXPECT_EQ(fields.description, description);
        EXPECT_EQ(fields.working_dir, working_dir);
    }
};

TEST_F(ShortcutTest, ShortcutIsMadeInANewFolderAndLoggedLast)
{
    ASSERT_TRUE(testenv::make_dir(root + "Menu"));
    const std::string folder = root + "Menu\\Programs\\Tools";
    err_code = ERR_NONE;
    ASSERT_TRUE(job.create_shortcut(folder.c_str()));
    EXPECT_EQ(err_code, ERR_NONE);
    expect_shortcut(folder + "\\Foo.lnk", app + "foo.exe", "Foo", app);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "Menu\\Programs", "MkDir=" + folder,
                                                     "MkFile=" + folder + "\\Foo.lnk"}));
}

// A file of the shortcut's name that is there already (the user's own link,
// or another installation's) is kept as it is and never logged.
TEST_F(ShortcutTest, FileOfTheShortcutsNameIsKeptAndNotLogged)
{
    const std::string folder = root + "Programs\\Foo";
    ASSERT_TRUE(testenv::make_dir(root + "Programs"));
    ASSERT_TRUE(testenv::make_dir(folder));
    write_file(folder + "\\Foo.lnk", "the user's own link");
    err_code = ERR_NONE;
    ASSERT_TRUE(job.create_shortcut(folder.c_str()));
    EXPECT_TRUE(job.link_kept);
    EXPECT_EQ(testenv::read_file(folder + "\\Foo.lnk"), "the user's own link");
    EXPECT_EQ(log_lines(), std::vector<std::string>{});
}

TEST_F(ShortcutTest, FolderEndingInABackslashGetsNoSecondOne)
{
    ASSERT_TRUE(job.create_shortcut(root.c_str()));
    EXPECT_TRUE(file_exists((root + "Foo.lnk").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkFile=" + root + "Foo.lnk"});
}

TEST_F(ShortcutTest, UntitledJobWithoutProgramPointsAtTheInstallDirectory)
{
    job.set_apptitle(nullptr);
    job.set_exename(nullptr);
    ASSERT_TRUE(job.create_shortcut(root.c_str()));
    expect_shortcut(root + "Unknown.lnk", app, "Unknown", app);
}

TEST_F(ShortcutTest, JobWithoutInstallPathPointsAtTheDefault)
{
    job.set_installpath(nullptr);
    ASSERT_TRUE(job.create_shortcut(root.c_str()));
    expect_shortcut(root + "Foo.lnk", "c:\\foo.exe", "Foo", "c:\\");
}

// The title names the file and describes the shortcut; both go through the
// ANSI code page and back.
TEST_F(ShortcutTest, TitleOutsideAsciiSurvivesTheCodePage)
{
    job.set_apptitle("Caf\xe9 \x80");
    ASSERT_TRUE(job.create_shortcut(root.c_str()));
    const std::string path = root + "Caf\xe9 \x80.lnk";
    EXPECT_TRUE(file_exists(path.c_str()));
#ifdef _WIN32
    expect_shortcut(path, app + "foo.exe", "Caf\xe9 \x80", app);
#else
    expect_shortcut(path, app + "foo.exe", "Caf\xc3\xa9 \xe2\x82\xac", app); // lnkinfo prints UTF-8
#endif
}

// The file takes the title's file name; the description keeps the title.
TEST_F(ShortcutTest, TitleNamesTheFileAsAFileNameAndDescribesItAsWritten)
{
    job.set_apptitle("AC/DC: Foo\\Bar?");
    ASSERT_TRUE(job.create_shortcut((root + "Menu").c_str()));
    const std::string path = root + "Menu\\AC_DC_ Foo_Bar_.lnk";
    expect_shortcut(path, app + "foo.exe", "AC/DC: Foo\\Bar?", app);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "Menu", "MkFile=" + path}));
}

// ---- failures ----

TEST_F(ShortcutTest, MissingFolderIsRefusedBeforeAnyLinkObject)
{
    for (const char *folder : {(const char *)nullptr, ""}) {
        EXPECT_FAILS_WITH(job.create_shortcut(folder), ERR_NULL_POINTER);
    }
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(ShortcutTest, FolderThatCannotBeMadeGivesTheTreesCode)
{
    write_file(root + "Blocked", "a file in the way");
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Blocked\\Tools").c_str()), ERR_CREATE_DIR);
#ifdef _WIN32
    // A name Windows does not allow stops the tree after its first directory.
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu\\bad|name").c_str()), ERR_CREATE_DIR);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
#else
    EXPECT_TRUE(log_lines().empty());
#endif
}

// A directory that holds the shortcut's name makes the real save fail too;
// the log must not name what this setup did not make.
TEST_F(ShortcutTest, FailedSaveIsReportedAndNotLogged)
{
    ASSERT_TRUE(testenv::make_dir(root + "Foo.lnk"));
    EXPECT_FAILS_WITH(job.create_shortcut(root.c_str()), ERR_SHORTCUT);
    EXPECT_TRUE(log_lines().empty());
}

#ifdef _WIN32
// Without COM the shell's link object cannot be made.
TEST_F(ShortcutTest, LinkObjectThatCannotBeMadeIsReported)
{
    CoUninitialize();
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    EXPECT_FALSE(file_exists((root + "Menu\\Foo.lnk").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
}
#endif

// ---- path lengths: refused whole, nothing made ----

TEST_F(ShortcutTest, ShortcutPathAtTheLimitIsMadeAndLongerIsRefused)
{
    const std::string folder = root + "Menu";
    // "<folder>\<title>.lnk" may have 259 characters.
    std::string title(259 - folder.size() - std::string("\\.lnk").size(), 't');
    job.set_apptitle(title.c_str());
    ASSERT_TRUE(job.create_shortcut(folder.c_str()));
    EXPECT_TRUE(file_exists((folder + "\\" + title + ".lnk").c_str()));

    job.set_apptitle((title + "u").c_str());
    const std::string other = root + "Mend"; // as long as the first folder
    EXPECT_FAILS_WITH(job.create_shortcut(other.c_str()), ERR_SHORTCUT);
    EXPECT_FALSE(dir_exists(other.c_str()));
}

TEST_F(ShortcutTest, OverlongFolderTitleOrTargetIsRefusedBeforeAnythingIsMade)
{
    const std::string long_folder = root + std::string(300, 'f');
    EXPECT_FAILS_WITH(job.create_shortcut(long_folder.c_str()), ERR_SHORTCUT);

    job.set_apptitle(std::string(400, 'T').c_str());
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);

    job.set_apptitle("Foo");
    job.set_exename(std::string(300, 'e').c_str());
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);

    job.set_exename("foo.exe");
    job.set_installpath((root + std::string(300, 'i')).c_str());
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);

    EXPECT_FALSE(dir_exists((root + "Menu").c_str()));
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(ShortcutTest, LinkWithOverlongPathIsRefusedWithoutErrorCode)
{
    err_code = ERR_NONE;
    EXPECT_FALSE(job.create_link((root + std::string(300, 'l') + ".lnk").c_str()));
    EXPECT_FALSE(job.create_link(nullptr));
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_TRUE(log_lines().empty());
}

// ---- the link object: call order and injected failures ----

namespace {
std::vector<std::string> calls;
std::string watched_log; // log file read at each release
void record_call(const char *call)
{
    std::string name = call;
    if (name == "release_persist" || name == "release_link")
        name += testenv::read_file(watched_log).find("MkFile=") == std::string::npos ? " (no MkFile yet)"
                                                                                     : " (MkFile logged)";
    calls.push_back(name);
}
} // namespace

class LinkObjectTest : public ShortcutTest {
protected:
    void SetUp() override
    {
        ShortcutTest::SetUp();
        calls.clear();
        watched_log = log;
        plat_test_set_link_observer(record_call);
    }
};

TEST_F(LinkObjectTest, CallsComeInOrderAndThePersistFacetGoesBeforeTheLogLine)
{
    ASSERT_TRUE(job.create_link((root + "Foo.lnk").c_str()));
    EXPECT_EQ(calls,
              (std::vector<std::string>{"create", "set_path", "set_description", "set_working_dir", "persist", "save",
                                        "release_persist (no MkFile yet)", "release_link (MkFile logged)"}));
}

TEST_F(LinkObjectTest, ObjectThatCannotBeMadeIsNotReleased)
{
    plat_test_fail_link_step(PLAT_LINK_CREATE);
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);
    EXPECT_EQ(calls, std::vector<std::string>{"create"});
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
}

TEST_F(LinkObjectTest, MissingPersistFacetSavesAndLogsNothing)
{
    plat_test_fail_link_step(PLAT_LINK_PERSIST);
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);
    EXPECT_EQ(calls, (std::vector<std::string>{"create", "set_path", "set_description", "set_working_dir", "persist",
                                               "release_link (no MkFile yet)"}));
    EXPECT_FALSE(file_exists((root + "Menu\\Foo.lnk").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
}

TEST_F(LinkObjectTest, FailedSaveStillReleasesBothAndLogsNoFile)
{
    plat_test_fail_link_step(PLAT_LINK_SAVE);
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu").c_str()), ERR_SHORTCUT);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"create", "set_path", "set_description", "set_working_dir", "persist", "save",
                                        "release_persist (no MkFile yet)", "release_link (no MkFile yet)"}));
    EXPECT_FALSE(file_exists((root + "Menu\\Foo.lnk").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
}

TEST_F(LinkObjectTest, RefusedFoldersMakeNoLinkObject)
{
    plat_test_fail_create_dir(2);
    EXPECT_FAILS_WITH(job.create_shortcut((root + "Menu\\Tools").c_str()), ERR_CREATE_DIR);
    EXPECT_FALSE(job.create_shortcut(""));
    EXPECT_FALSE(job.create_shortcut((root + std::string(300, 'f')).c_str()));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "Menu"});
}
