// The link object without Windows: keeps the three properties and writes a
// genuine shortcut file in the published binary shell link format
// ([MS-SHLLINK]): the header, a LinkInfo block that holds the target as a
// local path, then the description and the working directory as UTF-16
// strings, and the terminal block.
//
// The system ANSI code page is taken to be Windows-1252, as on a Western
// Windows or Wine installation.
#include "platform/os.h"
#include "platform/shell_link.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "platform/platform.h"

struct PLAT_SHELL_LINK {
    int refs;
    char *target; // owned; null until set
    char *description;
    char *working_dir;
};

struct PLAT_PERSIST_FILE {
    PLAT_SHELL_LINK *link; // holds one reference
};

namespace {

int live_links = 0;

void replace(char *&field, const char *text)
{
    std::free(field);
    field = nullptr;
    if (text) {
        size_t len = std::strlen(text);
        field = static_cast<char *>(std::malloc(len + 1));
        if (field)
            std::memcpy(field, text, len + 1);
    }
}

void drop_reference(PLAT_SHELL_LINK *link)
{
    if (--link->refs > 0)
        return;
    std::free(link->target);
    std::free(link->description);
    std::free(link->working_dir);
    std::free(link);
    --live_links;
}

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves undefined map to the
// same code point, as Windows does.
const char16_t cp1252_high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t from_ansi(unsigned char c) { return (c >= 0x80 && c <= 0x9F) ? cp1252_high[c - 0x80] : c; }

// The code-page byte for one UTF-16 unit, or 0 when the code page lacks it.
unsigned char to_ansi(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return (unsigned char)unit;
    for (int i = 0; i < 32; ++i)
        if (cp1252_high[i] == unit)
            return (unsigned char)(0x80 + i);
    return 0;
}

// ---- the file's parts, little-endian -------------------------------------

struct Out {
    FILE *file;
    bool ok;
};

void put_bytes(Out &out, const void *data, size_t size)
{
    if (out.ok && std::fwrite(data, 1, size, out.file) != size)
        out.ok = false;
}

void put_u16(Out &out, uint32_t v)
{
    unsigned char b[2] = {(unsigned char)v, (unsigned char)(v >> 8)};
    put_bytes(out, b, 2);
}

void put_u32(Out &out, uint32_t v)
{
    unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                          (unsigned char)(v >> 24)};
    put_bytes(out, b, 4);
}

void put_u64(Out &out, uint64_t v)
{
    put_u32(out, (uint32_t)v);
    put_u32(out, (uint32_t)(v >> 32));
}

// A StringData entry: a count of UTF-16 units, then the units, no terminator.
void put_string(Out &out, const char *text)
{
    size_t len = std::strlen(text);
    put_u16(out, (uint32_t)len);
    for (size_t i = 0; i < len; ++i)
        put_u16(out, from_ansi((unsigned char)text[i]));
}

bool has(const char *text) { return text && text[0]; }

// Windows file time (100 ns since 1601) of a POSIX time.
uint64_t file_time(const struct timespec &t)
{
    const uint64_t epoch_gap = 11644473600ull; // seconds from 1601 to 1970
    if (t.tv_sec < 0)
        return 0;
    return ((uint64_t)t.tv_sec + epoch_gap) * 10000000ull + (uint64_t)t.tv_nsec / 100;
}

const uint32_t HAS_LINK_INFO = 0x02;
const uint32_t HAS_NAME = 0x04;
const uint32_t HAS_WORKING_DIR = 0x10;
const uint32_t IS_UNICODE = 0x80;
const uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
const uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
const uint32_t DRIVE_FIXED = 3;
const uint32_t SW_SHOWNORMAL = 1;
const uint32_t LINK_INFO_HEADER_SIZE = 0x1C;
const uint32_t VOLUME_ID_SIZE = 0x11; // the fixed part and an empty label

// A StringData count is 16 bits wide.
const size_t MAX_STRING_UNITS = 0xFFFF;

bool write_link(const PLAT_SHELL_LINK &link, FILE *file)
{
    Out out = {file, true};
    uint32_t flags = IS_UNICODE;
    if (has(link.target))
        flags |= HAS_LINK_INFO;
    if (has(link.description))
        flags |= HAS_NAME;
    if (has(link.working_dir))
        flags |= HAS_WORKING_DIR;

    // The shell records the target's attributes, times and size as it finds them.
    uint32_t attributes = 0, size = 0;
    uint64_t created = 0, accessed = 0, written = 0;
    char host[PATH_MAX];
    struct stat st;
    if (has(link.target) && plat_host_path(link.target, host, sizeof host) && stat(host, &st) == 0) {
        attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        size = S_ISDIR(st.st_mode) ? 0 : (uint32_t)st.st_size; // the low 32 bits, as the format keeps
        created = file_time(st.st_mtim);
        accessed = file_time(st.st_atim);
        written = file_time(st.st_mtim);
    }

    // ShellLinkHeader
    static const unsigned char clsid_shell_link[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    put_u32(out, 0x4C);
    put_bytes(out, clsid_shell_link, sizeof clsid_shell_link);
    put_u32(out, flags);
    put_u32(out, attributes);
    put_u64(out, created);
    put_u64(out, accessed);
    put_u64(out, written);
    put_u32(out, size);
    put_u32(out, 0); // icon index
    put_u32(out, SW_SHOWNORMAL);
    put_u16(out, 0); // hot key
    put_u16(out, 0);
    put_u32(out, 0);
    put_u32(out, 0);

    // LinkInfo: a volume and the target as its local base path, in the code page.
    if (flags & HAS_LINK_INFO) {
        uint32_t target_size = (uint32_t)std::strlen(link.target) + 1;
        uint32_t base_offset = LINK_INFO_HEADER_SIZE + VOLUME_ID_SIZE;
        uint32_t suffix_offset = base_offset + target_size;
        put_u32(out, suffix_offset + 1); // LinkInfoSize
        put_u32(out, LINK_INFO_HEADER_SIZE);
        put_u32(out, 1); // VolumeIDAndLocalBasePath
        put_u32(out, LINK_INFO_HEADER_SIZE);
        put_u32(out, base_offset);
        put_u32(out, 0); // no network share
        put_u32(out, suffix_offset);
        put_u32(out, VOLUME_ID_SIZE);
        put_u32(out, DRIVE_FIXED);
        put_u32(out, 0);    // serial number
        put_u32(out, 0x10); // label offset
        put_bytes(out, "", 1);
        put_bytes(out, link.target, target_size);
        put_bytes(out, "", 1); // empty common path suffix
    }

    // StringData, in the format's order.
    if (flags & HAS_NAME)
        put_string(out, link.description);
    if (flags & HAS_WORKING_DIR)
        put_string(out, link.working_dir);

    put_u32(out, 0); // TerminalBlock
    return out.ok;
}

} // namespace

PLAT_HRESULT os_link_create(PLAT_SHELL_LINK **link)
{
    if (!link)
        return PLAT_E_FAIL;
    *link = nullptr;
    PLAT_SHELL_LINK *object = static_cast<PLAT_SHELL_LINK *>(std::calloc(1, sizeof(PLAT_SHELL_LINK)));
    if (!object)
        return PLAT_E_FAIL;
    object->refs = 1;
    ++live_links;
    *link = object;
    return PLAT_S_OK;
}

void os_link_set_path(PLAT_SHELL_LINK *link, const char *target)
{
    if (link)
        replace(link->target, target);
}

void os_link_set_description(PLAT_SHELL_LINK *link, const char *text)
{
    if (link)
        replace(link->description, text);
}

void os_link_set_working_dir(PLAT_SHELL_LINK *link, const char *dir)
{
    if (link)
        replace(link->working_dir, dir);
}

PLAT_HRESULT os_link_persist(PLAT_SHELL_LINK *link, PLAT_PERSIST_FILE **file)
{
    if (!file)
        return PLAT_E_FAIL;
    *file = nullptr;
    if (!link)
        return PLAT_E_NOINTERFACE;
    PLAT_PERSIST_FILE *facet = static_cast<PLAT_PERSIST_FILE *>(std::malloc(sizeof(PLAT_PERSIST_FILE)));
    if (!facet)
        return PLAT_E_FAIL;
    facet->link = link;
    ++link->refs;
    *file = facet;
    return PLAT_S_OK;
}

int plat_ansi_to_utf16(const char *text, char16_t *out, int units)
{
    if (!text || !out || units <= 0)
        return 0;
    size_t len = std::strlen(text);
    if (len >= (size_t)units) {
        out[0] = 0;
        return 0;
    }
    for (size_t i = 0; i <= len; ++i)
        out[i] = from_ansi((unsigned char)text[i]);
    return (int)len + 1;
}

PLAT_HRESULT os_persist_save(PLAT_PERSIST_FILE *file, const char16_t *path, bool remember)
{
    (void)remember; // the substitute keeps no current file
    if (!file || !path)
        return PLAT_E_FAIL;
    const PLAT_SHELL_LINK &link = *file->link;
    const char *texts[] = {link.description, link.working_dir};
    for (const char *text : texts)
        if (text && std::strlen(text) > MAX_STRING_UNITS)
            return PLAT_E_FAIL;

    // Back to the code page, where the rest of the substitute names files.
    char name[PLAT_LINK_PATH_UNITS];
    int n = 0;
    for (; path[n]; ++n) {
        unsigned char c = n < PLAT_LINK_PATH_UNITS - 1 ? to_ansi(path[n]) : 0;
        if (!c)
            return PLAT_E_FAIL;
        name[n] = (char)c;
    }
    name[n] = '\0';

    FILE *out = os_fopen(name, "wb");
    if (!out)
        return PLAT_E_FAIL;
    bool ok = write_link(link, out);
    if (std::fclose(out) != 0)
        ok = false;
    if (!ok) {
        // A cut-off shortcut is worse than none.
        char host[PATH_MAX];
        if (plat_host_path(name, host, sizeof host))
            std::remove(host);
        return PLAT_E_FAIL;
    }
    return PLAT_S_OK;
}

void os_persist_release(PLAT_PERSIST_FILE *file)
{
    if (!file)
        return;
    drop_reference(file->link);
    std::free(file);
}

void os_link_release(PLAT_SHELL_LINK *link)
{
    if (link)
        drop_reference(link);
}

int plat_test_live_links() { return live_links; }
