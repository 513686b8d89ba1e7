#include "fileutil.h"

#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "../platform/platform.h"
#include "generr.h"
#include "genmem.h"
#include "genutil.h"

FILE *log_stream = nullptr;
bool log_open = false;

static bool fileutil_registered;

void register_fileutil()
{
    fileutil_registered = reg_db.add_program("FILEUTIL", "0.8", "Marten Koivisto", "29 November 1998");
}

FILE *openfile(const char *name, const char *mode, bool fatal)
{
    if (!name || !mode) {
        err_code = 58;
        return nullptr;
    }
    write_logfile("Attempting to open file '%s' in mode '%s'", name, mode);
    FILE *stream = plat_fopen(name, mode);
    if (stream)
        return stream;
    write_logfile("     Failed to open file '%s'  (Mem=%ld, Heap is %s)", name, (long)get_free_memory(),
                  get_heap_status());
    err_code = 51;
    if (fatal)
        error_db.critical_error_code(51, "FILEUTIL - openfile (%s, %s) failed", name, mode);
    return nullptr;
}

int read_eol(FILE *stream, char *buffer, uint32_t len)
{
    if (!stream) {
        err_code = 58;
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

bool dir_exists(const char *path)
{
    if (!path) {
        err_code = 58;
        return false;
    }
    char saved[256];
    if (!plat_getcwd(saved, sizeof saved)) {
        err_code = 64;
        return false;
    }
    if (!plat_chdir(path))
        return false;
    plat_chdir(saved);
    return true;
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
        err_code = 58;
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
    if (!buffer || !buffer[0])
        return buffer;
    size_t len = std::strlen(buffer);
    if (buffer[len - 1] != '\\') {
        buffer[len] = '\\';
        buffer[len + 1] = '\0';
    }
    return buffer;
}

char *extract_path(char *buffer, const char *path, uint32_t len)
{
    if (!buffer || !path || len == 0) {
        err_code = 58;
        return buffer;
    }
    size_t n = std::strlen(path);
    if (n > len - 1)
        n = len - 1;
    std::memcpy(buffer, path, n);
    buffer[n] = '\0';
    char *last = std::strrchr(buffer, '\\');
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
