// FILEUTIL: files, paths and the optional debug log.
#ifndef LIB_FILEUTIL_H
#define LIB_FILEUTIL_H

#include <cstdint>
#include <cstdio>

#include "platform/dirsearch.h"

// Opens name in mode (caller closes). On failure sets err_code ERR_FILE_OPEN
// (ERR_NULL_POINTER for a null name or mode) and returns null, or ends the program with
// the critical report when fatal.
FILE *openfile(const char *name, const char *mode, bool fatal);

// Reads one line into buffer (len characters at most, buffer needs len + 1
// bytes; null buffer skips the line). Returns 0 at a newline, 1 at the end
// of the stream (also for a last line without newline), 3 when len was
// reached first (the rest of the line stays unread). Null stream: ERR_NULL_POINTER, 1.
int read_eol(FILE *stream, char *buffer, uint32_t len);

// True when name can be opened for reading. err_code untouched.
bool file_exists(const char *name);
// True when a file (not a directory) is at path, whether or not it can be
// opened: one that is in use or unreadable is there all the same.
bool file_present(const char *path);
// True when the files at a and b hold the same bytes (a rebuilt program
// often comes out exactly as long as the one installed). A file that cannot
// be opened or read counts as different.
bool same_content(const char *a, const char *b);
// True when a component of path after its drive, the last one included, is
// a reparse point (plat_get_attributes): whatever is done through path would
// happen where that points. A missing component ends the look (nothing below
// it can be one). Null, or a path longer than FILE_PATH_CHECK_SIZE - 1,
// counts as one (ERR_NULL_POINTER, ERR_STRING_BOUNDS): it cannot be checked.
const size_t FILE_PATH_CHECK_SIZE = 512;
bool path_crosses_link(const char *path);
// True when a directory is at path (by its attributes; the current
// directory is never changed). Null: ERR_NULL_POINTER, false.
bool dir_exists(const char *path);
// Size in bytes, or -1 when the file cannot be opened or measured in 32 bits.
int32_t get_filesize(const char *name);
// Size of an open stream, whose position is kept; null: ERR_NULL_POINTER, -1.
int32_t get_filesize(FILE *stream);
// Appends a backslash unless buffer is empty or ends in one; room for one
// more character is the caller's. Returns buffer.
char *terminate_path(char *buffer);
// Puts the directory part of path (up to its last backslash) into buffer of
// len bytes, cutting the copy to len - 1 characters. Returns buffer.
char *extract_path(char *buffer, const char *path, uint32_t len);

// ---- path strings -------------------------------------------------------
//
// Paths are texts in the ANSI code page, where the second byte of a
// double-byte character may be 0x5C, the backslash: every scan for a
// separator steps by character, through the helpers below.

// The first backslash of text that is a separator (not the second byte of a
// double-byte character), or text's terminator when there is none. text
// must not be null.
const char *next_backslash(const char *text);
// The last separating backslash of text, or null (also for null text).
const char *last_backslash(const char *text);
char *last_backslash(char *text);
// True when the last character of text is a backslash; false for null or "".
bool ends_in_backslash(const char *text);
// What goes between a directory and a name below it: "\\" unless dir is
// null, empty or ends in a backslash already, then "". Every path joined
// of a directory and a name takes its backslash from here.
const char *separator_after(const char *dir);

// Copies source into dest (size bytes) as a directory path: a backslash is appended to
// a non-empty copy that lacks one, and the bytes after the text are zeroed. A source
// that does not fit with that backslash leaves dest empty with err_code
// ERR_STRING_BOUNDS. Null dest or source, or size 0: dest untouched, no code.
char *copy_path(char *dest, const char *source, uint32_t size);
// Copies the part of path after its last backslash into dest (size bytes),
// zeroing the rest. A name of size or more characters leaves dest empty with
// ERR_STRING_BOUNDS; null dest or path, or size 0: ERR_NULL_POINTER, dest untouched.
char *extract_filename(char *dest, const char *path, uint32_t size);
// True when the last component (after the last '\' or '/') holds a dot.
// Null or empty: false, no code.
bool has_extension(const char *name);
// True when text holds '\', '/' or ':'. Null: ERR_NULL_POINTER, false.
bool has_path(const char *text);
// True when text holds '*' or '?'. Null: ERR_NULL_POINTER, false.
bool has_wildcard(const char *text);
// True when name (len bytes) is one that Windows takes for a device in any
// directory: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ or
// CONOUT$, in any case, alone or before a dot (trailing blanks aside):
// "nul", "Aux.txt", "com1 .log". Opening one reads or writes the device.
// Null: false.
bool is_device_name(const char *name, size_t len);
// True when any part of path (len bytes, or up to its terminator), split at
// "\", "/" and ":", is a device name.
bool path_names_device(const char *path, size_t len);
bool path_names_device(const char *path);
// Cuts name in place at the last dot after its last backslash; returns name
// (null for null, no code).
char *remove_extension(char *name);

// ---- directories --------------------------------------------------------

// Makes path the current directory. Null or empty: ERR_NULL_POINTER, false. A failed
// change sets no code; errno holds the reason.
bool change_dir(const char *path);
// Creates every missing directory along path (a leading drive is skipped).
// A failed creation sets err_code to the runtime's errno and returns false;
// the directories made before it stay. Null or empty: ERR_NULL_POINTER, false.
bool make_path(const char *path);
// Calls visit with each directory prefix of path, from the left, without a
// trailing backslash ("d:\a", then "d:\a\b" for "d:\a\\b\"): runs of
// backslashes separate once, a leading drive ("d:") is skipped. Stops at the
// first visit that returns false and returns that; true otherwise. path must
// not be null.
bool walk_path_prefixes(const char *path, bool (*visit)(const char *prefix, void *context), void *context);

// The module's one directory search: -1 while none is open.
extern intptr_t search_handle;
// Starts a search for pattern (wildcards in the last component) and fills
// record with the first match: 0, or -1 when nothing matched. A search that
// is still open is closed first. Sets no code.
int find_first(const char *pattern, plat_finddata *record);
// The next match of the open search: 0, or -1 at the end or with no search open.
int find_next(plat_finddata *record);
// Ends the open search: 0, or -1 when none was open or closing failed.
int find_close();
// 1 when any entry matches pattern, else 0. Uses search_handle.
int file_exists_find(const char *pattern);
// True when a matching entry's attributes are exactly 16 (a plain
// directory). Uses search_handle.
bool dir_exists_find(const char *pattern);

// ---- reading and writing ------------------------------------------------

// Skips spaces and tabs, then reads one word up to a space, tab, newline or the end
// into buffer (max characters, buffer needs max + 1 bytes; null buffer reads past the
// word). Returns 0 after a space or tab, 2 after a newline, 1 at the end of the stream,
// 3 when max was reached first (the character at hand is dropped, the rest stays
// unread). Null stream: ERR_NULL_POINTER, 1.
int read_word(FILE *stream, char *buffer, uint32_t max);
// The whole file in a new zero-terminated block (caller frees), binary or text mode.
// Null when it cannot be opened (ERR_FILE_OPEN) or measured (ERR_FILE_READ); a short
// read sets ERR_FILE_READ and still returns what was read.
char *read_file(const char *name);
char *read_textfile(const char *name);
// Replaces the file's content with text (null: an empty file), text mode.
// False with ERR_FILE_OPEN when it cannot be opened; a short write or a failed close
// sets ERR_FILE_WRITE but still returns true.
bool write_textfile(const char *name, const char *text);

// Binary integers: 4 (or 2) bytes, least significant first. Null stream:
// ERR_NULL_POINTER and 0; a failed read: ERR_FILE_READ and 0.
int32_t read_int(FILE *stream);
int32_t read_long(FILE *stream);
int16_t read_short(FILE *stream);
// 4 bytes, most significant first. Null stream: ERR_NULL_POINTER and 0; failed read:
// ERR_FILE_READ and 0.
int32_t read_motorola_int(FILE *stream);
// Writes value's 4 bytes, most significant first. False with ERR_FILE_WRITE when fewer
// were written, with ERR_NULL_POINTER for a null stream.
bool write_motorola_int(FILE *stream, int32_t value);

// The debug log: off until opened; every line is time-stamped and flushed.
extern FILE *log_stream;
extern bool log_open;
bool open_logfile(const char *name);
// False while the log is closed.
bool write_logfile(const char *format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void close_logfile();

void register_fileutil();

#endif
