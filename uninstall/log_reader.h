// The setup log as the uninstaller reads it: lines of "key=value" after a
// comment header, CR LF or LF. Only AppTitle, EMail, MkDir and MkFile mean
// something; any other line is kept as it is and otherwise ignored.
#ifndef UNINSTALL_LOG_READER_H
#define UNINSTALL_LOG_READER_H

#include <cstddef>
#include <cstdint>

enum LOG_KEY { KEY_OTHER, KEY_APPTITLE, KEY_EMAIL, KEY_MKDIR, KEY_MKFILE };

// A log larger than this is no setup log (one with 100 files is a few KB).
const uint32_t MAX_LOG_BYTES = 1024 * 1024;
// Every path a log may name fits this many bytes with its terminator.
const size_t LOG_PATH_SIZE = 260;

struct LOG_LINE {
    const char *text;  // the line without its line end; owned by the log
    const char *value; // after the first '=', or null without one
    LOG_KEY key;
    bool has_nul; // the line held a zero byte (cut at it in text)
    bool cut;     // the last line, without a line end: never acted on
};

enum LOG_LOAD { LOAD_OK, LOAD_MISSING, LOAD_UNREADABLE, LOAD_TOO_LARGE, LOAD_NO_MEMORY };

class SETUP_LOG {
public:
    char *text;      // owned copy, each line end replaced by zeros
    LOG_LINE *lines; // owned
    int32_t count;

    SETUP_LOG();
    ~SETUP_LOG();
    SETUP_LOG(const SETUP_LOG &) = delete;
    SETUP_LOG &operator=(const SETUP_LOG &) = delete;

    // Splits size bytes of data into lines, replacing what was read before.
    // False only when memory runs out (the log is then empty).
    bool parse(const char *data, uint32_t size);
    // Reads the file at path in binary and parses it.
    LOG_LOAD load(const char *path);
    void clear();

    // The AppTitle value, or "Unknown" when the log has none.
    const char *title() const;
    // True when a complete MkFile line names path (compared as Windows does).
    bool names_file(const char *path) const;
};

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
    ENTRY_LINK // a junction or symbolic link on the way, found when it was to go
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

#endif
