// Bounded path building, for the setup engine and the wizard.
#ifndef SETUP_PATH_JOIN_H
#define SETUP_PATH_JOIN_H

#include <cstddef>

#include "lib/fileutil.h"
#include "platform/path_text.h"

// Every path the engine builds fits a buffer of this many bytes, terminator
// included, as the Windows API expects.
const size_t SETUP_PATH_SIZE = 260;

// Writes dir, a backslash unless dir is empty or ends in one, name and
// suffix into out (size bytes); whole or not at all, as join_path.
inline bool join_dir(char *out, size_t size, const char *dir, const char *name, const char *suffix = "")
{
    return join_path(out, size, dir, separator_after(dir), name, suffix);
}

#endif
