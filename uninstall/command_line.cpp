#include "uninstall/command_line.h"

#include <cstring>

#include "lib/fileutil.h"
#include "platform/path_text.h"

static bool blank(char c) { return c == ' ' || c == '\t'; }

static bool option_is(const char *word, size_t len, const char *option)
{
    if (std::strlen(option) != len)
        return false;
    for (size_t i = 0; i < len; ++i) {
        char c = word[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        if (c != option[i])
            return false;
    }
    return true;
}

bool parse_command_line(const char *args, COMMAND_LINE &out)
{
    out = COMMAND_LINE{};
    const char *p = args ? args : "";
    for (;;) {
        while (blank(*p))
            ++p;
        if (*p != '/')
            break;
        const char *word = p;
        while (*p && !blank(*p))
            ++p;
        size_t len = (size_t)(p - word);
        const char PRIVATE[] = "/FINISH:";
        if (option_is(word, len, "/S")) {
            out.silent = true;
        } else if (option_is(word, len, "/?")) {
            out.usage = true;
        } else if (len > sizeof PRIVATE - 1 && option_is(word, sizeof PRIVATE - 1, PRIVATE)) {
            // Two numbers, a comma between them, neither 0.
            uint32_t values[2] = {0, 0};
            size_t at = 0;
            for (const char *d = word + sizeof PRIVATE - 1; d < p; ++d) {
                if (*d == ',' && at == 0 && values[0]) {
                    at = 1;
                } else if (*d < '0' || *d > '9' || values[at] > 400000000u) {
                    out.problem = ARGS_UNKNOWN_OPTION;
                    return false;
                } else {
                    values[at] = values[at] * 10 + (uint32_t)(*d - '0');
                }
            }
            if (!values[0] || !values[1]) {
                out.problem = ARGS_UNKNOWN_OPTION;
                return false;
            }
            out.finish_after = values[0];
            out.finish_event = values[1];
        } else {
            out.problem = ARGS_UNKNOWN_OPTION;
            return false;
        }
    }
    if (out.usage)
        return true;

    const char *start = p, *end = p + std::strlen(p);
    while (end > start && blank(end[-1]))
        --end;
    if (start < end && *start == '"') {
        const char *close = std::strchr(start + 1, '"');
        if (!close || close + 1 != end) {
            out.problem = ARGS_BAD_QUOTES;
            return false;
        }
        ++start;
        end = close;
    }
    size_t len = (size_t)(end - start);
    if (len == 0) {
        out.problem = ARGS_NO_LOG;
        return false;
    }
    if (len >= sizeof out.log_name) {
        out.problem = ARGS_TOO_LONG;
        return false;
    }
    std::memcpy(out.log_name, start, len);
    out.log_name[len] = '\0';
    if (path_names_device(out.log_name)) {
        out.log_name[0] = '\0';
        out.problem = ARGS_DEVICE;
        return false;
    }
    return true;
}

bool resolve_log_path(const char *name, const char *windows_dir, char *out, size_t size)
{
    if (!out || size == 0 || !name || !windows_dir)
        return false;
    bool absolute = name[0] == '\\' || (name[0] && name[1] == ':' && is_path_separator(name[2]));
    if (!absolute)
        return path_append(out, size, windows_dir, name);
    out[0] = '\0';
    return join_path(out, size, name);
}
