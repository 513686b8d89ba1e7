// The state of a drive as a user would miss it: every file and folder,
// with each file's size, a hash of its bytes, its attributes and its
// modification time. Taken before a setup and again after it has been
// undone or uninstalled, the two must be equal. Portable: read through the
// seam, so the same check runs natively and under Wine.
#ifndef TESTS_UNIT_SUPPORT_DRIVE_STATE_H
#define TESTS_UNIT_SUPPORT_DRIVE_STATE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace drivestate {

struct Item {
    bool dir;
    int64_t size;        // files only
    uint64_t hash;       // of the bytes; files only
    uint32_t attributes; // the PLAT_ATTR_ bits the directory search reports
    int32_t time_write;  // files only: a folder's time is that of the last change inside it
};
// By DOS-style path without a trailing backslash ("C:\app\a.txt").
using Drive = std::map<std::string, Item>;

// Everything below dir (DOS-style, no trailing backslash), dir left out.
// Opens each file through the seam: take it when no fault is armed.
Drive snapshot(const std::string &dir);

// Empty when after is before, else the differences (the first few named):
// an entry gone, one made, a file whose bytes, size, attributes or time
// changed, a folder that became a file or the other way round. Paths in
// ignore (compared as Windows does) are left out, and so are at most
// in_flight entries made (none changed or gone), with the folders made
// above them: the item a run had made but not yet logged when it was
// stopped, which keeps its folders from going.
std::string differences(const Drive &before, const Drive &after, const std::vector<std::string> &ignore = {},
                        size_t in_flight = 0);

} // namespace drivestate

#endif
