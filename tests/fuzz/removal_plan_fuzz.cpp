// The uninstaller's log reader and removal plan on arbitrary log text, over
// a scratch drive that holds what the log names besides files and folders
// that it does not name. The plan is built and carried out with every
// shared file answered Remove. Nothing may be planned for removal that is
// not the value of a complete MkDir or MkFile line that passes the safety
// check, no protected folder may be planned, nothing may go from the drive
// that such a line does not name (or, for a kept earlier version and its
// area, a safe Earlier line), nothing may appear or change but the place
// of a safe Earlier line, which then holds the version it kept, and a
// rewritten log names only lines of the old one, among them everything
// that stays.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "setup/path_join.h"
#include "tests/fuzz/support/fuzz_drive.h"
#include "uninstall/entry_check.h"
#include "platform/path_text.h"
#include "uninstall/removal_plan.h"

using fuzzdrive::Entry;

namespace {

const char LOG_PATH[] = "C:\\windows\\UnInstal\\fuzz.log";
const char OTHER_LOG[] = "C:\\windows\\UnInstal\\other.log";
// Its entry in Apps & Features.
const char OTHER_KEY[] = "SetupLog other.log";
const char OTHER_COMMAND[] = "\"C:\\windows\\UnInstal\\uninstal.exe\" \"C:\\windows\\UnInstal\\other.log\"";
const char START_DIR[] = "C:\\app";
// Files and folders that the fuzzed log cannot name safely or that another
// installation owns; each must still be there afterwards.
const char *const KEPT[] = {"C:\\windows", "C:\\windows\\system32", "C:\\windows\\Start Menu\\Programs",
                            "C:\\windows\\UnInstal\\uninstal.exe"};
// A file of the user's that the log may well name (the fuzzer learns the
// name): like every entry, it may go only when a complete, safe line names
// it, and never when a line names it as a folder.
const char SENTINEL[] = "C:\\keep\\sentinel.txt";

class RemoveAll : public REMOVAL_QUESTIONS {
public:
    bool confirm_removal(const char *) override { return true; }
    SHARED_ANSWER shared_file(const char *) override { return SHARED_REMOVE_ALL; }
};

// A value to lay out on the drive: on C: or D:, no "." or ".." part (which
// could lead off the drive), short enough for the seam.
bool can_lay_out(const char *value)
{
    if (!value || std::strlen(value) >= LOG_PATH_SIZE ||
        !(value[0] == 'C' || value[0] == 'c' || value[0] == 'D' || value[0] == 'd') || value[1] != ':' ||
        (value[2] != '\\' && value[2] != '/'))
        return false;
    std::string rest = value + 3;
    for (size_t start = 0; start <= rest.size();) {
        size_t end = rest.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = rest.size();
        std::string part = rest.substr(start, end - start);
        if (part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// A complete Earlier line's two paths, when it has them.
bool earlier_paths(const LOG_LINE &line, std::string &destination, std::string &backup)
{
    char d[LOG_PATH_SIZE], b[LOG_PATH_SIZE];
    if (line.key != KEY_EARLIER || line.cut || line.has_nul || !split_earlier(line.value, d, b))
        return false;
    destination = d;
    backup = b;
    return true;
}

// What the log names, made on the drive: each folder, each file and each
// kept earlier version with the folders it lies in. A name that is taken
// already stays as it is.
void lay_out(const PARSED_LOG &log)
{
    int made = 0;
    for (int32_t i = 0; i < log.count && made < 32; ++i) {
        const LOG_LINE &line = log.lines[i];
        std::string destination, backup;
        bool earlier = earlier_paths(line, destination, backup);
        // The log itself is there already, and stays a file.
        std::string value = earlier ? backup : line.value ? line.value : "";
        if ((line.key != KEY_MKDIR && line.key != KEY_MKFILE && !earlier) || !can_lay_out(value.c_str()) ||
            same_path(value.c_str(), LOG_PATH))
            continue;
        ++made;
        for (size_t k = 3; k < value.size(); ++k)
            if (value[k] == '\\' || value[k] == '/')
                plat_mkdir(value.substr(0, k).c_str());
        if (line.key == KEY_MKDIR)
            plat_mkdir(value.c_str());
        else
            fuzzdrive::put(value, earlier ? "kept " + value : "x");
    }
}

// The line behind item i may lead to a removal: it must be complete, safe
// and no protected folder.
void check_removable(const REMOVAL_PLAN &plan, int32_t i, const PROTECTED_DIRS &dirs)
{
    const PLAN_ITEM &item = plan.items[i];
    FUZZ_CHECK(item.line >= 0 && item.line < plan.log.count, "item %d has line %d", (int)i, (int)item.line);
    const LOG_LINE &line = plan.log.lines[item.line];
    FUZZ_CHECK(log_key_is_removed(line.key), "item %d is planned from line %d: %s", (int)i, (int)item.line, line.text);
    if (line.key == KEY_EARLIER) {
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        FUZZ_CHECK(item.action == PLAN_SKIP_UNSAFE || item.action == PLAN_SKIP_CUT || item.action == PLAN_RESTORE ||
                       item.action == PLAN_HAND_OVER,
                   "an earlier version's item %d has action %d", (int)i, (int)item.action);
        FUZZ_CHECK(item.action != PLAN_RESTORE ||
                       (!line.cut && !line.has_nul &&
                        check_earlier(line.value, LOG_PATH, dirs, destination, backup) == ENTRY_SAFE),
                   "an earlier version is restored from an unsafe line: %s", line.text);
        // A plain model of the area: one folder "*.old" right in the log's.
        if (item.action == PLAN_RESTORE) {
            std::string kept = backup;
            for (char &c : kept)
                c = c == '/' ? '\\' : (char)std::tolower((unsigned char)c);
            const std::string dir = "c:\\windows\\uninstal\\";
            size_t slash = kept.find('\\', dir.size());
            FUZZ_CHECK(kept.compare(0, dir.size(), dir) == 0 && slash != std::string::npos && slash >= dir.size() + 5 &&
                           kept.compare(slash - 4, 4, ".old") == 0,
                       "an earlier version is restored from outside an area beside the log: %s", line.text);
        }
        return;
    }
    if (line.key == KEY_MKREG) {
        FUZZ_CHECK(item.action == PLAN_SKIP_UNSAFE || item.action == PLAN_SKIP_CUT || item.action == PLAN_REMOVE_ENTRY,
                   "an entry's item %d has action %d", (int)i, (int)item.action);
        FUZZ_CHECK(item.action != PLAN_REMOVE_ENTRY ||
                       (!line.cut && !line.has_nul && check_entry_key(line.value) == ENTRY_SAFE),
                   "an entry that is no key right below the Uninstall key is planned: %s", line.text);
        return;
    }
    switch (item.action) {
    case PLAN_SKIP_UNSAFE:
    case PLAN_SKIP_CUT:
    case PLAN_HAND_OVER:
    case PLAN_LEAVE_UNINSTALLER: return;
    default: break;
    }
    FUZZ_CHECK(!line.cut && !line.has_nul, "item %d (action %d) from a cut line or one with a zero byte", (int)i,
               (int)item.action);
    FUZZ_CHECK(check_entry(line.value, dirs) == ENTRY_SAFE, "item %d (action %d) fails the safety check: %s", (int)i,
               (int)item.action, line.value);
    FUZZ_CHECK(!is_drive_root(line.value), "a drive root is planned: %s", line.value);
    for (const char *kept : KEPT)
        FUZZ_CHECK(!same_path(line.value, kept), "a protected entry is planned: %s", line.value);
}

// The safe Earlier line of log that names dos as its place (as_place) or
// as its kept version, or its folder; null for none. backup receives the
// kept version.
const LOG_LINE *safe_earlier(const PARSED_LOG &log, const std::string &dos, bool as_place, const PROTECTED_DIRS &dirs,
                             std::string *kept = nullptr)
{
    for (int32_t i = 0; i < log.count; ++i) {
        const LOG_LINE &line = log.lines[i];
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        if (line.key != KEY_EARLIER || line.cut || line.has_nul ||
            check_earlier(line.value, LOG_PATH, dirs, destination, backup) != ENTRY_SAFE)
            continue;
        std::string part = std::string(backup) + ".part";
        std::string area(backup, (size_t)(path_file_name(backup) - backup - 1));
        bool names = as_place ? same_path(destination, dos.c_str())
                              : same_path(backup, dos.c_str()) || same_path(part.c_str(), dos.c_str()) ||
                                    same_path(area.c_str(), dos.c_str());
        if (names) {
            if (kept)
                *kept = backup;
            return &line;
        }
    }
    return nullptr;
}

// True when a complete, safe line of log names path.
bool safely_named(const PARSED_LOG &log, const std::string &dos, const PROTECTED_DIRS &dirs)
{
    if (safe_earlier(log, dos, false, dirs))
        return true;
    for (int32_t i = 0; i < log.count; ++i) {
        const LOG_LINE &line = log.lines[i];
        if ((line.key == KEY_MKDIR || line.key == KEY_MKFILE) && !line.cut && !line.has_nul &&
            check_entry(line.value, dirs) == ENTRY_SAFE && same_path(line.value, dos.c_str()))
            return true;
    }
    return false;
}

// True when a complete, safe MkFile line names path.
bool named_as_file(const PARSED_LOG &log, const char *path, const PROTECTED_DIRS &dirs)
{
    for (int32_t i = 0; i < log.count; ++i) {
        const LOG_LINE &line = log.lines[i];
        if (line.key == KEY_MKFILE && !line.cut && !line.has_nul && check_entry(line.value, dirs) == ENTRY_SAFE &&
            same_path(line.value, path))
            return true;
    }
    return false;
}

bool has_line(const PARSED_LOG &log, const char *text)
{
    for (int32_t i = 0; i < log.count; ++i)
        if (!log.lines[i].cut && !std::strcmp(log.lines[i].text, text))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdrive::init();
    fuzzdrive::reset();
    const char *text = reinterpret_cast<const char *>(data);
    PARSED_LOG named;
    FUZZ_CHECK(named.parse(text, (uint32_t)size), "the log reader ran out of memory");

    fuzzdrive::make_dirs("C:\\windows\\UnInstal");
    fuzzdrive::make_dirs("C:\\keep");
    fuzzdrive::make_dirs(START_DIR);
    fuzzdrive::put(SENTINEL, "not in the log");
    fuzzdrive::put("C:\\windows\\UnInstal\\uninstal.exe", "MZ uninstaller");
    fuzzdrive::put("C:\\windows\\system32\\shared.dll", "another installation's");
    fuzzdrive::put(OTHER_LOG, "AppTitle=Other\r\nMkFile=C:\\windows\\system32\\shared.dll\r\n");
    FUZZ_CHECK(fuzzdrive::put(LOG_PATH, std::string(text, size)), "cannot write the log");
    lay_out(named);
    const std::map<std::string, Entry> before = fuzzdrive::snapshot();
    // Another installation's entry, whatever the log names: it stays.
    plat_reg_create_key(OTHER_KEY, nullptr);
    plat_reg_set_string(OTHER_KEY, "UninstallString", OTHER_COMMAND);

    REMOVAL_CONTEXT context = {};
    join_path(context.dirs.windows, sizeof context.dirs.windows, fuzzdrive::WINDOWS_DIR);
    join_path(context.dirs.system, sizeof context.dirs.system, fuzzdrive::SYSTEM_DIR);
    join_path(context.dirs.programs[0], sizeof context.dirs.programs[0], fuzzdrive::PROGRAMS_DIR);
    // Half of the inputs as if started from "uninstal.bat" in C:\app.
    context.started_by_shell = size % 2 == 1;
    join_path(context.start_dir, sizeof context.start_dir, START_DIR);
    REMOVAL_PLAN plan;
    RemoveAll answers;
    OPEN_RESULT why;
    int status = run_removal(plan, LOG_PATH, context, answers, why);
    FUZZ_CHECK(why == OPEN_OK || why == OPEN_TOO_LARGE || why == OPEN_NEWER_FORMAT, "the log could not be used: %d",
               (int)why);
    // A log that needs a line type this uninstaller does not know is left
    // whole, and so is everything it names.
    FUZZ_CHECK((why == OPEN_NEWER_FORMAT) == (why != OPEN_TOO_LARGE && named.unknown_need() != nullptr),
               "a log %s an unknown need was read as %d", named.unknown_need() ? "with" : "without", (int)why);
    if (why == OPEN_NEWER_FORMAT) {
        const std::map<std::string, Entry> untouched = fuzzdrive::snapshot();
        FUZZ_CHECK(untouched.size() == before.size(), "a newer log: %d entries before, %d after", (int)before.size(),
                   (int)untouched.size());
        for (const auto &entry : before) {
            auto found = untouched.find(entry.first);
            FUZZ_CHECK(found != untouched.end() && found->second.bytes == entry.second.bytes,
                       "a newer log: %s was changed", entry.first.c_str());
        }
    }
    if (why != OPEN_OK)
        return 0;

    // The plan: one item per MkDir and MkFile line, each removal from a
    // complete, safe line.
    int32_t entries = 0;
    for (int32_t i = 0; i < plan.log.count; ++i)
        entries += log_key_is_removed(plan.log.lines[i].key);
    FUZZ_CHECK(plan.count == entries, "%d items for %d entries", (int)plan.count, (int)entries);
    for (int32_t i = 0; i < plan.count; ++i)
        check_removable(plan, i, context.dirs);

    // The drive: nothing gone that a complete, safe line does not name,
    // nothing new, everything kept still there.
    const std::map<std::string, Entry> after = fuzzdrive::snapshot();
    for (const auto &entry : before)
        if (!after.count(entry.first))
            FUZZ_CHECK(entry.first == LOG_PATH || safely_named(plan.log, entry.first, context.dirs),
                       "%s was removed, which no safe line names", entry.first.c_str());
    // A new or changed file is the place of an earlier version that was
    // put back, and holds that version's bytes.
    for (const auto &entry : after) {
        auto was = before.find(entry.first);
        if ((was != before.end() && was->second.dir == entry.second.dir && was->second.bytes == entry.second.bytes) ||
            (was != before.end() && entry.first == LOG_PATH))
            continue; // the log itself is rewritten, below
        std::string kept;
        FUZZ_CHECK(safe_earlier(plan.log, entry.first, true, context.dirs, &kept) != nullptr,
                   "%s was left behind or changed", entry.first.c_str());
        auto kept_before = before.find(kept);
        bool from_kept = kept_before != before.end() && kept_before->second.bytes == entry.second.bytes;
        // Several lines may name one place: any of their versions will do.
        for (int32_t i = 0; i < plan.log.count && !from_kept; ++i) {
            std::string destination, backup;
            if (earlier_paths(plan.log.lines[i], destination, backup) &&
                same_path(destination.c_str(), entry.first.c_str()) && before.count(backup))
                from_kept = before.at(backup).bytes == entry.second.bytes;
        }
        FUZZ_CHECK(!entry.second.dir && from_kept, "%s holds no earlier version that was kept", entry.first.c_str());
    }
    for (const char *kept : KEPT)
        FUZZ_CHECK(after.count(kept), "%s was removed", kept);
    char other[256] = "";
    FUZZ_CHECK(plat_reg_get(OTHER_KEY, "UninstallString", nullptr, other, sizeof other) == PLAT_DONE &&
                   !std::strcmp(other, OTHER_COMMAND),
               "another installation's entry was changed: '%s'", other);
    if (!after.count(SENTINEL))
        FUZZ_CHECK(named_as_file(plan.log, SENTINEL, context.dirs), "%s was removed, which no MkFile line names",
                   SENTINEL);

    // The log afterwards: gone only when nothing stays; else every line it
    // names is one of the old log, and whatever stays is still named.
    bool kept = false, stays = false;
    for (int32_t i = 0; i < plan.count; ++i) {
        kept = kept || outcome_is_kept(plan.items[i].outcome);
        stays = stays || outcome_is_kept(plan.items[i].outcome) || plan.items[i].outcome == OUT_DEFERRED;
    }
    FUZZ_CHECK(status == (kept || plan.log_problem != PLAT_DONE ? 1 : 0), "exit status %d", status);
    auto log_after = after.find(LOG_PATH);
    if (!stays) {
        FUZZ_CHECK(plan.log_deleted == (log_after == after.end()), "the log was %sdeleted, and is %sthere",
                   plan.log_deleted ? "" : "not ", log_after == after.end() ? "not " : "");
        return 0;
    }
    FUZZ_CHECK(log_after != after.end(), "the log is gone while entries stay");
    if (!plan.log_rewritten)
        return 0;
    PARSED_LOG rewritten;
    rewritten.parse(log_after->second.bytes.data(), (uint32_t)log_after->second.bytes.size());
    for (int32_t i = 0; i < rewritten.count; ++i) {
        const LOG_LINE &line = rewritten.lines[i];
        if (line.key == KEY_MKDIR || line.key == KEY_MKFILE || line.key == KEY_EARLIER)
            FUZZ_CHECK(!line.cut && has_line(plan.log, line.text), "the rewritten log names a new line: %s", line.text);
    }
    for (int32_t i = 0; i < plan.count; ++i) {
        const PLAN_ITEM &item = plan.items[i];
        const LOG_LINE &line = plan.log.lines[item.line];
        if ((outcome_is_kept(item.outcome) || item.outcome == OUT_DEFERRED) && !line.cut && !line.has_nul)
            FUZZ_CHECK(has_line(rewritten, line.text), "the rewritten log lost a line that stays: %s", line.text);
    }
    return 0;
}
