#include "lib/fileutil.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/path_text.h"
#include "platform/platform.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "lib/genutil.h"

FILE *log_stream = nullptr;
bool log_open = false;

void register_fileutil() { reg_db.add_program("FILEUTIL", "0.8", "Marten Koivisto", "29 November 1998"); }

FILE *openfile(const char *name, const char *mode, bool fatal)
{
    if (!name || !mode) {
        err_code = ERR_NULL_POINTER;
        // A fatal open promises never to return a failure, whatever the cause.
        if (fatal) {
            errno = EINVAL;
            error_db.critical_error_code(ERR_NULL_POINTER, "FILEUTIL - openfile (%s, %s) failed",
                                         name ? name : "(null)", mode ? mode : "(null)");
        }
        return nullptr;
    }
    write_logfile("Attempting to open file '%s' in mode '%s'", name, mode);
    FILE *stream = plat_fopen(name, mode);
    if (stream)
        return stream;
    write_logfile("     Failed to open file '%s'  (Mem=%ld, Heap is %s)", name, (long)get_free_memory(),
                  get_heap_status());
    err_code = ERR_FILE_OPEN;
    if (fatal)
        error_db.critical_error_code(ERR_FILE_OPEN, "FILEUTIL - openfile (%s, %s) failed", name, mode);
    return nullptr;
}

int read_eol(FILE *stream, char *buffer, uint32_t len)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return 1;
    }
    uint32_t stored = 0;
    int result;
    for (;;) {
        int c = std::getc(stream);
        if (c == EOF) {
            result = 1;
            break;
        }
        if (c == '\n') {
            result = 0;
            break;
        }
        if (buffer) {
            if (stored >= len) {
                result = 3;
                break;
            }
            buffer[stored++] = (char)c;
        }
    }
    if (buffer)
        buffer[stored] = '\0';
    if (result == 3)
        write_logfile("FILEUTIL - read_eol(): Max string length exceeded, %u!", (unsigned)len);
    return result;
}

bool file_exists(const char *name)
{
    if (!name)
        return false;
    FILE *stream = plat_fopen(name, "r");
    if (!stream)
        return false;
    std::fclose(stream);
    return true;
}

// Read side by side in fixed blocks, never whole, stopped at the first
// difference.
bool same_content(const char *source, const char *destination)
{
    FILE *a = plat_fopen(source, "rb");
    FILE *b = a ? plat_fopen(destination, "rb") : nullptr;
    bool same = a && b;
    static const size_t BLOCK = 16384;
    unsigned char block_a[BLOCK];
    unsigned char block_b[BLOCK];
    while (same) {
        size_t got_a = std::fread(block_a, 1, BLOCK, a);
        size_t got_b = std::fread(block_b, 1, BLOCK, b);
        if (got_a != got_b || std::memcmp(block_a, block_b, got_a) != 0)
            same = false;
        else if (got_a < BLOCK) {
            same = !std::ferror(a) && !std::ferror(b) && std::feof(a) && std::feof(b);
            break;
        }
    }
    if (b)
        std::fclose(b);
    if (a)
        std::fclose(a);
    return same;
}

bool file_present(const char *path)
{
    uint32_t attributes = path ? plat_get_attributes(path) : PLAT_NO_ATTRIBUTES;
    return attributes != PLAT_NO_ATTRIBUTES && !(attributes & PLAT_ATTR_SUBDIR);
}

bool path_crosses_link(const char *path)
{
    if (!path) {
        err_code = ERR_NULL_POINTER;
        return true;
    }
    char prefix[FILE_PATH_CHECK_SIZE];
    size_t len = std::strlen(path);
    if (len >= sizeof prefix) {
        err_code = ERR_STRING_BOUNDS;
        return true;
    }
    std::memcpy(prefix, path, len + 1);
    for (size_t start = 0; prefix[start];) {
        size_t end = (size_t)(next_backslash(prefix + start) - prefix);
        // A drive's root is no link of anyone's making.
        bool drive = start == 0 && end == 2 && prefix[1] == ':';
        if (end > start && !drive) {
            char saved = prefix[end];
            prefix[end] = '\0';
            uint32_t attributes = plat_get_attributes(prefix);
            prefix[end] = saved;
            if (attributes == PLAT_NO_ATTRIBUTES)
                return false;
            if (attributes & PLAT_ATTR_REPARSE_POINT)
                return true;
        }
        start = prefix[end] ? end + 1 : end;
    }
    return false;
}

bool dir_exists(const char *path)
{
    if (!path) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    // By its attributes: changing into it would need room for the current
    // directory, and rights to enter it, which a test for its presence
    // must not depend on.
    uint32_t attributes = plat_get_attributes(path);
    return attributes != PLAT_NO_ATTRIBUTES && (attributes & PLAT_ATTR_SUBDIR);
}

// The stream's length by seeking to its end; -1 when it does not fit 32 bits.
static int32_t stream_end(FILE *stream)
{
    if (std::fseek(stream, 0, SEEK_END) != 0)
        return -1;
    long end = std::ftell(stream);
    if (end < 0 || end > INT32_MAX)
        return -1;
    return (int32_t)end;
}

int32_t get_filesize(const char *name)
{
    if (!name)
        return -1;
    FILE *stream = plat_fopen(name, "r");
    if (!stream)
        return -1;
    int32_t size = stream_end(stream);
    std::fclose(stream);
    return size;
}

int32_t get_filesize(FILE *stream)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return -1;
    }
    long position = std::ftell(stream);
    int32_t size = stream_end(stream);
    if (position >= 0)
        std::fseek(stream, position, SEEK_SET);
    return size;
}

char *terminate_path(char *buffer)
{
    if (separator_after(buffer)[0]) {
        size_t len = std::strlen(buffer);
        buffer[len] = '\\';
        buffer[len + 1] = '\0';
    }
    return buffer;
}

char *extract_path(char *buffer, const char *path, uint32_t len)
{
    if (!buffer || !path || len == 0) {
        err_code = ERR_NULL_POINTER;
        return buffer;
    }
    size_t n = std::strlen(path);
    if (n > len - 1)
        n = len - 1;
    std::memcpy(buffer, path, n);
    buffer[n] = '\0';
    char *last = last_backslash(buffer);
    if (last)
        last[1] = '\0';
    else
        buffer[0] = '\0';
    return buffer;
}

// ---- debug log ----------------------------------------------------------

static void format_now(char *out, size_t size, const char *format)
{
    std::time_t now = std::time(nullptr);
    std::tm *local = std::localtime(&now);
    if (!local || std::strftime(out, size, format, local) == 0)
        out[0] = '\0';
}

bool write_logfile(const char *format, ...)
{
    if (!log_open || !log_stream)
        return false;
    if (!format)
        return true;
    char stamp[16];
    format_now(stamp, sizeof stamp, "%H:%M:%S");
    std::fprintf(log_stream, "%s - ", stamp);
    va_list args;
    va_start(args, format);
    std::vfprintf(log_stream, format, args);
    va_end(args);
    std::fputc('\n', log_stream);
    std::fflush(log_stream);
    return true;
}

static void write_memory_lines()
{
    write_logfile("Heap is %s", get_heap_status());
    write_logfile("Used/Free/Total Memory: %lu/%lu/%lu bytes", (unsigned long)get_used_memory(),
                  (unsigned long)get_free_memory(), (unsigned long)get_total_memory());
}

bool open_logfile(const char *name)
{
    if (log_open)
        close_logfile();
    FILE *stream = openfile(name, "wt", false);
    if (!stream)
        return false;
    log_stream = stream;
    log_open = true;
    char date[16];
    format_now(date, sizeof date, "%m/%d/%y");
    write_logfile("Opened Log File %s on %s", name, date);
    reg_db.dump_programs(log_stream, 15);
    write_memory_lines();
    std::atexit(close_logfile);
    return true;
}

void close_logfile()
{
    if (!log_open || !log_stream)
        return;
    write_memory_lines();
    write_logfile("Closing log file...");
    std::fclose(log_stream);
    log_open = false;
    log_stream = nullptr;
}

// ---- path strings -------------------------------------------------------

const char *next_backslash(const char *text)
{
    while (*text && *text != '\\')
        text = plat_char_next(text);
    return text;
}

const char *last_backslash(const char *text)
{
    const char *last = nullptr;
    for (const char *p = text ? next_backslash(text) : nullptr; p && *p; p = next_backslash(p + 1))
        last = p;
    return last;
}

char *last_backslash(char *text) { return const_cast<char *>(last_backslash(static_cast<const char *>(text))); }

bool ends_in_backslash(const char *text)
{
    const char *last = last_backslash(text);
    return last && last[1] == '\0';
}

const char *separator_after(const char *dir) { return dir && dir[0] && !ends_in_backslash(dir) ? "\\" : ""; }

char *copy_path(char *dest, const char *source, uint32_t size)
{
    if (!dest || !source || size == 0)
        return dest;
    size_t n = std::strlen(source);
    bool needs_backslash = separator_after(source)[0] != '\0';
    // A cut path would name another directory, so refuse rather than cut.
    if (n + (needs_backslash ? 1 : 0) > size - 1) {
        std::memset(dest, 0, size);
        err_code = ERR_STRING_BOUNDS;
        return dest;
    }
    std::memcpy(dest, source, n);
    std::memset(dest + n, 0, size - n);
    if (needs_backslash)
        dest[n] = '\\';
    return dest;
}

char *extract_filename(char *dest, const char *path, uint32_t size)
{
    if (!dest || !path || size == 0) {
        err_code = ERR_NULL_POINTER;
        return dest;
    }
    const char *last = last_backslash(path);
    const char *name = last ? last + 1 : path;
    size_t n = std::strlen(name);
    if (n > size - 1) {
        std::memset(dest, 0, size);
        err_code = ERR_STRING_BOUNDS;
        return dest;
    }
    std::memcpy(dest, name, n);
    std::memset(dest + n, 0, size - n);
    return dest;
}

// A double-byte text cannot be read backwards, so the scans below go from
// the start and remember what they passed.

bool has_extension(const char *name)
{
    if (!name)
        return false;
    bool dot = false;
    for (const char *p = name; *p; p = plat_char_next(p)) {
        if (*p == '.')
            dot = true;
        else if (is_path_separator(*p))
            dot = false;
    }
    return dot;
}

bool has_path(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    for (const char *p = text; *p; p = plat_char_next(p))
        if (is_path_separator(*p) || *p == ':')
            return true;
    return false;
}

bool is_device_name(const char *name, size_t len)
{
    if (!name)
        return false;
    // The stem: up to the first dot, without the blanks before it.
    const char *dot = static_cast<const char *>(std::memchr(name, '.', len));
    size_t stem = dot ? (size_t)(dot - name) : len;
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    char folded[8];
    if (stem >= sizeof folded)
        return false;
    for (size_t i = 0; i < stem; ++i)
        folded[i] = (name[i] >= 'A' && name[i] <= 'Z') ? (char)(name[i] - 'A' + 'a') : name[i];
    folded[stem] = '\0';
    static const char *const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char *device : devices)
        if (!std::strcmp(folded, device))
            return true;
    // COM1 to COM9 and LPT1 to LPT9; Windows counts the superscript digits
    // of the ANSI code page (0xB9, 0xB2, 0xB3) among the digits too.
    unsigned char digit = (unsigned char)folded[3];
    return stem == 4 && (!std::strncmp(folded, "com", 3) || !std::strncmp(folded, "lpt", 3)) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

bool path_names_device(const char *path, size_t len)
{
    if (!path)
        return false;
    // Parts end at "\", "/" and a drive's colon; by character, as a second
    // byte may be any of them.
    const char *start = path, *end = path + len;
    for (const char *p = path;; p = plat_char_next(p)) {
        if (p >= end || !*p || *p == '\\' || *p == '/' || *p == ':') {
            const char *stop = p < end ? p : end;
            if (is_device_name(start, (size_t)(stop - start)))
                return true;
            if (p >= end || !*p)
                return false;
            start = p + 1;
        }
    }
}

bool path_names_device(const char *path) { return path && path_names_device(path, std::strlen(path)); }

bool has_wildcard(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    return std::strpbrk(text, "*?") != nullptr;
}

char *remove_extension(char *name)
{
    if (!name)
        return nullptr;
    char *dot = nullptr;
    for (char *p = name; *p; p = const_cast<char *>(plat_char_next(p))) {
        if (*p == '.')
            dot = p;
        else if (*p == '\\')
            dot = nullptr;
    }
    if (dot)
        *dot = '\0';
    return name;
}

// ---- directories --------------------------------------------------------

bool change_dir(const char *path)
{
    if (!path || !path[0]) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    return plat_chdir(path);
}

bool walk_path_prefixes(const char *path, bool (*visit)(const char *prefix, void *context), void *context)
{
    char *copy = create_ptr(path);
    bool ok = true;
    bool first = true;
    size_t i = 0;
    while (copy[i] == '\\')
        ++i;
    while (copy[i] && ok) {
        size_t start = i;
        i = (size_t)(next_backslash(copy + i) - copy);
        // A drive's root is never visited.
        bool drive = first && i - start == 2 && copy[start + 1] == ':';
        first = false;
        if (!drive) {
            // The prefix up to this component, cut off in place for the moment.
            char saved = copy[i];
            copy[i] = '\0';
            ok = visit(copy, context);
            copy[i] = saved;
        }
        while (copy[i] == '\\')
            ++i;
    }
    std::free(copy);
    return ok;
}

static bool make_one_dir(const char *prefix, void *)
{
    if (dir_exists(prefix) || plat_mkdir(prefix))
        return true;
    err_code = errno;
    return false;
}

bool make_path(const char *path)
{
    if (!path || !path[0]) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    return walk_path_prefixes(path, make_one_dir, nullptr);
}

// ---- directory search ---------------------------------------------------

intptr_t search_handle = -1;

int find_first(const char *pattern, plat_finddata *record)
{
    // The handle is about to be replaced; a search still open would be lost.
    if (search_handle != -1)
        find_close();
    search_handle = plat_findfirst(pattern, record);
    return search_handle == -1 ? -1 : 0;
}

int find_next(plat_finddata *record)
{
    if (search_handle == -1)
        return -1;
    return plat_findnext(search_handle, record) == 0 ? 0 : -1;
}

int find_close()
{
    if (search_handle == -1)
        return -1;
    int result = plat_findclose(search_handle);
    search_handle = -1;
    return result == 0 ? 0 : -1;
}

int file_exists_find(const char *pattern)
{
    plat_finddata record;
    int found = find_first(pattern, &record);
    find_close();
    return found == 0 ? 1 : 0;
}

bool dir_exists_find(const char *pattern)
{
    plat_finddata record;
    for (int found = find_first(pattern, &record); found == 0; found = find_next(&record)) {
        if (record.attrib == PLAT_ATTR_SUBDIR) {
            find_close();
            return true;
        }
    }
    find_close();
    return false;
}

// ---- reading and writing ------------------------------------------------

int read_word(FILE *stream, char *buffer, uint32_t max)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return 1;
    }
    int c = std::getc(stream);
    while (c == ' ' || c == '\t')
        c = std::getc(stream);
    uint32_t stored = 0;
    int result;
    for (;;) {
        if (c == EOF) {
            result = 1;
            break;
        }
        if (c == '\n') {
            result = 2;
            break;
        }
        if (c == ' ' || c == '\t') {
            result = 0;
            break;
        }
        if (buffer) {
            if (stored >= max) {
                result = 3;
                break;
            }
            buffer[stored++] = (char)c;
        }
        c = std::getc(stream);
    }
    if (buffer)
        buffer[stored] = '\0';
    if (result == 3)
        write_logfile("FILEUTIL - read_word(): Max string length exceeded, %u!", (unsigned)max);
    return result;
}

// read_file and read_textfile: the whole file in the given mode.
static char *read_whole(const char *name, const char *mode)
{
    FILE *stream = openfile(name, mode, false);
    if (!stream)
        return nullptr;
    int32_t size = get_filesize(stream);
    if (size < 0) {
        // Unmeasurable (not seekable, or beyond 2 GB): there is no size to allocate.
        write_logfile("FILEUTIL - read_file(): Could not take the size of '%s'!", name);
        err_code = ERR_FILE_READ;
        std::fclose(stream);
        return nullptr;
    }
    char *buffer = create_ptr((uint32_t)size + 1);
    size_t got = std::fread(buffer, 1, (size_t)size, stream);
    if (got < (size_t)size) {
        write_logfile("FILEUTIL - read_file(): Expected %u bytes but read only %u!", (unsigned)size, (unsigned)got);
        err_code = ERR_FILE_READ;
    }
    std::fclose(stream);
    return buffer;
}

char *read_file(const char *name) { return read_whole(name, "rb"); }

char *read_textfile(const char *name) { return read_whole(name, "rt"); }

bool write_textfile(const char *name, const char *text)
{
    FILE *stream = openfile(name, "wt", false);
    if (!stream)
        return false;
    if (text) {
        size_t len = std::strlen(text);
        size_t written = std::fwrite(text, 1, len, stream);
        if (written < len) {
            write_logfile("FILEUTIL - write_textfile(): Wrote only %u bytes but expected %u!", (unsigned)written,
                          (unsigned)len);
            err_code = ERR_FILE_WRITE;
        }
    }
    // The last buffered bytes reach the file only here; losing them is a short write too.
    if (std::fclose(stream) != 0) {
        write_logfile("FILEUTIL - write_textfile(): Could not complete '%s'!", name);
        err_code = ERR_FILE_WRITE;
    }
    return true;
}

// n bytes from stream into bytes; false (with ERR_NULL_POINTER or ERR_FILE_READ) when
// they are not all there.
static bool read_bytes(FILE *stream, unsigned char *bytes, size_t n)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    if (std::fread(bytes, n, 1, stream) != 1) {
        err_code = ERR_FILE_READ;
        return false;
    }
    return true;
}

int32_t read_int(FILE *stream)
{
    unsigned char b[4];
    if (!read_bytes(stream, b, 4))
        return 0;
    return (int32_t)((uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24);
}

int32_t read_long(FILE *stream) { return read_int(stream); }

int16_t read_short(FILE *stream)
{
    unsigned char b[2];
    if (!read_bytes(stream, b, 2))
        return 0;
    return (int16_t)(uint16_t)(b[0] | b[1] << 8);
}

int32_t read_motorola_int(FILE *stream)
{
    unsigned char b[4];
    if (!read_bytes(stream, b, 4))
        return 0;
    return (int32_t)((uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | (uint32_t)b[3]);
}

bool write_motorola_int(FILE *stream, int32_t value)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    uint32_t v = (uint32_t)value;
    unsigned char b[4] = {(unsigned char)(v >> 24), (unsigned char)(v >> 16), (unsigned char)(v >> 8),
                          (unsigned char)v};
    if (std::fwrite(b, 1, 4, stream) != 4) {
        err_code = ERR_FILE_WRITE;
        return false;
    }
    return true;
}
