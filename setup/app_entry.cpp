// The installation's entry in Apps & Features: a key below the Uninstall
// key that runs our uninstaller on the log. The log names it before it is
// made; the uninstaller removes it with the rest.
#include <cstring>
#include <ctime>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/path_text.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/setup.h"

namespace {

bool add_text(APP_ENTRY &entry, const char *name, const char *a, const char *b = "", const char *c = "",
              const char *d = "")
{
    if (entry.count == MAX_ENTRY_VALUES)
        return false;
    ENTRY_VALUE &value = entry.values[entry.count++];
    value.name = name;
    value.type = PLAT_REG_SZ;
    value.number = 0;
    return join_path(value.text, sizeof value.text, a, b, c, d);
}

bool add_number(APP_ENTRY &entry, const char *name, uint32_t number)
{
    if (entry.count == MAX_ENTRY_VALUES)
        return false;
    ENTRY_VALUE &value = entry.values[entry.count++];
    value.name = name;
    value.type = PLAT_REG_DWORD;
    value.text[0] = '\0';
    value.number = number;
    return true;
}

// setup.ini's "none" stands for no address.
bool given(const char *text) { return text[0] && !same_path(text, "none"); }

void today(char *out, size_t size)
{
    std::time_t now = std::time(nullptr);
    std::tm *local = std::localtime(&now);
    if (!local || std::strftime(out, size, "%Y%m%d", local) == 0)
        join_path(out, size, "");
}

// True when the log at path has a whole MkReg line naming key.
bool log_names_entry(const char *path, const char *key)
{
    PARSED_LOG read;
    if (read.load(path) != LOAD_OK)
        return false;
    for (int32_t i = 0; i < read.count; ++i)
        if (read.lines[i].key == KEY_MKREG && !read.lines[i].cut && !std::strcmp(read.lines[i].value, key))
            return true;
    return false;
}

} // namespace

bool SETUP_TYPE::describe_app_entry(const char *log_path, uint32_t kib, const char *date, APP_ENTRY &entry) const
{
    entry.count = 0;
    if (!entry_key_name(log_path, entry.key, sizeof entry.key))
        return false;
    char command[ENTRY_COMMAND_SIZE];
    bool fits =
        uninstall_command(log_path, false, command, sizeof command) && add_text(entry, "UninstallString", command) &&
        uninstall_command(log_path, true, command, sizeof command) &&
        add_text(entry, "QuietUninstallString", command) && add_text(entry, "InstallLocation", get_installpath());
    if (fits && get_exename()[0])
        fits = add_text(entry, "DisplayIcon", get_installpath(), get_exename(), ",0");
    if (fits && given(get_website()))
        fits = add_text(entry, "URLInfoAbout", get_website());
    if (fits && given(get_email()))
        fits = add_text(entry, "Contact", get_email());
    if (fits && get_version()[0])
        fits = add_text(entry, "DisplayVersion", get_version());
    if (fits && get_publisher()[0])
        fits = add_text(entry, "Publisher", get_publisher());
    fits = fits && add_number(entry, "EstimatedSize", kib) && add_text(entry, "InstallDate", date ? date : "") &&
           add_number(entry, "NoModify", 1) && add_number(entry, "NoRepair", 1);
    if (!fits)
        return false;
    // A log with a letter is the same title once more, installed elsewhere.
    char name[SETUP_PATH_SIZE], bare[SETUP_PATH_SIZE];
    const char *title = get_apptitle();
    if (!title_file_name(title, name, sizeof name) || !join_path(bare, sizeof bare, name, ".log") ||
        same_path(path_file_name(log_path), bare))
        return add_text(entry, "DisplayName", title);
    char where[SETUP_PATH_SIZE];
    join_path(where, sizeof where, get_installpath());
    size_t len = std::strlen(where);
    if (len > 3 && where[len - 1] == '\\')
        where[len - 1] = '\0';
    return add_text(entry, "DisplayName", title, " (", where, ")");
}

uint32_t SETUP_TYPE::logged_kib() const
{
    PARSED_LOG read;
    if (!log.path[0] || read.load(log.path) != LOAD_OK)
        return 0;
    uint64_t bytes = 0;
    for (int32_t i = 0; i < read.count; ++i) {
        const LOG_LINE &line = read.lines[i];
        if (line.key != KEY_MKFILE || line.cut || line.has_nul)
            continue;
        bool counted = false;
        for (int32_t j = 0; j < i && !counted; ++j)
            counted = read.lines[j].key == KEY_MKFILE && same_path(read.lines[j].value, line.value);
        int64_t size = counted ? -1 : plat_file_size(line.value);
        if (size > 0)
            bytes += (uint64_t)size;
    }
    uint64_t kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)kib;
}

APP_ENTRY_RESULT SETUP_TYPE::write_app_entry()
{
    APP_ENTRY_RESULT result = {APP_ENTRY_NOT_LOGGED, PLAT_DONE, ""};
    if (!ready_to_log())
        return result;
    char log_dir[LOG_PATH_SIZE], beside_log[LOG_PATH_SIZE];
    const char *log_name = path_file_name(log.path);
    if (!entry_key_name(log.path, result.key, sizeof result.key) || !join_path(log_dir, sizeof log_dir, log.path) ||
        log_name == log.path) {
        err_code = ERR_STRING_BOUNDS;
        return result;
    }
    log_dir[log_name - log.path] = '\0';
    if (!join_path(beside_log, sizeof beside_log, log_dir, UNINSTALLER_NAME) || !file_present(beside_log)) {
        result.end = APP_ENTRY_NO_UNINSTALLER;
        return result;
    }

    // Ours when it names this log; an empty key is what a setup stopped
    // right after making it left.
    char named[ENTRY_COMMAND_SIZE];
    uint32_t type = 0, values = 0, subkeys = 0;
    PLAT_RESULT asked = plat_reg_get(result.key, "UninstallString", &type, named, sizeof named);
    bool ours = asked == PLAT_DONE && type == PLAT_REG_SZ && command_names_log(named, log.path);
    if (asked == PLAT_MISSING) {
        asked = plat_reg_count(result.key, &values, &subkeys);
        if (asked == PLAT_DONE && (values > 0 || subkeys > 0))
            asked = PLAT_NOT_EMPTY; // somebody's key without our command
        else if (asked == PLAT_DONE)
            asked = PLAT_MISSING;
    }
    if ((asked == PLAT_DONE && !ours) || asked == PLAT_NOT_EMPTY) {
        result.end = APP_ENTRY_FOREIGN;
        return result;
    }
    if (asked != PLAT_DONE && asked != PLAT_MISSING) {
        result.end = APP_ENTRY_REFUSED;
        result.why = asked;
        return result;
    }
    // A log taken over for a second run names its entry already. The size
    // is taken once the log has its last line.
    if (!log_names_entry(log.path, result.key) && !log_entry(KEY_MKREG, result.key))
        return result;
    char date[16];
    today(date, sizeof date);
    APP_ENTRY entry;
    if (!describe_app_entry(log.path, logged_kib(), date, entry)) {
        result.end = APP_ENTRY_REFUSED;
        result.why = PLAT_FAILED;
        return result;
    }
    PLAT_RESULT done = plat_reg_create_key(entry.key, nullptr);
    for (int i = 0; i < entry.count && done == PLAT_DONE; ++i) {
        const ENTRY_VALUE &value = entry.values[i];
        done = value.type == PLAT_REG_DWORD ? plat_reg_set_dword(entry.key, value.name, value.number)
                                            : plat_reg_set_string(entry.key, value.name, value.text);
    }
    result.end = done == PLAT_DONE ? APP_ENTRY_WRITTEN : APP_ENTRY_REFUSED;
    result.why = done;
    return result;
}
