// The report of /LOG=FILE: plain text, one line per step, each written and
// flushed as it happens, so that a caller that finds the process gone reads
// how far it got. A line is a word that says what happened, a blank, and
// the rest:
//     loaded setup.ini: Notes, 3 files
//     created C:\App\a.txt
//     skipped C:\App\b.txt: error 910: Another version of one of the setup files was found!
//     exit 0: installed
#ifndef SETUP_SETUP_REPORT_H
#define SETUP_SETUP_REPORT_H

#include <cstdint>
#include <cstdio>

#include "setup/install_road.h"
#include "setup/setup.h"

// Longest report line; a longer one is cut.
const int REPORT_LINE_SIZE = 1024;

// The first word of a line: every front writes the same words for the same
// events.
enum REPORT_WORD {
    REPORT_SETUP,       // the command line
    REPORT_LOADED,      // setup.ini read
    REPORT_LOG,         // the setup log's path
    REPORT_UNINSTALLER, // the shared uninstaller placed, replaced or kept
    REPORT_FILES,       // how many files, and where
    REPORT_CREATED,     // a file installed
    REPORT_KEPT,        // a file already there with the same bytes
    REPORT_REPLACED,    // another version replaced
    REPORT_SKIPPED,     // another version kept
    REPORT_ABORTED,     // the file whose question ended the installation
    REPORT_CANCELLED,   // the user stopped the setup
    REPORT_FAILED,      // a step that failed, with its error
    REPORT_REFUSED,     // setup.ini or the install directory refused
    REPORT_SHORTCUT,    // where the shortcut was made, or why none
    REPORT_ENTRY,       // the Apps & Features entry made, or why none
    REPORT_BOX,         // a box the wizard showed
    REPORT_DAMAGED,     // the package appended to setup.exe, refused
    REPORT_IN_USE,      // a destination another program holds open, refused
    REPORT_UNDONE,      // a step of the undo of a setup that did not finish
    REPORT_LEFT,        // what that undo could not remove, and why
    REPORT_EXIT         // the exit status
};

// The word as the report writes it.
const char *report_word(REPORT_WORD word);

class SETUP_REPORT {
public:
    SETUP_REPORT() : file(nullptr) {}
    ~SETUP_REPORT() { close(); }
    SETUP_REPORT(const SETUP_REPORT &) = delete;
    SETUP_REPORT &operator=(const SETUP_REPORT &) = delete;

    // Creates path (emptied). False, with nothing written, when it cannot be
    // opened, names a device, or is a file that setup reads (is_setup_input).
    bool open(const char *path);
    void close();
    bool is_open() const { return file != nullptr; }
    // Writes "word text" as one line and flushes it; nothing without a file.
    void line(REPORT_WORD word, const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    // "word what: error CODE: the error table's text".
    void error_line(REPORT_WORD word, const char *what, int32_t code);
    // "exit N: what it means".
    void exit_line(int status);
    // "refused setup.ini[ at the line '...']: error CODE: text", for a
    // description that load_ini refused with code.
    void description_refused(const SETUP_TYPE &job, int32_t code);

private:
    FILE *file;
};

// Stands between the road and another front, and reports each file once
// its outcome is known: created, kept (already there with the same bytes),
// replaced or skipped (another version), or failed (finish).
class REPORT_FRONT : public ROAD_FRONT {
public:
    REPORT_FRONT(const SETUP_TYPE &installing, ROAD_FRONT &inner_front, SETUP_REPORT &to)
        : job(installing), inner(inner_front), report(to)
    {
    }
    void begin_files(int32_t total) override;
    void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) override;
    bool cancelled() override;
    OVERWRITE_ANSWER ask_overwrite(const char *destination) override;
    IN_USE_ANSWER ask_in_use(const char *destination, int32_t attempt) override;
    // After the road: the last file's line, and the failure or the stop.
    void finish(const ROAD_RESULT &road);

private:
    void settle_pending();

    const SETUP_TYPE &job; // for the log's and the install directory's paths
    ROAD_FRONT &inner;
    SETUP_REPORT &report;
    char pending[SHOWN_PATH_SIZE] = "";   // the file at hand, until its outcome is written
    REPORT_WORD outcome = REPORT_CREATED; // its line's word: created, kept, replaced, aborted
};

#endif
