// The setup package: a setup directory appended to setup.exe, so that one
// file is all an author ships. setuppack writes it, setup.exe reads it.
//
// The package lies right after the program image (the end of the last
// section in the file, as the section table says), little-endian:
//
//   header, 32 bytes: magic "SETUPPAK", format version, entry count,
//                     payload length (64 bits), payload CRC-32, and the
//                     CRC-32 of the 28 bytes before it
//   payload:          the entries, one after the other, each
//                       24 bytes: CRC-32 of the file, its size (64 bits),
//                       the stored length (64 bits), method (0 stored,
//                       8 deflate), attributes, name length (16 bits)
//                       the name (no terminator), then the stored bytes
//
// Whatever follows the payload is ignored: Authenticode puts its
// certificate table there. Both sides stream through fixed buffers; no
// file, let alone the package, is ever held whole.
#ifndef PACK_PACKAGE_H
#define PACK_PACKAGE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

const size_t PACKAGE_HEADER_SIZE = 32;
const size_t PACKAGE_ENTRY_SIZE = 24;
const uint32_t PACKAGE_VERSION = 1;
const unsigned PACKAGE_STORED = 0;
const unsigned PACKAGE_DEFLATED = 8;
// setup.ini, every file it may list, and uninstal.exe.
const uint32_t PACKAGE_MAX_ENTRIES = 102;
// The attribute bits an entry keeps: read-only, hidden, system.
const unsigned PACKAGE_ATTRIBUTES = 7;
// The longest name an entry may carry (a setup.ini line holds no longer one).
const size_t PACKAGE_MAX_NAME = 255;

// How a look at a package ended.
enum PACKAGE_RESULT {
    PACKAGE_OK,
    PACKAGE_NONE,        // a program with nothing after its image (a signature alone counts as nothing)
    PACKAGE_DAMAGED,     // something after the image that is no whole, sound package
    PACKAGE_UNREADABLE,  // the file cannot be opened or read, or is no program
    PACKAGE_WRITE_FAILED // an extracted file could not be written
};

// Where the package lies in its file, once its header has been read.
struct PACKAGE_INFO {
    uint64_t image_end;      // the header's offset
    uint64_t payload_length; // the entries' bytes after the header
    uint32_t payload_crc;
    uint32_t entries;
};

// What the package's place depends on in a PE file.
struct PE_LAYOUT {
    uint64_t image_end;       // the end of the last section in the file
    uint64_t signature_at;    // the certificate table's offset; 0 without one
    uint64_t signature_entry; // the offset of its 8-byte directory entry; 0 without one
    uint64_t symbols_at;      // the COFF symbol table's offset; 0 without one
    uint64_t symbols_entry;   // the offset of its pointer and count in the COFF header
};

// Reads the layout of the PE file f through its section table. False for
// no PE file.
bool read_pe_layout(FILE *f, PE_LAYOUT *layout);

// Told how far a long pass has come; never more often than every 64 KiB.
class PACKAGE_PROGRESS {
public:
    virtual ~PACKAGE_PROGRESS() {}
    // done of total bytes; checking first, then extracting.
    virtual void advance(bool extracting, uint64_t done, uint64_t total) = 0;
};

// Reads a package from the program file f (size bytes long). Each step
// returns PACKAGE_OK or says why not, with a short text in why.
class PACKAGE_READER {
public:
    PACKAGE_READER(FILE *from, uint64_t file_size) : file(from), size(file_size), info() { why[0] = '\0'; }

    // Finds and checks the header: PACKAGE_NONE for a program without a
    // package, PACKAGE_DAMAGED for a header that is missing, not sound, or
    // promises more than the file holds.
    PACKAGE_RESULT find();
    // Reads the whole payload once for its CRC.
    PACKAGE_RESULT check(PACKAGE_PROGRESS *progress = nullptr);
    // Writes every entry below dir (a directory that exists, DOS-style),
    // making the folders of names with parts, each file checked against its
    // CRC and size as it is written. Names are refused as setup.ini's file
    // names are refused, and twice the same name too. A damaged entry stops
    // it; what was written stays for the caller to remove.
    PACKAGE_RESULT extract(const char *dir, PACKAGE_PROGRESS *progress = nullptr);

    const PACKAGE_INFO &where() const { return info; }
    char why[160];

private:
    PACKAGE_RESULT damaged(const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    FILE *file;
    uint64_t size;
    PACKAGE_INFO info;
};

// Writes a package to out, which holds the stub's image and stands at its
// end. Entries are written as they come; finish completes the header.
class PACKAGE_WRITER {
public:
    explicit PACKAGE_WRITER(FILE *to) : out(to), start(0), payload(0), entries(0), bytes_in(0) { why[0] = '\0'; }

    // Leaves room for the header.
    bool begin();
    // Adds the file at source under name (as setup.ini names it), deflated
    // unless that would not make it smaller. False when it cannot be read or
    // written (why says which).
    bool add(const char *source, const char *name, unsigned attributes);
    // Writes the header. out stays open; the caller cuts the file at end().
    bool finish();
    uint64_t end() const { return start + PACKAGE_HEADER_SIZE + payload; }
    uint64_t input_bytes() const { return bytes_in; }
    uint32_t count() const { return entries; }
    char why[160];

private:
    FILE *out;
    uint64_t start;   // the header's offset
    uint64_t payload; // bytes of entries so far
    uint32_t entries;
    uint64_t bytes_in;
};

// Copies the stub's image (everything before its end, without the
// signature or the symbol table it may carry) from in to out. False on a read or write failure.
bool copy_stub_image(FILE *in, FILE *out, const PE_LAYOUT &layout);

// 64-bit seeks on every build.
bool package_seek(FILE *f, uint64_t offset);

#endif
