// The road of one installation, which every front takes: the setup log, the
// install directory tree, "uninstal.bat", then the files one by one. A front
// (the Installing page, a silent run, a benchmark) passes its part in as a
// ROAD_FRONT: what it shows, what it asks, when the user has had enough.
#ifndef SETUP_INSTALL_ROAD_H
#define SETUP_INSTALL_ROAD_H

#include <cstdint>

#include "setup/path_join.h"

// The destination as a front shows it: cut to fit this many bytes, as the
// Installing page has always shown it.
const int32_t SHOWN_PATH_SIZE = 500;

enum OVERWRITE_ANSWER { OVERWRITE_SKIP, OVERWRITE_REPLACE, OVERWRITE_ABORT };
// Another program holds the destination open: copy again (the user closed
// it, or a silent run waited), end the installation (the user's stop), or
// fail with ERR_FILE_IN_USE.
enum IN_USE_ANSWER { IN_USE_RETRY, IN_USE_ABORT, IN_USE_FAIL };

class ROAD_FRONT {
public:
    virtual ~ROAD_FRONT() {}
    // Once the log, the install tree and "uninstal.bat" are there, before
    // the first file: how many files there are.
    virtual void begin_files(int32_t total) = 0;
    // Before each file: its number (from 1), the number of files, the
    // percentage done with it, and its destination (cut to SHOWN_PATH_SIZE).
    virtual void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) = 0;
    // After show_file, before the file is installed: lets the front run (a
    // window's pending messages) and tells whether the user has since
    // confirmed a Cancel.
    virtual bool cancelled() = 0;
    // Another version of the file is at destination (as shown): keep it, replace
    // it, or end the installation.
    virtual OVERWRITE_ANSWER ask_overwrite(const char *destination) = 0;
    // The copy to destination (as shown) was refused because another program
    // holds the file open; attempt counts the refusals of this file, from 1.
    // A front that cannot ask fails at once.
    virtual IN_USE_ANSWER ask_in_use(const char *, int32_t) { return IN_USE_FAIL; }
};

enum ROAD_END {
    ROAD_DONE,      // every file installed or skipped
    ROAD_CANCELLED, // a confirmed Cancel, before the next file
    ROAD_ABORTED,   // OVERWRITE_ABORT or IN_USE_ABORT
    ROAD_FAILED     // see step and code
};

// The step that failed.
enum ROAD_STEP {
    STEP_LOG,     // create_log
    STEP_PREPARE, // prepare_install
    STEP_BATCH,   // write_uninstall_bat
    STEP_FILE     // install_file, or copy_setup_file after OVERWRITE_REPLACE
};

struct ROAD_RESULT {
    ROAD_END end;
    ROAD_STEP step;        // for ROAD_FAILED
    int32_t code;          // for ROAD_FAILED: err_code of the failure
    const char *file_name; // for STEP_FILE: the entry's name as in setup.ini (the job owns it); else null
    // The setup log's name relative to the Windows directory, as
    // "uninstal.bat" hands it to the uninstaller; empty without a log.
    char log_name[SETUP_PATH_SIZE];
};

#endif
