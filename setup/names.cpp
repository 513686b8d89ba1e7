// What setup accepts as names and paths, and the title's file-system name.
#include "names.h"

#include <cstring>

#include "../platform/platform.h"
#include "ascii_fold.h"

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

bool file_name_stays_inside(const char *name, size_t len)
{
    if (!name || len == 0 || is_separator(name[0]) || std::memchr(name, ':', len))
        return false;
    size_t start = 0;
    for (size_t i = 0;; i = next_char(name, i, len)) {
        if (i == len || is_separator(name[i])) {
            if (dots_only(name + start, i - start))
                return false;
            if (i == len)
                return true;
            start = i + 1;
        }
    }
}

bool is_full_path(const char *path)
{
    return path && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':' &&
           path[2] == '\\';
}

// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 and the console's CONIN$ and
// CONOUT$, as the part before the first dot (trailing blanks aside) names them.
static bool is_device_name(const char *name)
{
    char stem[8];
    size_t len = std::strcspn(name, ".");
    while (len > 0 && name[len - 1] == ' ')
        --len;
    if (len >= sizeof stem)
        return false;
    std::memcpy(stem, name, len);
    stem[len] = '\0';
    fold_ascii(stem);
    static const char *const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char *device : devices)
        if (!std::strcmp(stem, device))
            return true;
    return len == 4 && (!std::strncmp(stem, "com", 3) || !std::strncmp(stem, "lpt", 3)) && stem[3] >= '1' &&
           stem[3] <= '9';
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
    if (len == 0 || is_device_name(out)) {
        if (len + 2 > size) {
            out[0] = '\0';
            return false;
        }
        std::memmove(out + 1, out, len + 1);
        out[0] = '_';
    }
    return true;
}
