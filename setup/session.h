// One installation, the same for every front: the command line, setup.ini,
// the install directory, the road, the shortcut, the closed setup log and
// the exit status, each step in the /LOG= report. A front (the wizard, the
// silent run) shows and asks through SETUP_FRONT; its steps return answers,
// and only the program's entry ends the process.
#ifndef SETUP_SESSION_H
#define SETUP_SESSION_H

#include <cstdint>

#include "setup/install_road.h"
#include "setup/setup.h"
#include "setup/setup_args.h"
#include "setup/setup_exit.h"
#include "setup/setup_report.h"
#include "setup/undo.h"

// How a step of the front ended.
enum FRONT_ANSWER {
    FRONT_GO_ON,     // on to the next step
    FRONT_CANCELLED, // the user confirmed a Cancel or closed the wizard: reported as such
    FRONT_ENDED      // the front cannot go on (a window that cannot be made) and has said so
};

enum SHORTCUT_ANSWER {
    SHORTCUT_MAKE,        // in the folder of the choice
    SHORTCUT_SKIP,        // none: the user's choice
    SHORTCUT_NO_PROGRAMS, // none: the Programs folder could not be located (the front has said so)
    SHORTCUT_ENDED        // as FRONT_ENDED
};

// Where the shortcut goes: below the Programs folder.
struct SHORTCUT_CHOICE {
    char programs[SETUP_PATH_SIZE]; // the Programs folder, ending in a backslash
    char below[SETUP_PATH_SIZE];    // the folder below it; the session puts the offered one here
};

// What a front does besides the road's part (ROAD_FRONT). The session calls
// the steps in this order and stops at the first that does not go on; once
// the road has begun, such a stop, or a failure, is followed by the undo of
// what the run made (UNDO_WATCH), before the session ends.
class SETUP_FRONT : public ROAD_FRONT, public UNDO_WATCH {
public:
    // The command line cannot be used (problem says why) or /? was given
    // (problem null). Nothing has been read.
    virtual void show_usage(const char *problem) = 0;
    // setup.ini is read into job: the front comes up and greets the user.
    virtual FRONT_ANSWER welcome(const SETUP_TYPE &job) = 0;
    // Offers job's install directory and sets the chosen one on job; the
    // session refuses one that is not a full path.
    virtual FRONT_ANSWER choose_directory(SETUP_TYPE &job) = 0;
    // Around the road: job is about to install; the road has ended (after
    // show_error for a failure). road_ended answers whether the user has
    // left meanwhile.
    virtual FRONT_ANSWER road_begins(const SETUP_TYPE &job) = 0;
    virtual FRONT_ANSWER road_ended(const ROAD_RESULT &road) = 0;
    // Fills choice.programs and may change choice.below.
    virtual SHORTCUT_ANSWER choose_shortcut_folder(SHORTCUT_CHOICE &choice) = 0;
    // Everything is installed and the log closed.
    virtual FRONT_ANSWER complete(const SETUP_TYPE &job) = 0;
    // A failure that ends the setup: detail names the step, code says why.
    virtual void show_error(const char *detail, int32_t code) = 0;
    // Something the user should know that does not stop the setup (the
    // entry in Apps & Features could not be made). Shown by the wizard only.
    virtual void show_warning(const char *) {}
};

// How long a silent run waits for a file in use: tries, and the pause
// after each refusal.
const int32_t SILENT_IN_USE_TRIES = 10;
const uint32_t SILENT_IN_USE_PAUSE_MS = 300;

// setup.exe /S: no window and no question. The answers of a person who
// presses every default button: never cancels, keeps a file of another
// size as the warning's default button does (or replaces it, for /REPLACE:
// an upgrade), takes the install directory and the shortcut folder offered.
class SILENT_FRONT : public SETUP_FRONT {
public:
    // programs: the Programs folder, ending in a backslash; null when there is
    // none (no shortcut is made). The caller keeps it alive.
    explicit SILENT_FRONT(const char *programs = nullptr, bool replace_files = false)
        : programs_folder(programs), replace(replace_files)
    {
    }

    void begin_files(int32_t) override {}
    void show_file(int32_t, int32_t, int32_t, const char *) override {}
    bool cancelled() override { return false; }
    OVERWRITE_ANSWER ask_overwrite(const char *) override { return replace ? OVERWRITE_REPLACE : OVERWRITE_SKIP; }
    // Waits a moment and tries again, SILENT_IN_USE_TRIES times in all
    // (a few seconds), then fails.
    IN_USE_ANSWER ask_in_use(const char *, int32_t attempt) override;

    void show_usage(const char *) override {}
    FRONT_ANSWER welcome(const SETUP_TYPE &) override { return FRONT_GO_ON; }
    FRONT_ANSWER choose_directory(SETUP_TYPE &) override { return FRONT_GO_ON; }
    FRONT_ANSWER road_begins(const SETUP_TYPE &) override { return FRONT_GO_ON; }
    FRONT_ANSWER road_ended(const ROAD_RESULT &) override { return FRONT_GO_ON; }
    SHORTCUT_ANSWER choose_shortcut_folder(SHORTCUT_CHOICE &choice) override;
    FRONT_ANSWER complete(const SETUP_TYPE &) override { return FRONT_GO_ON; }
    void show_error(const char *, int32_t) override {}

private:
    const char *programs_folder;
    bool replace;
};

// Installs what setup.ini in the current directory describes, into job:
// /D= as the install directory, the shortcut unless /NOSHORTCUT. args is
// command_line as parse_setup_args read it; report is opened here for
// /LOG= and closed at the end. Returns the status to end the program with:
// a SETUP_EXIT (BAD_ARGS for a refused line, /?, or a report that cannot be
// created, before anything is read), or 0 for an empty command line.
int run_setup(SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args, SETUP_FRONT &front,
              SETUP_REPORT &report);

#endif
