#include "uninstall/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

const char CONFIRM_FORMAT[] = "Do you really wish to remove the %s application and all of its components?";

const char USAGE_TEXT[] =
    "Removes an application that setup.exe installed, as its setup log records it.\n\n"
    "uninstal.exe [/S] LOG\n\n"
    "LOG\tthe setup log: a name like UnInstal\\Foo.log, taken relative to the Windows directory, or a full "
    "path; quotes around it are allowed\n"
    "/S\tsilent: no questions and no messages; files that other programs may share are kept\n\n"
    "Exit status: 0 when everything is removed, 1 when something was kept or could not be removed, 2 when "
    "nothing was removed.";

namespace {

// Appends to a fixed buffer; whatever does not fit is dropped.
struct TEXT_OUT {
    char *buf;
    size_t size;
    size_t len;

    void add(const char *format, ...)
#if defined(__GNUC__) && !defined(_WIN32)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        if (len + 1 >= size)
            return;
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(buf + len, size - len, format, args);
        va_end(args);
        if (n > 0)
            len = (size_t)n < size - len ? len + (size_t)n : size - 1;
    }
};

} // namespace

const char *check_text(ENTRY_CHECK check)
{
    switch (check) {
    case ENTRY_NOT_ABSOLUTE: return "no full path";
    case ENTRY_TOO_LONG: return "too long";
    case ENTRY_DOT_PART: return "\".\" or \"..\"";
    case ENTRY_WILDCARD: return "a wildcard";
    case ENTRY_BAD_NAME: return "no valid path";
    case ENTRY_DRIVE_ROOT: return "a drive's root";
    case ENTRY_WINDOWS_DIR: return "the Windows directory";
    case ENTRY_SYSTEM_DIR: return "the system directory";
    case ENTRY_PROGRAMS_DIR: return "the Programs folder";
    case ENTRY_LINK: return "a junction or symbolic link";
    case ENTRY_KEY_NOT_OURS: return "the entry of another installation";
    case ENTRY_KEY_HAS_SUBKEYS: return "an entry with keys below it";
    case ENTRY_BACKUP_ELSEWHERE: return "an earlier version kept outside the setup logs' folder";
    case ENTRY_BESIDE_LOGS: return "a file in the setup logs' folder";
    default: return "safe";
    }
}

void outcome_text(const PLAN_ITEM &item, char *out, size_t size)
{
    TEXT_OUT text = {out, size, 0};
    if (size)
        out[0] = '\0';
    switch (item.outcome) {
    case OUT_KEPT_SHARED: text.add("shared, kept"); break;
    case OUT_NOT_EMPTY: text.add("not empty"); break;
    case OUT_IN_USE: text.add("in use"); break;
    case OUT_ACCESS_DENIED: text.add("access denied"); break;
    case OUT_NOT_A_FILE: text.add("a folder, not a file"); break;
    case OUT_NOT_A_DIR: text.add("a file, not a folder"); break;
    case OUT_FAILED: text.add("could not be removed"); break;
    case OUT_UNSAFE: text.add("skipped as unsafe: %s", check_text(item.check)); break;
    case OUT_CUT: text.add("skipped: the log's last line, cut short"); break;
    case OUT_HANDED_OVER: text.add("another installation uses it"); break;
    case OUT_DEFERRED: text.add("in use by the command window"); break;
    case OUT_RESTORED: text.add("earlier version put back"); break;
    case OUT_NOT_RESTORED: text.add("earlier version kept until this file can go"); break;
    default: text.add("removed"); break;
    }
    if (item.at_restart)
        text.add(", removed at the next restart");
}

// One list of the closing message: the items picked by wanted, up to the limit.
static void add_list(TEXT_OUT &text, const REMOVAL_PLAN &plan, const char *heading, bool (*wanted)(PLAN_OUTCOME),
                     bool with_reason)
{
    int32_t shown = 0, total = 0;
    for (int32_t i = 0; i < plan.count; ++i) {
        if (!wanted(plan.items[i].outcome))
            continue;
        if (++total == 1 && heading[0])
            text.add("\n\n%s", heading);
        if (shown == MESSAGE_LIST_LIMIT)
            continue;
        ++shown;
        const char *path = plan.log.lines[plan.items[i].line].text;
        // An unsafe or cut line is shown whole: its "path" may be no path.
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        if (plan.items[i].outcome != OUT_UNSAFE && plan.items[i].outcome != OUT_CUT)
            path = plan.path_of(i);
        // An earlier version is shown by the place it belongs to.
        if (plan.log.lines[plan.items[i].line].key == KEY_EARLIER &&
            split_earlier(plan.path_of(i), destination, backup))
            path = destination;
        text.add("\n     %s", path);
        if (with_reason) {
            char reason[96];
            outcome_text(plan.items[i], reason, sizeof reason);
            text.add("  (%s)", reason);
        }
    }
    if (total > shown)
        text.add("\n     ... and %d more", (int)(total - shown));
}

static bool is_handed_over(PLAN_OUTCOME outcome) { return outcome == OUT_HANDED_OVER; }
static bool is_deferred(PLAN_OUTCOME outcome) { return outcome == OUT_DEFERRED; }
static bool is_restored(PLAN_OUTCOME outcome) { return outcome == OUT_RESTORED; }

static const char *problem_text(PLAT_RESULT problem)
{
    switch (problem) {
    case PLAT_IN_USE: return "it is in use";
    case PLAT_ACCESS_DENIED: return "access denied";
    default: return "it could not be written";
    }
}

void closing_message(const REMOVAL_PLAN &plan, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    TEXT_OUT text = {out, size, 0};
    out[0] = '\0';
    const char *title = plan.log.title();
    bool kept = false;
    for (int32_t i = 0; i < plan.count; ++i)
        kept = kept || outcome_is_kept(plan.items[i].outcome);
    if (!kept) {
        text.add("The %s application has been removed from your computer.", title);
    } else {
        text.add("The %s application has been removed, except for these items:", title);
        add_list(text, plan, "", outcome_is_kept, true);
    }
    add_list(text, plan, "Still in use by the command window, and removed as soon as it closes:", is_deferred, false);
    add_list(text, plan, "Kept, because another installation uses them:", is_handed_over, false);
    add_list(text, plan, "Put back as they were before the setup:", is_restored, false);
    if (plan.log_problem != PLAT_DONE)
        text.add("\n\nThe setup log %s could not be %s: %s.", plan.log_path, kept ? "updated" : "deleted",
                 problem_text(plan.log_problem));
    else if (kept)
        text.add("\n\nThe setup log %s now names only what remains: run the uninstaller again to remove it later.",
                 plan.log_path);
}

void open_error_message(const char *path, OPEN_RESULT why, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    const char *reason = "it cannot be read";
    switch (why) {
    case OPEN_MISSING: reason = "it does not exist"; break;
    case OPEN_IN_USE: reason = "another uninstaller is working on it"; break;
    case OPEN_DENIED: reason = "access is denied"; break;
    case OPEN_TOO_LARGE: reason = "it is too large to be a setup log"; break;
    case OPEN_NO_MEMORY: reason = "there is not enough memory"; break;
    default: break;
    }
    TEXT_OUT text = {out, size, 0};
    out[0] = '\0';
    if (why == OPEN_NEWER_FORMAT)
        text.add("This setup log was written by a newer setup; use the uninstaller that came with it.\n\n     "
                 "%s\n\nNothing has been removed.",
                 path ? path : "");
    else
        text.add("The setup log\n\n     %s\n\ncould not be opened: %s.\n\nNothing has been removed.", path ? path : "",
                 reason);
}

void args_error_message(ARGS_PROBLEM problem, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    const char *what = "";
    switch (problem) {
    case ARGS_NO_LOG: what = "No setup log was named."; break;
    case ARGS_UNKNOWN_OPTION: what = "Unknown option."; break;
    case ARGS_BAD_QUOTES: what = "The setup log's name has unmatched quotes."; break;
    case ARGS_TOO_LONG: what = "The setup log's name is too long."; break;
    case ARGS_DEVICE: what = "The setup log's name is that of a device."; break;
    default: break;
    }
    TEXT_OUT text = {out, size, 0};
    out[0] = '\0';
    text.add("%s%s%s", what, what[0] ? "\n\n" : "", USAGE_TEXT);
}
