// Paths in a double-byte code page: the second byte of Shift-JIS "ソ" and
// "表" is 0x5C, the backslash, and must never count as a separator. Every
// table holds what a single-byte code page gives (where 0x5C is always a
// backslash) and what a double-byte one gives. Natively both are checked;
// under Wine the code page of the run's locale (ctest runs these tests once
// more under ja_JP.UTF-8, where Wine takes code page 932).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "platform/platform.h"
#include "support/code_page.h"
#include "support/job_fixture.h"
#include "support/test_env.h"
#include "wizard/page_text.h"

#ifdef _WIN32
#include <objbase.h>
#endif

#define SO "\x83\x5c"  // "ソ" in Shift-JIS
#define HYO "\x95\x5c" // "表" in Shift-JIS

namespace {

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

// Each path operation as a text in, a text out.
std::string yes_no(bool b) { return b ? "yes" : "no"; }
std::string terminated(const std::string &in)
{
    char b[64];
    return terminate_path(std::strcpy(b, in.c_str()));
}
std::string directory_of(const std::string &in)
{
    char b[64];
    return extract_path(b, in.c_str(), sizeof b);
}
std::string file_name_of(const std::string &in)
{
    char b[64];
    return extract_filename(b, in.c_str(), sizeof b);
}
std::string copied_path(const std::string &in)
{
    char b[64];
    return copy_path(b, in.c_str(), sizeof b);
}
std::string without_extension(const std::string &in)
{
    char b[64];
    return remove_extension(std::strcpy(b, in.c_str()));
}
std::string extension(const std::string &in) { return yes_no(has_extension(in.c_str())); }
std::string path(const std::string &in) { return yes_no(has_path(in.c_str())); }
std::string trailing_backslash(const std::string &in) { return yes_no(ends_in_backslash(in.c_str())); }
std::string browsed(const std::string &in)
{
    char b[64];
    return join_browsed_path(b, sizeof b, in.c_str(), "App\\") ? b : "<refused>";
}
std::string below(const std::string &in, const char *folder)
{
    const char *rest = path_below(in.c_str(), folder);
    return rest ? rest : "<not below>";
}
// A second byte in the letters' range is no letter: it does not fold.
std::string below_programs_a(const std::string &in) { return below(in, "C:\\PROGRAMS\\" "\x83\x61" "\\"); }
std::string below_programs_so(const std::string &in) { return below(in, "C:\\Programs\\" SO "\\"); }

struct ScanCase {
    const char *what;
    std::string (*op)(const std::string &);
    std::string input, single_byte, double_byte;
};

const ScanCase scan_cases[] = {
    {"terminate_path", terminated, "C:\\" HYO, "C:\\" HYO, "C:\\" HYO "\\"},
    {"terminate_path", terminated, "C:\\" SO "\\", "C:\\" SO "\\", "C:\\" SO "\\"},
    {"extract_path", directory_of, "C:\\" SO "\\" HYO ".txt", "C:\\" SO "\\" "\x95\\", "C:\\" SO "\\"},
    {"extract_filename", file_name_of, "C:\\d\\" SO HYO ".txt", ".txt", SO HYO ".txt"},
    {"copy_path", copied_path, "C:\\" SO, "C:\\" SO, "C:\\" SO "\\"},
    {"has_extension", extension, "a.b" HYO, "no", "yes"},
    {"remove_extension", without_extension, "a.b" HYO, "a.b" HYO, "a"},
    {"has_path", path, SO HYO, "yes", "no"},
    {"ends_in_backslash", trailing_backslash, "x" HYO, "yes", "no"},
    {"join_browsed_path", browsed, "C:\\" HYO, "C:\\" HYO "App\\", "C:\\" HYO "\\App\\"},
    {"path_below", below_programs_a, "C:\\Programs\\" "\x83\x41" "\\x", "x", "<not below>"},
    {"path_below", below_programs_so, "c:\\programs\\" SO "\\Tools", "Tools", "Tools"},
};

bool collect(const char *prefix, void *context)
{
    static_cast<std::vector<std::string> *>(context)->push_back(prefix);
    return true;
}

} // namespace

TEST(DbcsPaths, SeparatorScansStepByCharacter)
{
    for (unsigned cp : code_page::to_check()) {
        code_page::Scope scope(cp);
        bool dbcs = code_page::double_byte();
        for (const ScanCase &c : scan_cases)
            EXPECT_EQ(printable(c.op(c.input)), printable(dbcs ? c.double_byte : c.single_byte))
                << c.what << "(" << printable(c.input) << ") in code page " << cp;
        EXPECT_EQ(last_backslash(static_cast<const char *>(nullptr)), nullptr);
    }
}

TEST(DbcsPaths, PrefixWalkSplitsOnlyAtSeparators)
{
    for (unsigned cp : code_page::to_check()) {
        code_page::Scope scope(cp);
        std::vector<std::string> prefixes;
        ASSERT_TRUE(walk_path_prefixes("C:\\" SO "\\" HYO "\\x", collect, &prefixes));
        std::vector<std::string> expected = code_page::double_byte()
            ? std::vector<std::string>{"C:\\" SO, "C:\\" SO "\\" HYO, "C:\\" SO "\\" HYO "\\x"}
            : std::vector<std::string>{"C:\\" "\x83", "C:\\" SO "\\" "\x95", "C:\\" SO "\\" HYO "\\x"};
        ASSERT_EQ(prefixes.size(), expected.size()) << "code page " << cp;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(printable(prefixes[i]), printable(expected[i])) << "code page " << cp;
    }
}

// Under Wine only a run under ja_JP.UTF-8 has code page 932. That run names
// the code page it expects (SETUP_EXPECT_ACP), so that a locale Wine did not
// take fails there instead of skipping unseen.
#ifdef _WIN32
#define SKIP_UNLESS_932()                                                                                              \
    do {                                                                                                               \
        if (plat_ansi_code_page() != 932) {                                                                            \
            const char *asked = std::getenv("SETUP_EXPECT_ACP");                                                       \
            ASSERT_EQ(asked, nullptr) << "code page " << plat_ansi_code_page() << " instead of " << asked;            \
            GTEST_SKIP() << "code page " << plat_ansi_code_page() << "; ctest runs this under ja_JP.UTF-8";          \
        }                                                                                                              \
    } while (0)
#else
#define SKIP_UNLESS_932() (void)0
#endif

// The lead bytes of code page 932, from the substitute's table or from Windows.
TEST(DbcsCodePage, LeadBytesOf932)
{
    SKIP_UNLESS_932();
    code_page::Scope scope(932);
    EXPECT_EQ(plat_ansi_code_page(), 932u);
    for (int c = 0; c < 256; ++c) {
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(plat_is_lead_byte((unsigned char)c), lead) << std::hex << c;
    }
    const char text[] = "a" SO "\x83";
    EXPECT_EQ(plat_char_next(text), text + 1);
    EXPECT_EQ(plat_char_next(text + 1), text + 3);
    EXPECT_EQ(plat_char_next(text + 3), text + 4) << "a lead byte at the end stands alone";
    EXPECT_EQ(plat_char_next(text + 4), text + 4);
}

// The whole road with double-byte names: install path, file and shortcut
// land where they should, and the log names them.
class DbcsInstall : public JobTest {
protected:
    void SetUp() override
    {
        SKIP_UNLESS_932();
#ifdef _WIN32
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
#endif
        set_up = true;
        JobTest::SetUp();
    }
    void TearDown() override
    {
        if (!set_up)
            return;
        JobTest::TearDown();
#ifdef _WIN32
        CoUninitialize();
#endif
    }
    code_page::Scope scope{932};
    bool set_up = false;
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
    char dest[260];
    job.dest_path(dest, sizeof dest);
    EXPECT_EQ(printable(dest), printable(app + "\\" SO HYO ".txt"));
    ASSERT_TRUE(job.install_file());
    EXPECT_EQ(testenv::read_file(app + "\\" SO HYO ".txt"), "double-byte name");

    job.set_apptitle(SO HYO);
    job.set_exename(SO HYO ".txt");
    const std::string menu = root + "menu\\" SO HYO;
    ASSERT_TRUE(job.create_shortcut(menu.c_str()));
    EXPECT_TRUE(file_exists((menu + "\\" SO HYO ".lnk").c_str()));

    job.close_log();
    std::vector<std::string> expected = {"MkDir=" + root + "inst", "MkDir=" + app, "MkFile=" + app + "\\" SO HYO ".txt",
                                         "MkDir=" + root + "menu", "MkDir=" + menu,
                                         "MkFile=" + menu + "\\" SO HYO ".lnk"};
    std::vector<std::string> lines = text_lines(log);
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(printable(lines[i]), printable(expected[i]));
}
