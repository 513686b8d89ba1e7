#include "uninstall/path_compare.h"

#include <cstring>

#include "lib/genstrin.h"
#include "platform/platform.h"

static bool is_separator(char c) { return c == '\\' || c == '/'; }

// The next character: in a double-byte code page the second byte of a
// character may be 0x5C, which is then no separator.
static const char *step(const char *p)
{
    const char *next = plat_char_next(p);
    return next > p ? next : p + 1;
}

// Length without trailing separators, found forwards by character.
static size_t key_length(const char *p)
{
    size_t end = 0;
    for (const char *q = p; *q;) {
        const char *next = step(q);
        if (next - q > 1 || !is_separator(*q))
            end = (size_t)(next - p);
        q = next;
    }
    return end;
}

// The first n bytes of a and b name the same characters; a double-byte
// character compares exactly (its second byte is no letter).
static bool same_chars(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n;) {
        size_t len = (size_t)(step(a + i) - (a + i));
        if (len > 1) {
            if (i + len > n || std::memcmp(a + i, b + i, len) != 0)
                return false;
        } else if (!(is_separator(a[i]) && is_separator(b[i])) && ascii_lower(a[i]) != ascii_lower(b[i])) {
            return false;
        }
        i += len;
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
    for (const char *p = path; *p; p = step(p))
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
    bool slash = d > 0 && key_length(dir) == d; // no separator at its end
    if (d + (slash ? 1 : 0) + n >= size)
        return false;
    std::memcpy(out, dir, d);
    if (slash)
        out[d++] = '\\';
    std::memcpy(out + d, name, n + 1);
    return true;
}
