// The uninstaller's safety check of an entry of the setup log: nothing is
// removed that is not a plain full path below a drive, outside the folders
// that Windows and every user need.
#ifndef UNINSTALL_ENTRY_CHECK_H
#define UNINSTALL_ENTRY_CHECK_H

#include "setup/log_format.h"

// Why an entry may not be acted on.
enum ENTRY_CHECK {
    ENTRY_SAFE,
    ENTRY_NOT_ABSOLUTE, // no drive letter and backslash in front
    ENTRY_TOO_LONG,
    ENTRY_DOT_PART, // a "." or ".." component
    ENTRY_WILDCARD, // * ? < > "
    ENTRY_BAD_NAME, // other characters Windows refuses, an empty component, or a name Windows would change
    ENTRY_DRIVE_ROOT,
    ENTRY_WINDOWS_DIR,
    ENTRY_SYSTEM_DIR,
    ENTRY_PROGRAMS_DIR,
    ENTRY_LINK, // a junction or symbolic link on the way, found when it was to go
    // An MkReg line's Apps & Features entry:
    ENTRY_KEY_NOT_OURS,    // its UninstallString does not name this log
    ENTRY_KEY_HAS_SUBKEYS, // it holds keys of its own
    // An Earlier line's kept version:
    ENTRY_BACKUP_ELSEWHERE, // not in a backup area beside the log (backup_area)
    ENTRY_BESIDE_LOGS       // a place in the logs' own folder, which setup never replaces
};

// The folders that no entry may name itself. Empty strings are unset.
const int MAX_PROGRAMS_DIRS = 4;
struct PROTECTED_DIRS {
    char windows[LOG_PATH_SIZE];
    char system[LOG_PATH_SIZE];
    char programs[MAX_PROGRAMS_DIRS][LOG_PATH_SIZE]; // the user's and everybody's Programs folders
};

// The safety check of one MkDir or MkFile value (null counts as empty).
ENTRY_CHECK check_entry(const char *value, const PROTECTED_DIRS &dirs);
// The check of an Earlier value of the log at log_path: both paths pass
// check_entry, and the kept version lies in a folder "*.old" right beside
// the log, where setup keeps them (so that a log cannot move a file from
// anywhere else onto another), and it goes nowhere in the logs' folder (the
// shared uninstaller, a log). destination and backup (LOG_PATH_SIZE bytes
// each) receive the two paths; ENTRY_BAD_NAME for a value that is no pair.
ENTRY_CHECK check_earlier(const char *value, const char *log_path, const PROTECTED_DIRS &dirs, char *destination,
                          char *backup);
// The check of an MkReg value by its name alone: a key directly below the
// Uninstall key (no "\\", not empty, within LOG_PATH_SIZE).
ENTRY_CHECK check_entry_key(const char *value);

#endif
