// The smallest program file that carries a version resource as the
// resource compiler lays it out: a PE32+ header, one resource section, and
// in it type 16, name 1, language 0x409 and VS_VERSIONINFO with its fixed part.
#ifndef TESTS_UNIT_SUPPORT_PE_IMAGE_H
#define TESTS_UNIT_SUPPORT_PE_IMAGE_H

#include <cstdint>
#include <string>

namespace testpe {

inline void put16(std::string &s, size_t at, uint32_t v)
{
    s[at] = (char)(v & 0xFF);
    s[at + 1] = (char)(v >> 8 & 0xFF);
}
inline void put32(std::string &s, size_t at, uint32_t v)
{
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

// version as major << 48 | minor << 32 | build << 16 | revision; with
// resource_type other than 16 the file has resources but no version.
inline std::string program_with_version(uint64_t version, uint32_t resource_type = 16)
{
    const size_t pe = 64, optional = pe + 24, table = optional + 240, raw = 0x200;
    const uint32_t rva = 0x1000, info = 0x58, info_size = 92;
    std::string s(raw + info + info_size, '\0');
    s[0] = 'M';
    s[1] = 'Z';
    put32(s, 0x3C, pe);
    s.replace(pe, 4, std::string("PE\0\0", 4));
    put16(s, pe + 4, 0x8664);
    put16(s, pe + 6, 1);    // sections
    put16(s, pe + 20, 240); // optional header: PE32+ with 16 directories
    put16(s, optional, 0x20B);
    put32(s, optional + 108, 16);
    put32(s, optional + 112 + size_t{2} * 8, rva);
    put32(s, optional + 112 + size_t{2} * 8 + 4, info + info_size);
    s.replace(table, 5, ".rsrc");
    put32(s, table + 8, info + info_size);
    put32(s, table + 12, rva);
    put32(s, table + 16, info + info_size);
    put32(s, table + 20, raw);
    // Three directories of one entry each, then the data entry.
    const uint32_t dirs[3][2] = {{resource_type, 0x80000018}, {1, 0x80000030}, {0x409, 0x48}};
    for (int level = 0; level < 3; ++level) {
        size_t at = raw + 0x18 * (size_t)level;
        put16(s, at + 14, 1);
        put32(s, at + 16, dirs[level][0]);
        put32(s, at + 20, dirs[level][1]);
    }
    put32(s, raw + 0x48, rva + info);
    put32(s, raw + 0x48 + 4, info_size);
    size_t v = raw + info;
    put16(s, v, info_size);
    put16(s, v + 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; ++i)
        put16(s, v + 6 + 2 * i, (unsigned char)key[i]);
    put32(s, v + 40, 0xFEEF04BD);
    put32(s, v + 44, 0x10000);
    put32(s, v + 48, (uint32_t)(version >> 32));
    put32(s, v + 52, (uint32_t)version);
    return s;
}

inline uint64_t version(unsigned major, unsigned minor, unsigned build = 0, unsigned revision = 0)
{
    return (uint64_t)major << 48 | (uint64_t)minor << 32 | (uint64_t)build << 16 | revision;
}

} // namespace testpe

#endif
