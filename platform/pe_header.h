#ifndef PLATFORM_PE_HEADER_H
#define PLATFORM_PE_HEADER_H

// What the uninstaller's version check and the setup package both read of a
// PE image's headers: its little-endian fields and where the data
// directories lie.

#include <cstdint>

namespace pe {

const uint32_t MAX_SECTIONS = 96;    // the loader's own limit
const uint32_t MAX_HEADER_AT = 4096; // where a linker puts the PE header, with room to spare
const uint32_t RESOURCE_DIRECTORY = 2;
const uint32_t CERTIFICATE_DIRECTORY = 4;

inline uint32_t u16_at(const unsigned char *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
inline uint32_t u32_at(const unsigned char *p) { return u16_at(p) | u16_at(p + 2) << 16; }

// Where the data directories start in an optional header of size bytes:
// after the fixed part, which PE32+ makes longer, and whose last field
// counts them. False when the header is neither PE32 nor PE32+.
inline bool data_directories(const unsigned char *optional, uint32_t size, uint32_t *at, uint32_t *count)
{
    if (size < 2)
        return false;
    uint32_t magic = u16_at(optional);
    if (magic == 0x10B)
        *at = 96;
    else if (magic == 0x20B)
        *at = 112;
    else
        return false;
    *count = size >= *at ? u32_at(optional + *at - 4) : 0;
    return true;
}

// The offset in the optional header of the data directory entry index;
// false when the header is neither PE32 nor PE32+ or holds no such entry.
inline bool directory_entry(const unsigned char *optional, uint32_t size, uint32_t index, uint32_t *entry)
{
    uint32_t at = 0, count = 0;
    if (!data_directories(optional, size, &at, &count) || count <= index || size < at + index * 8 + 8)
        return false;
    *entry = at + index * 8;
    return true;
}

} // namespace pe

#endif
