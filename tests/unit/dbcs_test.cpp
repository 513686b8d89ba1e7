// Paths in a double-byte code page: the second byte of Shift-JIS "ソ" and
// "表" is 0x5C, the backslash, and must never count as a separator. The
// tables hold what a single-byte code page gives (where 0x5C is always a
// backslash) and what a double-byte one gives. Natively both are checked,
// through the substitute's control; under Wine the code page of the run's
// locale (ctest runs these tests once more under ja_JP.UTF-8, code page 932).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "uninstall/entry_check.h"
#include "platform/path_text.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/test_env.h"
#include "setup/front_text.h"

#define SO "\x83\x5c"  // "ソ" in Shift-JIS
#define HYO "\x95\x5c" // "表" in Shift-JIS

namespace {

#ifdef _WIN32
const unsigned code_pages[] = {0}; // the process's own
#else
const unsigned code_pages[] = {1252, 932};
#endif

// The substitute's code page for the scope; Windows keeps its own.
struct CodePage {
    explicit CodePage(unsigned cp)
    {
#ifndef _WIN32
        plat_test_set_code_page(cp);
#endif
        (void)cp;
    }
    ~CodePage()
    {
#ifndef _WIN32
        plat_test_set_code_page(1252);
#endif
    }
};

bool double_byte() { return plat_is_lead_byte(0x83) && plat_is_lead_byte(0x95); }

std::string printable(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c < 0x20 || c >= 0x7F ? "<%02X>" : "%c", c);
        out += hex;
    }
    return out;
}

enum Op {
    TERMINATE,
    DIRECTORY,
    FILE_NAME,
    COPY_PATH,
    HAS_EXTENSION,
    CUT_EXTENSION,
    HAS_PATH,
    ENDS_IN,
    BROWSED,
    BELOW,
    TITLE_NAME,
    STAYS_INSIDE,
    SAME_PATH,
    FILE_PART,
    LOG_ENTRY,
    ENTRY_KEY
};
// clang-format off
const char *const op_names[] = {"terminate_path", "extract_path",      "extract_filename",  "copy_path",
                                "has_extension",  "remove_extension",  "has_path",          "ends_in_backslash",
                                "join_browsed_path", "path_below",       "title_file_name",   "file_name_stays_inside",
                                "same_path",      "path_file_name",    "check_entry",       "check_entry_key"};
// clang-format on

// The operation on input as a text; arg is path_below's folder.
std::string apply(Op op, const std::string &input, const char *arg)
{
    char b[64];
    std::strcpy(b, input.c_str());
    const char *in = input.c_str();
    switch (op) {
    case TERMINATE: return terminate_path(b);
    case DIRECTORY: return extract_path(b, in, sizeof b);
    case FILE_NAME: return extract_filename(b, in, sizeof b);
    case COPY_PATH: return copy_path(b, in, sizeof b);
    case HAS_EXTENSION: return has_extension(in) ? "yes" : "no";
    case CUT_EXTENSION: return remove_extension(b);
    case HAS_PATH: return has_path(in) ? "yes" : "no";
    case ENDS_IN: return ends_in_backslash(in) ? "yes" : "no";
    case BROWSED: return join_browsed_path(b, sizeof b, in, "App\\") ? b : "<refused>";
    case BELOW: return path_below(in, arg) ? path_below(in, arg) : "<not below>";
    case TITLE_NAME: return title_file_name(in, b, sizeof b) ? b : "<refused>";
    case STAYS_INSIDE: return file_name_stays_inside(in, input.size()) ? "yes" : "no";
    case SAME_PATH: return same_path(in, arg) ? "yes" : "no";
    case FILE_PART: return path_file_name(in);
    case LOG_ENTRY: return check_entry(in, PROTECTED_DIRS()) == ENTRY_SAFE ? "safe" : "refused";
    case ENTRY_KEY: return check_entry_key(in) == ENTRY_SAFE ? "safe" : "refused";
    }
    return "<no such operation>";
}

struct ScanCase {
    Op op;
    std::string input, single_byte, double_byte;
    const char *arg;
};

// clang-format off
const ScanCase scan_cases[] = {
    {TERMINATE, "C:\\" HYO, "C:\\" HYO, "C:\\" HYO "\\", nullptr},
    {TERMINATE, "C:\\" SO "\\", "C:\\" SO "\\", "C:\\" SO "\\", nullptr},
    {DIRECTORY, "C:\\" SO "\\" HYO ".txt", "C:\\" SO "\\" "\x95\\", "C:\\" SO "\\", nullptr},
    {FILE_NAME, "C:\\d\\" SO HYO ".txt", ".txt", SO HYO ".txt", nullptr},
    {COPY_PATH, "C:\\" SO, "C:\\" SO, "C:\\" SO "\\", nullptr},
    {HAS_EXTENSION, "a.b" HYO, "no", "yes", nullptr},
    {CUT_EXTENSION, "a.b" HYO, "a.b" HYO, "a", nullptr},
    {HAS_PATH, SO HYO, "yes", "no", nullptr},
    {ENDS_IN, "x" HYO, "yes", "no", nullptr},
    {BROWSED, "C:\\" HYO, "C:\\" HYO "App\\", "C:\\" HYO "\\App\\", nullptr},
    // A second byte in the letters' range is no letter: it does not fold.
    {BELOW, "C:\\Programs\\" "\x83\x41" "\\x", "x", "<not below>", "C:\\PROGRAMS\\" "\x83\x61" "\\"},
    {BELOW, "c:\\programs\\" SO "\\Tools", "Tools", "Tools", "C:\\Programs\\" SO "\\"},
    // A title's file name keeps a double-byte character whole, and its
    // trailing dots go.
    {TITLE_NAME, "E2E " SO HYO "..", "E2E \x83_\x95_", "E2E " SO HYO, nullptr},
    // Trailing dots, which Windows drops, are refused however the name splits;
    // a second byte 0x5C or "|" is neither a separator nor a forbidden character.
    {STAYS_INSIDE, SO "..\\x", "no", "no", nullptr},
    {STAYS_INSIDE, SO "\\x", "no", "yes", nullptr},
    {STAYS_INSIDE, "\x81\x7c.txt", "no", "yes", nullptr},
    // The uninstaller's view of a logged path: a trailing 0x5C that ends a
    // character is no separator, nor is one inside a name.
    {SAME_PATH, "C:\\" SO, "yes", "no", "C:\\\x83"},
    {SAME_PATH, "C:\\\x83\x41", "yes", "no", "c:\\\x83\x61"},
    {FILE_PART, "C:\\d\\" SO HYO ".txt", ".txt", SO HYO ".txt", nullptr},
    {LOG_ENTRY, "C:\\" SO "\\" HYO ".txt", "refused", "safe", nullptr},
    // The Apps & Features key of a double-byte title is one key, not a path.
    {ENTRY_KEY, "SetupLog " SO HYO ".log", "refused", "safe", nullptr},
};
// clang-format on

bool collect(const char *prefix, void *context)
{
    static_cast<std::vector<std::string> *>(context)->push_back(printable(prefix));
    return true;
}

} // namespace

TEST(DbcsPaths, SeparatorScansStepByCharacter)
{
    for (unsigned cp : code_pages) {
        CodePage scope(cp);
        for (const ScanCase &c : scan_cases)
            EXPECT_EQ(printable(apply(c.op, c.input, c.arg)), printable(double_byte() ? c.double_byte : c.single_byte))
                << op_names[c.op] << "(" << printable(c.input) << ") in code page " << plat_ansi_code_page();

        std::vector<std::string> prefixes;
        ASSERT_TRUE(walk_path_prefixes("C:\\" SO "\\" HYO "\\x", collect, &prefixes));
        std::vector<std::string> expected =
            double_byte() ? std::vector<std::string>{"C:\\" SO, "C:\\" SO "\\" HYO, "C:\\" SO "\\" HYO "\\x"}
                          : std::vector<std::string>{"C:\\"
                                                     "\x83",
                                                     "C:\\" SO "\\"
                                                     "\x95",
                                                     "C:\\" SO "\\" HYO "\\x"};
        for (std::string &e : expected)
            e = printable(e);
        EXPECT_EQ(prefixes, expected) << "code page " << plat_ansi_code_page();
    }
}

// Under Wine only a run under ja_JP.UTF-8 has code page 932. That run names
// the code page it expects (SETUP_EXPECT_ACP), so that a locale Wine did not
// take fails there instead of skipping unseen.
#define SKIP_UNLESS_932()                                                                                              \
    do {                                                                                                               \
        if (!double_byte()) {                                                                                          \
            const char *asked = std::getenv("SETUP_EXPECT_ACP");                                                       \
            ASSERT_EQ(asked, nullptr) << "code page " << plat_ansi_code_page() << " instead of " << asked;             \
            GTEST_SKIP() << "code page " << plat_ansi_code_page() << "; ctest runs this under ja_JP.UTF-8";            \
        }                                                                                                              \
    } while (0)

// The lead bytes of code page 932, from the substitute's table or from Windows.
TEST(DbcsCodePage, LeadBytesOf932)
{
    CodePage scope(932);
    SKIP_UNLESS_932();
    EXPECT_EQ(plat_ansi_code_page(), 932u);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(plat_is_lead_byte((unsigned char)c), (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) << c;
    const char text[] = "a" SO "\x83";
    EXPECT_EQ(plat_char_next(text), text + 1);
    EXPECT_EQ(plat_char_next(text + 1), text + 3);
    EXPECT_EQ(plat_char_next(text + 3), text + 4) << "a lead byte at the end stands alone";
    EXPECT_EQ(plat_char_next(text + 4), text + 4);
}

// A registry key of a double-byte name is one key: none is made above it
// for the bytes before a second byte 0x5C, and deleting it leaves nothing.
TEST(DbcsCodePage, RegistryKeyOfADoubleByteNameIsOneKey)
{
    CodePage scope(932);
    SKIP_UNLESS_932();
    const char key[] = "SetupLog " SO HYO ".log";
    ASSERT_EQ(plat_reg_create_key(key, nullptr), PLAT_DONE);
    ASSERT_EQ(plat_reg_set_dword(key, "NoModify", 1), PLAT_DONE);
    uint32_t values = 0, subkeys = 9;
    EXPECT_EQ(plat_reg_count(key, &values, &subkeys), PLAT_DONE);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_NE(plat_reg_count("SetupLog \x83", nullptr, nullptr), PLAT_DONE) << "a key cut inside a character";
    EXPECT_EQ(plat_reg_delete_key(key), PLAT_DONE);
    EXPECT_NE(plat_reg_count(key, nullptr, nullptr), PLAT_DONE);
}

// The whole road with double-byte names: install path, file and shortcut
// land where they should, and the log names them.
class DbcsInstall : public LinkJobTest {
protected:
    CodePage scope{932};
    bool set_up = false;

    void SetUp() override
    {
        SKIP_UNLESS_932();
        set_up = true;
        LinkJobTest::SetUp();
    }
    void TearDown() override
    {
        if (set_up)
            LinkJobTest::TearDown();
    }
};

TEST_F(DbcsInstall, FilesAndShortcutLandWhereTheyShould)
{
    std::string log = open_log_at(root);
    const std::string app = root + "inst\\" SO HYO; // ends in 0x5C, yet without a backslash
    job.set_installpath(app.c_str());
    EXPECT_EQ(printable(job.get_installpath()), printable(app + "\\"));

    put_source(SO HYO ".txt", "double-byte name");
    ASSERT_TRUE(job.add_file(SO HYO ".txt"));
    ASSERT_TRUE(job.prepare_install());
    ASSERT_TRUE(job.install_file());
    EXPECT_EQ(testenv::read_file(app + "\\" SO HYO ".txt"), "double-byte name");

    job.set_apptitle(SO HYO);
    job.set_exename(SO HYO ".txt");
    const std::string menu = root + "menu\\" SO HYO;
    ASSERT_TRUE(job.create_shortcut(menu.c_str()));
    EXPECT_TRUE(file_exists((menu + "\\" SO HYO ".lnk").c_str()));

    job.close_log();
    std::vector<std::string> expected = {
        "MkDir=" + root + "inst", "MkDir=" + app,  "MkFile=" + app + "\\" SO HYO ".txt",
        "MkDir=" + root + "menu", "MkDir=" + menu, "MkFile=" + menu + "\\" SO HYO ".lnk"};
    std::vector<std::string> lines = text_lines(log);
    for (std::vector<std::string> *v : {&expected, &lines})
        for (std::string &line : *v)
            line = printable(line);
    EXPECT_EQ(lines, expected);
}
