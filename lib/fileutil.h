// FILEUTIL: files, paths and the optional debug log.
#ifndef LIB_FILEUTIL_H
#define LIB_FILEUTIL_H

#include <cstdint>
#include <cstdio>

// Opens name in mode (caller closes). On failure sets err_code 51 and
// returns null, or ends the program with the critical report when fatal.
FILE *openfile(const char *name, const char *mode, bool fatal);

// Reads one line into buffer (len characters at most, buffer needs len + 1
// bytes; null buffer skips the line). Returns 0 at a newline, 1 at the end
// of the stream (also for a last line without newline), 3 when len was
// reached first (the rest of the line stays unread). Null stream: 58, 1.
int read_eol(FILE *stream, char *buffer, uint32_t len);

// True when name can be opened for reading. err_code untouched.
bool file_exists(const char *name);
// True when path can be made the current directory; the current directory
// is restored. False with 64 when the current directory does not fit 256 bytes.
bool dir_exists(const char *path);
// Size in bytes, or -1 when the file cannot be opened or measured in 32 bits.
int32_t get_filesize(const char *name);
// Size of an open stream, whose position is kept; null: 58, -1.
int32_t get_filesize(FILE *stream);
// Appends a backslash unless buffer is empty or ends in one; room for one
// more character is the caller's. Returns buffer.
char *terminate_path(char *buffer);
// Puts the directory part of path (up to its last backslash) into buffer of
// len bytes, cutting the copy to len - 1 characters. Returns buffer.
char *extract_path(char *buffer, const char *path, uint32_t len);

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
