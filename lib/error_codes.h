// The codes that err_code holds: those of the error table (GENERR's own,
// then the setup engine's), and the runtime's errno values (the seam's, in
// platform/sys_errors.h), which the table carries under their own numbers.
#ifndef LIB_ERROR_CODES_H
#define LIB_ERROR_CODES_H

#include <cstdint>

#include "platform/sys_errors.h" // the errno values, which the seam reports in

// ---- the table's default messages ----
constexpr int32_t ERR_NONE = 0;             // "No error generated."
constexpr int32_t ERR_FILE_OPEN = 51;       // "Failed to open file!"
constexpr int32_t ERR_FILE_READ = 52;       // "Could not read from file!"
constexpr int32_t ERR_FILE_WRITE = 53;      // "Could not write to file!"; also a setup log line not written whole
constexpr int32_t ERR_NO_MEMORY = 54;       // "Not enough memory to allocate pointer!"
constexpr int32_t ERR_INDEX_OVERFLOW = 55;  // "General array index overflow detected!"
constexpr int32_t ERR_CORRUPT_HEAP = 56;    // "Critical...Corrupt heap space detected!"
constexpr int32_t ERR_TABLE_FULL = 57;      // "Maximum array index reached, could not add entry!"
constexpr int32_t ERR_NULL_POINTER = 58;    // "Received invalid NULL pointer!"
constexpr int32_t ERR_INVALID_INPUT = 59;   // "Invalid input received!"
constexpr int32_t ERR_ALLOC_TOO_LARGE = 60; // "Cannot allocate more than UINT_MAX bytes at a time!"
constexpr int32_t ERR_GRAPHICS = 61;        // "Graphics mode related error."
constexpr int32_t ERR_MOUSE = 62;           // "Mouse related error."
constexpr int32_t ERR_KEYBOARD = 63;        // "Keyboard related error."
constexpr int32_t ERR_STRING_BOUNDS = 64;   // "String bounds overflow!"
constexpr int32_t ERR_OVERFLOW = 65;        // "Received input that would result in an overflow!"

// ---- the setup engine's messages ----
constexpr int32_t ERR_TOO_MANY_FILES = 901;   // "Maximum number of setup files has been exceeded!"
constexpr int32_t ERR_BAD_APP_PATH = 902;     // "Invalid Application path received!"
constexpr int32_t ERR_BAD_WINDOWS_PATH = 903; // "Invalid Windows path received!"
constexpr int32_t ERR_BAD_SYSTEM_PATH = 904;  // "Invalid Windows System path received!"
constexpr int32_t ERR_COPY_FAILED = 905;      // "Error copying file to destination directory!"
constexpr int32_t ERR_SHORTCUT = 906;         // "Error creating the application's Shortcut!"
constexpr int32_t ERR_CREATE_DIR = 907;       // "Error attempting to create directory!"
constexpr int32_t ERR_REMOVE_DIR = 908;       // "Error attempting to remove directory!"
constexpr int32_t ERR_LOG_NAME = 909;         // "Error attempting to create a unique setup log filename!"
constexpr int32_t ERR_OTHER_VERSION = 910;    // "Another version of one of the setup files was found!"
// A "file" name with a drive, a root, a "."/".." part or another part that
// Windows would change or refuse (see file_name_stays_inside).
constexpr int32_t ERR_FILE_NAME_LEAVES_DIR = 911;
// An install path without drive, colon and backslash, or with such a part.
constexpr int32_t ERR_INSTALL_PATH_NOT_FULL = 912;
// A destination's folder (or the file itself) is a junction or symbolic link
// that setup did not make: a copy through it would land where it points.
constexpr int32_t ERR_DEST_THROUGH_LINK = 913;
// An install path that leaves no room for uninstal.bat, a listed file or
// the program below it.
constexpr int32_t ERR_INSTALL_PATH_TOO_LONG = 914;
// A "file" name whose destination or folders would not fit the path limits
// below any directory (see file_name_fits).
constexpr int32_t ERR_FILE_NAME_TOO_LONG = 915;
// A description in which no line is a key setup knows: not a description at
// all (a file saved in another encoding, or the wrong file).
constexpr int32_t ERR_INI_NO_KEYS = 916;
// A description saved as UTF-16 (a byte-order mark FF FE or FE FF).
constexpr int32_t ERR_INI_UTF16 = 917;
// An install path with a "?" in a part: Windows puts one for each character
// that the ANSI code page lacks (see install_path_fault).
constexpr int32_t ERR_INSTALL_PATH_QUESTION_MARK = 918;
// An install path with a part that ends in a dot or a blank, which Windows
// drops from a name.
constexpr int32_t ERR_INSTALL_PATH_CHANGED_END = 919;
// Another program holds a destination open without sharing it: the copy
// over it was refused, and trying again did not help.
constexpr int32_t ERR_FILE_IN_USE = 920;

#endif
