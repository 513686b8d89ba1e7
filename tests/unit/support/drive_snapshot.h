// The drive as a user would compare it before and after a setup that was
// undone: every folder and file below a directory, with its size, a hash of
// its bytes, its attributes and the time it was last written, and the
// Apps & Features entries a test names. Portable: read through the seam.
#ifndef TESTS_UNIT_SUPPORT_DRIVE_SNAPSHOT_H
#define TESTS_UNIT_SUPPORT_DRIVE_SNAPSHOT_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace drive {

struct Item {
    bool dir;
    int64_t size;
    uint64_t hash; // FNV-1a of the bytes
    uint32_t attributes;
    int64_t written; // last write, in the file system's own unit
};

struct Snapshot {
    std::map<std::string, Item> items;          // by DOS-style path, below the directory taken
    std::map<std::string, std::string> entries; // key below PLAT_UNINSTALL_ROOT: its values, or "<none>"
};

// Everything below dir (DOS-style, no trailing backslash), and the entries
// keys (names directly below the Uninstall key, as the seam takes them).
// Take it with no fault armed.
Snapshot take(const std::string &dir, const std::vector<std::string> &keys = {});

// What differs, one line per path or key; empty when the two are the same.
// A path in ignored is left out (the shared uninstaller and its folder;
// the paths must be named one by one, so that nothing else in such a
// folder goes unseen). A folder's time is not compared: Windows moves it
// whenever something is added to the folder or removed from it. At most
// in_flight paths left behind are allowed, with the folders made above
// them, when nothing else differs: what a run had made but not yet logged
// when it was killed, which keeps its folders from going.
std::string compare(const Snapshot &before, const Snapshot &after, const std::vector<std::string> &ignored = {},
                    size_t in_flight = 0);

} // namespace drive

#endif
