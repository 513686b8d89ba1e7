// The directory search of the seam: the Windows runtime's _findfirst family
// on Windows, a substitute over the mapped drive folders elsewhere.
//
// A pattern is a path whose last component may hold '*' (any run of
// characters, none included) and '?' (exactly one character); the earlier
// components are taken literally. Names match without regard to case.
#ifndef PLATFORM_DIRSEARCH_H
#define PLATFORM_DIRSEARCH_H

#include <cstdint>

#include "platform/platform.h" // the PLAT_ATTR_ bits of a record

// One match: the fields of the runtime's _finddata_t, with the same 32-bit
// times and size on every build so that callers see one layout.
struct plat_finddata {
    uint32_t attrib;     // PLAT_ATTR_ bits; 0 for an entry the platform marks normal
    int32_t time_create; // seconds since 1970; -1 when unknown or beyond 32 bits
    int32_t time_access;
    int32_t time_write;
    uint32_t size;  // low 32 bits of the size in bytes; 0 for a directory
    char name[260]; // the entry's name without its directory; always terminated
};

// Starts a search and fills record with the first match. Returns the
// search's handle, which is never -1 and must be closed with plat_findclose,
// or -1 when nothing matched, the directory cannot be read or an argument is
// null; no search is left open then.
intptr_t plat_findfirst(const char *pattern, plat_finddata *record);
// Fills record with the next match and returns 0, or returns -1 when there
// is none (or handle is no open search). The search stays open either way.
int plat_findnext(intptr_t handle, plat_finddata *record);
// Ends a search: 0, or -1 when handle is no open search.
int plat_findclose(intptr_t handle);

#endif
