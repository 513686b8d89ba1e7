// The codes that err_code holds: those of the error table (GENERR's own,
// then the setup engine's), and the runtime's errno values, which the table
// carries under their own numbers in the Windows runtime's numbering.
#ifndef LIB_ERROR_CODES_H
#define LIB_ERROR_CODES_H

#include <cstdint>

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
// An install path that leaves no room for uninstal.bat, a listed file or
// the program below it.
constexpr int32_t ERR_INSTALL_PATH_TOO_LONG = 913;

// ---- errno values, as the Windows runtime numbers them ----
// The four numbers it leaves without a name (15, 26, 35, 37) read "Unknown error".
constexpr int32_t ERR_SYS_NO_ERROR = 0;
constexpr int32_t ERR_SYS_EPERM = 1;
constexpr int32_t ERR_SYS_ENOENT = 2;
constexpr int32_t ERR_SYS_ESRCH = 3;
constexpr int32_t ERR_SYS_EINTR = 4;
constexpr int32_t ERR_SYS_EIO = 5;
constexpr int32_t ERR_SYS_ENXIO = 6;
constexpr int32_t ERR_SYS_E2BIG = 7;
constexpr int32_t ERR_SYS_ENOEXEC = 8;
constexpr int32_t ERR_SYS_EBADF = 9;
constexpr int32_t ERR_SYS_ECHILD = 10;
constexpr int32_t ERR_SYS_EAGAIN = 11;
constexpr int32_t ERR_SYS_ENOMEM = 12;
constexpr int32_t ERR_SYS_EACCES = 13;
constexpr int32_t ERR_SYS_EFAULT = 14;
constexpr int32_t ERR_SYS_EBUSY = 16;
constexpr int32_t ERR_SYS_EEXIST = 17;
constexpr int32_t ERR_SYS_EXDEV = 18;
constexpr int32_t ERR_SYS_ENODEV = 19;
constexpr int32_t ERR_SYS_ENOTDIR = 20;
constexpr int32_t ERR_SYS_EISDIR = 21;
constexpr int32_t ERR_SYS_EINVAL = 22;
constexpr int32_t ERR_SYS_ENFILE = 23;
constexpr int32_t ERR_SYS_EMFILE = 24;
constexpr int32_t ERR_SYS_ENOTTY = 25;
constexpr int32_t ERR_SYS_EFBIG = 27;
constexpr int32_t ERR_SYS_ENOSPC = 28;
constexpr int32_t ERR_SYS_ESPIPE = 29;
constexpr int32_t ERR_SYS_EROFS = 30;
constexpr int32_t ERR_SYS_EMLINK = 31;
constexpr int32_t ERR_SYS_EPIPE = 32;
constexpr int32_t ERR_SYS_EDOM = 33;
constexpr int32_t ERR_SYS_ERANGE = 34;
constexpr int32_t ERR_SYS_EDEADLK = 36;
constexpr int32_t ERR_SYS_ENAMETOOLONG = 38;
constexpr int32_t ERR_SYS_ENOLCK = 39;
constexpr int32_t ERR_SYS_ENOSYS = 40;
constexpr int32_t ERR_SYS_ENOTEMPTY = 41;
constexpr int32_t ERR_SYS_EILSEQ = 42;

#endif
