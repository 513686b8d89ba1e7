#include "platform/path_text.h"

#include <cstring>

#include "platform/platform.h"

// The next character: in a double-byte code page the second byte of a
// character may be 0x5C, which is then no separator.
static const char *step(const char *p)
{
    const char *next = plat_char_next(p);
    return next > p ? next : p + 1;
}

size_t next_char(const char *text, size_t i, size_t len)
{
    size_t next = (size_t)(step(text + i) - text);
    return next > len ? len : next;
}

// Length without trailing separators, found forwards by character.
static size_t key_length(const char *p)
{
    size_t end = 0;
    for (const char *q = p; *q;) {
        const char *next = step(q);
        if (next - q > 1 || !is_path_separator(*q))
            end = (size_t)(next - p);
        q = next;
    }
    return end;
}

// The first n bytes of a and b name the same characters.
static bool same_chars(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n;) {
        size_t len = (size_t)(step(a + i) - (a + i));
        if (len > 1) {
            if (i + len > n || std::memcmp(a + i, b + i, len) != 0)
                return false;
        } else if (!(is_path_separator(a[i]) && is_path_separator(b[i])) && ascii_lower(a[i]) != ascii_lower(b[i])) {
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
    return n > 0 && std::strlen(path) > n + 1 && same_chars(path, dir, n) && is_path_separator(path[n]) &&
           key_length(path) > n + 1;
}

bool is_drive_root(const char *path)
{
    if (!has_drive(path))
        return false;
    const char *rest = path + 2;
    while (is_path_separator(*rest))
        ++rest;
    return *rest == '\0';
}

const char *path_file_name(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; p = step(p))
        if (is_path_separator(*p))
            name = p + 1;
    return name;
}

bool join_path(char *out, size_t size, const char *a, const char *b, const char *c, const char *d)
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

bool path_append(char *out, size_t size, const char *dir, const char *name)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    bool slash = dir && dir[0] && key_length(dir) == std::strlen(dir); // no separator at its end
    return join_path(out, size, dir, slash ? "\\" : "", name);
}
