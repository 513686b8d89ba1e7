// When the Installing page refreshes its file line, destination and bar.
// Plain C++ without Windows, so that it is tested natively as well.
//
// A name that stands for a millisecond cannot be read, and under Wine each
// refresh costs more than the copy of a small file; so the page shows a file
// when some time has passed since the last refresh, and always the first and
// the last file, and the file at hand before a question or an error box.
#ifndef WIZARD_PAGE_REFRESH_H
#define WIZARD_PAGE_REFRESH_H

#include <cstdint>

#include "setup/install_road.h"

// Long enough to spare the work, short enough that the page looks alive.
const uint32_t PAGE_REFRESH_MS = 30;

// One file as the page shows it.
struct SHOWN_FILE {
    int32_t number; // from 1; 0 before the first file
    int32_t total;
    int32_t percent;
    char destination[SHOWN_PATH_SIZE]; // cut to fit, always terminated
};

// Clock values are milliseconds of a counter that may wrap at 2^32
// (GetTickCount's).
class PAGE_REFRESH {
public:
    explicit PAGE_REFRESH(uint32_t interval_ms = PAGE_REFRESH_MS);

    // A file is about to be installed; it becomes latest() either way. True
    // when the page is to show it now: the first file, the last one, or
    // interval_ms since the last refresh.
    bool file_due(int32_t number, int32_t total, int32_t percent, const char *destination, uint32_t now);
    // Before a question or an error box: true when latest() is not on the
    // page yet. Either way it counts as shown from now on.
    bool catch_up(uint32_t now);
    const SHOWN_FILE &latest() const { return file; }

private:
    uint32_t interval;
    uint32_t last_refresh = 0;
    bool refreshed = false; // any file was shown
    bool behind = false;    // latest() is not on the page
    SHOWN_FILE file = {};
};

#endif
