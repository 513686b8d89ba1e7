#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "checker/check_ini.h"
#include "lib/generr.h"
#include "platform/dirsearch.h"
#include "platform/platform.h"
#include "tests/unit/support/pe_image.h"
#include "tests/unit/support/test_env.h"

namespace {

void append(void *context, const char *text) { static_cast<std::string *>(context)->append(text); }

struct Checked {
    int status;
    std::string output;
};

Checked check(const char *arg, bool quiet = false)
{
    Checked result;
    result.status = check_description(arg, quiet, append, &result.output);
    return result;
}

// The lines of text, without their line ends.
std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The diagnostic lines of a full output, without the plan and the count.
std::string diagnostics_of(const std::string &output)
{
    std::string diagnostics;
    for (const std::string &line : lines_of(output))
        if (line.find(": error: ") != std::string::npos || line.find(": warning: ") != std::string::npos)
            diagnostics += line + "\n";
    return diagnostics;
}

// Makes the given directory current for the test's span.
class InDirectory {
public:
    explicit InDirectory(const std::string &dir) : saved(testenv::current_dir()), entered(plat_chdir(dir.c_str())) {}
    ~InDirectory() { plat_chdir(saved.c_str()); }
    const std::string saved;
    const bool entered;
};

std::vector<std::string> case_names()
{
    std::vector<std::string> names;
    plat_finddata record;
    intptr_t search = plat_findfirst("*", &record);
    for (int found = search == -1 ? -1 : 0; found == 0; found = plat_findnext(search, &record))
        if ((record.attrib & PLAT_ATTR_SUBDIR) && record.name[0] != '.')
            names.push_back(record.name);
    if (search != -1)
        plat_findclose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Each directory of tests/checker/cases holds a description, the files it
// lists, and expected.txt: "exit N", then setupchk's whole output when run
// on the directory from there. The Windows build runs the same table under
// Wine, and setupchk itself runs it once more (tests/checker/run-cases.sh).
TEST(Checker, EveryCaseGivesItsExpectedOutputAndStatus)
{
    InDirectory cases(CHECKER_CASES_DIR);
    ASSERT_TRUE(cases.entered) << CHECKER_CASES_DIR;
    std::string here = testenv::current_dir();
    std::vector<std::string> names = case_names();
    ASSERT_GE(names.size(), 18u) << "the table of cases was not found whole";
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        std::string expected = testenv::read_file(name + "/expected.txt");
        ASSERT_EQ(expected.compare(0, 5, "exit "), 0) << "expected.txt must begin with \"exit N\"";
        size_t first_end = expected.find('\n');
        int status = std::atoi(expected.substr(5, first_end - 5).c_str());
        std::string output = expected.substr(first_end + 1);

        Checked full = check(name.c_str());
        EXPECT_EQ(full.output, output);
        EXPECT_EQ(full.status, status);
        EXPECT_EQ(testenv::current_dir(), here);

        // --quiet: the same diagnostics and status, nothing else.
        Checked quiet = check(name.c_str(), true);
        EXPECT_EQ(quiet.output, diagnostics_of(output));
        EXPECT_EQ(quiet.status, status);
    }
}

// A description as a file or as its directory, in either separator's
// style, from inside the setup directory too; the current directory is
// back where it was after each, also when the description is not there.
TEST(Checker, NamesTheDescriptionAsGivenAndKeepsTheCurrentDirectory)
{
    InDirectory cases(CHECKER_CASES_DIR);
    ASSERT_TRUE(cases.entered);
    std::string here = testenv::current_dir();
    std::vector<std::string> reference = lines_of(check("line_rules", true).output);
    ASSERT_FALSE(reference.empty());
    const struct {
        const char *arg, *shown;
    } forms[] = {
        {"line_rules/setup.ini", "line_rules/setup.ini"},
        {"line_rules/", "line_rules/setup.ini"},
        {"line_rules\\", "line_rules\\setup.ini"},
        {"line_rules\\SETUP.INI", "line_rules\\SETUP.INI"},
    };
    for (const auto &form : forms) {
        SCOPED_TRACE(form.arg);
        std::vector<std::string> lines = lines_of(check(form.arg, true).output);
        ASSERT_EQ(lines.size(), reference.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], form.shown + reference[i].substr(std::strlen("line_rules/setup.ini")));
        EXPECT_EQ(testenv::current_dir(), here);
    }

    for (const char *missing : {"no_such_dir/setup.ini", "no_such_file.ini", ""}) {
        SCOPED_TRACE(missing);
        Checked result = check(missing, true);
        EXPECT_EQ(result.status, CHECK_ERRORS);
        EXPECT_EQ(lines_of(result.output).size(), 1u) << result.output;
        EXPECT_NE(result.output.find(":0: error: the description cannot be opened"), std::string::npos);
        EXPECT_EQ(testenv::current_dir(), here);
    }

    // No argument: setup.ini in the current directory.
    ASSERT_TRUE(plat_chdir("line_rules"));
    std::vector<std::string> lines = lines_of(check(nullptr, true).output);
    ASSERT_EQ(lines.size(), reference.size());
    EXPECT_EQ(lines[0], reference[0].substr(std::strlen("line_rules/")));
}

// Past the 100th file line setup refuses to start: one error at the 101st
// line, which counts them all, and nothing for the lines after it.
TEST(Checker, OneErrorForAllFileLinesPastTheHundredth)
{
    std::string dir = testenv::scratch_dir();
    std::string ini =
        "apptitle=Many\nemail=a@b\nwebsite=w\ndesc=d\ninstallpath=C:\\Program Files\\Many\nbasepath=Many\n"
        "exename=f0.txt\n";
    for (int i = 0; i < 103; ++i) {
        ini += "file=f" + std::to_string(i) + ".txt\n";
        if (i < 100)
            testenv::write_file(dir + "f" + std::to_string(i) + ".txt", "x");
    }
    testenv::write_file(dir + "setup.ini", ini);
    Checked result = check(dir.c_str(), true);
    EXPECT_EQ(result.status, CHECK_ERRORS);
    std::vector<std::string> lines = lines_of(result.output);
    ASSERT_EQ(lines.size(), 1u) << result.output;
    EXPECT_NE(lines[0].find("setup.ini:108: error: more than 100 files (103 file lines)"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find(error_db.get_error_msg(ERR_TABLE_FULL)), std::string::npos);
}

// The pair a setup directory ships: setup.exe and the uninstaller that it
// puts beside the logs. A description alone is not weighed.
TEST(Checker, WarnsOfAMissingUninstallerAndOfOneOlderThanSetup)
{
    using testpe::program_with_version;
    using testpe::version;
    const std::string NONE = "-";
    const struct {
        const char *name;
        std::string setup, uninstaller; // NONE: not there
        const char *warning;            // "": none
    } rows[] = {
        {"a description alone", NONE, NONE, ""},
        {"the same release", program_with_version(version(1, 2)), program_with_version(version(1, 2)), ""},
        {"a newer uninstaller", program_with_version(version(1, 2)), program_with_version(version(1, 3)), ""},
        {"no uninstaller", program_with_version(version(1, 2)), NONE,
         "setup.ini:0: warning: no uninstal.exe beside setup.exe: setup writes uninstal.bat all the same, but on a "
         "machine where no other setup left an uninstaller beside the logs, it runs nothing"},
        {"an older uninstaller", program_with_version(version(1, 2)), program_with_version(version(1, 1, 9)),
         "setup.ini:0: warning: uninstal.exe 1.1.9.0 is older than setup.exe 1.2.0.0 beside it: a mismatched pair, "
         "whose uninstaller may refuse the logs its setup writes; take both from one release"},
        {"an uninstaller without version", program_with_version(version(1, 2)), "MZ",
         "setup.ini:0: warning: uninstal.exe has no version information: setup never puts it in place of an "
         "uninstaller that has one, and this setup.exe is 1.2.0.0"},
        {"setup without version", "MZ", program_with_version(version(0, 1)), ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string dir = testenv::scratch_dir();
        testenv::write_file(dir + "setup.ini",
                            "apptitle=Pair\nemail=a@b\nwebsite=w\ndesc=d\ninstallpath=C:\\Program Files\\Pair\n"
                            "basepath=Pair\nexename=pair.exe\nfile=pair.exe\n");
        testenv::write_file(dir + "pair.exe", "x");
        if (row.setup != NONE)
            testenv::write_file(dir + "setup.exe", row.setup);
        if (row.uninstaller != NONE)
            testenv::write_file(dir + "uninstal.exe", row.uninstaller);
        Checked result = check(dir.c_str(), true);
        std::string shown = dir + "setup.ini";
        std::string diagnostics = result.output;
        size_t at;
        while ((at = diagnostics.find(shown)) != std::string::npos)
            diagnostics.replace(at, shown.size(), "setup.ini");
        EXPECT_EQ(diagnostics, row.warning[0] ? std::string(row.warning) + "\n" : "");
        EXPECT_EQ(result.status, row.warning[0] ? CHECK_WARNINGS : CHECK_CLEAN);
    }
}
