// One whole installation without the user interface, driven the way the
// Installing and Create Shortcut pages drive the job.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/shortcut_reader.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <objbase.h>
#endif

using testenv::read_file;
using testenv::write_file;

class InstallRoadTest : public JobTest {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
#endif
        JobTest::SetUp();
    }

    void TearDown() override
    {
        JobTest::TearDown();
#ifdef _WIN32
        CoUninitialize();
#endif
    }

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
                            "installpath=" + app + "\n"
                            "exename=foo.exe\n"
                            "file=foo.exe\n"
                            "file=readme.txt\n"
                            "file=same.dll,winsys_path\n"
                            "file=diff.ini,win_path\n"
                            "file=skip.dll,winsys_path\n");
    put_source("foo.exe", "MZ the program");
    put_source("readme.txt", "Read me.\r\n");
    put_source("same.dll", "same-size new");
    put_source("diff.ini", "[new]\r\nkey=value\r\n");
    put_source("skip.dll", "newer library");
    put_source("uninstal.exe", "MZ the uninstaller");
    write_file(system + "same.dll", "same-size old");
    write_file(windows + "diff.ini", "[old]\r\n");
    write_file(system + "skip.dll", "older lib");
    ASSERT_TRUE(job.load_ini("setup.ini"));

    // Installing page
    char relative[64];
    ASSERT_TRUE(job.create_log(relative, sizeof relative));
    ASSERT_TRUE(job.prepare_install());
    ASSERT_TRUE(job.write_uninstall_bat(relative));
    std::vector<std::string> shown;
    while (job.more_files()) {
        char line[260];
        job.dest_path(line, sizeof line);
        shown.push_back(line);
        if (job.install_file())
            continue;
        ASSERT_EQ(err_code, ERR_OTHER_VERSION) << line;
        // The overwrite question: yes for diff.ini, no for skip.dll.
        if (shown.back() == windows + "diff.ini")
            ASSERT_TRUE(job.copy_setup_file(nullptr));
        else
            ASSERT_EQ(shown.back(), system + "skip.dll");
        job.next_file();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{app + "foo.exe", app + "readme.txt", system + "same.dll",
                                               windows + "diff.ini", system + "skip.dll"}));

    // Create Shortcut page, then the entry closes the log.
    const std::string menu = shortcut_base() + "Start Menu\\Road Test";
    ASSERT_TRUE(job.create_shortcut(menu.c_str()));
    job.close_log();

    const std::string log_dir = windows + "UnInstal\\";
    EXPECT_STREQ(relative, "UnInstal\\Road Test.log");
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
                  "MkFile=" + windows + "diff.ini",
                  "MkDir=" + shortcut_base() + "Start Menu",
                  "MkDir=" + menu,
                  "MkFile=" + menu + "\\Road Test.lnk",
              }));
    EXPECT_EQ(text_lines(app + "uninstal.bat"),
              (std::vector<std::string>{
                  "rem This file uninstalls the Road Test application.  The uninstallation",
                  "rem may fail if the setup log has been moved or deleted since the setup.",
                  "\"" + log_dir + "uninstal.exe\" \"UnInstal\\Road Test.log\""}));

    EXPECT_EQ(read_file(app + "foo.exe"), "MZ the program");
    EXPECT_EQ(read_file(app + "readme.txt"), "Read me.\r\n");
    EXPECT_EQ(read_file(system + "same.dll"), "same-size old");
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
                                                   "target=" + app + "foo.exe\n"
                                                   "description=Road Test\n"
                                                   "workdir=" + app + "\n");
#endif
}
