#include "path_compare.h"

#include <cstring>

static bool is_separator(char c) { return c == '\\' || c == '/'; }

static char fold(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

// Length without trailing separators. A separator after a byte of 0x80 or
// more is kept: in a double-byte code page it may be the second half of a
// character ("\x83\x5c").
static size_t key_length(const char *p)
{
    size_t n = std::strlen(p);
    while (n > 0 && is_separator(p[n - 1]) && (n < 2 || (unsigned char)p[n - 2] < 0x80))
        --n;
    return n;
}

static bool same_chars(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (is_separator(a[i]) && is_separator(b[i]))
            continue;
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

bool same_path(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    size_t n = key_length(a);
    return n == key_length(b) && same_chars(a, b, n);
}

bool path_is_below(const char *path, const char *dir)
{
    if (!path || !dir)
        return false;
    size_t n = key_length(dir);
    return n > 0 && std::strlen(path) > n + 1 && same_chars(path, dir, n) && is_separator(path[n]) &&
           key_length(path) > n + 1;
}

bool is_drive_root(const char *path)
{
    if (!path || !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) || path[1] != ':')
        return false;
    const char *rest = path + 2;
    while (is_separator(*rest))
        ++rest;
    return *rest == '\0';
}

const char *path_file_name(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; ++p)
        if (is_separator(*p))
            name = p + 1;
    return name;
}

bool path_append(char *out, size_t size, const char *dir, const char *name)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    size_t d = std::strlen(dir), n = std::strlen(name);
    bool slash = d > 0 && !is_separator(dir[d - 1]);
    if (d + (slash ? 1 : 0) + n >= size)
        return false;
    std::memcpy(out, dir, d);
    if (slash)
        out[d++] = '\\';
    std::memcpy(out + d, name, n + 1);
    return true;
}
