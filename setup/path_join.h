// Bounded path building, for the setup engine and the wizard.
#ifndef SETUP_PATH_JOIN_H
#define SETUP_PATH_JOIN_H

#include <cstddef>
#include <cstring>

#include "lib/fileutil.h"

// Every path the engine builds fits a buffer of this many bytes, terminator
// included, as the Windows API expects.
const size_t SETUP_PATH_SIZE = 260;

// Writes a, b, c and d one after another into out (size bytes). When the
// whole does not fit, or a part is missing, the result is false and out is
// left as it was: a cut path would name some other file.
inline bool join_path(char *out, size_t size, const char *a, const char *b = "", const char *c = "", const char *d = "")
{
    const char *parts[] = {a, b, c, d};
    size_t total = 0;
    for (const char *part : parts) {
        if (!part)
            return false;
        total += std::strlen(part);
    }
    if (!out || total >= size)
        return false;
    size_t pos = 0;
    for (const char *part : parts) {
        size_t len = std::strlen(part);
        std::memcpy(out + pos, part, len);
        pos += len;
    }
    out[pos] = '\0';
    return true;
}

// Writes dir, a backslash unless dir is empty or ends in one, name and
// suffix into out (size bytes); whole or not at all, as join_path.
inline bool join_dir(char *out, size_t size, const char *dir, const char *name, const char *suffix = "")
{
    return join_path(out, size, dir, separator_after(dir), name, suffix);
}

#endif
