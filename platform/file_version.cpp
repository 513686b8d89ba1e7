#include "platform/file_version.h"

#include <cstdio>
#include <cstring>

#include "platform/pe_header.h"
#include "platform/platform.h"

namespace {

const uint32_t RT_VERSION_ID = 16;
const uint32_t FIXED_INFO_SIGNATURE = 0xFEEF04BD;
using pe::MAX_HEADER_AT;
using pe::MAX_SECTIONS;
using pe::u16_at;
using pe::u32_at;

struct SECTION {
    uint32_t address; // relative to the image base
    uint32_t size;    // the larger of the sizes in memory and in the file
    uint32_t offset;  // in the file
};

class PE_FILE {
public:
    explicit PE_FILE(FILE *from) : file(from), section_count(0), failed(false) {}

    // Reads size bytes at offset; a short read sets failed only for errors,
    // not for a file that ends early (that is a broken image, not an
    // unreadable one).
    bool read_at(uint32_t offset, void *into, size_t size)
    {
        if (std::fseek(file, (long)offset, SEEK_SET) != 0)
            return false;
        size_t got = std::fread(into, 1, size, file);
        if (got != size && std::ferror(file))
            failed = true;
        return got == size;
    }

    // The file offset of an address in the image; false outside every section.
    bool offset_of(uint32_t address, uint32_t *offset) const
    {
        for (uint32_t i = 0; i < section_count; ++i) {
            const SECTION &s = sections[i];
            if (address >= s.address && address - s.address < s.size) {
                *offset = s.offset + (address - s.address);
                return true;
            }
        }
        return false;
    }

    // The address of the resource directory, with the section table read.
    bool find_resources(uint32_t *address)
    {
        unsigned char dos[64], pe[24], optional[240];
        if (!read_at(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        uint32_t header = u32_at(dos + 0x3C);
        if (header > MAX_HEADER_AT || !read_at(header, pe, sizeof pe) || std::memcmp(pe, "PE\0\0", 4) != 0)
            return false;
        uint32_t count = u16_at(pe + 6), optional_size = u16_at(pe + 20);
        if (count > MAX_SECTIONS || optional_size < 2 || optional_size > sizeof optional ||
            !read_at(header + 24, optional, optional_size))
            return false;
        uint32_t resource_entry = 0;
        if (!pe::directory_entry(optional, optional_size, pe::RESOURCE_DIRECTORY, &resource_entry))
            return false;
        *address = u32_at(optional + resource_entry);
        if (*address == 0)
            return false;
        uint32_t table = header + 24 + optional_size;
        for (uint32_t i = 0; i < count; ++i) {
            unsigned char row[40];
            if (!read_at(table + i * 40, row, sizeof row))
                return false;
            uint32_t in_memory = u32_at(row + 8), in_file = u32_at(row + 16);
            sections[i] = {u32_at(row + 12), in_memory > in_file ? in_memory : in_file, u32_at(row + 20)};
        }
        section_count = count;
        return true;
    }

    // The entry of the resource directory at root + dir: the one with id,
    // or the first of all for any. Its target (relative to root) and
    // whether that is a directory.
    bool entry(uint32_t root, uint32_t dir, bool any, uint32_t id, uint32_t *target, bool *is_dir)
    {
        unsigned char head[16];
        if (!read_at(root + dir, head, sizeof head))
            return false;
        uint32_t named = u16_at(head + 12), total = named + u16_at(head + 14);
        for (uint32_t i = any ? 0 : named; i < total; ++i) {
            unsigned char row[8];
            if (!read_at(root + dir + 16 + i * 8, row, sizeof row))
                return false;
            if (any || u32_at(row) == id) {
                uint32_t to = u32_at(row + 4);
                *target = to & 0x7FFFFFFF;
                *is_dir = (to & 0x80000000) != 0;
                return true;
            }
        }
        return false;
    }

    bool version(uint64_t *out)
    {
        uint32_t address, root;
        if (!find_resources(&address) || !offset_of(address, &root))
            return false;
        // Type, then name, then language: the first version resource there is.
        uint32_t at = 0;
        bool is_dir = false;
        if (!entry(root, 0, false, RT_VERSION_ID, &at, &is_dir) || !is_dir || !entry(root, at, true, 0, &at, &is_dir) ||
            !is_dir || !entry(root, at, true, 0, &at, &is_dir) || is_dir)
            return false;
        unsigned char data_entry[8];
        uint32_t data;
        if (!read_at(root + at, data_entry, sizeof data_entry) || !offset_of(u32_at(data_entry), &data))
            return false;
        // VS_VERSIONINFO: length, value length, type, the key in UTF-16 with
        // its terminator, padding to 4 bytes, then VS_FIXEDFILEINFO.
        static const char KEY[] = "VS_VERSION_INFO";
        unsigned char info[92];
        if (u32_at(data_entry + 4) < sizeof info || !read_at(data, info, sizeof info) || u16_at(info + 2) < 52)
            return false;
        for (size_t i = 0; i < sizeof KEY; ++i)
            if (u16_at(info + 6 + 2 * i) != (unsigned char)KEY[i])
                return false;
        if (u32_at(info + 40) != FIXED_INFO_SIGNATURE)
            return false;
        *out = (uint64_t)u32_at(info + 48) << 32 | u32_at(info + 52);
        return true;
    }

    FILE *file;
    SECTION sections[MAX_SECTIONS];
    uint32_t section_count;
    bool failed;
};

} // namespace

FILE_VERSION_READ plat_file_version(const char *path, uint64_t *version)
{
    uint64_t found = 0;
    FILE *f = path ? plat_fopen(path, "rb") : nullptr;
    FILE_VERSION_READ result = VERSION_UNREADABLE;
    if (f) {
        PE_FILE pe(f);
        bool read = pe.version(&found);
        result = pe.failed ? VERSION_UNREADABLE : read ? VERSION_FOUND : VERSION_NONE;
        std::fclose(f);
    }
    if (version)
        *version = result == VERSION_FOUND ? found : 0;
    return result;
}

void format_file_version(uint64_t version, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    std::snprintf(out, size, "%u.%u.%u.%u", (unsigned)(version >> 48 & 0xFFFF), (unsigned)(version >> 32 & 0xFFFF),
                  (unsigned)(version >> 16 & 0xFFFF), (unsigned)(version & 0xFFFF));
}
