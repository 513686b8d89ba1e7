// The seam without Windows: a substitute written for tests.
//
// DOS-style paths are mapped the way Wine maps drives: "X:\a\b" lies at
// <drive root>/x/a/b; "\a" lies on the current drive (C: when the current
// directory is outside the drive root); a relative path stays relative with
// "\" turned into "/"; a path that starts with "/" is a host path already.
//
// Where Windows is stricter than a Unix file system, the substitute is too:
// an existing name is found whatever its case, an empty path names nothing,
// a directory cannot be opened as a file, a read-only file is not replaced,
// and reading a text-mode stream ends at a Ctrl-Z.
#include "platform/os.h"
#include "platform/platform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/dirsearch.h"
#include "platform/path_text.h"
#include "platform/sys_errors.h"

namespace {

char drive_root[PATH_MAX] = "/tmp/plat-drives";
char windows_dir[PATH_MAX] = "C:\\windows";
char system_dir[PATH_MAX] = "C:\\windows\\system32";
bool windows_dir_set = true;
bool system_dir_set = true;
char temp_dir[PATH_MAX] = "C:\\TEMP\\";
bool temp_dir_set = true;
bool copy_read_write = false;
unsigned code_page = 1252;
unsigned oem_code_page = 0; // 0: the ANSI one
char short_name_of[PATH_MAX] = "";
char short_name[PATH_MAX] = "";
char program_dir[PATH_MAX] = "";

// Where Wine keeps the hidden and system bits of a Unix file.
const char DOS_ATTRIBUTES[] = "user.DOSATTRIB";
const uint32_t XATTR_BITS = PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM;

// Drive letter of the current directory when it lies under the drive root.
char current_drive()
{
    char cwd[PATH_MAX];
    char letter = getcwd(cwd, sizeof cwd) ? os_drive_in(cwd, drive_root, nullptr) : '\0';
    return letter ? letter : 'c';
}

// Linux numbers a few errno values differently from the Windows runtime; the
// error table carries the Windows list, so report in its numbering.
int windows_errno(int e)
{
    switch (e) {
    case EDEADLK: return ERR_SYS_EDEADLK;
    case ENAMETOOLONG: return ERR_SYS_ENAMETOOLONG;
    case ENOLCK: return ERR_SYS_ENOLCK;
    case ENOSYS: return ERR_SYS_ENOSYS;
    case ENOTEMPTY: return ERR_SYS_ENOTEMPTY;
    case EILSEQ: return ERR_SYS_EILSEQ;
    default: return e;
    }
}

// ---- text-mode streams: CR LF on disk, LF in the program -----------------

const int CTRL_Z = 0x1A;

struct TextStream {
    FILE *raw;
};

ssize_t text_read(void *cookie, char *buf, size_t size)
{
    FILE *raw = static_cast<TextStream *>(cookie)->raw;
    size_t n = 0;
    while (n < size) {
        int c = getc(raw);
        if (c == EOF)
            break;
        if (c == CTRL_Z) {
            // The Windows runtime ends a text file here; every later read
            // finds the same end until the stream is moved.
            ungetc(c, raw);
            break;
        }
        if (c == '\r') {
            int next = getc(raw);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                ungetc(next, raw);
        }
        buf[n++] = (char)c;
    }
    if (n == 0 && ferror(raw))
        return -1;
    return (ssize_t)n;
}

ssize_t text_write(void *cookie, const char *buf, size_t size)
{
    FILE *raw = static_cast<TextStream *>(cookie)->raw;
    for (size_t i = 0; i < size; ++i) {
        if (buf[i] == '\n' && putc('\r', raw) == EOF)
            return i ? (ssize_t)i : -1;
        if (putc(buf[i], raw) == EOF)
            return i ? (ssize_t)i : -1;
    }
    // The caller's fflush must reach the disk, so pass it on.
    if (fflush(raw) != 0)
        return -1;
    return (ssize_t)size;
}

int text_seek(void *cookie, off64_t *offset, int whence)
{
    FILE *raw = static_cast<TextStream *>(cookie)->raw;
    if (fseeko(raw, *offset, whence) != 0)
        return -1;
    *offset = ftello(raw);
    return 0;
}

int text_close(void *cookie)
{
    TextStream *ts = static_cast<TextStream *>(cookie);
    int rc = fclose(ts->raw);
    delete ts;
    return rc;
}

} // namespace

char os_drive_in(const char *host, const char *root, const char **rest)
{
    size_t n = std::strlen(root);
    if (std::strncmp(host, root, n) != 0 || host[n] != '/' || !std::isalpha((unsigned char)host[n + 1]) ||
        (host[n + 2] != '/' && host[n + 2] != '\0'))
        return '\0';
    if (rest)
        *rest = host + n + 2;
    return host[n + 1];
}

// Two names that Windows takes for one: ASCII letters match without regard
// to case; the bytes of a double-byte character must match exactly.
static bool same_name(const char *a, const char *b)
{
    while (*a && *b) {
        const char *next = plat_char_next(a);
        if (next - a != plat_char_next(b) - b)
            return false;
        if (next - a == 1) {
            if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b))
                return false;
        } else if (std::memcmp(a, b, 2) != 0) {
            return false;
        }
        b += next - a;
        a = next;
    }
    return *a == *b;
}

// Gives each component of host after its first fixed bytes the spelling
// it has on disk when only another case of it exists, as Windows finds it.
// A component that exists in no case ends the walk: what follows it is to
// be created, under the name given.
static void match_case(char *host, size_t fixed)
{
    size_t i = fixed;
    while (host[i]) {
        while (host[i] == '/')
            ++i;
        size_t start = i;
        while (host[i] && host[i] != '/')
            ++i;
        if (i == start)
            break;
        char saved = host[i];
        host[i] = '\0';
        struct stat st;
        bool found = lstat(host, &st) == 0;
        if (!found && errno == ENOENT) {
            // The directory that holds the component, "." for the first of a relative path.
            char held = host[start];
            host[start] = '\0';
            DIR *dir = opendir(start ? host : ".");
            host[start] = held;
            while (dir && !found) {
                struct dirent *entry = readdir(dir);
                if (!entry)
                    break;
                // Case differs only in single bytes, so the spelling found has the same length.
                if (same_name(entry->d_name, host + start)) {
                    std::memcpy(host + start, entry->d_name, i - start);
                    found = true;
                }
            }
            if (dir)
                closedir(dir);
        }
        host[i] = saved;
        if (!found)
            break;
    }
}

static void (*path_observer)(const char *host_path) = nullptr;

void plat_test_set_path_observer(void (*observer)(const char *host_path)) { path_observer = observer; }

bool plat_host_path(const char *dos, char *out, size_t size)
{
    if (!dos || !out || size == 0) {
        errno = EINVAL;
        return false;
    }
    if (!dos[0]) {
        // Windows does not take an empty name for the current directory.
        out[0] = '\0';
        errno = ENOENT;
        return false;
    }
    size_t pos = 0;
    auto put = [&](const char *s, size_t len) {
        if (pos + len >= size)
            return false;
        std::memcpy(out + pos, s, len);
        pos += len;
        out[pos] = '\0';
        return true;
    };
    const char *rest = dos;
    char drive[3] = {0, '/', 0};
    if (std::isalpha((unsigned char)dos[0]) && dos[1] == ':') {
        drive[0] = (char)std::tolower((unsigned char)dos[0]);
        rest = dos + 2;
    } else if (dos[0] == '\\') {
        drive[0] = current_drive();
    }
    out[0] = '\0';
    if (drive[0]) {
        if (!put(drive_root, std::strlen(drive_root)) || !put("/", 1) || !put(drive, 2))
            goto too_long;
        while (*rest == '\\')
            ++rest;
    }
    {
        // The drive folder itself is named as given; below it names are found whatever their case.
        size_t fixed = pos;
        // By character: the second byte of a double-byte character may be 0x5C.
        for (const char *next; *rest; rest = next) {
            next = plat_char_next(rest);
            if (!(*rest == '\\' ? put("/", 1) : put(rest, (size_t)(next - rest))))
                goto too_long;
        }
        if (dos[0] != '/')
            match_case(out, fixed);
    }
    if (path_observer)
        path_observer(out);
    return true;
too_long:
    out[0] = '\0';
    errno = windows_errno(ENAMETOOLONG);
    return false;
}

static unsigned answer_dir(bool set, const char *dir, char *buf, unsigned size)
{
    if (!set || !buf || !join_path(buf, size, dir))
        return 0;
    return (unsigned)std::strlen(buf);
}

unsigned plat_windows_dir(char *buf, unsigned size) { return answer_dir(windows_dir_set, windows_dir, buf, size); }
unsigned plat_system_dir(char *buf, unsigned size) { return answer_dir(system_dir_set, system_dir, buf, size); }
unsigned plat_temp_dir(char *buf, unsigned size) { return answer_dir(temp_dir_set, temp_dir, buf, size); }

uint32_t plat_unique_number()
{
    static uint32_t calls = 0;
    struct timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    return (uint32_t)now.tv_nsec * 2654435761u ^ (uint32_t)getpid() << 16 ^ (uint32_t)now.tv_sec ^ ++calls * 40503u;
}

FILE *os_fopen(const char *path, const char *mode)
{
    char host[PATH_MAX];
    if (!path || !mode || !plat_host_path(path, host, sizeof host))
        return nullptr;
    struct stat st;
    bool writes = std::strpbrk(mode, "wa+") != nullptr;
    if (stat(host, &st) == 0 && (S_ISDIR(st.st_mode) || (writes && !(st.st_mode & 0222)))) {
        // The Windows runtime opens neither a directory nor, for writing, a
        // read-only file; a Unix root would do both.
        errno = EACCES;
        return nullptr;
    }
    if (std::strchr(mode, 'b')) {
        FILE *f = std::fopen(host, mode);
        if (!f)
            errno = windows_errno(errno);
        return f;
    }

    // Text mode: the same mode in binary underneath, with the line ends translated above it.
    char raw_mode[8];
    size_t n = 0;
    for (const char *m = mode; *m && n < sizeof raw_mode - 2; ++m)
        if (*m != 't')
            raw_mode[n++] = *m;
    raw_mode[n++] = 'b';
    raw_mode[n] = '\0';
    FILE *raw = std::fopen(host, raw_mode);
    if (!raw) {
        errno = windows_errno(errno);
        return nullptr;
    }
    TextStream *ts = new TextStream{raw};
    cookie_io_functions_t io = {text_read, text_write, text_seek, text_close};
    FILE *f = fopencookie(ts, raw_mode, io);
    if (!f) {
        fclose(raw);
        delete ts;
    }
    return f;
}

bool plat_getcwd(char *buf, size_t size)
{
    char cwd[PATH_MAX];
    if (!buf || !getcwd(cwd, sizeof cwd))
        return false;
    const char *tail = nullptr;
    char letter = os_drive_in(cwd, drive_root, &tail);
    if (letter) {
        // Report it the way Windows would: "X:\dir\sub", "X:\" for the root.
        char dos[PATH_MAX];
        dos[0] = (char)std::toupper((unsigned char)letter);
        dos[1] = ':';
        size_t n = 2;
        if (*tail == '\0')
            dos[n++] = '\\';
        for (; *tail && n < sizeof dos - 1; ++tail)
            dos[n++] = *tail == '/' ? '\\' : *tail;
        dos[n] = '\0';
        if (!join_path(buf, size, dos)) {
            errno = ERANGE;
            return false;
        }
        return true;
    }
    if (!join_path(buf, size, cwd)) {
        errno = ERANGE;
        return false;
    }
    return true;
}

bool plat_chdir(const char *path)
{
    char host[PATH_MAX];
    if (path && !path[0]) {
        errno = EINVAL; // what the Windows runtime's _chdir answers
        return false;
    }
    if (!path || !plat_host_path(path, host, sizeof host))
        return false;
    if (chdir(host) == 0)
        return true;
    errno = windows_errno(errno);
    return false;
}

bool plat_mkdir(const char *path)
{
    char host[PATH_MAX];
    if (!path || !plat_host_path(path, host, sizeof host))
        return false;
    if (mkdir(host, 0777) == 0)
        return true;
    errno = windows_errno(errno);
    return false;
}

bool os_create_dir(const char *path)
{
    char host[PATH_MAX];
    if (!path || !plat_host_path(path, host, sizeof host))
        return false;
    return mkdir(host, 0777) == 0;
}

// Plain reads and writes from the current positions to the end of in.
static bool copy_read_write_loop(int in, int out)
{
    char buf[65536];
    for (;;) {
        ssize_t got = read(in, buf, sizeof buf);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(out, buf + done, (size_t)(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += put;
        }
    }
}

// Copies in to out, in the kernel where it can (no trip through user space,
// and a shared extent where the file system offers one).
static bool copy_contents(int in, int out)
{
    if (copy_read_write)
        return copy_read_write_loop(in, out);
    for (;;) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, (size_t)1 << 30, 0);
        if (n > 0)
            continue;
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        // Not offered between these two files: the positions are where the
        // kernel left them, so plain copying carries on from there.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            return copy_read_write_loop(in, out);
        return false;
    }
}

// The hidden and system bits kept in a file's extended attribute, Wine's
// way: the bits as "0x%x" text. 0 when there is none.
static uint32_t stored_bits(const char *host)
{
    char text[16];
    ssize_t n = getxattr(host, DOS_ATTRIBUTES, text, sizeof text - 1);
    if (n <= 0)
        return 0;
    text[n] = '\0';
    return (uint32_t)std::strtoul(text, nullptr, 16) & XATTR_BITS;
}

static bool store_bits(const char *host, uint32_t bits)
{
    bits &= XATTR_BITS;
    if (!bits)
        return removexattr(host, DOS_ATTRIBUTES) == 0 || errno == ENODATA || errno == ENOTSUP;
    char text[16];
    int n = std::snprintf(text, sizeof text, "0x%x", (unsigned)bits);
    return setxattr(host, DOS_ATTRIBUTES, text, (size_t)n, 0) == 0;
}

namespace {
bool locked(const char *host); // below, with the other removal rules
} // namespace

void plat_sleep_ms(uint32_t ms)
{
    struct timespec pause = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

bool os_copy_file(const char *source, const char *destination)
{
    char from[PATH_MAX], to[PATH_MAX];
    if (!source || !destination || !plat_host_path(source, from, sizeof from) ||
        !plat_host_path(destination, to, sizeof to))
        return false;

    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat src;
    if (fstat(in, &src) != 0 || !S_ISREG(src.st_mode)) {
        close(in);
        errno = EACCES;
        return false;
    }
    uint32_t source_bits = stored_bits(from);
    struct stat dst;
    if (stat(to, &dst) == 0) {
        // Opening the source itself for writing would truncate it to nothing.
        // Windows replaces no read-only file, and no hidden or system file
        // with one that lacks the bit; a Unix root would.
        if ((dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) || !(dst.st_mode & 0222) ||
            (stored_bits(to) & ~source_bits)) {
            close(in);
            errno = EACCES;
            return false;
        }
        // Held open without sharing (plat_lock_file, here or in another
        // process): Windows refuses the copy with a sharing violation.
        if (S_ISREG(dst.st_mode) && locked(to)) {
            close(in);
            errno = EBUSY;
            return false;
        }
    }
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = copy_contents(in, out);
    if (ok) {
        // Like CopyFileA: the copy keeps the source's attributes and times.
        struct timespec times[2] = {src.st_atim, src.st_mtim};
        fchmod(out, src.st_mode & 07777);
        futimens(out, times);
        store_bits(to, source_bits);
    }
    if (close(out) != 0)
        ok = false;
    close(in);
    if (!ok) {
        // No half-written file is left to pass for a copy.
        int saved = errno;
        unlink(to);
        errno = saved;
    }
    return ok;
}

uint32_t plat_get_attributes(const char *path)
{
    char host[PATH_MAX];
    struct stat st, link;
    if (!path || !plat_host_path(path, host, sizeof host) || lstat(host, &link) != 0 || stat(host, &st) != 0)
        return PLAT_NO_ATTRIBUTES;
    uint32_t attributes = S_ISDIR(st.st_mode) ? PLAT_ATTR_SUBDIR : PLAT_ATTR_ARCHIVE;
    if (S_ISLNK(link.st_mode))
        attributes |= PLAT_ATTR_REPARSE_POINT;
    if (!(st.st_mode & 0222))
        attributes |= PLAT_ATTR_READONLY;
    attributes |= stored_bits(host);
    // Wine shows a Unix name that starts with a dot as hidden.
    const char *slash = std::strrchr(host, '/');
    const char *name = slash ? slash + 1 : host;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        attributes |= PLAT_ATTR_HIDDEN;
    return attributes;
}

bool plat_same_file(const char *a, const char *b)
{
    char ha[PATH_MAX], hb[PATH_MAX];
    if (!a || !b || !plat_host_path(a, ha, sizeof ha) || !plat_host_path(b, hb, sizeof hb))
        return false;
    struct stat sa, sb;
    bool has_a = stat(ha, &sa) == 0, has_b = stat(hb, &sb) == 0;
    if (has_a || has_b)
        return has_a && has_b && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    // Neither is there: the same name in the same directory.
    char *name_a = std::strrchr(ha, '/'), *name_b = std::strrchr(hb, '/');
    char dir_a[PATH_MAX], dir_b[PATH_MAX];
    if (name_a)
        *name_a++ = '\0';
    if (name_b)
        *name_b++ = '\0';
    if (!realpath(name_a ? (ha[0] ? ha : "/") : ".", dir_a) || !realpath(name_b ? (hb[0] ? hb : "/") : ".", dir_b))
        return false;
    return !std::strcmp(dir_a, dir_b) && same_name(name_a ? name_a : ha, name_b ? name_b : hb);
}

bool plat_set_attributes(const char *path, uint32_t attributes)
{
    char host[PATH_MAX];
    struct stat st;
    if (!path || !plat_host_path(path, host, sizeof host) || stat(host, &st) != 0)
        return false;
    // Read-only is the lack of write permission; clearing it gives write
    // permission to whoever may read, as Wine does.
    mode_t mode = st.st_mode & 07777;
    if (attributes & PLAT_ATTR_READONLY)
        mode &= ~(mode_t)0222;
    else if (!(mode & 0222))
        mode |= (mode & 0444) >> 1;
    if (mode != (st.st_mode & 07777) && chmod(host, mode) != 0)
        return false;
    return store_bits(host, attributes);
}

bool plat_is_lead_byte(unsigned char c)
{
    return code_page == 932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

unsigned plat_ansi_code_page() { return code_page; }

// Code page 850 for the letters of 1252 from 0xC0 to 0xFF, in that order;
// all of them are there.
static const unsigned char CP850_OF_1252_LETTERS[64] = {
    0xB7, 0xB5, 0xB6, 0xC7, 0x8E, 0x8F, 0x92, 0x80, 0xD4, 0x90, 0xD2, 0xD3, 0xDE, 0xD6, 0xD7, 0xD8,
    0xD1, 0xA5, 0xE3, 0xE0, 0xE2, 0xE5, 0x99, 0x9E, 0x9D, 0xEB, 0xE9, 0xEA, 0x9A, 0xED, 0xE8, 0xE1,
    0x85, 0xA0, 0x83, 0xC6, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0xD0, 0xA4, 0x95, 0xA2, 0x93, 0xE4, 0x94, 0xF6, 0x9B, 0x97, 0xA3, 0x96, 0x81, 0xEC, 0xE7, 0x98};

bool plat_ansi_to_oem(const char *text, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!text)
        return false;
    size_t len = std::strlen(text);
    if (len >= size)
        return false;
    for (size_t i = 0; i <= len; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (oem_code_page == 850 && c >= 0x80) {
            if (c < 0xC0) {
                out[0] = '\0';
                return false;
            }
            c = CP850_OF_1252_LETTERS[c - 0xC0];
        }
        out[i] = (char)c;
    }
    return true;
}

bool plat_program_dir(char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    size_t len = std::strlen(program_dir);
    if (!len || len >= size)
        return false;
    std::memcpy(out, program_dir, len + 1);
    return true;
}

bool plat_short_path(const char *path, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    // As on Windows, the short form of a short form is itself.
    if (!path || !short_name_of[0] || (std::strcmp(path, short_name_of) != 0 && std::strcmp(path, short_name) != 0) ||
        std::strlen(short_name) >= size)
        return false;
    std::memcpy(out, short_name, std::strlen(short_name) + 1);
    return true;
}

int64_t plat_file_size(const char *path)
{
    char host[PATH_MAX];
    if (!path || !plat_host_path(path, host, sizeof host))
        return -1;
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    int64_t size = (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ? (int64_t)st.st_size : -1;
    close(fd);
    return size;
}

bool plat_truncate_file(const char *path, int64_t length)
{
    char host[PATH_MAX];
    struct stat st;
    if (!path || length < 0 || !plat_host_path(path, host, sizeof host) || stat(host, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return st.st_size <= length || truncate(host, (off_t)length) == 0;
}

int os_heap_check() { return -2; } // a heap in order: the substitute has no check of its own

// ---- removal ----------------------------------------------------------------

namespace {

PLAT_RESULT result_of(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR: return PLAT_MISSING;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK: return PLAT_IN_USE;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return PLAT_ACCESS_DENIED;
    case ENOTEMPTY:
    case EEXIST: return PLAT_NOT_EMPTY;
    default: return PLAT_FAILED;
    }
}

// Windows keeps a read-only file; the substitute reads "nobody may write" as
// read-only, the way Wine and the directory search show it.
bool read_only(const struct stat &st) { return (st.st_mode & 0222) == 0; }

// True when plat_lock_file holds host (in this process or another): Windows
// refuses to delete or replace a file that is open without sharing.
bool locked(const char *host)
{
    int fd = open(host, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd); // also drops the probe's own lock
    return held;
}

} // namespace

PLAT_RESULT os_delete_file(const char *path)
{
    char host[PATH_MAX];
    if (!path || !plat_host_path(path, host, sizeof host))
        return PLAT_FAILED;
    struct stat st;
    if (lstat(host, &st) != 0)
        return result_of(errno);
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && read_only(st)))
        return PLAT_ACCESS_DENIED;
    if (S_ISREG(st.st_mode) && locked(host))
        return PLAT_IN_USE;
    return unlink(host) == 0 ? PLAT_DONE : result_of(errno);
}

PLAT_RESULT os_remove_dir(const char *path)
{
    char host[PATH_MAX];
    if (!path || !plat_host_path(path, host, sizeof host))
        return PLAT_FAILED;
    if (rmdir(host) == 0)
        return PLAT_DONE;
    // A file where a directory was named: Windows reports "not a directory"
    // there, which is no missing entry.
    return errno == ENOTDIR && access(host, F_OK) == 0 ? PLAT_FAILED : result_of(errno);
}

// Nothing restarts here: a removal at restart is only accepted (and the
// fault point records it for the tests).
bool os_schedule_removal(const char *path) { return path != nullptr; }

PLAT_RESULT os_replace_file(const char *source, const char *destination)
{
    char from[PATH_MAX], to[PATH_MAX];
    if (!source || !destination || !plat_host_path(source, from, sizeof from) ||
        !plat_host_path(destination, to, sizeof to))
        return PLAT_FAILED;
    struct stat st;
    if (lstat(from, &st) != 0)
        return result_of(errno);
    // Windows moves no file that another program holds open without
    // sharing it for deletion (plat_lock_file shares reading only).
    if (S_ISREG(st.st_mode) && locked(from))
        return PLAT_IN_USE;
    if (lstat(to, &st) == 0 && (S_ISDIR(st.st_mode) || read_only(st) || locked(to)))
        return PLAT_ACCESS_DENIED;
    return rename(from, to) == 0 ? PLAT_DONE : result_of(errno);
}

intptr_t plat_lock_file(const char *path, PLAT_RESULT *why)
{
    char host[PATH_MAX];
    PLAT_RESULT result = PLAT_FAILED;
    int fd = -1;
    struct stat st;
    if (!path || !plat_host_path(path, host, sizeof host)) {
        result = PLAT_FAILED;
    } else if (stat(host, &st) == 0 && (S_ISDIR(st.st_mode) || read_only(st))) {
        result = PLAT_ACCESS_DENIED; // Windows opens neither for writing
    } else if ((fd = open(host, O_RDWR | O_CLOEXEC)) < 0) {
        result = result_of(errno); // what stat met, if it failed, the open meets too
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? PLAT_IN_USE : PLAT_FAILED;
        close(fd);
        fd = -1;
    } else {
        result = PLAT_DONE;
    }
    if (why)
        *why = result;
    return fd < 0 ? -1 : (intptr_t)fd;
}

void plat_unlock_file(intptr_t lock)
{
    if (lock >= 0)
        close((int)lock);
}

void plat_test_set_drive_root(const char *host_dir)
{
    join_path(drive_root, sizeof drive_root, host_dir ? host_dir : "/tmp/plat-drives");
}

const char *plat_test_drive_root() { return drive_root; }

void plat_test_set_windows_dir(const char *dos_path)
{
    windows_dir_set = dos_path && join_path(windows_dir, sizeof windows_dir, dos_path);
}

void plat_test_set_system_dir(const char *dos_path)
{
    system_dir_set = dos_path && join_path(system_dir, sizeof system_dir, dos_path);
}

void plat_test_set_temp_dir(const char *dos_path)
{
    temp_dir_set = dos_path && join_path(temp_dir, sizeof temp_dir, dos_path);
}

void plat_test_copy_by_read_write(bool on) { copy_read_write = on; }

void plat_test_set_code_page(unsigned cp) { code_page = cp; }

void plat_test_set_oem_code_page(unsigned cp) { oem_code_page = cp == 850 ? cp : 0; }

void plat_test_set_program_dir(const char *dos_path)
{
    program_dir[0] = '\0';
    if (dos_path && std::strlen(dos_path) < sizeof program_dir)
        std::memcpy(program_dir, dos_path, std::strlen(dos_path) + 1);
}

void plat_test_set_short_name(const char *path, const char *short_path)
{
    bool fits =
        path && short_path && std::strlen(path) < sizeof short_name_of && std::strlen(short_path) < sizeof short_name;
    short_name_of[0] = short_name[0] = '\0';
    if (fits) {
        std::memcpy(short_name_of, path, std::strlen(path) + 1);
        std::memcpy(short_name, short_path, std::strlen(short_path) + 1);
    }
}

void os_test_reset()
{
    copy_read_write = false;
    code_page = 1252;
    oem_code_page = 0;
    short_name_of[0] = short_name[0] = '\0';
    program_dir[0] = '\0';
}

// ---- the Apps & Features entries --------------------------------------------
//
// A file in the drive root, one line per key and one per value, read whole
// and written anew (a temporary file renamed over it) by each call, so that
// a call is done or not, as in the registry:
//     KEY<tab>name
//     VAL<tab>name<tab>value name<tab>type<tab>data
// with "%", tabs and control characters written as "%XX", and a number's
// data in decimal. Names compare as Windows compares them.

namespace {

const int MAX_REG_RECORDS = 512;
const size_t REG_NAME_SIZE = 260;
const size_t REG_DATA_SIZE = 2048;

struct REG_RECORD {
    bool is_value;
    char key[REG_NAME_SIZE];
    char value[REG_NAME_SIZE];
    uint32_t type;
    char data[REG_DATA_SIZE]; // a string with its terminator, or a number's 4 bytes
    uint32_t size;
};

REG_RECORD reg_records[MAX_REG_RECORDS];
int reg_count = 0;

bool reg_file_path(char *out, size_t size, const char *suffix)
{
    int n = std::snprintf(out, size, "%s/%s%s", drive_root, PLAT_REGISTRY_FILE, suffix);
    return n > 0 && (size_t)n < size;
}

// Undoes "%XX"; false when the result does not fit.
bool unescape(const char *from, char *to, size_t size, uint32_t *length)
{
    size_t n = 0;
    for (; *from; ++from) {
        if (n + 1 >= size)
            return false;
        if (from[0] == '%' && std::isxdigit((unsigned char)from[1]) && std::isxdigit((unsigned char)from[2])) {
            char hex[3] = {from[1], from[2], 0};
            to[n++] = (char)std::strtoul(hex, nullptr, 16);
            from += 2;
        } else {
            to[n++] = *from;
        }
    }
    to[n] = '\0';
    if (length)
        *length = (uint32_t)n;
    return true;
}

void put_escaped(FILE *f, const char *text, size_t len)
{
    for (size_t i = 0; i < len; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c == '%' || c == 0x7F)
            std::fprintf(f, "%%%02X", c);
        else
            std::fputc(c, f);
    }
}

// Reads the file; a missing one is an empty registry.
bool reg_load()
{
    reg_count = 0;
    char path[PATH_MAX];
    if (!reg_file_path(path, sizeof path, ""))
        return false;
    FILE *f = std::fopen(path, "rb");
    if (!f)
        return errno == ENOENT;
    static char line[3 * (2 * REG_NAME_SIZE + REG_DATA_SIZE) + 64];
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, f)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char *fields[6] = {};
        int n = 0;
        for (char *p = line; n < 6; ++n) {
            fields[n] = p;
            p = std::strchr(p, '\t');
            if (!p) {
                ++n;
                break;
            }
            *p++ = '\0';
        }
        if (reg_count == MAX_REG_RECORDS)
            ok = false;
        else if (n == 2 && !std::strcmp(fields[0], "KEY")) {
            REG_RECORD &r = reg_records[reg_count++];
            r.is_value = false;
            ok = unescape(fields[1], r.key, sizeof r.key, nullptr);
        } else if (n == 5 && !std::strcmp(fields[0], "VAL")) {
            REG_RECORD &r = reg_records[reg_count++];
            r.is_value = true;
            r.type = (uint32_t)std::strtoul(fields[3], nullptr, 10);
            ok = unescape(fields[1], r.key, sizeof r.key, nullptr) &&
                 unescape(fields[2], r.value, sizeof r.value, nullptr);
            if (ok && r.type == PLAT_REG_DWORD) {
                uint32_t number = (uint32_t)std::strtoul(fields[4], nullptr, 10);
                std::memcpy(r.data, &number, sizeof number);
                r.size = sizeof number;
            } else if (ok) {
                ok = unescape(fields[4], r.data, sizeof r.data, &r.size);
                r.size += 1; // with the terminator
            }
        }
    }
    std::fclose(f);
    return ok;
}

bool reg_save()
{
    char path[PATH_MAX], temp[PATH_MAX];
    if (!reg_file_path(path, sizeof path, "") || !reg_file_path(temp, sizeof temp, ".tmp"))
        return false;
    FILE *f = std::fopen(temp, "wb");
    if (!f)
        return false;
    for (int i = 0; i < reg_count; ++i) {
        const REG_RECORD &r = reg_records[i];
        std::fputs(r.is_value ? "VAL\t" : "KEY\t", f);
        put_escaped(f, r.key, std::strlen(r.key));
        if (r.is_value) {
            std::fputc('\t', f);
            put_escaped(f, r.value, std::strlen(r.value));
            std::fprintf(f, "\t%u\t", (unsigned)r.type);
            if (r.type == PLAT_REG_DWORD) {
                uint32_t number;
                std::memcpy(&number, r.data, sizeof number);
                std::fprintf(f, "%u", (unsigned)number);
            } else {
                put_escaped(f, r.data, r.size ? r.size - 1 : 0);
            }
        }
        std::fputc('\n', f);
    }
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok || rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    return true;
}

int find_key(const char *name)
{
    for (int i = 0; i < reg_count; ++i)
        if (!reg_records[i].is_value && same_name(reg_records[i].key, name))
            return i;
    return -1;
}

int find_value(const char *name, const char *value_name)
{
    for (int i = 0; i < reg_count; ++i)
        if (reg_records[i].is_value && same_name(reg_records[i].key, name) &&
            same_name(reg_records[i].value, value_name ? value_name : ""))
            return i;
    return -1;
}

// True when other lies below name ("name\...").
bool below_key(const char *other, const char *name)
{
    size_t len = std::strlen(name);
    // By character: the second byte of a double-byte character may be 0x5C.
    const char *at = other;
    while (*at && (size_t)(at - other) < len)
        at = plat_char_next(at);
    if ((size_t)(at - other) != len || *at != '\\')
        return false;
    char head[REG_NAME_SIZE];
    std::memcpy(head, other, len);
    head[len] = '\0';
    return same_name(head, name);
}

// Whether the key name has a "\\" after its first character, by character.
bool has_separator(const char *name)
{
    for (const char *p = name; *p; p = plat_char_next(p))
        if (*p == '\\')
            return true;
    return false;
}

bool usable_name(const char *name) { return name && name[0] && std::strlen(name) < REG_NAME_SIZE; }

} // namespace

PLAT_RESULT os_reg_create_key(const char *name, bool *existed)
{
    if (!usable_name(name) || !reg_load())
        return PLAT_FAILED;
    if (find_key(name) >= 0) {
        if (existed)
            *existed = true;
        return PLAT_DONE;
    }
    // Each key above it too, as Windows makes them.
    char part[REG_NAME_SIZE];
    for (size_t i = 0;; i = name[i] ? (size_t)(plat_char_next(name + i) - name) : i) {
        if (name[i] == '\\' || name[i] == '\0') {
            std::memcpy(part, name, i);
            part[i] = '\0';
            if (i > 0 && find_key(part) < 0) {
                if (reg_count == MAX_REG_RECORDS)
                    return PLAT_FAILED;
                REG_RECORD &r = reg_records[reg_count++];
                r.is_value = false;
                std::memcpy(r.key, part, i + 1);
            }
            if (!name[i])
                break;
        }
    }
    return reg_save() ? PLAT_DONE : PLAT_FAILED;
}

PLAT_RESULT os_reg_set(const char *name, const char *value_name, uint32_t type, const void *data, uint32_t size)
{
    const char *value = value_name ? value_name : "";
    if (!usable_name(name) || std::strlen(value) >= REG_NAME_SIZE || size > REG_DATA_SIZE || !data || !reg_load())
        return PLAT_FAILED;
    if (find_key(name) < 0)
        return PLAT_MISSING;
    int i = find_value(name, value);
    if (i < 0) {
        if (reg_count == MAX_REG_RECORDS)
            return PLAT_FAILED;
        i = reg_count++;
    }
    REG_RECORD &r = reg_records[i];
    r.is_value = true;
    std::memcpy(r.key, name, std::strlen(name) + 1);
    std::memcpy(r.value, value, std::strlen(value) + 1);
    r.type = type;
    std::memcpy(r.data, data, size);
    r.size = size;
    return reg_save() ? PLAT_DONE : PLAT_FAILED;
}

PLAT_RESULT os_reg_get(const char *name, const char *value_name, uint32_t *type, void *data, uint32_t size)
{
    if (!usable_name(name) || !data || !reg_load())
        return PLAT_FAILED;
    int i = find_value(name, value_name);
    if (find_key(name) < 0 || i < 0)
        return PLAT_MISSING;
    const REG_RECORD &r = reg_records[i];
    if (r.size > size)
        return PLAT_FAILED;
    std::memcpy(data, r.data, r.size);
    if (type)
        *type = r.type;
    return PLAT_DONE;
}

PLAT_RESULT os_reg_value_name(const char *name, uint32_t index, char *out, uint32_t size)
{
    if (!usable_name(name) || !out || !reg_load())
        return PLAT_FAILED;
    if (find_key(name) < 0)
        return PLAT_MISSING;
    uint32_t seen = 0;
    for (int i = 0; i < reg_count; ++i) {
        const REG_RECORD &r = reg_records[i];
        if (!r.is_value || !same_name(r.key, name) || seen++ != index)
            continue;
        return join_path(out, size, r.value) ? PLAT_DONE : PLAT_FAILED;
    }
    return PLAT_MISSING;
}

PLAT_RESULT os_reg_count(const char *name, uint32_t *values, uint32_t *subkeys)
{
    if (!usable_name(name) || !reg_load())
        return PLAT_FAILED;
    if (find_key(name) < 0)
        return PLAT_MISSING;
    uint32_t v = 0, k = 0;
    for (int i = 0; i < reg_count; ++i) {
        const REG_RECORD &r = reg_records[i];
        if (r.is_value && same_name(r.key, name))
            ++v;
        // Only the keys right below it, as RegQueryInfoKeyA counts them.
        if (!r.is_value && below_key(r.key, name) && !has_separator(r.key + std::strlen(name) + 1))
            ++k;
    }
    if (values)
        *values = v;
    if (subkeys)
        *subkeys = k;
    return PLAT_DONE;
}

PLAT_RESULT os_reg_delete_key(const char *name)
{
    if (!usable_name(name) || !reg_load())
        return PLAT_FAILED;
    if (find_key(name) < 0)
        return PLAT_MISSING;
    for (int i = 0; i < reg_count; ++i)
        if (!reg_records[i].is_value && below_key(reg_records[i].key, name))
            return PLAT_NOT_EMPTY;
    int kept = 0;
    for (int i = 0; i < reg_count; ++i)
        if (!same_name(reg_records[i].key, name))
            reg_records[kept++] = reg_records[i];
    reg_count = kept;
    return reg_save() ? PLAT_DONE : PLAT_FAILED;
}
