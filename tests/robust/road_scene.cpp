#include "tests/robust/road_scene.h"

#include <cstring>
#include <utime.h>

#include "lib/generr.h"
#include "platform/fault.h"
#include "platform/platform.h"
#include "setup/install_road.h"
#include "setup/session.h"
#include "setup/setup.h"
#include "setup/undo.h"
#include "tests/fuzz/support/fuzz_drive.h"
#include "platform/path_text.h"
#include "uninstall/entry_check.h"
#include "uninstall/removal_plan.h"

namespace scene {

namespace {

const char LOG[] = "C:\\windows\\UnInstal\\Robust.log";
const char KEY[] = "SetupLog Robust.log";
// Two of them in folders below the install directory, one inside the other.
const char *const APP_FILES[] = {"app.exe",   "readme.txt",          "help\\index.htm", "data1.dat",
                                 "data2.dat", "help\\img\\logo.gif", "data3.dat",       "data4.dat"};

std::string source_of(const char *name, size_t bulk)
{
    std::string bytes = std::string("contents of ") + name + "\n";
    for (size_t i = 0; bytes.size() < bulk; ++i)
        bytes += (char)('a' + (i * 7 + bytes.size()) % 26);
    return bytes;
}

std::string setup_file(const char *name) { return std::string(fuzzdrive::SETUP_DIR) + "\\" + name; }

const char REPLACED[] = "C:\\windows\\system32\\shared.dll";

// The silent front, but Overwrite for the one file the user lets go.
class SCENE_FRONT : public SILENT_FRONT {
public:
    OVERWRITE_ANSWER ask_overwrite(const char *destination) override
    {
        return same_path(destination, REPLACED) ? OVERWRITE_REPLACE : OVERWRITE_SKIP;
    }
};

class YES_TO_ALL : public REMOVAL_QUESTIONS {
public:
    bool confirm_removal(const char *) override { return true; }
    SHARED_ANSWER shared_file(const char *) override { return SHARED_REMOVE_ALL; }
};

} // namespace

void lay_out(size_t bulk)
{
    fuzzdrive::init();
    fuzzdrive::reset();
    std::string ini = "apptitle=Robust\ninstallpath=C:\\Program Files\\Robust\nexename=app.exe\n";
    size_t n = 0;
    plat_mkdir(setup_file("help").c_str());
    plat_mkdir(setup_file("help\\img").c_str());
    for (const char *name : APP_FILES) {
        ini += std::string("file=") + name + "\n";
        // Of different sizes, so that a full disk meets each at another byte.
        fuzzdrive::put(setup_file(name), source_of(name, bulk * ++n / 2));
    }
    ini += "file=robust.ini,win_path\nfile=other.ini,win_path\nfile=robust.dll,winsys_path\n"
           "file=shared.dll,winsys_path\n";
    for (const char *name : {"robust.ini", "other.ini", "robust.dll", "shared.dll"})
        fuzzdrive::put(setup_file(name), std::string("new ") + name);
    fuzzdrive::put(setup_file("uninstal.exe"), source_of("uninstal.exe", bulk));
    fuzzdrive::put(setup_file("setup.ini"), ini);
    fuzzdrive::put(std::string(fuzzdrive::WINDOWS_DIR) + "\\other.ini", "an older other.ini");
    // The file the user replaces, as the uninstaller must put it back:
    // read-only and hidden, from long ago.
    fuzzdrive::put(REPLACED, "old shared.dll");
    char host[4096];
    struct utimbuf long_ago = {946684800, 946684800};
    if (plat_host_path(REPLACED, host, sizeof host))
        utime(host, &long_ago);
    plat_set_attributes(REPLACED, PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN);
}

logtruth::Tree snapshot() { return logtruth::snapshot("C:"); }

bool install(int32_t *code, bool undo)
{
    SETUP_TYPE job;
    err_code = ERR_NONE;
    bool succeeded = false;
    ROAD_RESULT road = {};
    if (job.load_ini("setup.ini")) {
        SCENE_FRONT front;
        road = job.run_install_road(front);
        succeeded = road.end == ROAD_DONE && job.create_shortcut("C:\\windows\\Start Menu\\Programs\\Robust");
        APP_ENTRY_END entry = succeeded ? job.write_app_entry().end : APP_ENTRY_WRITTEN;
        // The substitute keeps the registry on the same disk: full, it
        // refuses the entry as it refuses a line of the log.
        if (entry == APP_ENTRY_REFUSED)
            err_code = ERR_FILE_WRITE;
        succeeded = succeeded && entry == APP_ENTRY_WRITTEN;
    }
    *code = err_code;
    job.close_log();
    if (undo && !succeeded) {
        UNDO_WATCH unseen;
        SETUP_REPORT no_report;
        undo_setup(job, road.log_name, "C:\\windows\\Start Menu\\Programs\\", unseen, no_report);
    }
    return succeeded;
}

std::string check(const logtruth::Tree &before, const logtruth::Tree &after, bool succeeded)
{
    PROTECTED_DIRS dirs = {};
    join_path(dirs.windows, sizeof dirs.windows, fuzzdrive::WINDOWS_DIR);
    join_path(dirs.system, sizeof dirs.system, fuzzdrive::SYSTEM_DIR);
    join_path(dirs.programs[0], sizeof dirs.programs[0], fuzzdrive::PROGRAMS_DIR);
    logtruth::Tree keep;
    keep["C:\\windows\\other.ini"] = before.at("C:\\windows\\other.ini");
    std::string problem = logtruth::check(LOG, before, after, succeeded ? 0 : 1, dirs, keep);
    if (!problem.empty())
        return problem;
    PARSED_LOG log;
    if (after.count(LOG) && log.load(LOG) != LOAD_OK)
        return "the uninstaller's reader refuses the log";
    // No entry in Apps & Features that the log does not name, and after a
    // successful run one that hands this log to the uninstaller.
    char command[ENTRY_COMMAND_SIZE];
    bool entry = plat_reg_count(KEY, nullptr, nullptr) == PLAT_DONE;
    bool named = false;
    for (int32_t i = 0; i < log.count; ++i)
        named = named || (log.lines[i].key == KEY_MKREG && !log.lines[i].cut && !std::strcmp(log.lines[i].value, KEY));
    if (entry && !named)
        return "an entry is there that the log does not name";
    if (succeeded && (plat_reg_get(KEY, "UninstallString", nullptr, command, sizeof command) != PLAT_DONE ||
                      !command_names_log(command, LOG)))
        return "the entry does not hand the log to the uninstaller";
    // A file the log names as installed holds all of its source, and after a
    // successful run every one does.
    for (const char *name : APP_FILES) {
        std::string path = std::string("C:\\Program Files\\Robust\\") + name;
        auto installed = after.find(path);
        bool whole = installed != after.end() && installed->second.bytes == before.at(setup_file(name)).bytes;
        if (!whole && (succeeded || log.names_file(path.c_str())))
            return std::string("the log names ") + name + ", which is not its source's copy";
    }
    return "";
}

drive::Snapshot drive() { return drive::take("C:"); }

std::string uninstall_check(const drive::Snapshot &before, size_t in_flight)
{
    std::vector<std::string> ignore = {"C:\\windows\\UnInstal", "C:\\windows\\UnInstal\\uninstal.exe"};
    if (plat_get_attributes(LOG) != PLAT_NO_ATTRIBUTES) {
        REMOVAL_CONTEXT context = {};
        join_path(context.dirs.windows, sizeof context.dirs.windows, fuzzdrive::WINDOWS_DIR);
        join_path(context.dirs.system, sizeof context.dirs.system, fuzzdrive::SYSTEM_DIR);
        join_path(context.dirs.programs[0], sizeof context.dirs.programs[0], fuzzdrive::PROGRAMS_DIR);
        REMOVAL_PLAN plan;
        YES_TO_ALL answers;
        OPEN_RESULT why;
        UNINSTALL_EXIT status = run_removal(plan, LOG, context, answers, why);
        // The folders that hold an item in flight are not empty: the drive
        // says whether that is all.
        bool only_folders = in_flight > 0;
        for (int32_t i = 0; i < plan.count; ++i)
            only_folders =
                only_folders && (!outcome_is_kept(plan.items[i].outcome) || plan.items[i].outcome == OUT_NOT_EMPTY);
        // ... and then the log stays too, naming those folders.
        if (status != UNINSTALL_DONE && only_folders)
            ignore.push_back(LOG);
        if (status != UNINSTALL_DONE && !only_folders) {
            std::string kept;
            for (int32_t i = 0; i < plan.count; ++i)
                if (outcome_is_kept(plan.items[i].outcome))
                    kept += std::string(" ") + plan.log.lines[plan.items[i].line].text + " (" +
                            std::to_string((int)plan.items[i].outcome) + ")";
            return "the uninstaller ended with " + std::to_string((int)status) + " (open " + std::to_string((int)why) +
                   "):" + kept;
        }
    }
    if (plat_reg_count(KEY, nullptr, nullptr) != PLAT_MISSING)
        return "the entry in Apps & Features is still there";
    std::string problem = drive::compare(before, drive(), ignore, in_flight);
    return problem.empty() ? "" : "after the uninstaller: " + problem;
}

std::string check_undone(const drive::Snapshot &before)
{
    std::string problem =
        drive::compare(before, drive(), {"C:\\windows\\UnInstal", "C:\\windows\\UnInstal\\uninstal.exe"});
    if (plat_reg_count(KEY, nullptr, nullptr) != PLAT_MISSING)
        problem += "the entry is there; ";
    return problem;
}

} // namespace scene
