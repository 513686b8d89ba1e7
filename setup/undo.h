// Undoing a setup that did not finish: a confirmed Cancel, Abort Setup, a
// failure, or a front that went away before the end. What this run made is
// removed through the uninstaller's own plan on this run's log, newest
// first, the Apps & Features entry with it, then the log and its folder
// when nothing is left; the shared uninstaller beside the logs stays.
#ifndef SETUP_UNDO_H
#define SETUP_UNDO_H

#include <cstdint>

#include "setup/setup.h"
#include "setup/setup_report.h"

// A file in use is tried again this often, with this pause before each try.
const int32_t UNDO_IN_USE_TRIES = 8;
const uint32_t UNDO_IN_USE_PAUSE_MS = 250;

// What a front shows while setup undoes; a silent one shows nothing.
class UNDO_WATCH {
public:
    virtual ~UNDO_WATCH() {}
    // Before the first step: how many there are (at least 1).
    virtual void undo_begins(int32_t) {}
    // Before step number (from 1) of total, which removes what (a path, or
    // the entry's key).
    virtual void undo_step(int32_t, int32_t, const char *) {}
    // After the last step, and after the box that names what stays: left
    // is how many things stay named in the log. Called by the session.
    virtual void undo_ended(int32_t) {}
};

// What became of the undo.
struct UNDO_RESULT {
    bool ran;       // false when this run made nothing a log names (no log)
    int32_t undone; // things removed
    int32_t left;   // things that stay, named in the log (in use, access denied, ...)
    // The first of those, for the box that tells the user; empty without one.
    char first_left[LOG_PATH_SIZE];
};

// An Apps & Features entry as it was before a run that went on with an
// earlier run's log wrote it again (its size, its date): the undo puts
// those values back.
const int MAX_SAVED_VALUES = 16;
struct ENTRY_BEFORE {
    bool saved; // the key was there and read whole
    char key[ENTRY_KEY_SIZE];
    int count;
    char names[MAX_SAVED_VALUES][64];
    uint32_t types[MAX_SAVED_VALUES];
    char data[MAX_SAVED_VALUES][ENTRY_COMMAND_SIZE]; // a string, or a number's 4 bytes
};
// Reads key's values into before; saved stays false when the key is not
// there, holds keys of its own, or more or longer values than it can keep.
void save_entry(const char *key, ENTRY_BEFORE &before);

// Undoes what job's run made, with job's log closed first. log_name is the
// run's log relative to the Windows directory (ROAD_RESULT::log_name; empty
// when the run made none). programs is the Programs folder of the shortcut
// (ending in a backslash), or null: the plan never removes it. Each step
// gets a report line ("undone PATH", or "left PATH: why"). A taken-over log
// keeps its earlier lines and what they name, and entry (may be null) its
// values as they were.
UNDO_RESULT undo_setup(SETUP_TYPE &job, const char *log_name, const char *programs, UNDO_WATCH &watch,
                       SETUP_REPORT &report, const ENTRY_BEFORE *entry = nullptr);

#endif
