// The seam between the library / setup engine and the operating system.
//
// Everything below that touches the file system or asks Windows something goes
// through here. The Windows build calls the real API; the POSIX build is a
// substitute that maps DOS-style paths ("X:\a\b") onto folders under a drive
// root, so the engine keeps working with backslash paths on Linux and the same
// unit tests run on both.
#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Fills buf with the Windows directory (no trailing backslash guaranteed) and
// returns its length, or 0 when the query fails or the directory does not fit.
unsigned plat_windows_dir(char *buf, unsigned size);
// The same for the Windows system directory.
unsigned plat_system_dir(char *buf, unsigned size);

// GetTempPathA: the user's temporary directory, ending in a backslash;
// returns its length, or 0 when the query fails or it does not fit. The
// POSIX substitute answers C:\TEMP\ unless a test chose another.
unsigned plat_temp_dir(char *buf, unsigned size);
// A number that differs from call to call and from process to process, for
// names that must not be guessed easily; no secret.
uint32_t plat_unique_number();

// Opens a stream like fopen(). Modes without "b" are text mode: on Windows the
// runtime turns CR LF into LF on reading and LF into CR LF on writing; the
// POSIX substitute does the same, so files look alike on both platforms.
// Returns null on failure with errno set.
FILE *plat_fopen(const char *path, const char *mode);
// fwrite() of size bytes: the number written, short when the disk is full.
// The setup log and the batch file are written through it, so that a test
// can fill the disk under them (platform/fault.h).
size_t plat_fwrite(const void *data, size_t size, FILE *stream);

// Current directory into buf (size bytes with the terminator). Returns false
// when it does not fit or cannot be read. Under the drive root the POSIX
// substitute reports it DOS-style ("C:\dir"), elsewhere as the host path.
bool plat_getcwd(char *buf, size_t size);
// Makes path the current directory; false on failure with errno set.
bool plat_chdir(const char *path);
// GetModuleFileNameA: the directory of the running program, ending in a
// backslash. False when it cannot be had or does not fit. The POSIX
// substitute has one only when a test named it (plat_test_set_program_dir).
bool plat_program_dir(char *out, size_t size);
// The runtime's mkdir: creates one directory; false on failure with errno set
// (Windows runtime numbering on both platforms).
bool plat_mkdir(const char *path);

// CreateDirectoryA without security attributes: creates one directory whose
// parent exists. False when it exists already, its parent is missing, or the
// name is taken by a file.
bool plat_create_dir(const char *path);
// CopyFileA with fail-if-exists false: copies source to destination,
// replacing a destination file that is there; the copy takes the source's
// attributes. False when the source is not a readable file, the destination
// cannot be written, both name one file, or the destination is read-only, or
// hidden or system while the source is not (Windows refuses those).
bool plat_copy_file(const char *source, const char *destination);
// Sleep: waits ms milliseconds.
void plat_sleep_ms(uint32_t ms);

// Attribute bits of a file or directory (the runtime's _A_ values, and
// FILE_ATTRIBUTE_ of the API).
const uint32_t PLAT_ATTR_READONLY = 1;
const uint32_t PLAT_ATTR_HIDDEN = 2;
const uint32_t PLAT_ATTR_SYSTEM = 4;
const uint32_t PLAT_ATTR_SUBDIR = 16;
const uint32_t PLAT_ATTR_ARCHIVE = 32;
// A junction, symbolic link or mount point: what is done through it happens
// wherever it points.
const uint32_t PLAT_ATTR_REPARSE_POINT = 1024;
// What plat_get_attributes answers for a path that names nothing.
const uint32_t PLAT_NO_ATTRIBUTES = 0xFFFFFFFF;

// GetFileAttributesA: the PLAT_ATTR_ bits of path, or PLAT_NO_ATTRIBUTES.
// The POSIX substitute keeps them where Wine does: read-only is a file
// without write permission, hidden and system live in the extended
// attribute "user.DOSATTRIB", and a name that starts with a dot is hidden.
// It takes a symbolic link for a reparse point and reports the rest of the
// bits of what the link points at; a link that points nowhere names
// nothing, as under Wine.
uint32_t plat_get_attributes(const char *path);
// SetFileAttributesA: sets the read-only, hidden, system and archive bits of
// attributes (the others are ignored). False when path names nothing or the
// bits cannot be stored.
bool plat_set_attributes(const char *path, uint32_t attributes);

// IsDBCSLeadByte: true when c starts a two-byte character in the ANSI code
// page. The POSIX substitute is single-byte unless a test chose code page 932.
bool plat_is_lead_byte(unsigned char c);
// CharNextA: the character after the one p points at; two bytes on for a lead
// byte that is followed by a second byte, p itself at the terminator.
const char *plat_char_next(const char *p);
// GetACP: the ANSI code page this process runs with.
unsigned plat_ansi_code_page();
// text (ANSI code page) in the OEM code page, in which the command
// interpreter reads batch files, into out (size bytes with the terminator).
// False, with out empty, when a character has no form there (no stand-in
// letter is taken) or the text does not fit. The POSIX substitute's OEM code
// page is its ANSI one unless a test chose 850, of which it knows ASCII and
// the letters of 1252 from 0xC0 on.
bool plat_ansi_to_oem(const char *text, char *out, size_t size);
// GetShortPathNameA: the short (8.3) form of path, which must exist, into
// out. False when there is none or it does not fit. Windows may have short
// names turned off; it then gives the long one. The POSIX substitute has
// short names only for what a test named (plat_test_set_short_name).
bool plat_short_path(const char *path, char *out, size_t size);

// Size in bytes of a file that can be opened for reading, or -1 when it
// cannot be opened or is no regular file. 64 bits wide, so that files of
// 2 GiB and more have a size too.
int64_t plat_file_size(const char *path);

// True when a and b name one file as Windows resolves names: both are there
// and are the same file (the same volume and file index: another case, a
// short name, ".." or a trailing dot lead to it all the same), or neither
// is there and their full paths match, letters without regard to case.
bool plat_same_file(const char *a, const char *b);

// Cuts the file at path back to length bytes when it is longer; a shorter
// file is left as it is. False when it cannot be opened or cut. Works by
// path, so it reaches a file whose stream has already been closed.
bool plat_truncate_file(const char *path, int64_t length);

// The runtime heap consistency check: -2 in order, -1 empty, -3 bad start,
// -4 bad node, -6 bad pointer (the values of _heapchk).
int plat_heap_check();

// ---- removal, for the uninstaller ------------------------------------------

// How a removal or an open went, in the categories a user can be told.
enum PLAT_RESULT {
    PLAT_DONE,
    PLAT_MISSING,       // nothing of that name (or its directory is missing)
    PLAT_IN_USE,        // another process holds it open (a sharing violation)
    PLAT_ACCESS_DENIED, // read-only, no rights, or a directory named as a file
    PLAT_NOT_EMPTY,     // a directory that still holds something
    PLAT_FAILED         // anything else
};

// Why the last plat_copy_file failed: PLAT_IN_USE when another program holds
// the destination open without sharing it (a sharing violation: closing
// that program lets a later copy through), else PLAT_FAILED.
PLAT_RESULT plat_copy_failure();

// DeleteFileA: removes one file. A read-only file is refused (access
// denied), as is a directory.
PLAT_RESULT plat_delete_file(const char *path);
// RemoveDirectoryA: removes one empty directory; never anything inside it.
PLAT_RESULT plat_remove_dir(const char *path);

// MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT: path goes at the next
// restart. False when the process lacks the rights.
bool plat_schedule_removal(const char *path);
// MoveFileExA with MOVEFILE_REPLACE_EXISTING: source takes destination's
// name, replacing the file there, in one step on one volume.
PLAT_RESULT plat_replace_file(const char *source, const char *destination);

// Opens an existing file for reading and writing and keeps others from
// writing to it (or locking it) until plat_unlock_file; reading stays open
// to all. Returns the lock, or -1 with the reason in *why (may be null).
intptr_t plat_lock_file(const char *path, PLAT_RESULT *why);
void plat_unlock_file(intptr_t lock);

// ---- the Apps & Features entries --------------------------------------------

// The registry key that holds every program's entry. The seam reaches no
// other key: name below is always relative to it ("Foo", or "Foo\Sub" for
// a key below Foo). On Windows always in the 64-bit view, so that the 32-bit
// and the 64-bit programs meet in one key (a 32-bit program's would lie below
// WOW6432Node); the POSIX substitute keeps the keys in the file
// PLAT_REGISTRY_FILE in its drive root.
extern const char PLAT_UNINSTALL_ROOT[];
extern const char PLAT_REGISTRY_FILE[];
// The value types of the registry (REG_SZ, REG_DWORD).
const uint32_t PLAT_REG_SZ = 1;
const uint32_t PLAT_REG_DWORD = 4;

// RegCreateKeyExA: creates the key, and the keys above it that are missing;
// *existed (may be null) tells whether it was there already.
PLAT_RESULT plat_reg_create_key(const char *name, bool *existed);
// RegSetValueExA: a string, or a 32-bit number, as the value value_name.
PLAT_RESULT plat_reg_set_string(const char *name, const char *value_name, const char *text);
PLAT_RESULT plat_reg_set_dword(const char *name, const char *value_name, uint32_t number);
// RegQueryValueExA: the value's type and data; a string comes terminated
// and must fit size bytes with its terminator, a number fills 4 bytes.
// PLAT_MISSING without the key or the value, PLAT_FAILED when it does not fit.
PLAT_RESULT plat_reg_get(const char *name, const char *value_name, uint32_t *type, void *data, uint32_t size);
// RegEnumValueA: the name of the key's index-th value (from 0); PLAT_MISSING past the last.
PLAT_RESULT plat_reg_value_name(const char *name, uint32_t index, char *out, uint32_t size);
// RegQueryInfoKeyA: how many values and keys below it the key holds.
PLAT_RESULT plat_reg_count(const char *name, uint32_t *values, uint32_t *subkeys);
// RegDeleteKeyExA: deletes the key with its values; never one with keys
// below it (PLAT_NOT_EMPTY).
PLAT_RESULT plat_reg_delete_key(const char *name);

// malloc() that a test can make fail (platform/fault.h).
void *plat_malloc(size_t size);

#ifndef _WIN32
// ---- controls of the substitute (those of both platforms: platform/fault.h) ----

// The machine the substitute stands for: a test run lays it out once, and
// plat_test_reset leaves it as it is.
// The folder that holds the drive folders (c/, d/, ...). Default: "/tmp/plat-drives".
void plat_test_set_drive_root(const char *host_dir);
const char *plat_test_drive_root();
// What the directory queries answer; null makes the query fail.
void plat_test_set_windows_dir(const char *dos_path);
void plat_test_set_system_dir(const char *dos_path);
void plat_test_set_temp_dir(const char *dos_path);
// Host path of a DOS-style path, as the substitute maps it. False if too long.
bool plat_host_path(const char *dos_path, char *out, size_t size);
// Called with every host path the substitute maps a path to, before that
// path is used; null turns it off. A fuzzer uses it to stop the run at the
// first access that would leave its scratch drive.
void plat_test_set_path_observer(void (*observer)(const char *host_path));

// What plat_test_reset turns back to the default.
// Copies with plain reads and writes instead of the kernel's copy.
void plat_test_copy_by_read_write(bool on);
// The ANSI code page of the substitute: 932 (Shift-JIS, lead bytes 0x81 to
// 0x9F and 0xE0 to 0xFC) or any other value for a single-byte one (1252, the
// default).
void plat_test_set_code_page(unsigned code_page);
// The OEM code page of the substitute: 850 or, with any other value, the
// ANSI one (the default).
void plat_test_set_oem_code_page(unsigned code_page);
// The short form plat_short_path gives for path (as written); null forgets it.
void plat_test_set_short_name(const char *path, const char *short_path);
// The directory plat_program_dir gives (DOS-style); null: none.
void plat_test_set_program_dir(const char *dos_path);
#endif

#endif
