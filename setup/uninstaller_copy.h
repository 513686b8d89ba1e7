// The one uninstaller beside the setup logs, which every log on the machine
// shares: a setup puts its own there only when it is newer than the one
// there, so that an application packaged with an older release never leaves
// a newer application's log to an uninstaller that does not know its lines.
#ifndef SETUP_UNINSTALLER_COPY_H
#define SETUP_UNINSTALLER_COPY_H

#include <cstddef>
#include <cstdint>

#include "platform/file_version.h"
#include "setup/log_format.h"

enum UNINSTALLER_CHOICE {
    UNINSTALLER_NOT_BROUGHT, // setup has none beside it: nothing to do
    UNINSTALLER_PLACED,      // none was there
    UNINSTALLER_REPLACED,    // the one there was older
    UNINSTALLER_NOT_OURS,    // the one there had no version information (or none that could be read): replaced
    UNINSTALLER_KEPT_SAME,   // the one there has our version
    UNINSTALLER_KEPT_NEWER   // ours is not newer: older, or without version information
};

// What setup found and did with the uninstaller.
struct UNINSTALLER_PLACING {
    UNINSTALLER_CHOICE choice = UNINSTALLER_NOT_BROUGHT;
    FILE_VERSION_READ ours_read = VERSION_UNREADABLE;
    FILE_VERSION_READ there_read = VERSION_UNREADABLE;
    uint64_t ours = 0;             // for VERSION_FOUND
    uint64_t there = 0;            // for VERSION_FOUND
    char path[LOG_PATH_SIZE] = ""; // the copy beside the logs
};

// Reads the versions of ours (the uninstaller beside setup) and there (the
// copy beside the logs) into placing, with the choice; copies nothing.
void weigh_uninstaller(const char *ours, const char *there, UNINSTALLER_PLACING &placing);
// True for the choices that copy ours over whatever is there.
bool uninstaller_copied(UNINSTALLER_CHOICE choice);
// One line on the choice into out (size bytes, always terminated), such as
// "kept C:\WINDOWS\UnInstal\uninstal.exe 2.0.0.0: this setup's (1.0.0.0) is not newer".
void describe_uninstaller(const UNINSTALLER_PLACING &placing, char *out, size_t size);

#endif
