// The removal plan: from a setup log, in reverse log order, one planned
// action per MkDir, MkFile, MkReg and Earlier line with its reason; then its execution
// through the platform seam, each outcome recorded; last the log itself,
// deleted when nothing it names is left, else rewritten to name only what
// remains, so that running the uninstaller again finishes the job.
//
// The plan is a plain list: nothing is ever removed that is not the value
// of a complete, safe MkDir, MkFile or MkReg line of the log.
//
// The Apps & Features entry goes last, before the log: only when nothing is
// left that running the uninstaller again could still remove (something in
// use, access denied, a failure, the part the command window holds), since
// the entry is how the user runs it again. A shared file kept or a folder
// that holds the user's files is no reason: they stay whatever happens.
//
// An Earlier line comes before the MkFile line of the file that replaced
// the earlier version, so in reverse order our file goes first and the
// earlier version then takes its place again, attributes and times and
// all. When another installation's log names the same file, the file stays
// for it; of the two, the one that leaves last puts the earlier version
// back (they share the kept version, see SETUP_TYPE::keep_earlier).
#ifndef UNINSTALL_REMOVAL_PLAN_H
#define UNINSTALL_REMOVAL_PLAN_H

#include <cstdint>

#include "platform/platform.h"
#include "uninstall/entry_check.h"
#include "uninstall/exit_status.h"

enum PLAN_ACTION {
    PLAN_DELETE_FILE,       // an MkFile entry
    PLAN_REMOVE_DIR,        // an MkDir entry, removed only when empty
    PLAN_ASK_SHARED,        // a file in the Windows or system directory: may be another program's
    PLAN_HAND_OVER,         // such a file that another setup log names too: left to that installation
    PLAN_DEFER,             // held by the command interpreter that started us: a later pass removes it
    PLAN_SKIP_UNSAFE,       // fails the safety check (check says why)
    PLAN_SKIP_CUT,          // the log's last line, cut short
    PLAN_LOG_ITSELF,        // the log's own line: deleted or rewritten last
    PLAN_LOG_DIR,           // the log directory: removed when empty, else left without a word
    PLAN_LEAVE_UNINSTALLER, // the uninstaller beside the log, which every log shares
    PLAN_REMOVE_ENTRY,      // an MkReg entry: the Apps & Features entry, removed in finish()
    PLAN_RESTORE            // an Earlier entry: the earlier version back in its place
};

enum PLAN_OUTCOME {
    OUT_PENDING,
    OUT_REMOVED,
    OUT_MISSING, // already gone: counts as removed
    OUT_HANDED_OVER,
    OUT_DEFERRED,
    OUT_LEFT,        // the log directory or the uninstaller, left on purpose
    OUT_KEPT_SHARED, // the user (or silent mode) kept a shared file
    OUT_NOT_EMPTY,
    OUT_IN_USE,
    OUT_ACCESS_DENIED,
    OUT_NOT_A_FILE, // an MkFile entry that is a directory now
    OUT_NOT_A_DIR,  // an MkDir entry that is a file now
    OUT_FAILED,
    OUT_UNSAFE,
    OUT_CUT,
    OUT_RESTORED,    // the earlier version is back
    OUT_NOT_RESTORED // our file stayed where it belongs: the earlier version waits, kept
};

struct PLAN_ITEM {
    int32_t line; // index into the log's lines
    PLAN_ACTION action;
    ENTRY_CHECK check; // for PLAN_SKIP_UNSAFE
    PLAN_OUTCOME outcome;
    bool at_restart; // could not go now; scheduled for removal at restart
    // PLAN_HAND_OVER of an Earlier line, or of the MkDir line of our backup
    // area: another installation's log names that kept version (or one in
    // the area), which stays for it.
    bool kept_for_other;
    // PLAN_HAND_OVER of an MkFile line: the version that another
    // installation keeps of the file it replaced, which is ours and goes
    // with us; empty for none.
    char ours_kept_by_other[LOG_PATH_SIZE];
};

// True for outcomes that leave something the log must go on naming, and
// that make the exit status UNINSTALL_SOME_LEFT.
bool outcome_is_kept(PLAN_OUTCOME outcome);

enum SHARED_ANSWER { SHARED_KEEP, SHARED_REMOVE, SHARED_KEEP_ALL, SHARED_REMOVE_ALL };

// What the plan asks the user. A front shows boxes; silent mode answers
// with SILENT_ANSWERS.
class REMOVAL_QUESTIONS {
public:
    virtual ~REMOVAL_QUESTIONS() {}
    // Remove the application title and all of its components?
    virtual bool confirm_removal(const char *title) = 0;
    // Remove path, a file in the Windows or system directory?
    virtual SHARED_ANSWER shared_file(const char *path) = 0;
    // Before the plan's item number (from 1) of total is carried out: a
    // front that shows progress moves on. path is the item's line value.
    virtual void acting_on(int32_t, int32_t, const char *) {}
};

// The safe answers: yes to the removal, keep every shared file.
class SILENT_ANSWERS : public REMOVAL_QUESTIONS {
public:
    bool confirm_removal(const char *) override { return true; }
    SHARED_ANSWER shared_file(const char *) override { return SHARED_KEEP_ALL; }
};

// What the plan needs to know besides the log.
struct REMOVAL_CONTEXT {
    PROTECTED_DIRS dirs;
    // Started by the command interpreter of "uninstal.bat", which holds the
    // batch file and its current directory (start_dir) until we return.
    bool started_by_shell;
    char start_dir[LOG_PATH_SIZE];
};

// OPEN_NEWER_FORMAT: the log needs a key this uninstaller does not know
// (PARSED_LOG::unknown_need); removing what it understands would leave the
// rest wrong, so nothing is.
enum OPEN_RESULT {
    OPEN_OK,
    OPEN_MISSING,
    OPEN_IN_USE,
    OPEN_DENIED,
    OPEN_UNREADABLE,
    OPEN_TOO_LARGE,
    OPEN_NO_MEMORY,
    OPEN_NEWER_FORMAT
};

class REMOVAL_PLAN {
public:
    PARSED_LOG log;
    char log_path[LOG_PATH_SIZE];
    char log_dir[LOG_PATH_SIZE]; // without a trailing backslash
    intptr_t lock;               // -1 while the log is not held
    PLAN_ITEM *items;            // owned; in reverse log order
    int32_t count;
    bool log_deleted;
    bool log_rewritten;
    PLAT_RESULT log_problem; // PLAT_DONE, or why the log could be neither deleted nor rewritten
    // The lines before this one belong to an earlier run that a later run
    // went on with: an undo of that later run plans none of them, and the
    // log stays (rewritten) for them. 0 plans the whole log.
    int32_t first_line;

    REMOVAL_PLAN();
    ~REMOVAL_PLAN();
    REMOVAL_PLAN(const REMOVAL_PLAN &) = delete;
    REMOVAL_PLAN &operator=(const REMOVAL_PLAN &) = delete;

    // Takes hold of the log at path (a full path) so that no second
    // uninstaller works on it, and reads it. On failure nothing is held.
    OPEN_RESULT open(const char *path);
    // Plans every MkDir and MkFile line; reads the other logs beside this
    // one. False only when memory runs out.
    bool build(const REMOVAL_CONTEXT &context);
    // Carries the plan out, asking questions where it must. With
    // schedule_at_restart false, what is in use is only reported.
    void execute(REMOVAL_QUESTIONS &questions, bool schedule_at_restart = true);
    // The last step: removes the entry when it may go (see above), then
    // deletes the log when nothing it names is left, else rewrites it (a
    // temporary file, then a replace). Lets go of the log.
    void finish();
    // Lets go of the log without touching anything.
    void close();

    // The value of item i's line.
    const char *path_of(int32_t i) const { return log.lines[items[i].line].value; }
    int32_t count_outcome(PLAN_OUTCOME outcome) const;
    // UNINSTALL_DONE when everything the log named is gone (handed over or
    // deferred counts as gone); UNINSTALL_SOME_LEFT when something was kept,
    // skipped or could not go, or the log could be neither deleted nor
    // rewritten (log_problem).
    UNINSTALL_EXIT exit_status() const;

private:
    void plan_line(int32_t line, PLAN_ITEM &item, const REMOVAL_CONTEXT &context);
    void hand_over_shared(const REMOVAL_CONTEXT &context);
    void look_at_other_log(const PARSED_LOG &other, const REMOVAL_CONTEXT &context);
    bool restores(const char *path) const;
    void restore(PLAN_ITEM &item);
    void settle_hand_over(PLAN_ITEM &item);
    void remove_file(PLAN_ITEM &item, bool schedule_at_restart);
    void remove_dir(PLAN_ITEM &item, bool schedule_at_restart);
    void settle_deferred(PLAN_ITEM &item);
    bool only_deferred_inside(const char *dir) const;
    bool must_keep_log() const;
    bool rerun_could_remove() const;
    bool needless(int32_t line) const;
    void remove_entry(PLAN_ITEM &item);
    bool rewrite_log();
};

// The whole removal of one log: open it, plan, ask, remove, finish the log.
// Returns the exit status: UNINSTALL_NOTHING_DONE when the log could not be
// used (why says how; OPEN_NO_MEMORY also when the plan could not be made)
// or the user said No (why is then OPEN_OK), else exit_status().
UNINSTALL_EXIT run_removal(REMOVAL_PLAN &plan, const char *log_path, const REMOVAL_CONTEXT &context,
                           REMOVAL_QUESTIONS &questions, OPEN_RESULT &why, bool schedule_at_restart = true);

#endif
