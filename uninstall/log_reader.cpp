#include "uninstall/log_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "uninstall/path_compare.h"

SETUP_LOG::SETUP_LOG() : text(nullptr), lines(nullptr), count(0) {}

SETUP_LOG::~SETUP_LOG() { clear(); }

void SETUP_LOG::clear()
{
    std::free(text);
    std::free(lines);
    text = nullptr;
    lines = nullptr;
    count = 0;
}

static bool key_is(const char *line, size_t key_len, const char *key)
{
    if (std::strlen(key) != key_len)
        return false;
    for (size_t i = 0; i < key_len; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        char k = key[i];
        if (k >= 'A' && k <= 'Z')
            k = (char)(k - 'A' + 'a');
        if (c != k)
            return false;
    }
    return true;
}

bool SETUP_LOG::parse(const char *data, uint32_t size)
{
    clear();
    int32_t line_count = 0;
    for (uint32_t i = 0; i < size; ++i)
        if (data[i] == '\n')
            ++line_count;
    if (size > 0 && data[size - 1] != '\n')
        ++line_count; // the cut last line
    text = static_cast<char *>(plat_malloc(size + 1));
    lines = static_cast<LOG_LINE *>(plat_malloc(sizeof(LOG_LINE) * (size_t)(line_count ? line_count : 1)));
    if (!text || !lines) {
        clear();
        return false;
    }
    std::memcpy(text, data, size);
    text[size] = '\0';

    uint32_t start = 0;
    while (start < size) {
        uint32_t end = start;
        while (end < size && text[end] != '\n')
            ++end;
        LOG_LINE &line = lines[count++];
        line.cut = end == size;
        uint32_t stop = end;
        if (!line.cut && stop > start && text[stop - 1] == '\r')
            --stop; // CR LF
        text[stop] = '\0';
        if (end < size)
            text[end] = '\0';
        line.text = text + start;
        line.has_nul = std::strlen(line.text) != stop - start;
        const char *equals = std::strchr(line.text, '=');
        line.value = equals ? equals + 1 : nullptr;
        line.key = KEY_OTHER;
        if (equals) {
            size_t key_len = (size_t)(equals - line.text);
            if (key_is(line.text, key_len, "AppTitle"))
                line.key = KEY_APPTITLE;
            else if (key_is(line.text, key_len, "EMail"))
                line.key = KEY_EMAIL;
            else if (key_is(line.text, key_len, "MkDir"))
                line.key = KEY_MKDIR;
            else if (key_is(line.text, key_len, "MkFile"))
                line.key = KEY_MKFILE;
        }
        start = end + 1;
    }
    return true;
}

LOG_LOAD SETUP_LOG::load(const char *path)
{
    clear();
    FILE *f = path ? plat_fopen(path, "rb") : nullptr;
    if (!f)
        return plat_get_attributes(path) == PLAT_NO_ATTRIBUTES ? LOAD_MISSING : LOAD_UNREADABLE;
    char *data = static_cast<char *>(plat_malloc(MAX_LOG_BYTES + 1));
    if (!data) {
        std::fclose(f);
        return LOAD_NO_MEMORY;
    }
    size_t got = std::fread(data, 1, MAX_LOG_BYTES + 1, f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    LOG_LOAD result = failed ? LOAD_UNREADABLE : got > MAX_LOG_BYTES ? LOAD_TOO_LARGE : LOAD_OK;
    if (result == LOAD_OK && !parse(data, (uint32_t)got))
        result = LOAD_NO_MEMORY;
    std::free(data);
    return result;
}

const char *SETUP_LOG::title() const
{
    for (int32_t i = 0; i < count; ++i)
        if (lines[i].key == KEY_APPTITLE && !lines[i].cut)
            return lines[i].value;
    return "Unknown";
}

bool SETUP_LOG::names_file(const char *path) const
{
    for (int32_t i = 0; i < count; ++i)
        if (lines[i].key == KEY_MKFILE && !lines[i].cut && !lines[i].has_nul && same_path(lines[i].value, path))
            return true;
    return false;
}

// ---- the safety check -------------------------------------------------------

static bool is_separator(char c) { return c == '\\' || c == '/'; }

// Looks at each component after "X:\": dots, forbidden characters, empty
// components (a trailing separator is allowed) and names that Windows
// silently changes (a trailing dot or blank).
static ENTRY_CHECK check_components(const char *p)
{
    while (*p) {
        const char *start = p;
        bool only_dots = true;
        char last = 0; // the component's last character when it is a single byte
        // By character: in a double-byte code page a second byte may be 0x5C
        // or "|", which are then neither separators nor forbidden.
        for (const char *next; *p && !is_separator(*p); p = next) {
            next = plat_char_next(p);
            if (next - p > 1) {
                only_dots = false;
                last = 0;
                continue;
            }
            next = p + 1;
            unsigned char c = (unsigned char)*p;
            if (c == '*' || c == '?' || c == '<' || c == '>' || c == '"')
                return ENTRY_WILDCARD;
            if (c < 32 || c == '|' || c == ':')
                return ENTRY_BAD_NAME;
            if (c != '.')
                only_dots = false;
            last = (char)c;
        }
        size_t len = (size_t)(p - start);
        if (len == 0 && *p)
            return ENTRY_BAD_NAME; // "\\" inside the path
        if (len > 0 && only_dots)
            return ENTRY_DOT_PART;
        if (last == ' ' || last == '.')
            return ENTRY_BAD_NAME;
        if (*p)
            ++p;
    }
    return ENTRY_SAFE;
}

ENTRY_CHECK check_entry(const char *value, const PROTECTED_DIRS &dirs)
{
    if (!value || !value[0])
        return ENTRY_NOT_ABSOLUTE;
    if (std::strlen(value) >= LOG_PATH_SIZE)
        return ENTRY_TOO_LONG;
    bool letter = (value[0] >= 'A' && value[0] <= 'Z') || (value[0] >= 'a' && value[0] <= 'z');
    if (!letter || value[1] != ':')
        return ENTRY_NOT_ABSOLUTE;
    if (is_drive_root(value))
        return ENTRY_DRIVE_ROOT;
    if (!is_separator(value[2]))
        return ENTRY_NOT_ABSOLUTE; // "C:name" is relative to C:'s current directory
    ENTRY_CHECK parts = check_components(value + 3);
    if (parts != ENTRY_SAFE)
        return parts;
    if (dirs.windows[0] && same_path(value, dirs.windows))
        return ENTRY_WINDOWS_DIR;
    if (dirs.system[0] && same_path(value, dirs.system))
        return ENTRY_SYSTEM_DIR;
    for (const char *programs : dirs.programs)
        if (programs[0] && same_path(value, programs))
            return ENTRY_PROGRAMS_DIR;
    return ENTRY_SAFE;
}
