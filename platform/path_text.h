// DOS path text, as Windows reads it: the separators, the drive letter, the
// comparison of names, and bounded building. Plain text work on top of the
// code page's character stepping (plat_char_next), for every layer above
// and for the substitute itself.
#ifndef PLATFORM_PATH_TEXT_H
#define PLATFORM_PATH_TEXT_H

#include <cstddef>

// "\" or "/": Windows takes either between the parts of a path. Asked of a
// byte that starts a character: the second byte of a double-byte one may be
// 0x5C and is then no separator.
inline bool is_path_separator(char c) { return c == '\\' || c == '/'; }
// An ASCII letter, as a drive letter must be.
inline bool is_drive_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// c with the letters A to Z lower-cased, whatever the locale: key words and
// path names compare the same on every system. Other bytes stay as they are.
inline char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
// A drive letter and a colon in front ("C:", "c:\x", "C:x").
inline bool has_drive(const char *path) { return path && is_drive_letter(path[0]) && path[1] == ':'; }

// The index after the character at text[i], never past len: in a
// double-byte code page the second byte of a character may be a backslash
// or a "|" that is no separator.
size_t next_char(const char *text, size_t i, size_t len);

// Paths compared the way Windows compares names: letters without regard to
// (ASCII) case, "/" the same as "\", and trailing separators not counting;
// a double-byte character compares exactly (its second byte is no letter).
// True when a and b name the same place ("C:\Foo\" and "c:/foo" do); false
// when either is null.
bool same_path(const char *a, const char *b);
// True when path lies somewhere below dir (dir itself is not below itself).
bool path_is_below(const char *path, const char *dir);
// True for "X:", "X:\" and "X:/".
bool is_drive_root(const char *path);
// The part after the last separator (the whole path when it has none).
const char *path_file_name(const char *path);

// Writes a, b, c and d one after another into out (size bytes). When the
// whole does not fit, or a part is missing, the result is false and out is
// left as it was: a cut path would name some other file.
bool join_path(char *out, size_t size, const char *a, const char *b = "", const char *c = "", const char *d = "");
// Writes dir, a backslash (unless dir is empty or ends in a separator) and
// name into out (size bytes). False, with out empty, when the whole does not
// fit.
bool path_append(char *out, size_t size, const char *dir, const char *name);

#endif
