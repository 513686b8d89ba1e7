// A whole installation over the POSIX substitute, on an arbitrary
// description, in a scratch drive laid out anew for each input. The engine's
// operations run in the order the Installing and Create Shortcut pages call
// them. Afterwards the setup log must tell the truth, as the uninstaller
// reads it: it ends in a whole line; every entry it names exists and is one
// the uninstaller would act on; and everything the run made or changed on
// the drive is named in it, apart from the uninstaller copy beside the log
// and, when the run failed, at most the one item in flight. A disk that
// fills up must end the run with the log's code. Every path the run touches
// lies on the scratch drive (fuzz_drive.cpp stops the run otherwise).
//
// The input: a first line of control, then setup.ini. The control line
// holds the number of the write (a line of the log or of the batch file) at
// which the disk fills up (none without a number) and letters: "o" answers
// Overwrite to the question about another version of a file (else Skip), "s"
// skips the shortcut, "l" has the full disk report its lost bytes as
// written, "j" runs under code page 932.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "setup/install_road.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/setup.h"
#include "tests/fuzz/support/fuzz_drive.h"
#include "uninstall/entry_check.h"
#include "platform/path_text.h"

using fuzzdrive::Entry;

namespace {

struct Control {
    int disk_full_at = 0;
    bool overwrite = false;
    bool skip_shortcut = false;
    bool loses_bytes = false;
    bool double_byte = false;
};

Control read_control(const std::string &line)
{
    Control control;
    for (char c : line) {
        if (c >= '0' && c <= '9' && control.disk_full_at < 1000)
            control.disk_full_at = control.disk_full_at * 10 + (c - '0');
        control.overwrite |= c == 'o';
        control.skip_shortcut |= c == 's';
        control.loses_bytes |= c == 'l';
        control.double_byte |= c == 'j';
    }
    return control;
}

// The sources of the listed files, each with bytes of its own length, in
// the setup directory (the current one). A name the drive cannot hold is
// left out: its copy then fails, as with a missing file.
void put_sources(const SETUP_TYPE &job)
{
    for (int32_t i = 0; i < job.num_files; ++i) {
        std::string path = std::string(fuzzdrive::SETUP_DIR) + "\\" + job.files[i]->name;
        for (size_t k = std::strlen(fuzzdrive::SETUP_DIR) + 1; k < path.size(); ++k)
            if (path[k] == '\\' || path[k] == '/')
                plat_mkdir(path.substr(0, k).c_str());
        fuzzdrive::put(path, std::string("source of ") + job.files[i]->name);
    }
}

// The Installing page's part of the road: another version at its
// destination is overwritten or skipped as the user answers; nobody cancels.
class FUZZ_FRONT : public ROAD_FRONT {
public:
    explicit FUZZ_FRONT(bool overwrite) : answer(overwrite ? OVERWRITE_REPLACE : OVERWRITE_SKIP) {}
    void begin_files(int32_t) override {}
    void show_file(int32_t, int32_t, int32_t, const char *) override {}
    bool cancelled() override { return false; }
    OVERWRITE_ANSWER ask_overwrite(const char *) override { return answer; }

private:
    OVERWRITE_ANSWER answer;
};

// Create Shortcut with the folder it offers: one named after the title in
// the Programs folder.
bool make_shortcut(SETUP_TYPE &job)
{
    char name[SETUP_PATH_SIZE] = "", folder[SETUP_PATH_SIZE];
    title_file_name(job.get_apptitle(), name, sizeof name);
    if (!join_path(folder, sizeof folder, fuzzdrive::PROGRAMS_DIR, "\\", name))
        return false;
    return job.create_shortcut(folder);
}

// The installation as setup.exe runs it once the description is read: the
// engine's road as the Installing page takes it, then Create Shortcut, then
// the entry closes the log. The first failure ends it, as the pages' error
// boxes end setup. log_name receives the log's name relative to the Windows
// directory.
bool run_installation(SETUP_TYPE &job, const Control &control, char *log_name, size_t size)
{
    FUZZ_FRONT front(control.overwrite);
    ROAD_RESULT road = job.run_install_road(front);
    bool succeeded = road.end == ROAD_DONE && (control.skip_shortcut || make_shortcut(job));
    int32_t code = err_code;
    job.close_log();
    err_code = code;
    join_path(log_name, size, road.log_name);
    return succeeded;
}

// True when the disk filled up during the run. The write that meets a full
// disk still puts half of its bytes out, every later one none: a probe that
// gets nothing out found the disk full already, one that gets half out was
// itself the write at which it filled.
bool disk_filled_up()
{
    const char probe[] = "C:\\probe.txt";
    FILE *f = plat_fopen(probe, "wt");
    if (!f)
        fuzzdrive::fail("cannot open %s", probe);
    plat_fwrite("probe\n", 6, f);
    std::fclose(f);
    int64_t size = plat_file_size(probe);
    plat_delete_file(probe);
    return size == 0;
}

bool is_named(const PARSED_LOG &log, const std::string &path, LOG_KEY key)
{
    // A kept earlier version is named by the line that pairs it with its place.
    if (key == KEY_MKFILE && log.names_backup(path.c_str()))
        return true;
    for (int32_t i = 0; i < log.count; ++i)
        if (log.lines[i].key == key && !log.lines[i].cut && same_path(log.lines[i].value, path.c_str()))
            return true;
    return false;
}

void check_log(const std::string &log_path, const std::map<std::string, Entry> &before,
               const std::map<std::string, Entry> &after, bool succeeded)
{
    auto found = after.find(log_path);
    FUZZ_CHECK(found != after.end() && !found->second.dir, "the setup log %s is gone", log_path.c_str());
    const std::string &bytes = found->second.bytes;
    FUZZ_CHECK(bytes.empty() || bytes.back() == '\n', "the setup log does not end in a whole line");
    PARSED_LOG log;
    FUZZ_CHECK(log.parse(bytes.data(), (uint32_t)bytes.size()), "the log reader ran out of memory");

    PROTECTED_DIRS dirs = {};
    join_path(dirs.windows, sizeof dirs.windows, fuzzdrive::WINDOWS_DIR);
    join_path(dirs.system, sizeof dirs.system, fuzzdrive::SYSTEM_DIR);
    join_path(dirs.programs[0], sizeof dirs.programs[0], fuzzdrive::PROGRAMS_DIR);
    for (int32_t i = 0; i < log.count; ++i) {
        const LOG_LINE &line = log.lines[i];
        FUZZ_CHECK(!line.has_nul, "log line %d holds a zero byte", (int)i);
        if (line.key != KEY_MKDIR && line.key != KEY_MKFILE)
            continue;
        ENTRY_CHECK check = check_entry(line.value, dirs);
        FUZZ_CHECK(check == ENTRY_SAFE, "the uninstaller would skip log line %d (check %d): %s", (int)i, (int)check,
                   line.text);
        bool exists = false;
        for (const auto &entry : after)
            exists =
                exists || (entry.second.dir == (line.key == KEY_MKDIR) && same_path(entry.first.c_str(), line.value));
        FUZZ_CHECK(exists, "log line %d names what is not there: %s", (int)i, line.text);
    }

    // Everything made or changed, named; the uninstaller beside the log is
    // shared by every log and stays on purpose.
    // (Its directory found by character: a second byte may be a backslash.)
    std::string beside =
        log_path.substr(0, (size_t)(path_file_name(log_path.c_str()) - log_path.c_str())) + "uninstal.exe";
    std::vector<std::string> unnamed;
    for (const auto &entry : after) {
        auto old = before.find(entry.first);
        bool changed =
            old == before.end() || old->second.dir != entry.second.dir || old->second.bytes != entry.second.bytes;
        if (changed && !same_path(entry.first.c_str(), beside.c_str()) &&
            !is_named(log, entry.first, entry.second.dir ? KEY_MKDIR : KEY_MKFILE))
            unnamed.push_back(entry.first);
    }
    FUZZ_CHECK(unnamed.size() <= (succeeded ? 0u : 1u), "%zu made but not in the log after a %s run, first %s",
               unnamed.size(), succeeded ? "successful" : "failed", unnamed.empty() ? "" : unnamed[0].c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdrive::init();
    fuzzdrive::reset();
    const std::string input(reinterpret_cast<const char *>(data), size);
    size_t newline = input.find('\n');
    Control control = read_control(input.substr(0, newline));
    std::string ini = newline == std::string::npos ? "" : input.substr(newline + 1);
    plat_test_set_code_page(control.double_byte ? 932 : 1252);

    // What the machine holds already: files that a setup may meet at its
    // destinations, and the uninstaller that setup copies beside the log.
    fuzzdrive::put(std::string(fuzzdrive::WINDOWS_DIR) + "\\win.ini", "[old]\r\n");
    fuzzdrive::put(std::string(fuzzdrive::SYSTEM_DIR) + "\\shared.dll", "old library");
    fuzzdrive::put(std::string(fuzzdrive::SETUP_DIR) + "\\uninstal.exe", "MZ uninstaller");
    fuzzdrive::put(std::string(fuzzdrive::SETUP_DIR) + "\\setup.ini", ini);

    SETUP_TYPE job;
    if (!job.load_ini("setup.ini"))
        return 0; // refused before any window: nothing to install
    put_sources(job);
    const std::map<std::string, Entry> before = fuzzdrive::snapshot();

    if (control.disk_full_at > 0)
        plat_test_fail_write(control.disk_full_at, control.loses_bytes ? PLAT_WRITE_LOSES_BYTES : PLAT_WRITE_FAILS);
    char log_name[SETUP_PATH_SIZE] = "";
    err_code = 0;
    bool succeeded = run_installation(job, control, log_name, sizeof log_name);
    int32_t code = err_code;
    bool disk_full = control.disk_full_at > 0 && disk_filled_up();
    plat_test_fail_write(0); // room on the disk again; the code page stays for the checks
    const std::map<std::string, Entry> after = fuzzdrive::snapshot();

    FUZZ_CHECK(!disk_full || (!succeeded && code == ERR_FILE_WRITE), "a full disk ended the run with %s and code %d",
               succeeded ? "success" : "failure", (int)code);
    if (log_name[0]) {
        check_log(std::string(fuzzdrive::WINDOWS_DIR) + "\\" + log_name, before, after, succeeded);
    } else {
        // Without a log nothing may be made at all.
        FUZZ_CHECK(!succeeded, "a successful run without a log");
        for (const auto &entry : after)
            FUZZ_CHECK(before.count(entry.first), "%s was made without a setup log (code %d)", entry.first.c_str(),
                       (int)code);
    }
    return 0;
}
