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
