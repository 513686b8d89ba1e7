// File installation: destinations, the directory tree, the walk over the
// file list and the copy, with the seam's directory creation and copy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

using testenv::read_file;
using testenv::write_file;

class InstallTest : public JobTest {
protected:
    std::string app; // root + "app\", the install directory
    std::string log;

    void SetUp() override
    {
        JobTest::SetUp();
        app = root + "app\\";
        job.set_installpath(app.c_str());
        log = open_log_at(root);
    }

    // Adds an entry and puts the cursor on the last one, as the file loop would.
    void add_and_select(const char *line)
    {
        ASSERT_TRUE(job.add_file(line));
        job.cur_file = job.num_files - 1;
    }

    std::vector<std::string> log_lines()
    {
        job.close_log();
        return text_lines(log);
    }
};

// ---- dest_path ----

TEST_F(InstallTest, DestinationFollowsThePathType)
{
    const struct {
        const char *line;
        std::string expected;
    } cases[] = {
        {"a.txt", app + "a.txt"},
        {"b.txt,app_path", app + "b.txt"},
        {"c.ini,win_path", windows + "c.ini"},
        {"d.dll,winsys_path", system + "d.dll"},
        {"data\\e.dat,default_path", app + "data\\e.dat"},
    };
    for (const auto &c : cases) {
        add_and_select(c.line);
        char buffer[260];
        EXPECT_EQ(job.dest_path(buffer, sizeof buffer), (int32_t)c.expected.size()) << c.line;
        EXPECT_EQ(std::string(buffer), c.expected) << c.line;
    }
    // By index, wherever the cursor stands, and without moving it.
    job.cur_file = -1;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char buffer[260];
        EXPECT_EQ(job.dest_path_of((int32_t)i, buffer, sizeof buffer), (int32_t)cases[i].expected.size());
        EXPECT_EQ(std::string(buffer), cases[i].expected) << cases[i].line;
    }
    EXPECT_EQ(job.cur_file, -1);
    // A path type outside the three goes to the install directory too.
    job.files[0]->path_type = 7;
    job.cur_file = 0;
    char buffer[260];
    job.dest_path(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), app + "a.txt");
}

TEST_F(InstallTest, DestinationIsCutToTheBufferAndTellsItsWholeLength)
{
    add_and_select("readme.txt");
    std::string whole = app + "readme.txt";
    char buffer[12];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(job.dest_path(buffer, 10), (int32_t)whole.size());
    EXPECT_EQ(std::string(buffer), whole.substr(0, 9));
    EXPECT_EQ(buffer[10], 'x');

    // Nothing is written without a buffer or room.
    for (int32_t size : {0, -1, -100}) {
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(job.dest_path(buffer, size), (int32_t)whole.size());
        EXPECT_EQ(buffer[0], 'x') << size;
    }
    EXPECT_EQ(job.dest_path(nullptr, 10), (int32_t)whole.size());
}

TEST_F(InstallTest, DestinationIsEmptyWithoutEntryOrBaseDirectory)
{
    char buffer[260] = "old";
    EXPECT_EQ(job.dest_path(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");

    add_and_select("c.ini,windows_path");
    for (int32_t index : {-1, 1, 100}) {
        std::strcpy(buffer, "old");
        EXPECT_EQ(job.dest_path_of(index, buffer, sizeof buffer), 0) << index;
        EXPECT_STREQ(buffer, "") << index;
    }
    set_field(job.windows_dir, nullptr);
    std::strcpy(buffer, "old");
    EXPECT_EQ(job.dest_path(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

// ---- make_dir_tree ----

TEST_F(InstallTest, TreeIsMadeParentsFirstAndLoggedOnce)
{
    const std::string path = root + "apps\\foo\\";
    ASSERT_TRUE(job.make_dir_tree(path.c_str()));
    EXPECT_TRUE(dir_exists((root + "apps\\foo").c_str()));
    ASSERT_TRUE(job.make_dir_tree(path.c_str()));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "apps", "MkDir=" + root + "apps\\foo"}));
    EXPECT_EQ(path, root + "apps\\foo\\"); // the caller's text is untouched
}

TEST_F(InstallTest, DoubledSeparatorsAndRelativePathsMakeTheSameTree)
{
    ASSERT_TRUE(job.make_dir_tree((root + "apps\\\\foo\\").c_str()));
    EXPECT_TRUE(dir_exists((root + "apps\\foo").c_str()));
    // Relative to the current directory, the setup directory.
    ASSERT_TRUE(job.make_dir_tree("rel\\sub\\"));
    EXPECT_TRUE(dir_exists((source + "rel\\sub").c_str()));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "apps", "MkDir=" + root + "apps\\\\foo",
                                                     "MkDir=rel", "MkDir=rel\\sub"}));
}

TEST_F(InstallTest, DriveRootsCreateNothing)
{
    for (const char *path : {"c:", "C:\\", "\\\\\\"})
        EXPECT_TRUE(job.make_dir_tree(path)) << path;
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(InstallTest, TreeWithoutPathIsRefused)
{
    for (const char *path : {(const char *)nullptr, ""}) {
        EXPECT_FAILS_WITH(job.make_dir_tree(path), ERR_NULL_POINTER);
    }
}

// A file where a directory should be blocks it on any system.
TEST_F(InstallTest, BlockedDirectoryStopsTheTree)
{
    ASSERT_TRUE(testenv::make_dir(root + "apps"));
    write_file(root + "apps\\new", "a file");
    EXPECT_FAILS_WITH(job.make_dir_tree((root + "apps\\new\\deeper\\").c_str()), ERR_CREATE_DIR);
#ifdef _WIN32
    // A name Windows does not allow stops the tree after its first directory,
    // which stays, logged.
    EXPECT_FAILS_WITH(job.make_dir_tree((root + "apps\\made\\bad|name").c_str()), ERR_CREATE_DIR);
    EXPECT_TRUE(dir_exists((root + "apps\\made").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "apps\\made"});
#else
    EXPECT_TRUE(log_lines().empty());
#endif
}

TEST_F(InstallTest, InjectedDirectoryFailureStopsTheTree)
{
    plat_test_fail_create_dir(2);
    EXPECT_FAILS_WITH(job.make_dir_tree((root + "one\\two\\three").c_str()), ERR_CREATE_DIR);
    EXPECT_TRUE(dir_exists((root + "one").c_str()));
    EXPECT_FALSE(dir_exists((root + "one\\two").c_str()));
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkDir=" + root + "one"});
}

// ---- prepare_install ----

TEST_F(InstallTest, PrepareMakesTheInstallTreeAndStartsTheCursor)
{
    job.set_installpath((root + "apps\\foo").c_str());
    ASSERT_TRUE(job.add_file("a.txt"));
    ASSERT_TRUE(job.add_file("b.txt"));
    ASSERT_TRUE(job.prepare_install());
    EXPECT_EQ(job.cur_file, 0);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "apps", "MkDir=" + root + "apps\\foo"}));
}

TEST_F(InstallTest, PrepareWithEmptyListLeavesNothingToInstall)
{
    ASSERT_TRUE(job.prepare_install());
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_FALSE(job.more_files());
    EXPECT_TRUE(dir_exists(app.c_str()));
}

TEST_F(InstallTest, PrepareChecksTheWindowsAndSystemDirectories)
{
    ASSERT_TRUE(job.add_file("a.txt"));
    const std::string missing = root + "missing\\";
    const struct {
        const std::string *windows_dir, *system_dir;
        int32_t code;
    } cases[] = {{nullptr, &system, ERR_BAD_WINDOWS_PATH},
                 {&missing, &system, ERR_BAD_WINDOWS_PATH},
                 {&windows, nullptr, ERR_BAD_SYSTEM_PATH},
                 {&windows, &missing, ERR_BAD_SYSTEM_PATH}};
    for (const auto &c : cases) {
        set_field(job.windows_dir, c.windows_dir ? c.windows_dir->c_str() : nullptr);
        set_field(job.system_dir, c.system_dir ? c.system_dir->c_str() : nullptr);
        EXPECT_FAILS_WITH(job.prepare_install(), c.code);
        EXPECT_EQ(job.cur_file, -1);
        EXPECT_TRUE(dir_exists(app.c_str())); // the install tree comes first
    }
}

TEST_F(InstallTest, PrepareFailsWithTheTreesCode)
{
    ASSERT_TRUE(job.add_file("a.txt"));
    job.set_installpath("");
    EXPECT_FAILS_WITH(job.prepare_install(), ERR_NULL_POINTER);
    write_file(root + "blocked", "");
    job.set_installpath((root + "blocked\\app").c_str());
    EXPECT_FAILS_WITH(job.prepare_install(), ERR_CREATE_DIR);
    EXPECT_EQ(job.cur_file, -1);
}

// A relative install path would land below the setup directory, and "."
// would copy every file onto itself: refused before anything is made.
TEST_F(InstallTest, PrepareRefusesAnInstallPathThatIsNotFull)
{
    ASSERT_TRUE(job.add_file("a.txt"));
    for (const char *path : {"apps\\foo", ".", "\\apps", "C:apps"}) {
        job.set_installpath(path);
        EXPECT_FAILS_WITH(job.prepare_install(), ERR_INSTALL_PATH_NOT_FULL);
        EXPECT_EQ(job.cur_file, -1);
    }
    EXPECT_FALSE(dir_exists((source + "apps").c_str()));
    EXPECT_TRUE(log_lines().empty());
}

// Every path setup writes below the install directory must fit its buffer:
// uninstal.bat and the program 259 characters, a listed file 255. A
// directory that leaves no room for one of them is refused before anything
// is made, not made, logged and left without its batch file.
TEST_F(InstallTest, InstallPathLeavesRoomForEverythingBelowIt)
{
    const std::string name20 = "twenty-characters.tx"; // a listed file of 20 characters
    const std::string exe30 = "a-program-of-thirty-chars1.exe";
    const struct {
        size_t length; // of the install path, without its trailing backslash
        const char *file, *exename;
        bool usable;
    } cases[] = {
        {3, "a.txt", "", true},
        {246, "a.txt", "", true},
        {247, "a.txt", "", false},
        {248, "a.txt", "", false},
        {255, "a.txt", "", false},
        {259, "a.txt", "", false},
        {234, name20.c_str(), "", true},
        {235, name20.c_str(), "", false},
        {228, "a.txt", exe30.c_str(), true},
        {229, "a.txt", exe30.c_str(), false},
        // Files of the Windows directory do not count.
        {246, "a-name-far-longer-than-any-room-left-in-the-install-directory.txt,win_path", "", true},
    };
    for (const auto &c : cases) {
        std::string path = "C:\\";
        while (c.length - path.size() > 100)
            path += std::string(99, 'p') + "\\";
        path += std::string(c.length - path.size(), 'q');
        job.clear_job();
        job.set_installpath(path.c_str());
        job.set_exename(c.exename);
        ASSERT_TRUE(job.add_file(c.file));
        err_code = ERR_NONE;
        EXPECT_EQ(job.install_path_usable(), c.usable) << c.length << " " << c.file;
        EXPECT_EQ(err_code, c.usable ? ERR_NONE : ERR_INSTALL_PATH_TOO_LONG) << c.length;
    }
    // prepare_install asks the same, and makes nothing for a path refused.
    job.clear_job();
    job.set_installpath((app + std::string(250 - app.size(), 'x')).c_str());
    ASSERT_TRUE(job.add_file("a.txt"));
    EXPECT_FAILS_WITH(job.prepare_install(), ERR_INSTALL_PATH_TOO_LONG);
    EXPECT_FALSE(dir_exists(app.c_str()));
    EXPECT_TRUE(log_lines().empty());
}

// ---- install_file and copy_setup_file ----

TEST_F(InstallTest, NewFilesAreCopiedToTheirDirectoriesAndLogged)
{
    put_source("a.txt", "alpha");
    put_source("c.ini", "[c]\r\n");
    put_source("d.dll", std::string("MZ\0\x01\x02", 5));
    for (const char *line : {"a.txt", "c.ini,win_path", "d.dll,winsys_path"})
        ASSERT_TRUE(job.add_file(line));
    ASSERT_TRUE(job.prepare_install());
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(job.cur_file, i);
        ASSERT_TRUE(job.install_file()) << i;
    }
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_EQ(read_file(app + "a.txt"), "alpha");
    EXPECT_EQ(read_file(windows + "c.ini"), "[c]\r\n");
    EXPECT_EQ(read_file(system + "d.dll"), std::string("MZ\0\x01\x02", 5));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + root + "app", "MkFile=" + app + "a.txt",
                                                     "MkFile=" + windows + "c.ini", "MkFile=" + system + "d.dll"}));
}

TEST_F(InstallTest, NoCurrentEntryIsNothingToInstallButNothingToCopy)
{
    err_code = ERR_NONE;
    EXPECT_TRUE(job.install_file());
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_FALSE(job.copy_setup_file(nullptr));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
}

// Only a file with the same bytes is left alone and counts as installed; one
// of the same size with other bytes is another version, also when they
// differ only past the first block read or in the very last byte.
TEST_F(InstallTest, EqualSizedFileIsKeptOnlyWithTheSameBytes)
{
    const std::string block(16384, 'x');
    const std::string two_blocks = block + block;
    struct Case {
        const char *name;
        std::string source, installed;
        bool kept;
    } cases[] = {
        {"same.txt", "same", "same", true},
        {"empty.txt", "", "", true},
        {"other.txt", "new!", "old!", false},
        {"whole.bin", two_blocks, two_blocks, true},
        {"block.bin", block, block, true},
        {"late.bin", two_blocks + "a", two_blocks + "b", false},
        {"second.bin", two_blocks, block + "y" + block.substr(1), false},
    };
    ASSERT_TRUE(testenv::make_dir(app));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        put_source(c.name, c.source);
        write_file(app + c.name, c.installed);
        add_and_select(c.name);
        if (c.kept) {
            EXPECT_TRUE(job.install_file());
            EXPECT_EQ(job.cur_file, -1);
        } else {
            EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
        }
        EXPECT_EQ(read_file(app + c.name), c.installed);
    }
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(InstallTest, DifferentSizedFileIsReportedThenOverwrittenOnRequest)
{
    ASSERT_TRUE(testenv::make_dir(app));
    put_source("a.txt", "new");
    write_file(app + "a.txt", "an older, longer text");
    add_and_select("a.txt");
    EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
    EXPECT_EQ(job.cur_file, 0);
    EXPECT_EQ(read_file(app + "a.txt"), "an older, longer text");

    ASSERT_TRUE(job.copy_setup_file(nullptr));
    EXPECT_EQ(job.cur_file, 0); // the caller moves on
    EXPECT_EQ(read_file(app + "a.txt"), "new");
    // The earlier version kept beside the log, and named before it moved.
    EXPECT_EQ(read_file(log + ".old\\1-a.txt"), "an older, longer text");
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"MkDir=" + log + ".old", "Needs=Earlier",
                                                     "Earlier=" + app + "a.txt|" + log + ".old\\1-a.txt",
                                                     "MkFile=" + app + "a.txt"}));
}

// A file at the destination that cannot be opened (in use, unreadable) is
// there all the same: asked about, never overwritten unasked.
TEST_F(InstallTest, DestinationThatCannotBeOpenedIsStillAnotherVersion)
{
    ASSERT_TRUE(testenv::make_dir(app));
    put_source("a.txt", "new");
    write_file(app + "a.txt", "an older, longer text");
    add_and_select("a.txt");
    plat_test_fail_open(1, PLAT_FAIL_FROM_NOW_ON);
    EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
    plat_test_reset();
    EXPECT_EQ(read_file(app + "a.txt"), "an older, longer text");
    EXPECT_EQ(log_lines(), std::vector<std::string>{});
}

TEST_F(InstallTest, MissingSourceIsReportedAndCannotBeCopied)
{
    ASSERT_TRUE(testenv::make_dir(app));
    write_file(app + "there.txt", "installed earlier");
    add_and_select("there.txt");
    EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION); // -1 against a real size
    EXPECT_FALSE(job.copy_setup_file(nullptr));
    EXPECT_EQ(err_code, ERR_COPY_FAILED);
    EXPECT_EQ(read_file(app + "there.txt"), "installed earlier");

    add_and_select("nowhere.txt");
    EXPECT_FAILS_WITH(job.install_file(), ERR_COPY_FAILED);
    EXPECT_EQ(job.cur_file, 1);
    EXPECT_FALSE(file_exists((app + "nowhere.txt").c_str()));
    EXPECT_TRUE(log_lines().empty());
}

// Setup makes no folder inside the system's own directories.
TEST_F(InstallTest, NameWithMissingSubdirectoryOfTheWindowsDirectoryCannotBeCopied)
{
    ASSERT_TRUE(testenv::make_dir(source + "data"));
    put_source("data\\a.dat", "data");
    for (const char *line : {"data\\a.dat,win_path", "data\\a.dat,winsys_path"}) {
        add_and_select(line);
        EXPECT_FAILS_WITH(job.install_file(), ERR_COPY_FAILED);
    }
    EXPECT_FALSE(dir_exists((windows + "data").c_str()));
    EXPECT_FALSE(dir_exists((system + "data").c_str()));
    EXPECT_TRUE(log_lines().empty());
}

// A folder longer than Windows creates is refused before anything is made:
// by prepare_install for the whole list, by install_file for its entry.
TEST_F(InstallTest, FolderTooLongForWindowsIsRefusedBeforeAnythingIsMade)
{
    // The install path and "sub" make a folder of 248 characters.
    const std::string base = root + "p";
    const std::string path = base + std::string(248 - 4 - base.size(), 'p') + "\\";
    job.set_installpath(path.c_str());
    ASSERT_TRUE(job.add_file("sub\\a.txt"));
    EXPECT_FALSE(job.entry_fits(0));
    EXPECT_FAILS_WITH(job.prepare_install(), ERR_STRING_BOUNDS);
    EXPECT_EQ(job.cur_file, -1);
    job.cur_file = 0;
    EXPECT_FAILS_WITH(job.install_file(), ERR_STRING_BOUNDS);
    EXPECT_FAILS_WITH(job.copy_setup_file(nullptr), ERR_STRING_BOUNDS);
    EXPECT_FALSE(dir_exists(path.c_str()));
    EXPECT_TRUE(log_lines().empty());
    // One character less fits, and a file beside the folder needs none.
    job.set_installpath((path.substr(0, path.size() - 2) + "\\").c_str());
    EXPECT_TRUE(job.entry_fits(0));
    job.set_installpath(path.c_str());
    ASSERT_TRUE(job.add_file(std::string(255 - path.size(), 'f').c_str()));
    EXPECT_TRUE(job.entry_fits(1));
}

TEST_F(InstallTest, CopyToAGivenDestinationReplacesItWhole)
{
    put_source("a.txt", "short");
    write_file(root + "elsewhere.txt", "a much longer earlier content");
    add_and_select("a.txt");
    ASSERT_TRUE(job.copy_setup_file((root + "elsewhere.txt").c_str()));
    EXPECT_EQ(read_file(root + "elsewhere.txt"), "short");
    EXPECT_EQ(read_file(log + ".old\\1-elsewhere.txt"), "a much longer earlier content");
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"MkDir=" + log + ".old", "Needs=Earlier",
                                        "Earlier=" + root + "elsewhere.txt|" + log + ".old\\1-elsewhere.txt",
                                        "MkFile=" + root + "elsewhere.txt"}));
}

// Copying a file onto itself must neither succeed nor empty it.
TEST_F(InstallTest, CopyOntoTheSourceItselfFailsAndKeepsIt)
{
    put_source("a.txt", "precious");
    add_and_select("a.txt");
    EXPECT_FAILS_WITH(job.copy_setup_file((source + "a.txt").c_str()), ERR_COPY_FAILED);
    EXPECT_EQ(read_file(source + "a.txt"), "precious");
}

// With the Windows directory unknown the destination would be the bare name,
// that is the source itself; the entry is refused instead.
TEST_F(InstallTest, EntryForAnUnknownDirectoryIsRefused)
{
    put_source("c.ini", "keep me");
    put_source("d.dll", "keep me too");
    ASSERT_TRUE(job.add_file("c.ini,win_path"));
    ASSERT_TRUE(job.add_file("d.dll,winsys_path"));
    set_field(job.windows_dir, nullptr);
    set_field(job.system_dir, nullptr);
    const int32_t codes[] = {ERR_BAD_WINDOWS_PATH, ERR_BAD_SYSTEM_PATH};
    for (int32_t i = 0; i < 2; ++i) {
        job.cur_file = i;
        EXPECT_FAILS_WITH(job.install_file(), codes[i]);
        EXPECT_FAILS_WITH(job.copy_setup_file(nullptr), codes[i]);
        EXPECT_EQ(job.cur_file, i);
    }
    EXPECT_EQ(read_file(source + "c.ini"), "keep me");
    EXPECT_EQ(read_file(source + "d.dll"), "keep me too");
    EXPECT_TRUE(log_lines().empty());
}

// install_file allows 255 characters; a longer destination is refused, not cut.
TEST_F(InstallTest, DestinationAtTheLimitIsInstalledAndLongerIsRefused)
{
    ASSERT_TRUE(testenv::make_dir(app));
    std::string name(255 - app.size(), 'n');
    put_source(name, "fits");
    add_and_select(name.c_str());
    EXPECT_TRUE(dest_path_fits(job.dest_path(nullptr, 0)));
    ASSERT_TRUE(job.install_file());
    EXPECT_EQ(read_file(app + name), "fits");

    std::string longer = name + "x";
    put_source(longer, "too long");
    add_and_select(longer.c_str());
    EXPECT_FALSE(dest_path_fits(job.dest_path(nullptr, 0)));
    EXPECT_FAILS_WITH(job.install_file(), ERR_STRING_BOUNDS);
    EXPECT_EQ(job.cur_file, 1);
    EXPECT_EQ(read_file(app + name), "fits"); // not the cut path's file either
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkFile=" + app + name});
}

TEST_F(InstallTest, OverlongDestinationIsRefusedByTheCopy)
{
    job.set_installpath((root + std::string(300, 'L')).c_str());
    add_and_select("a.txt");
    EXPECT_FAILS_WITH(job.install_file(), ERR_STRING_BOUNDS);
    EXPECT_FAILS_WITH(job.copy_setup_file(nullptr), ERR_STRING_BOUNDS);
    EXPECT_TRUE(log_lines().empty());
}

// ---- attributes of what is replaced and what is installed ----

const uint32_t BLOCKING = PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM;

// Windows replaces no read-only or hidden file; Overwrite makes it plain
// first. The earlier version is kept once, with its attributes: after that
// the file is this installation's own.
TEST_F(InstallTest, OverwriteReplacesReadOnlyHiddenAndSystemFiles)
{
    ASSERT_TRUE(testenv::make_dir(app));
    put_source("a.txt", "new");
    add_and_select("a.txt");
    const std::string kept = log + ".old\\1-a.txt";
    std::vector<std::string> logged{"MkDir=" + log + ".old", "Needs=Earlier", "Earlier=" + app + "a.txt|" + kept};
    for (uint32_t bits : {PLAT_ATTR_READONLY, PLAT_ATTR_HIDDEN, PLAT_ATTR_SYSTEM, BLOCKING}) {
        std::string dest = app + "a.txt";
        plat_set_attributes(dest.c_str(), 0);
        write_file(dest, "an older, longer text");
        ASSERT_TRUE(plat_set_attributes(dest.c_str(), bits));
        EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
        EXPECT_TRUE(job.copy_setup_file(nullptr)) << bits;
        EXPECT_EQ(read_file(dest), "new") << bits;
        EXPECT_EQ(plat_get_attributes(dest.c_str()) & BLOCKING, 0u) << bits;
        logged.push_back("MkFile=" + dest);
    }
    EXPECT_EQ(read_file(kept), "an older, longer text");
    EXPECT_EQ(plat_get_attributes(kept.c_str()) & BLOCKING, PLAT_ATTR_READONLY);
    EXPECT_EQ(plat_get_attributes((log + ".old\\2-a.txt").c_str()), PLAT_NO_ATTRIBUTES);
    EXPECT_EQ(log_lines(), logged);
}

// A file from read-only media is installed writable; a hidden one stays hidden.
TEST_F(InstallTest, InstalledCopyDropsOnlyTheSourcesReadOnlyAttribute)
{
    put_source("ro.txt", "from a CD");
    put_source("hidden.txt", "hidden");
    ASSERT_TRUE(plat_set_attributes((source + "ro.txt").c_str(), PLAT_ATTR_READONLY));
    ASSERT_TRUE(plat_set_attributes((source + "hidden.txt").c_str(), PLAT_ATTR_HIDDEN));
    ASSERT_TRUE(job.add_file("ro.txt"));
    ASSERT_TRUE(job.add_file("hidden.txt"));
    ASSERT_TRUE(job.prepare_install());
    ASSERT_TRUE(job.install_file());
    ASSERT_TRUE(job.install_file());
    EXPECT_EQ(read_file(app + "ro.txt"), "from a CD");
    EXPECT_EQ(plat_get_attributes((app + "ro.txt").c_str()) & BLOCKING, 0u);
    EXPECT_EQ(plat_get_attributes((app + "hidden.txt").c_str()) & BLOCKING, PLAT_ATTR_HIDDEN);
    EXPECT_EQ(plat_get_attributes((source + "ro.txt").c_str()) & BLOCKING, PLAT_ATTR_READONLY) << "source untouched";
}

// A copy that fails leaves the old file as the user had it, attributes included.
TEST_F(InstallTest, FailedOverwriteKeepsTheOldFileAndItsAttributes)
{
    ASSERT_TRUE(testenv::make_dir(app));
    std::string dest = app + "gone.txt";
    write_file(dest, "installed earlier");
    ASSERT_TRUE(plat_set_attributes(dest.c_str(), PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN));
    add_and_select("gone.txt"); // no source
    EXPECT_FAILS_WITH(job.copy_setup_file(nullptr), ERR_COPY_FAILED);
    EXPECT_EQ(plat_get_attributes(dest.c_str()) & BLOCKING, PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN);
    EXPECT_EQ(read_file(dest), "installed earlier");
    EXPECT_TRUE(log_lines().empty());
}

// ---- a directory where a file should go ----

// A directory is not a file that is already there: the copy is tried and fails.
TEST_F(InstallTest, DirectoryAtTheDestinationFailsTheCopy)
{
    ASSERT_TRUE(testenv::make_dir(app));
    ASSERT_TRUE(testenv::make_dir(app + "a.txt"));
    put_source("a.txt", "alpha");
    add_and_select("a.txt");
    EXPECT_FAILS_WITH(job.install_file(), ERR_COPY_FAILED);
    EXPECT_TRUE(dir_exists((app + "a.txt").c_str()));
    EXPECT_TRUE(log_lines().empty());
}

// ---- sizes beyond 32 bits ----

// A sparse file of the given size (no disk space is used).
static void make_sized_file(const std::string &path, long long size)
{
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER at;
    at.QuadPart = size;
    EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h)) << path;
    CloseHandle(h);
#else
    testenv::write_file(path, "");
    char host[PATH_MAX];
    ASSERT_TRUE(plat_host_path(path.c_str(), host, sizeof host));
    ASSERT_EQ(truncate(host, size), 0) << host;
#endif
}

// get_filesize answers -1 for both of these; two different files of 2 GiB and
// more must still not pass for "the same size, already installed".
TEST_F(InstallTest, FilesBeyondTwoGigabytesAreComparedByTheirRealSizes)
{
    const long long two_gib = 2147483648LL;
    ASSERT_TRUE(testenv::make_dir(app));
    make_sized_file(source + "big.bin", two_gib + 1);
    make_sized_file(app + "big.bin", two_gib + 2);
    // Equal sizes are read through to the end: kept small enough to stay quick.
    make_sized_file(source + "same.bin", two_gib + 1);
    make_sized_file(app + "same.bin", two_gib + 1);
    ASSERT_EQ(plat_file_size((app + "big.bin").c_str()), two_gib + 2);

    add_and_select("big.bin");
    EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
    EXPECT_EQ(job.cur_file, 0);

    add_and_select("same.bin");
    EXPECT_TRUE(job.install_file());
    EXPECT_EQ(job.cur_file, -1);
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(InstallTest, FileThatCannotBeMeasuredIsNeverTheSameSize)
{
    ASSERT_TRUE(testenv::make_dir(app));
    make_sized_file(app + "big.bin", 2147483648LL + 5);
    add_and_select("big.bin"); // no source at all
    EXPECT_FAILS_WITH(job.install_file(), ERR_OTHER_VERSION);
    EXPECT_EQ(plat_file_size((source + "big.bin").c_str()), -1);
}

// ---- injected copy faults ----

TEST_F(InstallTest, InjectedCopyFailuresAreReportedWithoutLogLines)
{
    put_source("a.txt", "alpha");
    ASSERT_TRUE(testenv::make_dir(app));
    add_and_select("a.txt");
    for (PLAT_COPY_FAULT how : {PLAT_COPY_FAILS, PLAT_COPY_LOSES_FILE}) {
        plat_test_fail_copy(1, how);
        err_code = ERR_NONE;
        EXPECT_FALSE(job.install_file()) << how;
        EXPECT_EQ(err_code, ERR_COPY_FAILED) << how;
        EXPECT_EQ(job.cur_file, 0);
        EXPECT_FALSE(file_exists((app + "a.txt").c_str()));
    }
    EXPECT_TRUE(job.install_file()); // the faults were one-shot
    EXPECT_EQ(log_lines(), std::vector<std::string>{"MkFile=" + app + "a.txt"});
}

#ifndef _WIN32
// ---- the substitute's copy ----

TEST_F(InstallTest, LargeFileCopiesExactlyByEitherWay)
{
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (char)(i * 7 + i / 65536);
    put_source("big.bin", bytes);
    for (bool read_write : {false, true}) {
        plat_test_copy_by_read_write(read_write);
        std::string to = root + (read_write ? "rw.bin" : "kernel.bin");
        write_file(to, std::string((size_t)5 * 1024 * 1024, 'z')); // longer, to be replaced whole
        ASSERT_TRUE(plat_copy_file((source + "big.bin").c_str(), to.c_str()));
        EXPECT_TRUE(read_file(to) == bytes) << to;
    }
}

TEST_F(InstallTest, CopyRefusesDirectoriesAndMissingPlaces)
{
    ASSERT_TRUE(testenv::make_dir(source + "dir"));
    put_source("a.txt", "alpha");
    EXPECT_FALSE(plat_copy_file((source + "dir").c_str(), (root + "x").c_str()));
    EXPECT_FALSE(file_exists((root + "x").c_str()));
    EXPECT_FALSE(plat_copy_file((source + "a.txt").c_str(), (root + "missing\\a.txt").c_str()));
    EXPECT_FALSE(plat_copy_file((source + "a.txt").c_str(), (source + "dir").c_str()));
}
#endif

// Setup makes no links: one on a destination's way, there before setup ran
// or put into the install folder while it copies, is someone else's and
// could point into the system directory. Nothing is created or copied
// through it, and the failure says why.
TEST_F(InstallTest, NothingIsCopiedThroughALink)
{
    if (!testenv::make_link(root + "probe", windows, true))
        GTEST_SKIP() << "no symbolic links that the seam sees here";
    const struct {
        const char *install_path; // below root
        const char *link;         // below root: a link to root\<case>victim, or to the a.txt there
        bool directory;
        bool after_prepare; // made once the install tree is there, before the file
        const char *file;   // the setup.ini line
    } cases[] = {
        {"c1\\app\\", "c1\\app", true, false, "a.txt"},          // the install folder itself
        {"c2\\deep\\app\\", "c2", true, false, "a.txt"},         // a folder above it
        {"c3\\app\\", "c3\\app\\sub", true, true, "sub\\a.txt"}, // a folder below it
        {"c4\\app\\", "c4\\app\\a.txt", false, true, "a.txt"},   // the destination file
    };
    put_source("a.txt", "setup's");
    ASSERT_TRUE(testenv::make_dir(source + "sub"));
    put_source("sub\\a.txt", "setup's");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        std::string victim = root + std::string(c.link, 2) + "victim";
        ASSERT_TRUE(testenv::make_dir(victim));
        write_file(victim + "\\a.txt", "the system's own file");
        std::string link = root + c.link;
        if (!c.after_prepare) {
            ASSERT_TRUE(make_path(link.substr(0, link.rfind('\\')).c_str()));
            ASSERT_TRUE(testenv::make_link(link, victim, true));
        }
        job.set_installpath((root + c.install_path).c_str());
        add_and_select(c.file);
        bool prepared = job.prepare_install();
        if (c.after_prepare) {
            ASSERT_TRUE(prepared);
            ASSERT_TRUE(testenv::make_link(link, c.directory ? victim : victim + "\\a.txt", c.directory));
            job.cur_file = job.num_files - 1;
            // A link to a file of another size: asked about, then copied on request.
            bool installed = job.install_file();
            if (!installed && err_code == ERR_OTHER_VERSION)
                installed = job.copy_setup_file(nullptr);
            EXPECT_FALSE(installed);
        } else {
            EXPECT_FALSE(prepared);
        }
        EXPECT_EQ(err_code, ERR_DEST_THROUGH_LINK);
        EXPECT_EQ(read_file(victim + "\\a.txt"), "the system's own file");
        EXPECT_EQ(plat_get_attributes((victim + "\\deep").c_str()), PLAT_NO_ATTRIBUTES);
    }
    for (const std::string &line : log_lines())
        EXPECT_EQ(line.find("victim"), std::string::npos) << line;
}
