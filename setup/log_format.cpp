#include "setup/log_format.h"

#include <cstdlib>
#include <cstring>

#include "platform/path_text.h"
#include "platform/platform.h"

// ---- keys ------------------------------------------------------------------

static const char *const KEY_NAMES[] = {"", "AppTitle", "EMail", "MkDir", "MkFile", "Needs", "MkReg", "Earlier"};
static_assert(sizeof KEY_NAMES / sizeof KEY_NAMES[0] == LOG_KEY_COUNT, "a name for every key");
// Whether an uninstaller that ignored the key would remove wrongly. None of
// the first keys is: every uninstaller knows them. An uninstaller that
// ignored MkReg would leave an entry in Apps & Features that names a log
// no longer there; one that ignored Earlier would leave the user without
// the earlier versions, kept where the user would never look.
static const bool KEY_REQUIRED[] = {false, false, false, false, false, false, true, true};
static_assert(sizeof KEY_REQUIRED / sizeof KEY_REQUIRED[0] == LOG_KEY_COUNT, "a rule for every key");
static_assert(LOG_KEY_COUNT <= 32, "LOG_WRITER::announced has a bit for every key");

const char *log_key_name(LOG_KEY key) { return key > KEY_OTHER && key < LOG_KEY_COUNT ? KEY_NAMES[key] : ""; }

bool log_key_is_required(LOG_KEY key) { return key > KEY_OTHER && key < LOG_KEY_COUNT && KEY_REQUIRED[key]; }

LOG_KEY log_key_of(const char *text, size_t len)
{
    for (int key = KEY_OTHER + 1; key < LOG_KEY_COUNT; ++key) {
        const char *name = KEY_NAMES[key];
        if (std::strlen(name) != len)
            continue;
        size_t i = 0;
        while (i < len && ascii_lower(text[i]) == ascii_lower(name[i]))
            ++i;
        if (i == len)
            return static_cast<LOG_KEY>(key);
    }
    return KEY_OTHER;
}

bool log_key_names_path(LOG_KEY key) { return key == KEY_MKDIR || key == KEY_MKFILE; }

bool log_key_is_removed(LOG_KEY key) { return log_key_names_path(key) || key == KEY_MKREG || key == KEY_EARLIER; }

// ---- earlier versions ------------------------------------------------------

static const char EARLIER_SEPARATOR = '|';

bool backup_area(const char *log_path, char *out, size_t size)
{
    return log_path && log_path[0] && join_path(out, size, log_path, ".old");
}

bool backup_part_path(const char *backup, char *out, size_t size)
{
    return backup && backup[0] && join_path(out, size, backup, ".part");
}

bool earlier_value(const char *destination, const char *backup, char *out, size_t size)
{
    const char separator[] = {EARLIER_SEPARATOR, '\0'};
    return destination && backup && destination[0] && backup[0] && join_path(out, size, destination, separator, backup);
}

bool split_earlier(const char *value, char *destination, char *backup)
{
    destination[0] = backup[0] = '\0';
    const char *bar = value ? std::strchr(value, EARLIER_SEPARATOR) : nullptr;
    if (!bar || bar == value || !bar[1])
        return false;
    size_t len = (size_t)(bar - value);
    if (len >= LOG_PATH_SIZE || !join_path(backup, LOG_PATH_SIZE, bar + 1)) {
        backup[0] = '\0';
        return false;
    }
    std::memcpy(destination, value, len);
    destination[len] = '\0';
    return true;
}

// ---- the Apps & Features entry ---------------------------------------------

bool entry_key_name(const char *log_path, char *out, size_t size)
{
    const char *name = log_path ? path_file_name(log_path) : nullptr;
    if (!name || !name[0]) {
        if (out && size)
            out[0] = '\0';
        return false;
    }
    return join_path(out, size, "SetupLog ", name);
}

bool uninstall_command(const char *log_path, bool silent, char *out, size_t size)
{
    if (!log_path) {
        if (out && size)
            out[0] = '\0';
        return false;
    }
    const char *name = path_file_name(log_path);
    char dir[LOG_PATH_SIZE];
    size_t dir_len = (size_t)(name - log_path);
    if (dir_len >= sizeof dir) {
        if (out && size)
            out[0] = '\0';
        return false;
    }
    std::memcpy(dir, log_path, dir_len);
    dir[dir_len] = '\0';
    char program[LOG_PATH_SIZE + 8];
    bool fits = join_path(program, sizeof program, "\"", dir, UNINSTALLER_NAME, "\"") &&
                join_path(out, size, program, silent ? " /S \"" : " \"", log_path, "\"");
    if (!fits && out && size)
        out[0] = '\0';
    return fits;
}

bool command_names_log(const char *command, const char *log_path)
{
    if (!command || !log_path)
        return false;
    size_t len = std::strlen(command);
    if (len < 2 || command[len - 1] != '"')
        return false;
    size_t open = len - 1;
    while (open > 0 && command[open - 1] != '"')
        --open;
    if (open == 0 || len - 1 - open >= LOG_PATH_SIZE)
        return false;
    char named[LOG_PATH_SIZE];
    std::memcpy(named, command + open, len - 1 - open);
    named[len - 1 - open] = '\0';
    if (same_path(named, log_path))
        return true;
    // uninstal.bat names the log by its short form when the OEM code page
    // cannot hold its name: the same file all the same.
    char named_short[LOG_PATH_SIZE], log_short[LOG_PATH_SIZE];
    return plat_short_path(named, named_short, sizeof named_short) &&
           plat_short_path(log_path, log_short, sizeof log_short) && same_path(named_short, log_short);
}

// ---- the path-part rule ----------------------------------------------------

static PATH_PART check_part(const char *start, size_t len)
{
    bool only_dots = true;
    unsigned char last = 0; // the part's last character when it is a single byte
    for (size_t i = 0; i < len;) {
        size_t next = next_char(start, i, len);
        if (next - i > 1) {
            only_dots = false;
            last = 0;
            i = next;
            continue;
        }
        unsigned char c = (unsigned char)start[i];
        if (c == '*' || c == '?' || c == '<' || c == '>' || c == '"')
            return PART_WILDCARD;
        if (c < 32 || c == '|' || c == ':')
            return PART_REFUSED_CHAR;
        if (c != '.')
            only_dots = false;
        last = c;
        i = next;
    }
    if (len == 0)
        return PART_EMPTY;
    if (only_dots)
        return PART_DOTS;
    return last == '.' || last == ' ' ? PART_CHANGED_END : PART_KEPT;
}

PATH_PART check_path_parts(const char *text, size_t len, bool trailing_separator, size_t *part, size_t *part_len)
{
    size_t start = 0;
    for (size_t i = 0;; i = next_char(text, i, len)) {
        if (i == len || is_path_separator(text[i])) {
            bool last = i == len;
            if (!(last && trailing_separator && i == start)) {
                PATH_PART verdict = check_part(text + start, i - start);
                if (verdict != PART_KEPT) {
                    if (part)
                        *part = start;
                    if (part_len)
                        *part_len = i - start;
                    return verdict;
                }
            }
            if (last)
                return PART_KEPT;
            start = i + 1;
        }
    }
}

// ---- writing ---------------------------------------------------------------

void LINE_OUT::put(const char *text)
{
    for (; *text; ++text)
        put_char(*text);
}

void LINE_OUT::put_batch_text(const char *text)
{
    for (; *text; ++text) {
        if (*text == '%')
            put_char('%');
        put_char(*text);
    }
}

void LINE_OUT::end_line()
{
    put_char('\n');
    write_out();
}

void LINE_OUT::put_char(char c)
{
    if (used == sizeof buffer)
        write_out();
    buffer[used++] = c;
}

void LINE_OUT::write_out()
{
    if (used > 0 && plat_fwrite(buffer, used, stream) != used)
        ok = false;
    used = 0;
}

LOG_WRITER::LOG_WRITER() : file(nullptr), path{}, length(0), announced(0), taken_over(false) {}

bool LOG_WRITER::start(FILE *stream, const char *at)
{
    close();
    if (!stream || !at || !join_path(path, sizeof path, at)) {
        if (stream)
            std::fclose(stream);
        return false;
    }
    file = stream;
    return true;
}

bool LOG_WRITER::close()
{
    bool closed = !file || std::fclose(file) == 0;
    file = nullptr;
    path[0] = '\0';
    length = 0;
    announced = 0;
    taken_over = false;
    return closed;
}

bool LOG_WRITER::line(const char *a, const char *b, const char *c)
{
    if (!a || !b || !c || !file)
        return false;
    // On disk the line grows by its bytes with CR LF for each line end.
    const char *parts[] = {a, b, c};
    int64_t expected = length + 2; // the line end
    LINE_OUT out(file);
    for (const char *part : parts) {
        for (const char *p = part; *p; ++p)
            expected += *p == '\n' ? 2 : 1;
        out.put(part);
    }
    out.end_line();
    // Flushed at once, so that the log names everything made so far, however
    // the program stops. Some runtimes report a flush that met a full disk as
    // done, so the line counts only when the file has grown by all of it.
    if (out.written() && std::fflush(file) == 0 && (int64_t)std::ftell(file) == expected) {
        length = expected;
        return true;
    }
    // Whatever part of the line got out is cut off again. Nothing may follow
    // a lost line either: the log is closed.
    char cut_path[LOG_PATH_SIZE];
    int64_t whole = length;
    join_path(cut_path, sizeof cut_path, path);
    close();
    if (cut_path[0])
        plat_truncate_file(cut_path, whole);
    return false;
}

bool LOG_WRITER::entry(LOG_KEY key, const char *value)
{
    if (key == KEY_OTHER || (log_key_is_required(key) && !need(key)))
        return false;
    return line(log_key_name(key), "=", value);
}

bool LOG_WRITER::need(LOG_KEY key)
{
    if (key <= KEY_OTHER || key >= LOG_KEY_COUNT)
        return false;
    uint32_t bit = 1u << key;
    if (announced & bit)
        return true;
    if (!line(KEY_NAMES[KEY_NEEDS], "=", KEY_NAMES[key]))
        return false;
    announced |= bit;
    return true;
}

bool LOG_WRITER::header(const char *title)
{
    return line("; Setup log file for ", title, ".  Required for the uninstall.");
}

bool LOG_WRITER::copy(const LOG_LINE &read)
{
    if (read.cut)
        return line("; cut short, ignored: ", read.text);
    if (read.has_nul && log_key_is_removed(read.key))
        return line("; holds a zero byte, ignored: ", read.text);
    return line(read.text);
}

// ---- reading ---------------------------------------------------------------

PARSED_LOG::PARSED_LOG() : text(nullptr), lines(nullptr), count(0) {}

PARSED_LOG::~PARSED_LOG() { clear(); }

void PARSED_LOG::clear()
{
    std::free(text);
    std::free(lines);
    text = nullptr;
    lines = nullptr;
    count = 0;
}

bool PARSED_LOG::parse(const char *data, uint32_t size)
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
        line.key = equals ? log_key_of(line.text, (size_t)(equals - line.text)) : KEY_OTHER;
        start = end + 1;
    }
    return true;
}

LOG_LOAD PARSED_LOG::load(const char *path)
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

const char *PARSED_LOG::title() const
{
    for (int32_t i = 0; i < count; ++i)
        if (lines[i].key == KEY_APPTITLE && !lines[i].cut)
            return lines[i].value;
    return "Unknown";
}

bool PARSED_LOG::names_file(const char *path) const
{
    for (int32_t i = 0; i < count; ++i)
        if (lines[i].key == KEY_MKFILE && !lines[i].cut && !lines[i].has_nul && same_path(lines[i].value, path))
            return true;
    return false;
}

bool PARSED_LOG::names_earlier(const char *path, char *backup) const
{
    for (int32_t i = 0; i < count; ++i) {
        char destination[LOG_PATH_SIZE], kept[LOG_PATH_SIZE];
        if (lines[i].key == KEY_EARLIER && !lines[i].cut && !lines[i].has_nul &&
            split_earlier(lines[i].value, destination, kept) && same_path(destination, path)) {
            if (backup)
                join_path(backup, LOG_PATH_SIZE, kept);
            return true;
        }
    }
    return false;
}

bool PARSED_LOG::names_backup(const char *backup) const
{
    for (int32_t i = 0; i < count; ++i) {
        char destination[LOG_PATH_SIZE], kept[LOG_PATH_SIZE];
        if (lines[i].key == KEY_EARLIER && !lines[i].cut && !lines[i].has_nul &&
            split_earlier(lines[i].value, destination, kept) && same_path(kept, backup))
            return true;
    }
    return false;
}

const char *PARSED_LOG::unknown_need() const
{
    for (int32_t i = 0; i < count; ++i) {
        const LOG_LINE &line = lines[i];
        if (line.key == KEY_NEEDS && !line.cut && log_key_of(line.value, std::strlen(line.value)) == KEY_OTHER)
            return line.value;
    }
    return nullptr;
}
