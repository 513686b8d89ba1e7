#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "setup/setup.h"
#include "tests/unit/support/test_env.h"

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#endif

namespace {

// Writes lines with the given line end and returns the file's path.
std::string write_ini(const std::string &dir, const std::string &name, std::initializer_list<std::string> lines,
                      const char *eol = "\n")
{
    std::string text;
    for (const std::string &line : lines)
        text += line + eol;
    testenv::write_file(dir + name, text);
    return dir + name;
}

const std::initializer_list<std::string> sample = {
    "; Sample description",
    "[Setup]",
    "  ApPtItLe =  My App  \t",
    "author=Jo Writer",
    "EMAIL=jo@example.org ; who to ask",
    "website = http://example.org/a=b",
    "desc=Tools; and more",
    "installpath=d:\\apps\\foo",
    "basepath=foo\\",
    "exename=foo.exe",
    "unknown=ignored",
    "no equals sign here",
    "=no key",
    "file=foo.exe",
    "FILE=Setup.DLL,WinSys_Path",
    "file=,,readme.txt,,win_path,extra",
};

void expect_sample(const SETUP_TYPE &job)
{
    EXPECT_STREQ(job.get_apptitle(), "My App");
    EXPECT_STREQ(job.author, "Jo Writer");
    EXPECT_STREQ(job.get_email(), "jo@example.org");
    EXPECT_STREQ(job.get_website(), "http://example.org/a=b");
    EXPECT_STREQ(job.get_desc(), "Tools");
    EXPECT_STREQ(job.get_installpath(), "d:\\apps\\foo\\");
    EXPECT_STREQ(job.get_basepath(), "foo\\");
    EXPECT_STREQ(job.get_exename(), "foo.exe");
    ASSERT_EQ(job.num_files, 3);
    EXPECT_STREQ(job.files[0]->name, "foo.exe");
    EXPECT_EQ(job.files[0]->path_type, PATH_APP);
    EXPECT_STREQ(job.files[1]->name, "Setup.DLL");
    EXPECT_EQ(job.files[1]->path_type, PATH_WINSYS);
    EXPECT_STREQ(job.files[2]->name, "readme.txt");
    EXPECT_EQ(job.files[2]->path_type, PATH_WINDOWS);
    EXPECT_EQ(job.cur_file, -1);
}

} // namespace

TEST(LoadIni, ReadsKeysValuesAndFilesWithEitherLineEnd)
{
    std::string dir = testenv::scratch_dir();
    SETUP_TYPE lf, crlf;
    ASSERT_TRUE(lf.load_ini(write_ini(dir, "lf.ini", sample, "\n").c_str()));
    ASSERT_TRUE(crlf.load_ini(write_ini(dir, "crlf.ini", sample, "\r\n").c_str()));
    expect_sample(lf);
    expect_sample(crlf);
}

// An empty file, or one whose lines hold no key, is no description; the job
// is back at its defaults all the same.
TEST(LoadIni, EmptyFileIsRefusedAndGivesDefaults)
{
    std::string dir = testenv::scratch_dir();
    testenv::write_file(dir + "empty.ini", "");
    SETUP_TYPE job;
    job.set_apptitle("stale");
    err_code = ERR_NONE;
    EXPECT_FALSE(job.load_ini((dir + "empty.ini").c_str()));
    EXPECT_EQ(err_code, ERR_INI_NO_KEYS);
    EXPECT_STREQ(job.get_apptitle(), "Unknown");
    EXPECT_STREQ(job.get_installpath(), "c:\\");
    EXPECT_EQ(job.num_files, 0);
    EXPECT_EQ(job.cur_file, -1);
}

TEST(LoadIni, MissingFileSets51AndKeepsTheJob)
{
    SETUP_TYPE job;
    job.set_apptitle("kept");
    job.add_file("kept.txt");
    err_code = ERR_NONE;
    EXPECT_FALSE(job.load_ini((testenv::scratch_dir() + "setup.ini").c_str()));
    EXPECT_EQ(err_code, ERR_FILE_OPEN);
    EXPECT_STREQ(job.get_apptitle(), "kept");
    EXPECT_EQ(job.num_files, 1);
}

TEST(LoadIni, ValueRules)
{
    std::string dir = testenv::scratch_dir();
    SETUP_TYPE job;
    // Last line without a newline; a key given twice keeps the later value.
    testenv::write_file(dir + "a.ini", "apptitle=First\napptitle=Second\ninstallpath=\nexename=last.exe");
    ASSERT_TRUE(job.load_ini((dir + "a.ini").c_str()));
    EXPECT_STREQ(job.get_apptitle(), "Second");
    EXPECT_STREQ(job.get_installpath(), ""); // empty, not the default
    EXPECT_STREQ(job.get_exename(), "last.exe");
}

TEST(LoadIni, OverlongLinesCountWithTheirFirst255Characters)
{
    std::string dir = testenv::scratch_dir();
    std::string title255 = "apptitle=" + std::string(255 - 9, 't');
    std::string desc300 = "desc=" + std::string(300 - 5, 'd');
    std::string file300 = "file=" + std::string(300 - 5, 'f') + ",winsys_path";
    SETUP_TYPE job;
    ASSERT_TRUE(
        job.load_ini(write_ini(dir, "long.ini",
                               {title255, "author=after255", desc300, "email=after300", file300, "website=w"}, "\r\n")
                         .c_str()));
    EXPECT_EQ(std::string(job.get_apptitle()), std::string(246, 't'));
    EXPECT_STREQ(job.author, "after255");
    EXPECT_EQ(std::string(job.get_desc()), std::string(250, 'd'));
    EXPECT_STREQ(job.get_email(), "after300");
    ASSERT_EQ(job.num_files, 1);
    EXPECT_EQ(std::string(job.files[0]->name), std::string(250, 'f')); // cut name, type lost with the rest
    EXPECT_EQ(job.files[0]->path_type, PATH_APP);
    EXPECT_STREQ(job.get_website(), "w");
}

TEST(LoadIni, HundredFilesFitTheHundredFirstStopsTheRead)
{
    std::string dir = testenv::scratch_dir();
    std::string text = "apptitle=Before\n";
    for (int i = 0; i < 101; ++i)
        text += "file=f" + std::to_string(i) + "\n";
    text += "email=after\n";
    testenv::write_file(dir + "many.ini", text);
    SETUP_TYPE job;
    err_code = ERR_NONE;
    EXPECT_FALSE(job.load_ini((dir + "many.ini").c_str()));
    EXPECT_EQ(err_code, ERR_TABLE_FULL);
    EXPECT_EQ(job.num_files, 100);
    EXPECT_STREQ(job.files[99]->name, "f99");
    EXPECT_STREQ(job.get_apptitle(), "Before");
    EXPECT_STREQ(job.get_email(), "none");
}

TEST(LoadIni, FileLineWithoutANameFailsTheLoad)
{
    std::string dir = testenv::scratch_dir();
    SETUP_TYPE job;
    err_code = ERR_NONE;
    EXPECT_FALSE(job.load_ini(write_ini(dir, "nameless.ini", {"file=a.txt", "file=,,", "file=b.txt"}).c_str()));
    EXPECT_EQ(err_code, ERR_NULL_POINTER);
    ASSERT_EQ(job.num_files, 1);
    EXPECT_STREQ(job.files[0]->name, "a.txt");
}

TEST(LoadIni, UnallocatableEntryFailsTheLoadWithoutACode)
{
    std::string dir = testenv::scratch_dir();
    std::string path = write_ini(dir, "alloc.ini", {"file=a.txt"});
    SETUP_TYPE job;
    PLAT_TEST_SCOPE controls;
    err_code = ERR_NONE;
    // Allocations before the entry: the stream (POSIX text mode adds none
    // through plat_malloc), so the first one is the entry.
    plat_test_fail_alloc(1);
    EXPECT_FALSE(job.load_ini(path.c_str()));
    EXPECT_EQ(err_code, ERR_NONE);
    EXPECT_EQ(job.num_files, 0);
}

TEST(LoadIni, SecondLoadReplacesTheFirst)
{
    std::string dir = testenv::scratch_dir();
    SETUP_TYPE job;
    ASSERT_TRUE(job.load_ini(write_ini(dir, "one.ini", sample).c_str()));
    ASSERT_TRUE(job.load_ini(write_ini(dir, "two.ini", {"apptitle=Two", "file=x"}).c_str()));
    EXPECT_STREQ(job.get_apptitle(), "Two");
    EXPECT_STREQ(job.get_email(), "none");
    ASSERT_EQ(job.num_files, 1);
    EXPECT_STREQ(job.files[0]->name, "x");
    EXPECT_EQ(job.files[1], nullptr);
}

#ifndef _WIN32
// Only the substitute can hand out a stream that fails before its end: a
// file of the host that opens for reading but whose first read fails.
TEST(LoadIni, StreamThatFailsBeforeItsEndSets52)
{
    std::string dir = testenv::scratch_dir();
    char host[PATH_MAX];
    ASSERT_TRUE(plat_host_path((dir + "setup.ini").c_str(), host, sizeof host));
    ASSERT_EQ(symlink("/proc/self/mem", host), 0); // reading at offset 0 fails with EIO
    SETUP_TYPE job;
    err_code = ERR_NONE;
    EXPECT_FALSE(job.load_ini((dir + "setup.ini").c_str()));
    EXPECT_EQ(err_code, ERR_FILE_READ);
}
#endif

// A name that leaves its directory, or an install path that is not full, is
// refused at its line: the load fails, names the line, and reads no further.
TEST(LoadIni, NamesThatLeaveTheirDirectoryAndRelativeInstallPathsAreRefused)
{
    const std::string long_folder_line = "file=" + std::string(245, 'f') + "\\x";
    const struct {
        const char *line, *refused;
        int32_t code;
    } cases[] = {
        {"file=..\\..\\evil.txt", "file=..\\..\\evil.txt", ERR_FILE_NAME_LEAVES_DIR},
        {"FILE=..\\evil2.dll,winsys_path", "file=..\\evil2.dll,winsys_path", ERR_FILE_NAME_LEAVES_DIR},
        {"file=sub\\..\\..\\x.txt", "file=sub\\..\\..\\x.txt", ERR_FILE_NAME_LEAVES_DIR},
        {"file=C:\\evil.txt", "file=C:\\evil.txt", ERR_FILE_NAME_LEAVES_DIR},
        {"file=\\windows\\evil.txt", "file=\\windows\\evil.txt", ERR_FILE_NAME_LEAVES_DIR},
        {"file=,,", "file=,,", ERR_NULL_POINTER},
        {"installpath=apps\\foo", "installpath=apps\\foo", ERR_INSTALL_PATH_NOT_FULL},
        {"installpath = .", "installpath=.", ERR_INSTALL_PATH_NOT_FULL},
        {"installpath=\\apps", "installpath=\\apps", ERR_INSTALL_PATH_NOT_FULL},
        {"installpath=C:apps", "installpath=C:apps", ERR_INSTALL_PATH_NOT_FULL},
        // Parts that Windows changes: the log would name what the uninstaller skips.
        {"installpath=C:\\Apps\\Foo.", "installpath=C:\\Apps\\Foo.", ERR_INSTALL_PATH_CHANGED_END},
        {"installpath=C:\\Apps\\F??\\x", "installpath=C:\\Apps\\F??\\x", ERR_INSTALL_PATH_QUESTION_MARK},
        {"installpath=C:\\Apps\\..\\Foo", "installpath=C:\\Apps\\..\\Foo", ERR_INSTALL_PATH_NOT_FULL},
        {"file=readme.txt ,win_path", "file=readme.txt ,win_path", ERR_FILE_NAME_LEAVES_DIR},
        {"file=sub\\\\a.txt", "file=sub\\\\a.txt", ERR_FILE_NAME_LEAVES_DIR},
        // A folder that could not be made below any install directory.
        {long_folder_line.c_str(), long_folder_line.c_str(), ERR_FILE_NAME_TOO_LONG},
    };
    std::string dir = testenv::scratch_dir();
    for (const auto &c : cases) {
        SETUP_TYPE job;
        err_code = ERR_NONE;
        EXPECT_FALSE(job.load_ini(write_ini(dir, "bad.ini", {"file=a.txt", c.line, "apptitle=After"}).c_str()))
            << c.line;
        EXPECT_EQ(err_code, c.code) << c.line;
        EXPECT_STREQ(job.refused_line, c.refused);
        EXPECT_EQ(job.num_files, 1) << c.line;
        EXPECT_STREQ(job.get_apptitle(), "Unknown") << c.line;
    }

    // Ordinary sub-directories, a drive root and an empty install path stay
    // valid; a later load forgets the refused line.
    SETUP_TYPE job;
    EXPECT_FALSE(job.load_ini(write_ini(dir, "bad.ini", {"file=..\\x"}).c_str()));
    ASSERT_TRUE(job.load_ini(
        write_ini(dir, "good.ini", {"file=sub\\four.txt", "file=sub/five.txt,win_path", "installpath=C:"}).c_str()));
    EXPECT_STREQ(job.refused_line, "");
    ASSERT_EQ(job.num_files, 2);
    EXPECT_STREQ(job.files[0]->name, "sub\\four.txt");
    EXPECT_STREQ(job.files[1]->name, "sub\\five.txt");
    EXPECT_STREQ(job.get_installpath(), "C:\\");
    ASSERT_TRUE(job.load_ini(write_ini(dir, "empty.ini", {"installpath="}).c_str()));
    EXPECT_STREQ(job.get_installpath(), "");
}

namespace {

// What an observer heard of one line, copied out of the call.
struct HeardLine {
    int32_t number;
    std::string text, comment, key, value, added;
    bool cut, has_key, known, refused;
    int32_t code, added_type;
    INI_KEY which;
    std::string file_name, type_word, ignored;
    bool type_known;
};

class Recorder : public INI_OBSERVER {
public:
    explicit Recorder(bool keep_going) : go_on(keep_going) {}
    std::vector<HeardLine> lines;
    bool line_read(const INI_LINE &line) override
    {
        HeardLine heard = {line.number,
                           line.text,
                           line.comment ? line.comment : "",
                           line.key ? line.key : "",
                           line.value,
                           line.added ? line.added->name : "",
                           line.cut,
                           line.key != nullptr,
                           line.which != INI_NO_KEY,
                           line.refused,
                           line.code,
                           line.added ? line.added->path_type : 0,
                           line.which,
                           line.file_name ? line.file_name : "",
                           line.type_word ? line.type_word : "",
                           line.ignored ? line.ignored : "",
                           line.type_known};
        lines.push_back(heard);
        return go_on;
    }

private:
    bool go_on;
};

const std::initializer_list<std::string> observed = {
    "; comment",         "[Setup]",          "  ApPtItLe = My App ; note",    "colour=blue", "file=a.txt,Win_Path",
    "file=..\\evil.txt", "installpath=apps", "desc=" + std::string(300, 'd'), "file=b.txt",
};

} // namespace

// The observer hears of every line, in order, with what the reader made of
// it; asked to, the reader goes on past refused lines, and the load still
// fails with the first refusal.
TEST(LoadIni, ObserverHearsOfEveryLineAndMayGoOnPastRefusals)
{
    std::string path = write_ini(testenv::scratch_dir(), "observed.ini", observed, "\r\n");
    SETUP_TYPE job;
    Recorder recorder(true);
    err_code = 0;
    EXPECT_FALSE(job.load_ini(path.c_str(), &recorder));
    EXPECT_EQ(err_code, ERR_FILE_NAME_LEAVES_DIR);
    EXPECT_STREQ(job.refused_line, "file=..\\evil.txt");

    // The file ends in a line end, so the reader meets an empty 10th line.
    ASSERT_EQ(recorder.lines.size(), 10u);
    for (size_t i = 0; i < recorder.lines.size(); ++i)
        EXPECT_EQ(recorder.lines[i].number, (int32_t)i + 1);
    const HeardLine &comment = recorder.lines[0], &header = recorder.lines[1], &title = recorder.lines[2];
    EXPECT_FALSE(comment.has_key);
    EXPECT_EQ(comment.comment, "; comment");
    EXPECT_EQ(comment.value, "");
    EXPECT_FALSE(header.has_key);
    EXPECT_EQ(header.value, "[Setup]");
    EXPECT_EQ(title.text, "  ApPtItLe = My App ; note");
    EXPECT_EQ(title.comment, "; note");
    EXPECT_EQ(title.key, "apptitle");
    EXPECT_EQ(title.value, "My App");
    EXPECT_TRUE(title.known);
    EXPECT_EQ(recorder.lines[3].key, "colour");
    EXPECT_FALSE(recorder.lines[3].known);
    EXPECT_EQ(recorder.lines[4].added, "a.txt");
    EXPECT_EQ(recorder.lines[4].added_type, PATH_WINDOWS);
    EXPECT_FALSE(recorder.lines[4].refused);

    EXPECT_TRUE(recorder.lines[5].refused);
    EXPECT_EQ(recorder.lines[5].code, ERR_FILE_NAME_LEAVES_DIR);
    EXPECT_EQ(recorder.lines[5].added, "");
    EXPECT_TRUE(recorder.lines[6].refused);
    EXPECT_EQ(recorder.lines[6].code, ERR_INSTALL_PATH_NOT_FULL);

    const HeardLine &cut = recorder.lines[7];
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.text.size(), (size_t)MAX_INI_LINE);
    EXPECT_FALSE(recorder.lines[8].cut);
    EXPECT_EQ(recorder.lines[8].added, "b.txt");
    ASSERT_EQ(job.num_files, 2);
    EXPECT_EQ(job.get_desc(), std::string(250, 'd'));
}

// An observer that does not ask to go on stops the reader where setup stops.
TEST(LoadIni, ObserverThatStopsLeavesTheReaderAsWithout)
{
    std::string path = write_ini(testenv::scratch_dir(), "observed.ini", observed);
    SETUP_TYPE with, without;
    Recorder recorder(false);
    EXPECT_FALSE(with.load_ini(path.c_str(), &recorder));
    int32_t code_with = err_code;
    EXPECT_FALSE(without.load_ini(path.c_str()));
    EXPECT_EQ(code_with, err_code);
    EXPECT_STREQ(with.refused_line, without.refused_line);
    ASSERT_EQ(recorder.lines.size(), 6u);
    EXPECT_TRUE(recorder.lines.back().refused);
    EXPECT_EQ(with.num_files, 1);
    EXPECT_EQ(without.num_files, 1);
    EXPECT_STREQ(with.get_desc(), without.get_desc());
}

// The observer hears which key a line gives and, for a "file" line, its
// fields as add_file splits them, refused or not: empty runs of commas
// skipped, the path type word as written (blanks and all), and what
// follows it.
TEST(LoadIni, ObserverHearsTheKeyAndTheFieldsOfAFileLine)
{
    const struct {
        const char *line;
        INI_KEY which;
        const char *name, *word;
        bool known;
        const char *ignored;
    } cases[] = {
        {"ExeName=a.exe", INI_EXENAME, "", "", false, ""},
        {"colour=blue", INI_NO_KEY, "", "", false, ""},
        {"file=a.txt", INI_FILE, "a.txt", "", false, ""},
        {"FILE=,,b.txt,,WinSys_Path,,x,y,", INI_FILE, "b.txt", "WinSys_Path", true, "x,y,"},
        {"file=c.txt, app_path", INI_FILE, "c.txt", " app_path", false, ""},
        {"file=d.txt,system,", INI_FILE, "d.txt", "system", false, ""},
        {"file=e.txt,,,", INI_FILE, "e.txt", "", false, ""},
        {"file=..\\f.txt,window_path,z", INI_FILE, "..\\f.txt", "window_path", true, "z"},
        {"file=,,", INI_FILE, "", "", false, ""},
    };
    std::string text;
    for (const auto &c : cases)
        text += std::string(c.line) + "\n";
    std::string path = testenv::scratch_dir() + "fields.ini";
    testenv::write_file(path, text);
    SETUP_TYPE job;
    Recorder recorder(true);
    EXPECT_FALSE(job.load_ini(path.c_str(), &recorder));
    ASSERT_GE(recorder.lines.size(), sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const HeardLine &heard = recorder.lines[i];
        SCOPED_TRACE(cases[i].line);
        EXPECT_EQ(heard.which, cases[i].which);
        EXPECT_EQ(heard.file_name, cases[i].name);
        EXPECT_EQ(heard.type_word, cases[i].word);
        EXPECT_EQ(heard.type_known, cases[i].known);
        EXPECT_EQ(heard.ignored, cases[i].ignored);
    }
    EXPECT_EQ(recorder.lines[3].added_type, PATH_WINSYS);
    EXPECT_EQ(recorder.lines[4].added_type, PATH_APP);
    EXPECT_TRUE(recorder.lines[7].refused);
    EXPECT_TRUE(recorder.lines[8].refused);
}

// What a text editor may put in front of the lines: a UTF-8 mark is passed
// over, a UTF-16 one refuses the file with a message on how to save it, and
// a file without any key setup knows is no description.
TEST(LoadIni, ByteOrderMarksAndFilesWithoutKeys)
{
    std::string dir = testenv::scratch_dir();
    struct Case {
        const char *what;
        std::string bytes;
        int32_t code; // ERR_NONE: loaded
        const char *title;
    } cases[] = {
        {"utf-8 mark",
         "\xEF\xBB\xBF"
         "apptitle=Marked\r\nfile=a.exe\r\n",
         ERR_NONE, "Marked"},
        {"no mark", "apptitle=Plain\n", ERR_NONE, "Plain"},
        {"half a mark",
         "\xEF\xBB"
         "apptitle=Half\n",
         ERR_INI_NO_KEYS, "Unknown"},
        {"utf-16 le",
         std::string("\xFF\xFE"
                     "a\0p\0p\0t\0i\0t\0l\0e\0=\0X\0",
                     22),
         ERR_INI_UTF16, "Unknown"},
        {"utf-16 be", std::string("\xFE\xFF\0a\0p\0p\0t\0i\0t\0l\0e\0=\0X", 22), ERR_INI_UTF16, "Unknown"},
        {"utf-16 without mark", std::string("a\0p\0p\0t\0i\0t\0l\0e\0=\0X\0", 20), ERR_INI_NO_KEYS, "Unknown"},
        {"comments only", "; nothing\n[section]\nnokey=1\n", ERR_INI_NO_KEYS, "Unknown"},
        {"one key, empty", "desc=\n", ERR_NONE, "Unknown"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::write_file(dir + "enc.ini", c.bytes);
        SETUP_TYPE job;
        err_code = ERR_NONE;
        EXPECT_EQ(job.load_ini((dir + "enc.ini").c_str()), c.code == ERR_NONE);
        EXPECT_EQ(err_code, c.code);
        EXPECT_STREQ(job.get_apptitle(), c.title);
    }
}
