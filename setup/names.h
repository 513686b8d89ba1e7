// What setup accepts as file names and install paths from setup.ini, and the
// file-system name it makes of the application title.
#ifndef SETUP_NAMES_H
#define SETUP_NAMES_H

#include <cstddef>
#include <cstdint>

// True for a name of a "file" line (len characters) that stays below the
// directory it is placed in, under the name the setup log gives it: no
// drive or other colon, no leading "\" or "/", and every part one that
// Windows keeps as written (check_path_parts) and none a device name
// (is_device_name: nul, aux.txt), which would be read or written instead of
// a file. The uninstaller skips a logged path with another part, so a file
// placed there would stay behind.
// Ordinary sub-directories such as sub\four.txt are fine.
bool file_name_stays_inside(const char *name, size_t len);

// True for a full path: a drive letter, a colon and a backslash, and parts
// that Windows keeps as written (a trailing backslash is fine).
bool is_full_path(const char *path);

// Why a path is not full, and the part of it to blame.
struct INSTALL_PATH_FAULT {
    // ERR_NONE for a full path; ERR_INSTALL_PATH_QUESTION_MARK for a part
    // holding "?" (what Windows hands a program for a character its ANSI
    // code page lacks); ERR_INSTALL_PATH_CHANGED_END for a part that ends in
    // a dot or a blank; ERR_INSTALL_PATH_NOT_FULL for anything else.
    int32_t code;
    size_t part;     // where the part to blame starts in the path
    size_t part_len; // 0 when no one part is to blame (no drive, a device)
};
INSTALL_PATH_FAULT install_path_fault(const char *path);

// True for a folder typed for the shortcut, relative to the Programs folder:
// empty for Programs itself, or parts as for a "file" name, with a trailing
// backslash allowed. A drive, a leading "\" or a ".." part would place the
// shortcut outside Programs; a part Windows changes ("Tools.") would be
// logged under a name the uninstaller skips.
bool shortcut_folder_stays_below(const char *folder);

// The title as one file name Windows accepts, into out (size bytes): each of
// \ / : * ? " < > | and every control character becomes "_", trailing dots
// and blanks go, and an empty name, or a device name such as CON, NUL, COM1
// or LPT1 (with or without an extension, in any case), gets a "_" in front.
// False, with out empty, when the name does not fit or an argument is null.
bool title_file_name(const char *title, char *out, size_t size);

#endif
