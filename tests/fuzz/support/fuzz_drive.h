// The scratch drive of a fuzz target: a private drive root for the POSIX
// substitute, laid out like a small Windows machine, and the checks' way of
// reporting a finding.
#ifndef TESTS_FUZZ_SUPPORT_FUZZ_DRIVE_H
#define TESTS_FUZZ_SUPPORT_FUZZ_DRIVE_H

#include <map>
#include <string>

namespace fuzzdrive {

// The layout every input starts from (DOS-style, no trailing backslash).
extern const char WINDOWS_DIR[];  // C:\windows
extern const char SYSTEM_DIR[];   // C:\windows\system32
extern const char PROGRAMS_DIR[]; // C:\windows\Start Menu\Programs
extern const char SETUP_DIR[];    // C:\setup, the current directory

// Once per process: makes a private drive root (drives C: and D:) in
// $FUZZ_SCRATCH, else /dev/shm, $TMPDIR or /tmp; points the substitute and
// its directory queries at it, lays out the tree above, makes SETUP_DIR the
// current directory, and watches every path the substitute maps: one that
// would leave the drive root ends the run as a finding before it is used.
// The root goes when the process exits normally.
void init();
// Empties the drives and lays the tree out again; the current directory and
// the faults of the substitute are reset too.
void reset();
// The drive root's host path (no symbolic links in it).
const std::string &root();

// Writes bytes into the file at a DOS-style path (binary, no directories made).
bool put(const std::string &dos_path, const std::string &bytes);
// Creates the directories along a DOS-style path (the last one included).
void make_dirs(const std::string &dos_path);

// One entry of the drive: a directory, or a file and its bytes.
struct Entry {
    bool dir;
    std::string bytes;
};
// Everything on the drives, by DOS-style path ("C:\windows\win.ini").
std::map<std::string, Entry> snapshot();

// Reports a finding and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace fuzzdrive

// A check of a fuzz target: a false condition is a finding.
#define FUZZ_CHECK(condition, ...)                                                                                     \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzzdrive::fail(__VA_ARGS__);                                                                            \
    } while (0)

#endif
