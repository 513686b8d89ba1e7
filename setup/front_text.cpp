// Texts and paths that a front shows or takes.
#include "setup/front_text.h"

#include <cstdio>
#include <cstring>

#include "lib/error_codes.h"
#include "lib/fileutil.h"
#include "lib/genstrin.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/path_join.h"

const char *const LOG_ERROR_DETAIL = "Error writing the setup log!";

void refused_install_dir(const char *path, char *out, size_t size)
{
    INSTALL_PATH_FAULT fault = install_path_fault(path);
    if (fault.code == ERR_NONE || !fault.part_len)
        format_cut(out, size, "install directory '%s'", path ? path : "");
    else
        format_cut(out, size, "install directory '%s', folder name '%.*s'", path, (int)fault.part_len,
                   path + fault.part);
}

void install_path_warning(const char *path, int32_t code, const char *title, char *out, size_t size)
{
    INSTALL_PATH_FAULT fault = install_path_fault(path);
    int part_len = (int)fault.part_len;
    const char *part = path ? path + fault.part : "";
    char name[SETUP_PATH_SIZE];
    if (!title_file_name(title, name, sizeof name))
        format_cut(name, sizeof name, "Application");
    if (code == ERR_INSTALL_PATH_TOO_LONG)
        format_cut(out, size, "Please enter a shorter path: setup cannot place its files below this one.");
    else if (code == ERR_INSTALL_PATH_QUESTION_MARK && fault.code == code)
        format_cut(out, size,
                   "The folder name '%.*s' holds a '?', which no name may hold.  Windows puts one for each "
                   "character that this system's code page cannot hold, such as a Cyrillic letter on a Western "
                   "system.  Please enter the path in characters of the code page.",
                   part_len, part);
    else if (code == ERR_INSTALL_PATH_CHANGED_END && fault.code == code)
        format_cut(out, size,
                   "The folder name '%.*s' ends in a dot or a blank, which Windows would drop from it.  Please "
                   "enter the path without them.",
                   part_len, part);
    else
        format_cut(out, size,
                   "Please enter the full path of the directory to install to, with its drive, such as "
                   "C:\\Program Files\\%s",
                   name);
}

char *vformat_cut(char *out, size_t size, const char *format, va_list args)
{
    if (!out || size == 0)
        return out;
    int n = std::vsnprintf(out, size, format ? format : "", args);
    // Some runtimes leave an overlong result unterminated or report an error:
    // the text is then whatever fitted.
    if (n < 0)
        out[0] = '\0';
    out[size - 1] = '\0';
    return out;
}

char *format_cut(char *out, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vformat_cut(out, size, format, args);
    va_end(args);
    return out;
}

bool join_browsed_path(char *out, size_t size, const char *folder, const char *basepath)
{
    return join_dir(out, size, folder, basepath);
}

bool browse_start_folder(const char *field, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!field || !is_full_path(field) || !join_path(out, size, field))
        return false;
    // Up one part at a time; "C:\" keeps its backslash, since "C:" alone
    // names the drive's current directory.
    while (!dir_exists(out)) {
        char *cut = last_backslash(out);
        if (!cut || cut - out < 2) {
            out[0] = '\0';
            return false;
        }
        if (cut - out == 2) {
            // Only the drive's root is left to try.
            bool was_root = cut[1] == '\0';
            cut[1] = '\0';
            if (was_root || !dir_exists(out)) {
                out[0] = '\0';
                return false;
            }
            return true;
        }
        *cut = '\0';
    }
    return true;
}

const char *path_below(const char *chosen, const char *folder)
{
    if (!chosen || !folder)
        return nullptr;
    // By character: a letter folds, a double-byte character (whose second
    // byte may look like a letter or a backslash) must match exactly.
    const char *c = chosen, *f = folder;
    while (*f && *c) {
        const char *next = plat_char_next(f);
        size_t len = (size_t)(next - f);
        if ((size_t)(plat_char_next(c) - c) != len)
            return nullptr;
        if (len == 1 ? ascii_lower(*c) != ascii_lower(*f) : std::memcmp(c, f, len) != 0)
            return nullptr;
        c += len;
        f = next;
    }
    if (!*f)
        return c;
    // chosen ended first: only the folder itself without its backslash counts.
    if (f[0] == '\\' && f[1] == '\0')
        return c;
    return nullptr;
}

bool default_shortcut_folder(const char *title, char *out, size_t size)
{
    // A folder named after the application, right in Programs.
    return title_file_name(title, out, size);
}

void road_failure_detail(const ROAD_RESULT &road, char *out, size_t size)
{
    if (road.step == STEP_LOG || road.step == STEP_BATCH || road.code == ERR_FILE_WRITE)
        format_cut(out, size, "%s", LOG_ERROR_DETAIL);
    else if (road.step == STEP_PREPARE)
        format_cut(out, size, "Error installing application!");
    else
        format_cut(out, size, "Error installing file '%s'!", road.file_name ? road.file_name : "");
}
