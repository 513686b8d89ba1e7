// The setup log that the uninstaller reads, and "uninstal.bat", which runs
// the uninstaller on it.
#include <cstring>

#include "../lib/fileutil.h"
#include "../lib/generr.h"
#include "../platform/platform.h"
#include "path_join.h"
#include "replace_file.h"
#include "setup.h"

static const char LOG_SUBDIR[] = "UnInstal\\";
static const char UNINSTALLER[] = "uninstal.exe";
static const char BATCH_FILE[] = "uninstal.bat";

bool SETUP_TYPE::create_log() { return create_log(nullptr, 0); }

bool SETUP_TYPE::create_log(char *relative_name, uint32_t size)
{
    close_log();
    if (!windows_dir) {
        err_code = 903;
        return false;
    }

    // Refuse, before anything is created, a title or Windows directory whose
    // paths would not fit: the longest candidate with its letter, and the
    // uninstaller copy that write_uninstall_bat puts beside the log.
    const char *title = get_apptitle();
    size_t sub_len = std::strlen(LOG_SUBDIR);
    size_t name_len = std::strlen(title) + std::strlen("a.log");
    size_t longest_name = name_len > std::strlen(UNINSTALLER) ? name_len : std::strlen(UNINSTALLER);
    if (std::strlen(windows_dir) + sub_len + longest_name >= SETUP_PATH_SIZE ||
        (relative_name && sub_len + name_len >= size)) {
        if (relative_name && size > 0)
            relative_name[0] = '\0';
        err_code = 64;
        return false;
    }

    char log_dir[SETUP_PATH_SIZE];
    join_path(log_dir, sizeof log_dir, windows_dir, LOG_SUBDIR);
    if (relative_name)
        join_path(relative_name, size, LOG_SUBDIR);
    bool made_dir = false;
    if (!dir_exists(log_dir)) {
        if (plat_create_dir(log_dir)) {
            made_dir = true;
        } else {
            // The log then lies in the Windows directory itself.
            join_path(log_dir, sizeof log_dir, windows_dir);
            if (relative_name)
                relative_name[0] = '\0';
        }
    }

    // The bare name, then the title with "a" to "y": 26 names in all.
    char suffix[2] = {0, 0};
    char log_path[SETUP_PATH_SIZE];
    for (;;) {
        join_path(log_path, sizeof log_path, log_dir, title, suffix, ".log");
        if (!file_exists(log_path))
            break;
        if (suffix[0] == 'y') {
            err_code = 909;
            return false;
        }
        suffix[0] = suffix[0] ? (char)(suffix[0] + 1) : 'a';
    }
    if (relative_name) {
        size_t used = std::strlen(relative_name);
        join_path(relative_name + used, size - used, title, suffix, ".log");
    }

    log_file = openfile(log_path, "wt", false);
    if (!log_file)
        return false;
    bool written = std::fprintf(log_file, "; Setup log file for %s.  Required for the uninstall.\n", title) >= 0 &&
                   log_entry("AppTitle", title) && log_entry("EMail", get_email()) &&
                   (!made_dir || log_entry("MkDir", log_dir)) && log_entry("MkFile", log_path);
    if (!written) {
        // A log that lacks its own first lines would mislead the uninstaller.
        close_log();
        err_code = 53;
        return false;
    }
    return true;
}

bool SETUP_TYPE::log_entry(const char *key, const char *value)
{
    if (!key || !value || !log_file) {
        err_code = 58;
        return false;
    }
    // Flushed at once, so that the log names everything made so far, however
    // the program stops.
    if (std::fprintf(log_file, "%s=%s\n", key, value) < 0 || std::fflush(log_file) != 0) {
        err_code = 53;
        return false;
    }
    return true;
}

bool SETUP_TYPE::write_uninstall_bat(const char *relative_name)
{
    if (!relative_name) {
        err_code = 58;
        return false;
    }
    if (!windows_dir) {
        err_code = 903;
        return false;
    }
    char log_path[SETUP_PATH_SIZE], log_dir[SETUP_PATH_SIZE], batch_path[SETUP_PATH_SIZE];
    char uninstaller_copy[SETUP_PATH_SIZE];
    if (!join_path(log_path, sizeof log_path, windows_dir, relative_name) ||
        !join_path(batch_path, sizeof batch_path, get_installpath(), BATCH_FILE) ||
        !join_path(uninstaller_copy, sizeof uninstaller_copy, extract_path(log_dir, log_path, sizeof log_dir),
                   UNINSTALLER)) {
        err_code = 64;
        return false;
    }

    FILE *batch = openfile(batch_path, "wt", false);
    if (!batch)
        return false;
    std::fprintf(batch, "rem This file uninstalls the %s application.  The uninstallation\n", get_apptitle());
    std::fprintf(batch, "rem may fail if the setup log has been moved or deleted since the setup.\n");
    std::fprintf(batch, "%s%s %s\n", log_dir, UNINSTALLER, relative_name);
    bool written = !std::ferror(batch);
    if (std::fclose(batch) != 0)
        written = false;
    // The file exists, whole or not, so the log names it either way.
    log_entry("MkFile", batch_path);
    if (!written) {
        err_code = 53;
        return false;
    }

    if (file_exists(UNINSTALLER) && !replace_file(UNINSTALLER, uninstaller_copy)) {
        err_code = 905;
        return false;
    }
    return true;
}
