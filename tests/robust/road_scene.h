// The installation that the kill and full-disk sweeps run again and again:
// twelve files (two met in another version: the user keeps one and
// replaces the other, a read-only hidden one with an old time), a shortcut
// and the entry in Apps & Features, on the scratch drive of
// tests/fuzz/support, and the checks of what a run left and of what the
// uninstaller then leaves.
#ifndef TESTS_ROBUST_ROAD_SCENE_H
#define TESTS_ROBUST_ROAD_SCENE_H

#include <cstdint>
#include <string>

#include "tests/unit/support/drive_snapshot.h"
#include "tests/unit/support/log_truth.h"

namespace scene {

// The drive emptied and laid out anew with the description and its sources.
// bulk bytes are added to the data files, so that copies take many writes.
void lay_out(size_t bulk);
// Everything on drive C:.
logtruth::Tree snapshot();
// The installation as setup.exe runs it; false with *code set when it failed.
// With undo, a run that failed is undone right away, as the session undoes
// it (on the same full disk).
bool install(int32_t *code, bool undo = false);
// Empty when the log is whole and truthful, the uninstaller's reader takes
// it, it names any entry in Apps & Features there is, the files the user kept are unchanged, and every installed file
// that the log names (after a successful run: every one) holds its source's bytes.
std::string check(const logtruth::Tree &before, const logtruth::Tree &after, bool succeeded);
// Everything on drive C:, as the uninstall check compares it.
drive::Snapshot drive();
// Runs the uninstaller's plan on what a run left, as a user who says Yes
// to every question; empty when the drive is then as it was before setup
// (apart from the shared uninstaller and its folder, and in_flight entries
// made but not yet logged) and no entry is left in Apps & Features.
std::string uninstall_check(const drive::Snapshot &before, size_t in_flight);
// Empty when an undone run left the drive as before (but for the shared
// uninstaller and its folder) and no entry in Apps & Features.
std::string check_undone(const drive::Snapshot &before);

} // namespace scene

#endif
