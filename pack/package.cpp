#include "pack/package.h"

#include <cstdarg>
#include <cstring>
#include <zlib.h>

#include "platform/pe_header.h"
#include "platform/platform.h"
#include "setup/front_text.h"
#include "setup/names.h"
#include "setup/path_join.h"

namespace {

const char MAGIC[8] = {'S', 'E', 'T', 'U', 'P', 'P', 'A', 'K'};
const size_t CHUNK = 65536;
using pe::MAX_HEADER_AT;
using pe::MAX_SECTIONS;
using pe::u16_at;
using pe::u32_at;
uint64_t u64_at(const unsigned char *p) { return (uint64_t)u32_at(p) | (uint64_t)u32_at(p + 4) << 32; }
void put16(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)(v & 0xFF);
    p[1] = (unsigned char)(v >> 8 & 0xFF);
}
void put32(unsigned char *p, uint32_t v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
void put64(unsigned char *p, uint64_t v)
{
    put32(p, (uint32_t)(v & 0xFFFFFFFF));
    put32(p + 4, (uint32_t)(v >> 32));
}

uint32_t crc_of(uint32_t crc, const unsigned char *data, size_t len) { return (uint32_t)crc32(crc, data, (uInt)len); }

bool read_exact(FILE *f, void *into, size_t len) { return std::fread(into, 1, len, f) == len; }
bool write_exact(FILE *f, const void *data, size_t len) { return plat_fwrite(data, len, f) == len; }

// The header's bytes; the CRC of the first 28 closes it.
void encode_header(unsigned char *h, uint32_t entries, uint64_t length, uint32_t crc)
{
    std::memcpy(h, MAGIC, sizeof MAGIC);
    put32(h + 8, PACKAGE_VERSION);
    put32(h + 12, entries);
    put64(h + 16, length);
    put32(h + 24, crc);
    put32(h + 28, crc_of(0, h, 28));
}

// Names match without regard to ASCII case, as Windows compares them.
bool same_name(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        unsigned char x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'A' && x <= 'Z')
            x = (unsigned char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (unsigned char)(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return *a == *b;
}

// Makes the folders of path below its first dir_len characters.
bool make_folders(char *path, size_t dir_len)
{
    for (char *p = path + dir_len; *p; p = const_cast<char *>(plat_char_next(p))) {
        if (*p != '\\')
            continue;
        *p = '\0';
        uint32_t attributes = plat_get_attributes(path);
        bool made = attributes != PLAT_NO_ATTRIBUTES ? (attributes & PLAT_ATTR_SUBDIR) != 0 : plat_create_dir(path);
        *p = '\\';
        if (!made)
            return false;
    }
    return true;
}

} // namespace

bool package_seek(FILE *f, uint64_t offset)
{
    if (offset > (uint64_t)INT64_MAX)
        return false;
#ifdef _WIN32
    return _fseeki64(f, (long long)offset, SEEK_SET) == 0;
#else
    return fseeko(f, (off_t)offset, SEEK_SET) == 0;
#endif
}

bool read_pe_layout(FILE *f, PE_LAYOUT *layout)
{
    *layout = PE_LAYOUT();
    unsigned char dos[64], pe[24], optional[240], section[40];
    if (!package_seek(f, 0) || !read_exact(f, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    uint32_t header = u32_at(dos + 0x3C);
    if (header > MAX_HEADER_AT || !package_seek(f, header) || !read_exact(f, pe, sizeof pe) ||
        std::memcmp(pe, "PE\0\0", 4) != 0)
        return false;
    uint32_t count = u16_at(pe + 6), optional_size = u16_at(pe + 20);
    if (count == 0 || count > MAX_SECTIONS || optional_size < 2 || optional_size > sizeof optional ||
        !read_exact(f, optional, optional_size))
        return false;
    layout->symbols_at = u32_at(pe + 8);
    layout->symbols_entry = (uint64_t)header + 8;
    uint32_t directories = 0, directory_count = 0, security = 0;
    if (!pe::data_directories(optional, optional_size, &directories, &directory_count))
        return false;
    // The certificate table's entry gives a file offset, not an address.
    if (pe::directory_entry(optional, optional_size, pe::CERTIFICATE_DIRECTORY, &security) &&
        u32_at(optional + security)) {
        layout->signature_at = u32_at(optional + security);
        layout->signature_entry = (uint64_t)header + 24 + security;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!read_exact(f, section, sizeof section))
            return false;
        uint64_t raw_size = u32_at(section + 16), raw_at = u32_at(section + 20);
        if (raw_size && raw_at + raw_size > layout->image_end)
            layout->image_end = raw_at + raw_size;
    }
    return layout->image_end != 0;
}

PACKAGE_RESULT PACKAGE_READER::damaged(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vformat_cut(why, sizeof why, format, args);
    va_end(args);
    return PACKAGE_DAMAGED;
}

PACKAGE_RESULT PACKAGE_READER::find()
{
    PE_LAYOUT layout;
    if (!read_pe_layout(file, &layout)) {
        format_cut(why, sizeof why, "the file is no program");
        return PACKAGE_UNREADABLE;
    }
    info.image_end = layout.image_end;
    if (layout.image_end > size)
        return damaged("the program is cut short");
    // Nothing after the image, or only a signature or the linker's symbols:
    // a setup.exe that installs from its directory.
    if (layout.image_end == size || layout.signature_at == layout.image_end || layout.symbols_at == layout.image_end) {
        format_cut(why, sizeof why, "no package");
        return PACKAGE_NONE;
    }
    unsigned char h[PACKAGE_HEADER_SIZE];
    if (size - layout.image_end < PACKAGE_HEADER_SIZE || !package_seek(file, layout.image_end) ||
        !read_exact(file, h, sizeof h))
        return damaged("the package header is cut short");
    if (std::memcmp(h, MAGIC, sizeof MAGIC) != 0)
        return damaged("no package header after the program");
    if (u32_at(h + 28) != crc_of(0, h, 28))
        return damaged("the package header's checksum is wrong");
    if (u32_at(h + 8) != PACKAGE_VERSION)
        return damaged("package format %u, which this setup does not read", (unsigned)u32_at(h + 8));
    info.entries = u32_at(h + 12);
    info.payload_length = u64_at(h + 16);
    info.payload_crc = u32_at(h + 24);
    if (info.entries == 0 || info.entries > PACKAGE_MAX_ENTRIES)
        return damaged("the package header names %u files", (unsigned)info.entries);
    // Subtracted, never added: a length near 2^64 must not wrap around.
    if (info.payload_length > size - layout.image_end - PACKAGE_HEADER_SIZE)
        return damaged("the package is cut short (or its header says it is longer than it is)");
    return PACKAGE_OK;
}

PACKAGE_RESULT PACKAGE_READER::check(PACKAGE_PROGRESS *progress)
{
    static unsigned char buffer[CHUNK];
    if (!package_seek(file, info.image_end + PACKAGE_HEADER_SIZE))
        return damaged("the package cannot be read");
    uint32_t crc = crc_of(0, nullptr, 0);
    for (uint64_t done = 0; done < info.payload_length;) {
        size_t len = (size_t)(info.payload_length - done < CHUNK ? info.payload_length - done : CHUNK);
        if (!read_exact(file, buffer, len))
            return damaged("the package cannot be read to its end");
        crc = crc_of(crc, buffer, len);
        done += len;
        if (progress)
            progress->advance(false, done, info.payload_length);
    }
    if (crc != info.payload_crc)
        return damaged("the package's checksum is wrong");
    return PACKAGE_OK;
}

PACKAGE_RESULT PACKAGE_READER::extract(const char *dir, PACKAGE_PROGRESS *progress)
{
    static unsigned char in[CHUNK], out[CHUNK];
    static char names[PACKAGE_MAX_ENTRIES][PACKAGE_MAX_NAME + 1];
    if (!package_seek(file, info.image_end + PACKAGE_HEADER_SIZE))
        return damaged("the package cannot be read");
    uint64_t left = info.payload_length;
    for (uint32_t index = 0; index < info.entries; ++index) {
        unsigned char e[PACKAGE_ENTRY_SIZE];
        if (left < sizeof e || !read_exact(file, e, sizeof e))
            return damaged("entry %u is cut short", (unsigned)index + 1);
        left -= sizeof e;
        uint32_t crc = u32_at(e), name_len = u16_at(e + 22);
        uint64_t file_size = u64_at(e + 4), stored = u64_at(e + 12);
        unsigned method = e[20], attributes = e[21];
        char *name = names[index];
        if (name_len == 0 || name_len > PACKAGE_MAX_NAME || name_len > left || !read_exact(file, name, name_len))
            return damaged("entry %u has a name of %u bytes", (unsigned)index + 1, (unsigned)name_len);
        left -= name_len;
        name[name_len] = '\0';
        // A name setup.ini could not hold: no drive, no "..", no part Windows
        // would change, nothing outside the directory.
        if (std::strlen(name) != name_len || std::strchr(name, '/') || !file_name_stays_inside(name, name_len))
            return damaged("entry %u has a name that leaves its directory", (unsigned)index + 1);
        for (uint32_t before = 0; before < index; ++before)
            if (same_name(names[before], name))
                return damaged("'%s' comes twice", name);
        if ((method != PACKAGE_STORED && method != PACKAGE_DEFLATED) || (attributes & ~PACKAGE_ATTRIBUTES))
            return damaged("'%s' is stored in a way this setup does not know", name);
        if (stored > left || (method == PACKAGE_STORED && stored != file_size))
            return damaged("the length of '%s' is wrong", name);
        left -= stored;

        char path[SETUP_PATH_SIZE];
        if (!join_dir(path, sizeof path, dir, name))
            return damaged("the name '%s' is too long", name);
        if (!make_folders(path, std::strlen(dir))) {
            format_cut(why, sizeof why, "the folder for '%s' cannot be made", name);
            return PACKAGE_WRITE_FAILED;
        }
        FILE *target = plat_fopen(path, "wb");
        if (!target) {
            format_cut(why, sizeof why, "'%s' cannot be created", path);
            return PACKAGE_WRITE_FAILED;
        }

        PACKAGE_RESULT result = PACKAGE_OK;
        uint32_t have_crc = crc_of(0, nullptr, 0);
        uint64_t written = 0;
        z_stream z = {};
        bool inflating = method == PACKAGE_DEFLATED;
        int z_status = inflating ? inflateInit2(&z, -MAX_WBITS) : Z_OK;
        if (z_status != Z_OK)
            result = damaged("'%s' cannot be unpacked", name);
        for (uint64_t read = 0; result == PACKAGE_OK && (read < stored || (inflating && z_status != Z_STREAM_END));) {
            size_t len = (size_t)(stored - read < CHUNK ? stored - read : CHUNK);
            if (len && !read_exact(file, in, len)) {
                result = damaged("the package cannot be read to its end");
                break;
            }
            read += len;
            if (!inflating) {
                have_crc = crc_of(have_crc, in, len);
                written += len;
                if (!write_exact(target, in, len))
                    result = PACKAGE_WRITE_FAILED;
                continue;
            }
            z.next_in = in;
            z.avail_in = (uInt)len;
            do {
                z.next_out = out;
                z.avail_out = (uInt)CHUNK;
                z_status = inflate(&z, Z_NO_FLUSH);
                size_t got = CHUNK - z.avail_out;
                if (z_status != Z_OK && z_status != Z_STREAM_END && !(z_status == Z_BUF_ERROR && got == 0)) {
                    result = damaged("the data of '%s' is damaged", name);
                    break;
                }
                if (got > file_size - written) {
                    result = damaged("'%s' unpacks to more than its size", name);
                    break;
                }
                have_crc = crc_of(have_crc, out, got);
                written += got;
                if (!write_exact(target, out, got)) {
                    result = PACKAGE_WRITE_FAILED;
                    break;
                }
            } while (z_status != Z_STREAM_END && (z.avail_in > 0 || z.avail_out == 0));
            if (result == PACKAGE_OK && z_status == Z_STREAM_END && (z.avail_in > 0 || read < stored))
                result = damaged("the data of '%s' is longer than its stream", name);
            else if (result == PACKAGE_OK && z_status != Z_STREAM_END && read == stored)
                result = damaged("the data of '%s' ends early", name);
            if (progress)
                progress->advance(true, info.payload_length - left + read - stored, info.payload_length);
        }
        if (inflating)
            inflateEnd(&z);
        if (std::fclose(target) != 0 && result == PACKAGE_OK)
            result = PACKAGE_WRITE_FAILED;
        if (result == PACKAGE_WRITE_FAILED)
            format_cut(why, sizeof why, "'%s' cannot be written", path);
        if (result != PACKAGE_OK)
            return result;
        if (written != file_size)
            return damaged("'%s' is shorter than its size", name);
        if (have_crc != crc)
            return damaged("the checksum of '%s' is wrong", name);
        if (attributes && !plat_set_attributes(path, attributes)) {
            format_cut(why, sizeof why, "the attributes of '%s' cannot be set", path);
            return PACKAGE_WRITE_FAILED;
        }
        if (progress)
            progress->advance(true, info.payload_length - left, info.payload_length);
    }
    if (left != 0)
        return damaged("the package holds more than its files");
    return PACKAGE_OK;
}

bool PACKAGE_WRITER::begin()
{
    long long at =
#ifdef _WIN32
        _ftelli64(out);
#else
        ftello(out);
#endif
    if (at < 0) {
        format_cut(why, sizeof why, "the output cannot be written");
        return false;
    }
    start = (uint64_t)at;
    payload = 0;
    unsigned char h[PACKAGE_HEADER_SIZE] = {};
    if (!write_exact(out, h, sizeof h)) {
        format_cut(why, sizeof why, "the output cannot be written");
        return false;
    }
    return true;
}

bool PACKAGE_WRITER::add(const char *source, const char *name, unsigned attributes)
{
    static unsigned char in[CHUNK], buffer[CHUNK];
    size_t name_len = std::strlen(name);
    if (entries >= PACKAGE_MAX_ENTRIES || name_len == 0 || name_len > PACKAGE_MAX_NAME) {
        format_cut(why, sizeof why, "'%s' cannot be packed", name);
        return false;
    }
    int64_t file_size = plat_file_size(source);
    FILE *from = file_size >= 0 ? plat_fopen(source, "rb") : nullptr;
    if (!from) {
        format_cut(why, sizeof why, "'%s' cannot be read", source);
        return false;
    }
    const uint64_t entry_at = start + PACKAGE_HEADER_SIZE + payload;
    const uint64_t data_at = entry_at + PACKAGE_ENTRY_SIZE + name_len;
    unsigned char e[PACKAGE_ENTRY_SIZE] = {};
    bool ok = write_exact(out, e, sizeof e) && write_exact(out, name, name_len);

    // Deflated first; a file that does not shrink is written again as it is.
    uint32_t crc = crc_of(0, nullptr, 0);
    uint64_t read = 0, packed = 0;
    z_stream z = {};
    const bool z_open = ok && deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    ok = z_open;
    bool ended = !ok, smaller = true;
    while (!ended && smaller && ok) {
        size_t len = std::fread(in, 1, CHUNK, from);
        ok = !std::ferror(from);
        crc = crc_of(crc, in, len);
        read += len;
        z.next_in = in;
        z.avail_in = (uInt)len;
        int flush = len < CHUNK ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer;
            z.avail_out = (uInt)CHUNK;
            ended = deflate(&z, flush) == Z_STREAM_END;
            size_t got = CHUNK - z.avail_out;
            packed += got;
            smaller = packed < (uint64_t)file_size;
            ok = ok && (!smaller || write_exact(out, buffer, got));
        } while (ok && smaller && z.avail_out == 0);
    }
    if (z_open)
        deflateEnd(&z);
    unsigned method = PACKAGE_DEFLATED;
    uint64_t stored = packed;
    if (ok && !smaller) {
        method = PACKAGE_STORED;
        crc = crc_of(0, nullptr, 0);
        read = 0;
        ok = package_seek(out, data_at) && package_seek(from, 0);
        for (size_t len = 1; ok && len > 0;) {
            len = std::fread(in, 1, CHUNK, from);
            crc = crc_of(crc, in, len);
            read += len;
            ok = !std::ferror(from) && write_exact(out, in, len);
        }
        stored = read;
    }
    if (ok && read != (uint64_t)file_size) {
        std::fclose(from);
        format_cut(why, sizeof why, "'%s' changed while it was read", source);
        return false;
    }
    std::fclose(from);
    if (ok) {
        put32(e, crc);
        put64(e + 4, read);
        put64(e + 12, stored);
        e[20] = (unsigned char)method;
        e[21] = (unsigned char)(attributes & PACKAGE_ATTRIBUTES);
        put16(e + 22, (uint32_t)name_len);
        ok = package_seek(out, entry_at) && write_exact(out, e, sizeof e) && package_seek(out, data_at + stored);
    }
    if (!ok) {
        format_cut(why, sizeof why, "'%s' cannot be packed: the output cannot be written", name);
        return false;
    }
    payload += PACKAGE_ENTRY_SIZE + name_len + stored;
    bytes_in += read;
    ++entries;
    return true;
}

bool PACKAGE_WRITER::finish()
{
    static unsigned char buffer[CHUNK];
    // The CRC is read back: a stored file was written over its deflated try.
    bool ok = std::fflush(out) == 0 && package_seek(out, start + PACKAGE_HEADER_SIZE);
    uint32_t crc = crc_of(0, nullptr, 0);
    for (uint64_t done = 0; ok && done < payload;) {
        size_t len = (size_t)(payload - done < CHUNK ? payload - done : CHUNK);
        ok = read_exact(out, buffer, len);
        crc = crc_of(crc, buffer, len);
        done += len;
    }
    unsigned char h[PACKAGE_HEADER_SIZE];
    encode_header(h, entries, payload, crc);
    ok = ok && package_seek(out, start) && write_exact(out, h, sizeof h) && std::fflush(out) == 0;
    if (!ok)
        format_cut(why, sizeof why, "the output cannot be written");
    return ok;
}

bool copy_stub_image(FILE *in, FILE *out, const PE_LAYOUT &layout)
{
    static unsigned char buffer[CHUNK];
    if (!package_seek(in, 0))
        return false;
    for (uint64_t done = 0; done < layout.image_end;) {
        size_t len = (size_t)(layout.image_end - done < CHUNK ? layout.image_end - done : CHUNK);
        if (!read_exact(in, buffer, len))
            return false;
        // A signature of the stub alone would not cover the package, and
        // its symbols are left behind: both entries go.
        const uint64_t entries[2] = {layout.signature_entry, layout.symbols_at ? layout.symbols_entry : 0};
        for (uint64_t entry : entries)
            if (entry && entry >= done && entry + 8 <= done + len)
                std::memset(buffer + (entry - done), 0, 8);
        if (!write_exact(out, buffer, len))
            return false;
        done += len;
    }
    return true;
}
