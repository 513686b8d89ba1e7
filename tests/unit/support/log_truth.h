// Whether a setup log tells the truth about the disk it was written on: the
// check that the fault sweeps, the kill sweep and the full-disk sweep make
// after each run. Portable: the tree is read through the seam.
#ifndef TESTS_UNIT_SUPPORT_LOG_TRUTH_H
#define TESTS_UNIT_SUPPORT_LOG_TRUTH_H

#include <map>
#include <string>

#include "uninstall/entry_check.h"

namespace logtruth {

// One entry of a tree: a directory, or a file and its bytes.
struct Entry {
    bool dir;
    std::string bytes;
};
// By DOS-style path without a trailing backslash ("C:\app\a.txt").
using Tree = std::map<std::string, Entry>;

// Everything below the DOS-style directory dir (no trailing backslash), the
// directory itself left out. Opens each file through the seam: take it
// when no fault is armed.
Tree snapshot(const std::string &dir);

// What a run left, measured against the tree before it: empty when the log
// at log_path is whole and truthful, else what is wrong. Whole: it ends in a
// line end, holds no zero byte, and the uninstaller's reader takes it.
// Truthful: each MkDir and MkFile line names an entry of that kind that is
// there and that the uninstaller would act on (dirs says which folders it
// guards); every entry the run made or changed is named (a kept earlier
// version by its Earlier line), apart from the
// uninstaller copy beside the log, the log itself while it names nothing
// yet, and at most in_flight others (the item at hand when the run
// stopped). Files in keep must be as they were before. Without a log at
// log_path, nothing but in_flight entries may have been made.
std::string check(const std::string &log_path, const Tree &before, const Tree &after, size_t in_flight,
                  const PROTECTED_DIRS &dirs, const Tree &keep = Tree());

} // namespace logtruth

#endif
