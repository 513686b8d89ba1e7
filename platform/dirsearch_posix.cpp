// The directory search without Windows: a substitute over the mapped drive
// folders that reports entries the way Wine shows a Unix folder to the
// Windows runtime, so that the same tests hold on both builds:
//
// - a directory is 16, anything else 32 (archive);
// - read-only (1) when nobody has write permission;
// - hidden (2) for a name that starts with a dot, except "." and "..";
// - a symbolic link also carries 1024 (a reparse point on Windows); a link
//   whose target is missing is not listed at all;
// - "." and ".." are listed in every directory but a drive's root.
//
// The creation time is the file's birth time where the file system keeps
// one, otherwise -1.
#include "platform/dirsearch.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/os.h"
#include "platform/path_text.h"
#include "platform/platform.h"

namespace {

const uint32_t ATTR_REPARSE = 1024;
const int MAX_SEARCHES = 16;

struct Search {
    DIR *dir; // null while the slot is free
    char host_dir[PATH_MAX];
    char mask[260];
    bool drive_root;
};

Search searches[MAX_SEARCHES];

int upper(char c) { return std::toupper((unsigned char)c); }

// '*' matches any run of characters, '?' exactly one; case is ignored.
bool wild_match(const char *mask, const char *name)
{
    // "*.*" is the DOS spelling of "everything", names without a dot included.
    if (std::strcmp(mask, "*.*") == 0)
        mask = "*";
    const char *star = nullptr;  // the mask just after the last '*' seen
    const char *retry = nullptr; // where that '*' would take one more character
    while (*name) {
        if (*mask == '*') {
            star = ++mask;
            retry = name;
        } else if (*mask == '?' || (*mask && upper(*mask) == upper(*name))) {
            ++mask;
            ++name;
        } else if (star) {
            mask = star;
            name = ++retry;
        } else {
            return false;
        }
    }
    while (*mask == '*')
        ++mask;
    return *mask == '\0';
}

// True when host_dir is a drive folder itself, <drive root>/<letter>.
bool is_drive_folder(const char *host_dir)
{
    char dir[PATH_MAX], root[PATH_MAX];
    if (!realpath(host_dir, dir) || !realpath(plat_test_drive_root(), root))
        return false;
    const char *rest = nullptr;
    return os_drive_in(dir, root, &rest) && !*rest;
}

int32_t time32(long long t) { return (t < INT32_MIN || t > INT32_MAX) ? -1 : (int32_t)t; }

// Fills record for the entry name of s; false when it is not to be listed.
bool describe(const Search &s, const char *name, plat_finddata *record)
{
    if (s.drive_root && (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0))
        return false;
    char path[PATH_MAX];
    int n = std::snprintf(path, sizeof path, "%s/%s", s.host_dir, name);
    if (n < 0 || (size_t)n >= sizeof path)
        return false;
    struct stat link_info;
    struct statx info;
    if (lstat(path, &link_info) != 0 || statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;

    uint32_t attrib = S_ISDIR(info.stx_mode) ? PLAT_ATTR_SUBDIR : PLAT_ATTR_ARCHIVE;
    if (!(info.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        attrib |= PLAT_ATTR_READONLY;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        attrib |= PLAT_ATTR_HIDDEN;
    if (S_ISLNK(link_info.st_mode))
        attrib |= ATTR_REPARSE;
    record->attrib = attrib;
    record->time_create = (info.stx_mask & STATX_BTIME) ? time32(info.stx_btime.tv_sec) : -1;
    record->time_access = time32(info.stx_atime.tv_sec);
    record->time_write = time32(info.stx_mtime.tv_sec);
    record->size = S_ISDIR(info.stx_mode) ? 0 : (uint32_t)info.stx_size;
    size_t len = std::strlen(name);
    if (len >= sizeof record->name)
        return false;
    std::memcpy(record->name, name, len + 1);
    return true;
}

// The next matching entry of s into record; false when the directory ends.
bool next_match(Search &s, plat_finddata *record)
{
    while (struct dirent *entry = readdir(s.dir))
        if (wild_match(s.mask, entry->d_name) && describe(s, entry->d_name, record))
            return true;
    return false;
}

Search *open_search(intptr_t handle)
{
    if (handle < 1 || handle > MAX_SEARCHES || !searches[handle - 1].dir)
        return nullptr;
    return &searches[handle - 1];
}

void free_search(Search &s)
{
    closedir(s.dir);
    s.dir = nullptr;
}

} // namespace

intptr_t plat_findfirst(const char *pattern, plat_finddata *record)
{
    if (!pattern || !record) {
        errno = EINVAL;
        return -1;
    }
    int slot = 0;
    while (slot < MAX_SEARCHES && searches[slot].dir)
        ++slot;
    if (slot == MAX_SEARCHES) {
        errno = EMFILE;
        return -1;
    }
    Search &s = searches[slot];

    // Split into the directory (kept with its separator) and the mask.
    const char *mask = pattern;
    for (const char *p = pattern; *p; p = plat_char_next(p))
        if (is_path_separator(*p))
            mask = p + 1;
    if (mask == pattern && has_drive(pattern))
        mask = pattern + 2;
    size_t dir_len = (size_t)(mask - pattern);
    size_t mask_len = std::strlen(mask);
    char dos_dir[PATH_MAX];
    if (mask_len >= sizeof s.mask || dir_len >= sizeof dos_dir) {
        errno = ENOENT;
        return -1;
    }
    std::memcpy(dos_dir, pattern, dir_len);
    dos_dir[dir_len] = '\0';
    std::memcpy(s.mask, mask, mask_len + 1);
    if (dir_len == 0)
        std::strcpy(s.host_dir, ".");
    else if (!plat_host_path(dos_dir, s.host_dir, sizeof s.host_dir))
        return -1;

    s.dir = opendir(s.host_dir);
    if (!s.dir) {
        errno = ENOENT;
        return -1;
    }
    s.drive_root = is_drive_folder(s.host_dir);
    if (!next_match(s, record)) {
        free_search(s);
        errno = ENOENT;
        return -1;
    }
    return slot + 1;
}

int plat_findnext(intptr_t handle, plat_finddata *record)
{
    Search *s = open_search(handle);
    if (!s || !record) {
        errno = EINVAL;
        return -1;
    }
    if (!next_match(*s, record)) {
        errno = ENOENT;
        return -1;
    }
    return 0;
}

int plat_findclose(intptr_t handle)
{
    Search *s = open_search(handle);
    if (!s) {
        errno = EINVAL;
        return -1;
    }
    free_search(*s);
    return 0;
}
