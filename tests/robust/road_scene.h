// The installation that the kill and full-disk sweeps run again and again:
// ten files (one met in another version, which the user skips, one met the
// same), a shortcut and the entry in Apps & Features, on the scratch drive of tests/fuzz/support, and the
// check of what a run left.
#ifndef TESTS_ROBUST_ROAD_SCENE_H
#define TESTS_ROBUST_ROAD_SCENE_H

#include <cstdint>
#include <string>

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
// Empty when an undone run left the drive as before (but for the shared
// uninstaller and its folder) and no entry in Apps & Features.
std::string check_undone(const logtruth::Tree &before, const logtruth::Tree &after);

} // namespace scene

#endif
