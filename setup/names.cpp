// What setup accepts as names and paths, and the title's file-system name.
#include "setup/names.h"

#include <cstring>

#include "lib/fileutil.h"
#include "platform/platform.h"

static bool is_separator(char c) { return c == '\\' || c == '/'; }

// A component that Windows reads as "." or ".." once it drops the trailing
// dots and blanks of the name.
static bool dots_only(const char *start, size_t len)
{
    bool dot = false;
    for (size_t i = 0; i < len; ++i) {
        if (start[i] == '.')
            dot = true;
        else if (start[i] != ' ')
            return false;
    }
    return dot;
}

// Steps by character: in a double-byte code page the second byte of a
// character may be a backslash or a "|" that is no separator.
static size_t next_char(const char *text, size_t i, size_t len)
{
    size_t step = (size_t)(plat_char_next(text + i) - (text + i));
    return i + (step ? step : 1) > len ? len : i + (step ? step : 1);
}

// A part of a path that Windows keeps as written, so that the uninstaller
// finds it under the name the setup log gives: not empty, not dots and
// blanks only (Windows reads that as "." or ".."), not ending in a dot or a
// blank (Windows drops them), not a device name (NUL, COM1.txt: Windows
// opens the device instead), and without * ? " < > | : or a control
// character, which Windows refuses. A double-byte character passes whole:
// its second byte may be any of them.
static bool plain_part(const char *start, size_t len)
{
    if (len == 0 || dots_only(start, len) || is_device_name(start, len))
        return false;
    unsigned char last = 0;
    for (size_t i = 0; i < len;) {
        size_t next = next_char(start, i, len);
        last = next - i > 1 ? 0 : (unsigned char)start[i];
        if (next - i == 1 && (last < 32 || std::strchr("*?\"<>|:", last)))
            return false;
        i = next;
    }
    return last != '.' && last != ' ';
}

// Whether every part of text[0, len), split at backslashes and slashes, is
// plain; the last one may be empty when trailing is.
static bool plain_parts(const char *text, size_t len, bool trailing)
{
    size_t start = 0;
    for (size_t i = 0;; i = next_char(text, i, len)) {
        if (i == len || is_separator(text[i])) {
            bool last = i == len;
            if (!plain_part(text + start, i - start) && !(last && trailing && i == start))
                return false;
            if (last)
                return true;
            start = i + 1;
        }
    }
}

bool file_name_stays_inside(const char *name, size_t len)
{
    // A colon anywhere would name a drive or a stream of another file.
    return name && len > 0 && !std::memchr(name, ':', len) && plain_parts(name, len, false);
}

bool is_full_path(const char *path)
{
    return path && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
           path[2] == '\\' && plain_parts(path + 3, std::strlen(path + 3), true);
}

bool title_file_name(const char *title, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!title)
        return false;
    // The name ends after its last character that is not a dot or a blank
    // (found forwards: a double-byte text cannot be read backwards).
    size_t whole = std::strlen(title), len = 0;
    for (size_t i = 0; i < whole;) {
        size_t next = next_char(title, i, whole);
        if (next - i > 1 || (title[i] != '.' && title[i] != ' '))
            len = next;
        i = next;
    }
    if (len + 1 > size)
        return false;
    for (size_t i = 0; i < len;) {
        size_t next = next_char(title, i, len);
        unsigned char c = (unsigned char)title[i];
        if (next - i > 1)
            std::memcpy(out + i, title + i, next - i); // a whole double-byte character
        else
            out[i] = (c < 32 || std::strchr("\\/:*?\"<>|", c)) ? '_' : (char)c;
        i = next;
    }
    out[len] = '\0';
    if (len == 0 || is_device_name(out, len)) {
        if (len + 2 > size) {
            out[0] = '\0';
            return false;
        }
        std::memmove(out + 1, out, len + 1);
        out[0] = '_';
    }
    return true;
}
