// The one uninstaller beside the logs: replaced only by a newer one, read
// from the programs' own version resources; and the logs that tell an
// uninstaller which keys it must know.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lib/generr.h"
#include "platform/file_version.h"
#include "platform/platform.h"
#include "setup/log_format.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/pe_image.h"
#include "tests/unit/support/test_env.h"

using testenv::read_file;
using testenv::write_file;
using testpe::program_with_version;
using testpe::version;

namespace {

// What stands at a place: a program of a version, a file that is none, or
// something that is not there or cannot be read.
struct PLACED_FILE {
    enum { PROGRAM, BYTES, NOTHING, FOLDER } kind;
    uint64_t version;
    std::string bytes; // for BYTES; appended to a PROGRAM, so that copies differ
};
PLACED_FILE program(uint64_t v, const std::string &mark = "") { return {PLACED_FILE::PROGRAM, v, mark}; }
PLACED_FILE bytes(const std::string &b) { return {PLACED_FILE::BYTES, 0, b}; }
const PLACED_FILE NOTHING = {PLACED_FILE::NOTHING, 0, ""};
const PLACED_FILE FOLDER = {PLACED_FILE::FOLDER, 0, ""};

std::string contents(const PLACED_FILE &f)
{
    return f.kind == PLACED_FILE::PROGRAM ? program_with_version(f.version) + f.bytes : f.bytes;
}

void place(const std::string &path, const PLACED_FILE &f)
{
    if (f.kind == PLACED_FILE::FOLDER)
        testenv::make_dir(path);
    else if (f.kind != PLACED_FILE::NOTHING)
        write_file(path, contents(f));
}

} // namespace

class UninstallerVersionTest : public JobTest {};

TEST_F(UninstallerVersionTest, OnlyANewerUninstallerReplacesTheOneBesideTheLogs)
{
    std::string resources_only = program_with_version(version(9, 0), 3); // an icon, say: no version
    std::string cut_short = program_with_version(version(9, 0)).substr(0, 0x230);
    struct ROW {
        const char *name;
        PLACED_FILE ours, there;
        UNINSTALLER_CHOICE choice;
        bool copied;      // ours is there afterwards (else what was there stays)
        const char *said; // how the report names the choice
    };
    // clang-format off
    const std::vector<ROW> rows = {
        {"newer",                program(version(1, 2)),       program(version(1, 1)),        UNINSTALLER_REPLACED,   true,  "replaced ? 1.1.0.0 by 1.2.0.0"},
        {"newer by the revision",program(version(1, 2, 0, 1)), program(version(1, 2, 0, 0)),  UNINSTALLER_REPLACED,   true,  "replaced ? 1.2.0.0 by 1.2.0.1"},
        {"newer by a number",    program(version(1, 10)),      program(version(1, 9, 5)),     UNINSTALLER_REPLACED,   true,  "replaced ? 1.9.5.0 by 1.10.0.0"},
        {"same",                 program(version(1, 2)),       program(version(1, 2), "x"),   UNINSTALLER_KEPT_SAME,  false, "kept ? 1.2.0.0: the same as this setup's"},
        {"older",                program(version(1, 2)),       program(version(2, 0)),        UNINSTALLER_KEPT_NEWER, false, "kept ? 2.0.0.0: this setup's (1.2.0.0) is not newer"},
        {"older by the build",   program(version(1, 2, 3)),    program(version(1, 2, 4)),     UNINSTALLER_KEPT_NEWER, false, "kept ? 1.2.4.0: this setup's (1.2.3.0) is not newer"},
        {"none there",           program(version(1, 2)),       NOTHING,                       UNINSTALLER_PLACED,     true,  "placed ? 1.2.0.0"},
        {"not a program there",  program(version(1, 2)),       bytes("MZ old"),               UNINSTALLER_NOT_OURS,   true,  "replaced ? (without version: not ours) by 1.2.0.0"},
        {"no version there",     program(version(1, 2)),       bytes(resources_only),         UNINSTALLER_NOT_OURS,   true,  "replaced ? (without version: not ours) by 1.2.0.0"},
        {"cut short there",      program(version(1, 2)),       bytes(cut_short),              UNINSTALLER_NOT_OURS,   true,  "replaced ? (without version: not ours) by 1.2.0.0"},
        {"ours without version", bytes("MZ ours"),             program(version(0, 1)),        UNINSTALLER_KEPT_NEWER, false, "kept ? 0.1.0.0: this setup's (without version) is not newer"},
        {"both without version", bytes("MZ ours"),             bytes("MZ theirs"),            UNINSTALLER_NOT_OURS,   true,  "replaced ? (without version: not ours) by without version"},
        {"none brought",         NOTHING,                      program(version(1, 0)),        UNINSTALLER_NOT_BROUGHT,false, "none: setup has no uninstal.exe beside it"},
        // A folder of that name cannot be read, nor replaced: the copy fails.
        {"unreadable there",     program(version(1, 2)),       FOLDER,                        UNINSTALLER_NOT_OURS,   false, "replaced ? (unreadable: not ours) by 1.2.0.0"},
    };
    // clang-format on
    int case_number = 0;
    for (const ROW &row : rows) {
        SCOPED_TRACE(row.name);
        std::string dir = root + "case" + std::to_string(++case_number) + "\\";
        testenv::make_dir(dir);
        SETUP_TYPE &fresh = job;
        std::string win = dir + "win\\";
        testenv::make_dir(win);
        testenv::make_dir(win + "UnInstal");
        set_field(fresh.windows_dir, win.c_str());
        fresh.set_installpath(dir.c_str());
        plat_delete_file("uninstal.exe");
        place("uninstal.exe", row.ours);
        std::string there = win + "UnInstal\\uninstal.exe";
        place(there, row.there);
        std::string log = open_log_at(dir);

        bool done = fresh.write_uninstall_bat("UnInstal\\Unknown.log");
        EXPECT_EQ(done, row.there.kind != PLACED_FILE::FOLDER);
        if (!done) {
            EXPECT_EQ(err_code, ERR_COPY_FAILED);
        }
        EXPECT_EQ(fresh.uninstaller.choice, row.choice);
        if (row.there.kind != PLACED_FILE::FOLDER) {
            EXPECT_EQ(read_file(there), row.copied ? contents(row.ours) : contents(row.there));
        }
        char said[LOG_PATH_SIZE + 96];
        describe_uninstaller(fresh.uninstaller, said, sizeof said);
        std::string expected = row.said;
        size_t mark = expected.find('?');
        if (mark != std::string::npos)
            expected.replace(mark, 1, there);
        EXPECT_EQ(said, expected);
        // The log says so only when the uninstaller there is not this setup's.
        fresh.close_log();
        std::vector<std::string> lines = text_lines(log);
        if (done) {
            EXPECT_EQ(lines.back(), row.choice == UNINSTALLER_KEPT_NEWER ? "; uninstaller " + expected
                                                                         : "MkFile=" + dir + "uninstal.bat");
        }
    }
}

// The reader on real programs' layouts and on what merely looks like one.
TEST(FileVersion, ReadsTheFixedVersionAndTellsNoneFromUnreadable)
{
    std::string dir = testenv::scratch_dir();
    std::string program = program_with_version(version(3, 4, 5, 6));
    struct ROW {
        const char *name;
        std::string bytes;
        FILE_VERSION_READ read;
        uint64_t version;
    };
    std::string bad_signature = program;
    bad_signature[0x200 + 0x58 + 40] ^= 1;
    std::string far_header = program;
    testpe::put32(far_header, 0x3C, 0x7FFFFFF0);
    std::string no_resources = program;
    testpe::put32(no_resources, 64 + 24 + 112 + 16, 0);
    std::string wrong_key = program;
    wrong_key[0x200 + 0x58 + 6] = 'W';
    const std::vector<ROW> rows = {
        {"a program", program, VERSION_FOUND, version(3, 4, 5, 6)},
        {"empty", "", VERSION_NONE, 0},
        {"text", "MZ is not enough", VERSION_NONE, 0},
        {"no signature", bad_signature, VERSION_NONE, 0},
        {"header out of reach", far_header, VERSION_NONE, 0},
        {"no resources", no_resources, VERSION_NONE, 0},
        {"another key", wrong_key, VERSION_NONE, 0},
        {"cut in the version", program.substr(0, program.size() - 20), VERSION_NONE, 0},
    };
    for (const ROW &row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = dir + "file.exe";
        write_file(path, row.bytes);
        uint64_t got = 1;
        EXPECT_EQ(plat_file_version(path.c_str(), &got), row.read);
        EXPECT_EQ(got, row.version);
    }
    uint64_t got = 1;
    EXPECT_EQ(plat_file_version((dir + "missing.exe").c_str(), &got), VERSION_UNREADABLE);
    EXPECT_EQ(got, 0u);
    char text[8];
    format_file_version(version(65535, 2, 3, 4), text, sizeof text);
    EXPECT_STREQ(text, "65535.2"); // cut, and terminated
}

// A log names the keys its uninstaller must know; the first keys need no
// such line, so that the logs written before read as they always have.
TEST(LogNeeds, ALogNamesTheKeysItNeedsOnceAndUnknownOnesAreFound)
{
    struct ROW {
        const char *name;
        const char *text;
        const char *unknown; // null: this uninstaller can remove it
    };
    const std::vector<ROW> rows = {
        {"a log as written before", "; Setup log\r\nAppTitle=A\r\nMkFile=C:\\a\r\n", nullptr},
        {"a known key", "AppTitle=A\r\nNeeds=MkFile\r\nMkFile=C:\\a\r\n", nullptr},
        {"a known key in any case", "needs=MKDIR\r\n", nullptr},
        {"an unknown key", "AppTitle=A\r\nNeeds=MkFile\r\nNeeds=RegKey\r\nRegKey=HKLM\\x\r\n", "RegKey"},
        {"the line's key in any case", "NEEDS=Undo\n", "Undo"},
        {"an empty need", "Needs=\r\n", ""},
        {"an unknown key alone is ignored", "RegKey=HKLM\\x\r\n", nullptr},
        {"a need cut short: its line never followed", "MkFile=C:\\a\r\nNeeds=RegKey", nullptr},
        {"a comment", "; Needs=RegKey\r\n", nullptr},
    };
    for (const ROW &row : rows) {
        SCOPED_TRACE(row.name);
        PARSED_LOG log;
        ASSERT_TRUE(log.parse(row.text, (uint32_t)std::strlen(row.text)));
        if (row.unknown)
            EXPECT_STREQ(log.unknown_need(), row.unknown);
        else
            EXPECT_EQ(log.unknown_need(), nullptr);
    }

    // The first keys are announced by nobody: the bytes of a log without an
    // entry stay as before. An entry is announced, since an older
    // uninstaller would leave it behind, and so is an earlier version kept,
    // which it would never put back.
    for (int key = KEY_OTHER; key < LOG_KEY_COUNT; ++key)
        EXPECT_EQ(log_key_is_required((LOG_KEY)key), key == KEY_MKREG || key == KEY_EARLIER)
            << log_key_name((LOG_KEY)key);
    std::string path = testenv::scratch_dir() + "needs.log";
    LOG_WRITER writer;
    ASSERT_TRUE(writer.start(plat_fopen(path.c_str(), "wt"), path.c_str()));
    EXPECT_TRUE(writer.need(KEY_MKDIR));
    EXPECT_TRUE(writer.entry(KEY_MKDIR, "C:\\a"));
    EXPECT_TRUE(writer.need(KEY_MKDIR)); // once a log
    EXPECT_FALSE(writer.need(KEY_OTHER));
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(read_file(path), "Needs=MkDir\r\nMkDir=C:\\a\r\n");
    ASSERT_TRUE(writer.start(plat_fopen(path.c_str(), "wt"), path.c_str()));
    EXPECT_TRUE(writer.need(KEY_MKDIR)); // a new log announces again
    EXPECT_TRUE(writer.entry(KEY_MKREG, "SetupLog A.log"));
    EXPECT_TRUE(writer.entry(KEY_MKREG, "SetupLog A.log"));
    writer.close();
    EXPECT_EQ(read_file(path), "Needs=MkDir\r\nNeeds=MkReg\r\nMkReg=SetupLog A.log\r\nMkReg=SetupLog A.log\r\n");
    PARSED_LOG read;
    ASSERT_EQ(read.load(path.c_str()), LOAD_OK);
    EXPECT_EQ(read.unknown_need(), nullptr) << "this uninstaller knows MkReg";
}
