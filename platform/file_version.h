// A program's version, read from the fixed part of its version resource
// (VS_FIXEDFILEINFO's file version), by walking the PE file itself. No
// version.dll: the programs import only what Windows always maps from its
// system directory, and the POSIX substitute and setupchk read the same
// bytes with the same code.
#ifndef PLATFORM_FILE_VERSION_H
#define PLATFORM_FILE_VERSION_H

#include <cstddef>
#include <cstdint>

enum FILE_VERSION_READ {
    VERSION_FOUND,     // *version holds it
    VERSION_NONE,      // a readable file without one: no program, or no version resource
    VERSION_UNREADABLE // no file, or it cannot be opened or read
};

// The file version of the program at path as major << 48 | minor << 32 |
// build << 16 | revision, so that a larger number is a newer version.
// *version is 0 unless VERSION_FOUND.
FILE_VERSION_READ plat_file_version(const char *path, uint64_t *version);

// "major.minor.build.revision" into out (size bytes, always terminated).
void format_file_version(uint64_t version, char *out, size_t size);

#endif
