// setup.exe with a package appended: the package is checked, extracted into
// a new private directory under the user's temporary directory, and the very
// same installation runs from there as from a setup directory. The directory
// goes at every end, the critical report's exit included.
#ifndef PACK_PACKAGE_SETUP_H
#define PACK_PACKAGE_SETUP_H

#include <cstddef>

#include "pack/package.h"
#include "setup/session.h"

// What a front shows of the package besides the session's steps.
class PACKAGE_FRONT : public PACKAGE_PROGRESS {
public:
    // The package cannot be installed from: why says what was found. The
    // wizard shows the damaged-package box; a silent run shows nothing.
    virtual void damaged(const char *why) = 0;
    // The check and the extraction have ended, either way.
    virtual void unpacked() = 0;
};

// /S: nothing shown, ever.
class SILENT_PACKAGE_FRONT : public PACKAGE_FRONT {
public:
    void advance(bool, uint64_t, uint64_t) override {}
    void damaged(const char *) override {}
    void unpacked() override {}
};

// The box's text for a damaged package, with why, into out (size bytes).
void damaged_package_text(const char *why, char *out, size_t size);

// Runs the installation for the program at program_path (setup.exe's own
// file): without a package exactly as run_setup does, with one from its
// extracted copy. A refused command line and /? read nothing, so no package
// either. A damaged package ends with SETUP_EXIT_DAMAGED (0 without
// arguments, as every end then), a report line when /LOG= names one, and
// nothing made outside the temporary directory; a package that cannot be
// extracted (a full disk) as a failed installation, after front's "Setup
// Error" box.
int run_setup_from(const char *program_path, SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args,
                   SETUP_FRONT &front, PACKAGE_FRONT &package_front, SETUP_REPORT &report);

// Removes the directory at path with everything below it, read-only files
// included. False when something stays.
bool remove_tree(const char *path);

#endif
