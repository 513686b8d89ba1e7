// Text and path helpers of the wizard pages.
#include "page_text.h"

#include <cstdio>
#include <cstring>

char *vformat_cut(char *out, size_t size, const char *format, va_list args)
{
    if (!out || size == 0)
        return out;
    int n = std::vsnprintf(out, size, format ? format : "", args);
    // Some runtimes leave an overlong result unterminated or report an error:
    // the text is then whatever fitted.
    if (n < 0)
        out[0] = '\0';
    out[size - 1] = '\0';
    return out;
}

char *format_cut(char *out, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vformat_cut(out, size, format, args);
    va_end(args);
    return out;
}

bool join_browsed_path(char *out, size_t size, const char *folder, const char *basepath)
{
    if (!out || !folder || !basepath)
        return false;
    size_t folder_len = std::strlen(folder);
    bool separator = folder_len > 0 && folder[folder_len - 1] != '\\';
    size_t total = folder_len + (separator ? 1 : 0) + std::strlen(basepath);
    if (total + 1 > size)
        return false;
    std::memmove(out, folder, folder_len);
    if (separator)
        out[folder_len++] = '\\';
    std::strcpy(out + folder_len, basepath);
    return true;
}

static char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

const char *path_below(const char *chosen, const char *folder)
{
    if (!chosen || !folder)
        return nullptr;
    size_t folder_len = std::strlen(folder);
    size_t i = 0;
    for (; i < folder_len && chosen[i] != '\0'; ++i)
        if (ascii_lower(chosen[i]) != ascii_lower(folder[i]))
            return nullptr;
    if (i == folder_len)
        return chosen + i;
    // chosen ended first: only the folder itself without its backslash counts.
    if (i + 1 == folder_len && folder[i] == '\\')
        return chosen + i;
    return nullptr;
}
