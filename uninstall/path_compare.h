// Paths compared the way Windows compares names: letters without regard to
// (ASCII) case, "/" the same as "\", and trailing backslashes not counting.
#ifndef UNINSTALL_PATH_COMPARE_H
#define UNINSTALL_PATH_COMPARE_H

#include <cstddef>

// True when a and b name the same place ("C:\Foo\" and "c:/foo" do).
bool same_path(const char *a, const char *b);
// True when path lies somewhere below dir (dir itself is not below itself).
bool path_is_below(const char *path, const char *dir);
// True for "X:", "X:\" and "X:/".
bool is_drive_root(const char *path);
// The part after the last separator (the whole path when it has none).
const char *path_file_name(const char *path);
// Writes dir, a backslash (unless dir ends in one) and name into out (size
// bytes). False, with out empty, when the whole does not fit.
bool path_append(char *out, size_t size, const char *dir, const char *name);

#endif
