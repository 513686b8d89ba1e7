#include "uninstall/entry_check.h"

#include <cstring>

#include "platform/path_text.h"
#include "platform/platform.h"

ENTRY_CHECK check_entry(const char *value, const PROTECTED_DIRS &dirs)
{
    if (!value || !value[0])
        return ENTRY_NOT_ABSOLUTE;
    if (std::strlen(value) >= LOG_PATH_SIZE)
        return ENTRY_TOO_LONG;
    if (!has_drive(value))
        return ENTRY_NOT_ABSOLUTE;
    if (is_drive_root(value))
        return ENTRY_DRIVE_ROOT;
    if (!is_path_separator(value[2]))
        return ENTRY_NOT_ABSOLUTE; // "C:name" is relative to C:'s current directory
    // A part that Windows would refuse or change: the log's name for it is
    // not the file's own (a trailing separator is allowed).
    switch (check_path_parts(value + 3, std::strlen(value + 3), true)) {
    case PART_KEPT: break;
    case PART_WILDCARD: return ENTRY_WILDCARD;
    case PART_DOTS: return ENTRY_DOT_PART;
    case PART_REFUSED_CHAR:
    case PART_EMPTY:
    case PART_CHANGED_END: return ENTRY_BAD_NAME;
    }
    if (dirs.windows[0] && same_path(value, dirs.windows))
        return ENTRY_WINDOWS_DIR;
    if (dirs.system[0] && same_path(value, dirs.system))
        return ENTRY_SYSTEM_DIR;
    for (const char *programs : dirs.programs)
        if (programs[0] && same_path(value, programs))
            return ENTRY_PROGRAMS_DIR;
    return ENTRY_SAFE;
}

ENTRY_CHECK check_entry_key(const char *value)
{
    if (!value || !value[0])
        return ENTRY_BAD_NAME;
    if (std::strlen(value) >= LOG_PATH_SIZE)
        return ENTRY_TOO_LONG;
    // By character: the second byte of a double-byte character may be 0x5C.
    for (const char *p = value; *p; p = plat_char_next(p))
        if (*p == '\\')
            return ENTRY_BAD_NAME;
    return ENTRY_SAFE;
}

// The folder that holds path, without its trailing backslash, into out.
static bool parent_of(const char *path, char *out)
{
    const char *name = path_file_name(path);
    size_t len = (size_t)(name - path);
    if (len < 2 || len > LOG_PATH_SIZE)
        return false;
    std::memcpy(out, path, len - 1);
    out[len - 1] = '\0';
    return true;
}

ENTRY_CHECK check_earlier(const char *value, const char *log_path, const PROTECTED_DIRS &dirs, char *destination,
                          char *backup)
{
    if (!split_earlier(value, destination, backup))
        return ENTRY_BAD_NAME;
    ENTRY_CHECK check = check_entry(destination, dirs);
    if (check == ENTRY_SAFE)
        check = check_entry(backup, dirs);
    if (check != ENTRY_SAFE)
        return check;
    char area[LOG_PATH_SIZE], log_dir[LOG_PATH_SIZE], area_dir[LOG_PATH_SIZE];
    const char *suffix = ".old";
    size_t suffix_len = std::strlen(suffix);
    if (!log_path || !parent_of(backup, area) || !parent_of(log_path, log_dir) || !parent_of(area, area_dir) ||
        !same_path(area_dir, log_dir))
        return ENTRY_BACKUP_ELSEWHERE;
    if (path_is_below(destination, log_dir))
        return ENTRY_BESIDE_LOGS;
    size_t len = std::strlen(area);
    size_t name_len = std::strlen(path_file_name(area));
    return name_len > suffix_len && same_path(area + len - suffix_len, suffix) ? ENTRY_SAFE : ENTRY_BACKUP_ELSEWHERE;
}
