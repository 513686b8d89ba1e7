// What setup accepts as file names and install paths, and the file-system
// name it makes of the title.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/error_codes.h"
#include "lib/fileutil.h"
#include "lib/generr.h"
#include "setup/front_text.h"
#include "setup/names.h"
#include "setup/setup.h"
#include "tests/unit/support/test_env.h"
#include "uninstall/command_line.h"

TEST(TitleFileName, ForbiddenCharactersTrailingDotsAndDevices)
{
    const struct {
        const char *title, *name;
    } cases[] = {
        {"Sample Notes", "Sample Notes"},
        {"AC/DC Tools", "AC_DC Tools"},
        {"Foo\\Bar", "Foo_Bar"},
        {"What?", "What_"},
        {"..\\..\\x", ".._.._x"},
        {"a:b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h"},
        {"tab\there\x01\x1f", "tab_here__"},
        {"Tom & Jerry 100%", "Tom & Jerry 100%"}, // allowed in file names
        {"Caf\xe9 \x80", "Caf\xe9 \x80"},         // bytes above 127 stay
        {"Tools. . ", "Tools"},
        {"", "_"},
        {".", "_"},
        {"..", "_"},
        {" . ", "_"},
        {"Nul", "_Nul"},
        {"con", "_con"},
        {"PRN.txt", "_PRN.txt"},
        {"aux .log", "_aux .log"},
        {"COM1", "_COM1"},
        {"lpt9.tar.gz", "_lpt9.tar.gz"},
        {"CONOUT$", "_CONOUT$"},
        {"COM0", "COM0"},
        {"COM10", "COM10"},
        {"LPT", "LPT"},
        {"Console", "Console"},
        {"Nul Tools", "Nul Tools"},
        {"x.nul", "x.nul"},
    };
    for (const auto &c : cases) {
        char out[64] = "stale";
        EXPECT_TRUE(title_file_name(c.title, out, sizeof out)) << c.title;
        EXPECT_STREQ(out, c.name) << c.title;
    }
}

TEST(TitleFileName, BoundedByTheCallersBuffer)
{
    char out[6];
    EXPECT_TRUE(title_file_name("abcde", out, sizeof out));
    EXPECT_STREQ(out, "abcde");
    std::strcpy(out, "stale");
    EXPECT_FALSE(title_file_name("abcdef", out, sizeof out));
    EXPECT_STREQ(out, "");                                  // never a cut name
    EXPECT_TRUE(title_file_name("AUX..", out, sizeof out)); // the "_" fits once the dots go
    EXPECT_STREQ(out, "_AUX");
    char four[4];
    EXPECT_FALSE(title_file_name("NUL", four, sizeof four)); // "_NUL" needs five bytes
    EXPECT_STREQ(four, "");
    EXPECT_FALSE(title_file_name(nullptr, out, sizeof out));
    EXPECT_FALSE(title_file_name("x", nullptr, 4));
    EXPECT_FALSE(title_file_name("x", out, 0));
}

TEST(FileNameStaysInside, DrivesRootsAndDotComponentsAreRefused)
{
    const struct {
        const char *name;
        bool inside;
    } cases[] = {
        {"readme.txt", true},
        {"sub\\four.txt", true},
        {"sub/four.txt", true},
        {"readme.txt ", false}, // Windows drops the blank: the log would name another file
        {".hidden", true},
        {"a..b\\c.d", true},
        {"..\\..\\evil.txt", false},
        {"..\\evil2.dll", false},
        {"sub\\..\\..\\x", false},
        {"sub/../x", false},
        {".\\a", false},
        {"a\\.", false},
        {"...\\a", false},
        {"sub\\. .\\a", false},
        {"\\windows\\a", false},
        {"/etc/a", false},
        {"\\\\server\\share\\a", false},
        {"C:\\evil.txt", false},
        {"c:evil.txt", false},
        {"a.txt:stream", false},
        {"..", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(file_name_stays_inside(c.name, std::strlen(c.name)), c.inside) << c.name;
    // Only the given length counts: the rest of a "file" value follows it.
    const char *value = "sub\\a.dll,..\\winsys_path";
    EXPECT_TRUE(file_name_stays_inside(value, std::strlen("sub\\a.dll")));
    EXPECT_FALSE(file_name_stays_inside(value, 0));
    EXPECT_FALSE(file_name_stays_inside(nullptr, 3));
}

// Windows changes or refuses these parts, so the setup log would name a
// path that the uninstaller skips, and the file would stay behind.
TEST(FileNameStaysInside, PartsThatWindowsWouldChangeOrRefuseAreRefused)
{
    // clang-format off
    const struct {
        const char *name;
        bool inside;
    } cases[] = {
        {"readme.", false},     {"sub.\\a.txt", false}, {"sub \\a.txt", false}, {"a*b.txt", false},
        {"a?b.txt", false},     {"a\"b.txt", false},    {"a<b.txt", false},     {"a>b.txt", false},
        {"a|b.txt", false},     {"a\tb.txt", false},    {"a\x7f\x01.txt", false}, {"sub\\\\a.txt", false},
        {"sub\\", false},      {"sub/", false},         {" a.txt", true},        {"a b\\c~d$.txt", true},
        {"\xe9t\xe9.txt", true}, {"x.y.z", true},
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(file_name_stays_inside(c.name, std::strlen(c.name)), c.inside) << c.name;
}

TEST(IsFullPath, DriveColonBackslash)
{
    // clang-format off
    const struct {
        const char *path;
        bool full;
    } cases[] = {
        {"C:\\Program Files\\App\\", true}, {"d:\\", true},          {"z:\\a", true},   {"C:", false},
        {"C:apps", false},                  {"C:/apps", false},      {"apps\\foo", false}, {".", false},
        {"\\apps", false},                  {"\\\\server\\s", false}, {"1:\\a", false},   {"", false},
    };
    // clang-format on
    for (const auto &c : cases)
        EXPECT_EQ(is_full_path(c.path), c.full) << c.path;
    EXPECT_FALSE(is_full_path(nullptr));
}

// An install path is made and logged part by part: each part must be one
// that Windows keeps as written, or the uninstaller would skip it. The
// refusal names the part to blame, in the /S report and in the warning of
// Select Directory; "?" stands for a character the ANSI code page lacks.
TEST(IsFullPath, PartsThatWindowsWouldChangeOrRefuseAreNotFull)
{
    const int32_t NOT_FULL = ERR_INSTALL_PATH_NOT_FULL, DOT = ERR_INSTALL_PATH_CHANGED_END,
                  QUESTION = ERR_INSTALL_PATH_QUESTION_MARK;
    // clang-format off
    const struct {
        const char *path;
        int32_t code;
        const char *part; // the folder name to blame; "" for none
    } cases[] = {
        {"C:\\Apps\\Foo.", DOT, "Foo."},           {"C:\\Apps\\Foo.\\", DOT, "Foo."},
        {"C:\\Apps \\Foo", DOT, "Apps "},          {"C:\\Apps\\Acme. \\", DOT, "Acme. "},
        {"C:\\Apps\\????\\", QUESTION, "????"},  {"C:\\Apps\\???? ????\\x", QUESTION, "???? ????"},
        {"C:\\a\\b?.\\c.", QUESTION, "b?."},      {"C:\\a\\*?", QUESTION, "*?"},
        {"C:\\a\\..\\b", NOT_FULL, ".."},        {"C:\\.\\a", NOT_FULL, "."},
        {"C:\\a\\\\b", NOT_FULL, ""},            {"C:\\\\a", NOT_FULL, ""},
        {"C:\\a*", NOT_FULL, "a*"},                  {"C:\\a|b", NOT_FULL, "a|b"},
        {"C:\\a:b", NOT_FULL, "a:b"},                {"C:\\a\x01", NOT_FULL, "a\x01"},
        {"C:\\Apps\\NUL\\x", NOT_FULL, ""},       {"Apps\\F??.", NOT_FULL, ""},
        {"C:Apps\\Foo.", NOT_FULL, ""},             {"C:\\\xe9t\xe9\\x", ERR_NONE, ""},
        {"C:\\Program Files\\Foo 2.0\\", ERR_NONE, ""}, {"C:\\a/b", ERR_NONE, ""},
        {"C:\\.hidden\\x", ERR_NONE, ""},
    };
    // clang-format on
    for (const auto &c : cases) {
        INSTALL_PATH_FAULT fault = install_path_fault(c.path);
        EXPECT_EQ(fault.code, c.code) << c.path;
        EXPECT_EQ(is_full_path(c.path), c.code == ERR_NONE) << c.path;
        EXPECT_EQ(std::string(c.path + fault.part, fault.part_len), c.part) << c.path;

        std::string what = "install directory '" + std::string(c.path) + "'";
        if (c.part[0])
            what += ", folder name '" + std::string(c.part) + "'";
        char text[600];
        refused_install_dir(c.path, text, sizeof text);
        EXPECT_EQ(text, what);

        install_path_warning(c.path, c.code, "Acme/Tools", text, sizeof text);
        std::string quoted = "The folder name '" + std::string(c.part) + "' ";
        if (c.code == DOT)
            EXPECT_EQ(text, quoted + "ends in a dot or a blank, which Windows would drop from it.  Please enter "
                                     "the path without them.");
        else if (c.code == QUESTION)
            EXPECT_EQ(std::string(text).rfind(quoted + "holds a '?', which no name may hold.  Windows puts one for "
                                                       "each character that this system's code page cannot hold",
                                              0),
                      0u)
                << text;
        else
            EXPECT_STREQ(text, "Please enter the full path of the directory to install to, with its drive, such as "
                               "C:\\Program Files\\Acme_Tools");
    }
    EXPECT_EQ(install_path_fault(nullptr).code, NOT_FULL);
    char text[600];
    install_path_warning("C:\\Apps", ERR_INSTALL_PATH_TOO_LONG, "Acme", text, sizeof text);
    EXPECT_STREQ(text, "Please enter a shorter path: setup cannot place its files below this one.");
    // Cut to fit, never past the buffer.
    install_path_warning("C:\\Apps\\????", QUESTION, "Acme", text, 20);
    EXPECT_STREQ(text, "The folder name '??");
}

// Every place setup or the uninstaller takes a name: a "file" name, a part
// of the install path, the program (exename) and the uninstaller's log
// argument. A device name (read from a port, written to the console) or a
// program outside the install directory is refused in each.
TEST(NamesSetupTakes, DevicesAndEscapesAreRefusedEverywhere)
{
    // clang-format off
    const struct {
        const char *name;
        bool plain;  // a file name that stays inside its directory
        bool device; // a part of it names a device
    } cases[] = {
        {"nul", false, true},          {"NUL.txt", false, true},          {"aux.txt", false, true},
        {"Con", false, true},          {"prn.log.bak", false, true},      {"CONOUT$", false, true},
        {"conin$.txt", false, true},   {"com1", false, true},             {"COM9.log", false, true},
        {"lpt1 .txt", false, true},    {"lpt\xb9", false, true},          {"sub\\nul", false, true},
        {"NUL\\a.txt", false, true},   {"sub/aux", false, true},          {"com0", true, false},
        {"com10", true, false},        {"lpt", true, false},              {"xnul", true, false},
        {"nulx.txt", true, false},     {"Console.txt", true, false},      {"auxiliary", true, false},
        {"a.nul", true, false},        {"sub\\prog.exe", true, false},    {"notes.exe", true, false},
        {"..\\windows\\system32\\cmd.exe", false, false},                {"C:\\windows\\notepad.exe", false, false},
        {"\\tools\\x.exe", false, false},   {"Probe Three.", false, false},     {"Start Menu\\Tools", true, false},
        {"\\\\server\\share", false, false},
    };
    // clang-format on
    EXPECT_TRUE(shortcut_folder_stays_below("")); // right in Programs
    EXPECT_FALSE(shortcut_folder_stays_below("\\"));
    EXPECT_FALSE(shortcut_folder_stays_below("Tools\\\\"));
    EXPECT_FALSE(shortcut_folder_stays_below(nullptr));
    std::string dir = testenv::scratch_dir();
    for (const auto &c : cases) {
        std::string name = c.name;
        EXPECT_EQ(file_name_stays_inside(c.name, name.size()), c.plain) << name;
        EXPECT_EQ(path_names_device(c.name), c.device) << name;
        if (name.find(':') == std::string::npos) {
            std::string path = "C:\\Apps\\" + name + (c.plain ? "\\" : "");
            EXPECT_EQ(is_full_path(path.c_str()), c.plain) << path;
        }
        // The folder typed on Create Shortcut, with or without its backslash.
        EXPECT_EQ(shortcut_folder_stays_below(c.name), c.plain) << name;
        EXPECT_EQ(shortcut_folder_stays_below((name + "\\").c_str()), c.plain) << name;

        testenv::write_file(dir + "setup.ini", "apptitle=Names\nexename=" + name + "\nfile=notes.exe\n");
        SETUP_TYPE job;
        EXPECT_EQ(job.load_ini((dir + "setup.ini").c_str()), c.plain) << "exename=" << name;
        EXPECT_EQ(c.plain ? ERR_FILE_NAME_LEAVES_DIR : err_code, ERR_FILE_NAME_LEAVES_DIR) << name;

        COMMAND_LINE command;
        EXPECT_EQ(parse_command_line(("/S \"UnInstal\\" + name + "\"").c_str(), command), !c.device) << name;
        EXPECT_EQ(command.problem, c.device ? ARGS_DEVICE : ARGS_OK) << name;
    }
}
