// setup.exe /S: the installation road with the answers of the default
// buttons, no window at all, and an exit status that says what happened.
// Plain C++, so that it runs natively in the unit tests as well.
#ifndef WIZARD_SILENT_SETUP_H
#define WIZARD_SILENT_SETUP_H

#include "setup/setup.h"
#include "wizard/setup_args.h"
#include "wizard/setup_report.h"

// Reads setup.ini from the current directory into job, takes /D= as the
// install directory (refused unless it is a full path, as Select Directory
// refuses one), installs, and makes the shortcut that Create Shortcut offers
// by default below programs (the Programs folder, ending in a backslash;
// null: it has none, and no shortcut is made) unless /NOSHORTCUT. Every step
// goes into report, which is opened here for /LOG=. Returns a SETUP_EXIT:
// BAD_ARGS for a refused line, /?, or a report that cannot be created,
// before anything is read.
int silent_setup(SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args, const char *programs,
                 SETUP_REPORT &report);

#endif
