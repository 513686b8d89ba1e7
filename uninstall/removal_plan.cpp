#include "uninstall/removal_plan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/fileutil.h"
#include "platform/dirsearch.h"
#include "platform/path_text.h"

bool outcome_is_kept(PLAN_OUTCOME outcome)
{
    switch (outcome) {
    case OUT_KEPT_SHARED:
    case OUT_NOT_EMPTY:
    case OUT_IN_USE:
    case OUT_ACCESS_DENIED:
    case OUT_NOT_A_FILE:
    case OUT_NOT_A_DIR:
    case OUT_FAILED:
    case OUT_UNSAFE:
    case OUT_CUT:
    case OUT_NOT_RESTORED: return true;
    default: return false;
    }
}

REMOVAL_PLAN::REMOVAL_PLAN()
    : log_path{}, log_dir{}, lock(-1), items(nullptr), count(0), log_deleted(false), log_rewritten(false),
      log_problem(PLAT_DONE), first_line(0)
{
}

REMOVAL_PLAN::~REMOVAL_PLAN()
{
    close();
    std::free(items);
}

OPEN_RESULT REMOVAL_PLAN::open(const char *path)
{
    close();
    log_path[0] = '\0';
    if (!join_path(log_path, sizeof log_path, path))
        return OPEN_MISSING;
    join_path(log_dir, sizeof log_dir, path);
    char *name = const_cast<char *>(path_file_name(log_dir));
    if (name > log_dir)
        name[-1] = '\0';
    else
        log_dir[0] = '\0';

    PLAT_RESULT why;
    lock = plat_lock_file(log_path, &why);
    if (lock == -1)
        return why == PLAT_MISSING         ? OPEN_MISSING
               : why == PLAT_IN_USE        ? OPEN_IN_USE
               : why == PLAT_ACCESS_DENIED ? OPEN_DENIED
                                           : OPEN_UNREADABLE;
    LOG_LOAD loaded = log.load(log_path);
    if (loaded == LOAD_OK && !log.unknown_need())
        return OPEN_OK;
    close();
    if (loaded == LOAD_OK)
        return OPEN_NEWER_FORMAT;
    return loaded == LOAD_TOO_LARGE ? OPEN_TOO_LARGE : loaded == LOAD_NO_MEMORY ? OPEN_NO_MEMORY : OPEN_UNREADABLE;
}

void REMOVAL_PLAN::close()
{
    plat_unlock_file(lock);
    lock = -1;
}

void REMOVAL_PLAN::plan_line(int32_t index, PLAN_ITEM &item, const REMOVAL_CONTEXT &context)
{
    const LOG_LINE &line = log.lines[index];
    item.line = index;
    item.check = ENTRY_SAFE;
    item.outcome = OUT_PENDING;
    item.at_restart = false;
    item.kept_for_other = false;
    item.ours_kept_by_other[0] = '\0';
    if (line.cut) {
        item.action = PLAN_SKIP_CUT;
        return;
    }
    if (line.key == KEY_MKREG) {
        item.check = line.has_nul ? ENTRY_BAD_NAME : check_entry_key(line.value);
        item.action = item.check == ENTRY_SAFE ? PLAN_REMOVE_ENTRY : PLAN_SKIP_UNSAFE;
        return;
    }
    if (line.key == KEY_EARLIER) {
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        item.check =
            line.has_nul ? ENTRY_BAD_NAME : check_earlier(line.value, log_path, context.dirs, destination, backup);
        item.action = item.check == ENTRY_SAFE ? PLAN_RESTORE : PLAN_SKIP_UNSAFE;
        return;
    }
    item.check = line.has_nul ? ENTRY_BAD_NAME : check_entry(line.value, context.dirs);
    if (item.check != ENTRY_SAFE) {
        item.action = PLAN_SKIP_UNSAFE;
        return;
    }
    const char *path = line.value;
    if (line.key == KEY_MKDIR) {
        if (same_path(path, log_dir))
            item.action = PLAN_LOG_DIR;
        else if (context.started_by_shell &&
                 (same_path(context.start_dir, path) || path_is_below(context.start_dir, path)))
            item.action = PLAN_DEFER;
        else
            item.action = PLAN_REMOVE_DIR;
        return;
    }
    char uninstaller[LOG_PATH_SIZE];
    const char *windows = context.dirs.windows, *system = context.dirs.system;
    if (same_path(path, log_path))
        item.action = PLAN_LOG_ITSELF;
    else if (path_append(uninstaller, sizeof uninstaller, log_dir, UNINSTALLER_NAME) && same_path(path, uninstaller))
        item.action = PLAN_LEAVE_UNINSTALLER;
    else if (context.started_by_shell && same_path(path_file_name(path), BATCH_FILE_NAME))
        item.action = PLAN_DEFER;
    else if ((windows[0] && path_is_below(path, windows)) || (system[0] && path_is_below(path, system)))
        item.action = PLAN_ASK_SHARED;
    else
        item.action = PLAN_DELETE_FILE;
}

// True when an Earlier line of the plan puts an earlier version back at path.
bool REMOVAL_PLAN::restores(const char *path) const
{
    for (int32_t i = 0; i < count; ++i) {
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        if (items[i].action == PLAN_RESTORE && split_earlier(path_of(i), destination, backup) &&
            same_path(destination, path))
            return true;
    }
    return false;
}

// What another installation's log changes in the plan. A shared file that
// it names belongs to it as well: the file stays, and our log stops naming
// it. So does any file of ours of which either log keeps an earlier
// version: of the installations that replaced it, the last to leave puts
// back the version from before them all, which they share; a version the
// other keeps that is not that one is ours, and goes with us.
void REMOVAL_PLAN::look_at_other_log(const PARSED_LOG &other, const REMOVAL_CONTEXT &context)
{
    for (int32_t i = 0; i < count; ++i) {
        PLAN_ITEM &item = items[i];
        const char *path = path_of(i);
        char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
        switch (item.action) {
        case PLAN_ASK_SHARED:
        case PLAN_DELETE_FILE: {
            if (!other.names_file(path))
                break;
            char theirs[LOG_PATH_SIZE], value[2 * LOG_PATH_SIZE + 2];
            bool they_keep = other.names_earlier(path, theirs);
            if (item.action == PLAN_DELETE_FILE && !they_keep && !restores(path))
                break;
            item.action = PLAN_HAND_OVER;
            if (they_keep && !log.names_backup(theirs) && earlier_value(path, theirs, value, sizeof value) &&
                check_earlier(value, log_path, context.dirs, destination, backup) == ENTRY_SAFE)
                join_path(item.ours_kept_by_other, sizeof item.ours_kept_by_other, backup);
            break;
        }
        case PLAN_RESTORE:
            if (split_earlier(path, destination, backup) && other.names_file(destination) &&
                other.names_backup(backup)) {
                item.action = PLAN_HAND_OVER;
                item.kept_for_other = true;
            }
            break;
        case PLAN_REMOVE_DIR:
            for (int32_t k = 0; k < other.count && !item.kept_for_other; ++k)
                item.kept_for_other = other.lines[k].key == KEY_EARLIER && !other.lines[k].cut &&
                                      split_earlier(other.lines[k].value, destination, backup) &&
                                      path_is_below(backup, path);
            break;
        default: break;
        }
    }
}

void REMOVAL_PLAN::hand_over_shared(const REMOVAL_CONTEXT &context)
{
    bool any = false;
    for (int32_t i = 0; i < count; ++i)
        any = any || items[i].action == PLAN_ASK_SHARED || items[i].action == PLAN_DELETE_FILE ||
              items[i].action == PLAN_RESTORE;
    char pattern[LOG_PATH_SIZE];
    if (!any || !path_append(pattern, sizeof pattern, log_dir, "*.log"))
        return;
    plat_finddata found;
    intptr_t search = plat_findfirst(pattern, &found);
    if (search == -1)
        return;
    do {
        char other_path[LOG_PATH_SIZE];
        if ((found.attrib & PLAT_ATTR_SUBDIR) || !path_append(other_path, sizeof other_path, log_dir, found.name) ||
            same_path(other_path, log_path))
            continue;
        PARSED_LOG other;
        if (other.load(other_path) == LOAD_OK)
            look_at_other_log(other, context);
    } while (plat_findnext(search, &found) == 0);
    plat_findclose(search);
}

bool REMOVAL_PLAN::build(const REMOVAL_CONTEXT &context)
{
    std::free(items);
    items = nullptr;
    count = 0;
    int32_t entries = 0;
    int32_t first = first_line > 0 ? first_line : 0;
    for (int32_t i = first; i < log.count; ++i)
        if (log_key_is_removed(log.lines[i].key))
            ++entries;
    items = static_cast<PLAN_ITEM *>(plat_malloc(sizeof(PLAN_ITEM) * (size_t)(entries ? entries : 1)));
    if (!items)
        return false;
    for (int32_t i = log.count - 1; i >= first; --i)
        if (log_key_is_removed(log.lines[i].key))
            plan_line(i, items[count++], context);

    // A directory that holds a deferred file cannot go before that file does.
    for (int32_t d = 0; d < count; ++d) {
        if (items[d].action != PLAN_REMOVE_DIR)
            continue;
        for (int32_t f = 0; f < count; ++f)
            if (items[f].action == PLAN_DEFER && path_is_below(path_of(f), path_of(d)))
                items[d].action = PLAN_DEFER;
    }
    // A shared file whose earlier version comes back is ours to remove:
    // what stays there is what was there before us.
    for (int32_t i = 0; i < count; ++i)
        if (items[i].action == PLAN_ASK_SHARED && restores(path_of(i)))
            items[i].action = PLAN_DELETE_FILE;
    hand_over_shared(context);
    return true;
}

static PLAN_OUTCOME outcome_of(PLAT_RESULT result)
{
    switch (result) {
    case PLAT_DONE: return OUT_REMOVED;
    case PLAT_MISSING: return OUT_MISSING;
    case PLAT_IN_USE: return OUT_IN_USE;
    case PLAT_ACCESS_DENIED: return OUT_ACCESS_DENIED;
    case PLAT_NOT_EMPTY: return OUT_NOT_EMPTY;
    default: return OUT_FAILED;
    }
}

void REMOVAL_PLAN::remove_file(PLAN_ITEM &item, bool schedule_at_restart)
{
    const char *path = log.lines[item.line].value;
    uint32_t attributes = plat_get_attributes(path);
    if (attributes == PLAT_NO_ATTRIBUTES) {
        item.outcome = OUT_MISSING;
        return;
    }
    if (attributes & PLAT_ATTR_SUBDIR) {
        item.outcome = OUT_NOT_A_FILE;
        return;
    }
    bool read_only = (attributes & PLAT_ATTR_READONLY) != 0;
    if (read_only)
        plat_set_attributes(path, attributes & ~PLAT_ATTR_READONLY);
    item.outcome = outcome_of(plat_delete_file(path));
    if (item.outcome == OUT_IN_USE || item.outcome == OUT_ACCESS_DENIED)
        item.at_restart = schedule_at_restart && plat_schedule_removal(path);
    // A file that stays keeps the attribute it had, unless it goes at restart.
    if (read_only && !item.at_restart && outcome_is_kept(item.outcome))
        plat_set_attributes(path, attributes);
}

// A file the plan deletes whatever its read-only attribute.
static PLAT_RESULT delete_plain(const char *path)
{
    uint32_t attributes = plat_get_attributes(path);
    if (attributes != PLAT_NO_ATTRIBUTES && (attributes & PLAT_ATTR_READONLY))
        plat_set_attributes(path, attributes & ~PLAT_ATTR_READONLY);
    return plat_delete_file(path);
}

// A copy into backup that a stop cut short, before it had its name.
static void drop_part(const char *backup)
{
    char part[LOG_PATH_SIZE];
    if (backup_part_path(backup, part, sizeof part) && plat_get_attributes(part) != PLAT_NO_ATTRIBUTES)
        delete_plain(part);
}

void REMOVAL_PLAN::restore(PLAN_ITEM &item)
{
    char destination[LOG_PATH_SIZE], backup[LOG_PATH_SIZE];
    split_earlier(log.lines[item.line].value, destination, backup);
    // Ours still in its place (in use, kept, going at restart): the earlier
    // version waits for the run that removes it.
    for (int32_t i = 0; i < count; ++i)
        if (log.lines[items[i].line].key == KEY_MKFILE && same_path(path_of(i), destination) &&
            (outcome_is_kept(items[i].outcome) || items[i].at_restart)) {
            item.outcome = OUT_NOT_RESTORED;
            return;
        }
    if (path_crosses_link(destination) || path_crosses_link(backup)) {
        item.action = PLAN_SKIP_UNSAFE;
        item.check = ENTRY_LINK;
        item.outcome = OUT_UNSAFE;
        return;
    }
    drop_part(backup);
    uint32_t attributes = plat_get_attributes(backup);
    if (attributes == PLAT_NO_ATTRIBUTES) {
        item.outcome = OUT_MISSING; // setup stopped before it moved the file
        return;
    }
    if (attributes & PLAT_ATTR_SUBDIR) {
        item.outcome = OUT_NOT_A_FILE;
        return;
    }
    // A rename keeps attributes and times; from another volume a copy,
    // which keeps them too, and then the kept one goes.
    PLAT_RESULT result = plat_replace_file(backup, destination);
    if (result == PLAT_FAILED && plat_copy_file(backup, destination)) {
        delete_plain(backup);
        result = PLAT_DONE;
    }
    item.outcome = result == PLAT_DONE ? OUT_RESTORED : outcome_of(result);
    if (result != PLAT_DONE)
        return;
    // The last kept version out of another installation's area (left when
    // that one went first) takes the area with it.
    char area[LOG_PATH_SIZE];
    const char *name = path_file_name(backup);
    size_t len = (size_t)(name - backup);
    bool ours = false;
    if (len < 2 || len > sizeof area)
        return;
    std::memcpy(area, backup, len - 1);
    area[len - 1] = '\0';
    for (int32_t i = 0; i < count && !ours; ++i)
        ours = log.lines[items[i].line].key == KEY_MKDIR && same_path(path_of(i), area);
    if (!ours)
        plat_remove_dir(area);
}

// An item left to another installation; a version of our file that it
// keeps goes with us.
void REMOVAL_PLAN::settle_hand_over(PLAN_ITEM &item)
{
    if (item.ours_kept_by_other[0]) {
        drop_part(item.ours_kept_by_other);
        if (!path_crosses_link(item.ours_kept_by_other))
            delete_plain(item.ours_kept_by_other);
    }
    item.outcome = OUT_HANDED_OVER;
}

void REMOVAL_PLAN::remove_dir(PLAN_ITEM &item, bool schedule_at_restart)
{
    const char *path = log.lines[item.line].value;
    uint32_t attributes = plat_get_attributes(path);
    if (attributes == PLAT_NO_ATTRIBUTES) {
        item.outcome = OUT_MISSING;
        return;
    }
    if (!(attributes & PLAT_ATTR_SUBDIR)) {
        item.outcome = OUT_NOT_A_DIR;
        return;
    }
    item.outcome = outcome_of(plat_remove_dir(path));
    // Our backup area, which still holds what another installation keeps.
    if (item.outcome == OUT_NOT_EMPTY && item.kept_for_other)
        item.outcome = OUT_HANDED_OVER;
    if (item.outcome == OUT_IN_USE || item.outcome == OUT_ACCESS_DENIED)
        item.at_restart = schedule_at_restart && plat_schedule_removal(path);
}

// True when everything in dir is a deferred entry of the plan, so that dir
// is empty once the deferred pass has removed them.
bool REMOVAL_PLAN::only_deferred_inside(const char *dir) const
{
    char pattern[LOG_PATH_SIZE];
    if (!path_append(pattern, sizeof pattern, dir, "*"))
        return false;
    plat_finddata found;
    intptr_t search = plat_findfirst(pattern, &found);
    if (search == -1)
        return true;
    bool only_deferred = true;
    do {
        if (std::strcmp(found.name, ".") == 0 || std::strcmp(found.name, "..") == 0)
            continue;
        char inside[LOG_PATH_SIZE];
        bool listed = false;
        if (path_append(inside, sizeof inside, dir, found.name))
            for (int32_t i = 0; i < count && !listed; ++i)
                listed = items[i].action == PLAN_DEFER &&
                         (items[i].outcome == OUT_DEFERRED || items[i].outcome == OUT_PENDING) &&
                         same_path(path_of(i), inside);
        only_deferred = listed;
    } while (only_deferred && plat_findnext(search, &found) == 0);
    plat_findclose(search);
    return only_deferred;
}

void REMOVAL_PLAN::settle_deferred(PLAN_ITEM &item)
{
    const char *path = log.lines[item.line].value;
    uint32_t attributes = plat_get_attributes(path);
    bool is_dir = log.lines[item.line].key == KEY_MKDIR;
    if (attributes == PLAT_NO_ATTRIBUTES)
        item.outcome = OUT_MISSING;
    else if (is_dir != ((attributes & PLAT_ATTR_SUBDIR) != 0))
        item.outcome = is_dir ? OUT_NOT_A_DIR : OUT_NOT_A_FILE;
    else if (is_dir && !only_deferred_inside(path))
        item.outcome = OUT_NOT_EMPTY; // the later pass could not remove it either
    else
        item.outcome = OUT_DEFERRED;
}

void REMOVAL_PLAN::execute(REMOVAL_QUESTIONS &questions, bool schedule_at_restart)
{
    SHARED_ANSWER for_all = SHARED_KEEP;
    bool answered_all = false;
    for (int32_t i = 0; i < count; ++i) {
        PLAN_ITEM &item = items[i];
        questions.acting_on(i + 1, count, path_of(i));
        bool acts = item.action == PLAN_DELETE_FILE || item.action == PLAN_ASK_SHARED || item.action == PLAN_REMOVE_DIR;
        // A folder of the installation that someone turned into a link (or
        // a link in its place) would send the removal elsewhere: looked at
        // as late as can be, right before the entry goes.
        if (acts && path_crosses_link(path_of(i))) {
            item.action = PLAN_SKIP_UNSAFE;
            item.check = ENTRY_LINK;
        }
        switch (item.action) {
        case PLAN_DELETE_FILE: remove_file(item, schedule_at_restart); break;
        case PLAN_ASK_SHARED: {
            if (plat_get_attributes(path_of(i)) == PLAT_NO_ATTRIBUTES) {
                item.outcome = OUT_MISSING; // nothing to ask about
                break;
            }
            SHARED_ANSWER answer = answered_all ? for_all : questions.shared_file(path_of(i));
            if (answer == SHARED_KEEP_ALL || answer == SHARED_REMOVE_ALL) {
                answered_all = true;
                for_all = answer;
            }
            if (answer == SHARED_REMOVE || answer == SHARED_REMOVE_ALL)
                remove_file(item, schedule_at_restart);
            else
                item.outcome = OUT_KEPT_SHARED;
            break;
        }
        case PLAN_REMOVE_DIR: remove_dir(item, schedule_at_restart); break;
        case PLAN_HAND_OVER: settle_hand_over(item); break;
        case PLAN_RESTORE: restore(item); break;
        case PLAN_SKIP_UNSAFE: item.outcome = OUT_UNSAFE; break;
        case PLAN_SKIP_CUT: item.outcome = OUT_CUT; break;
        case PLAN_LEAVE_UNINSTALLER: item.outcome = OUT_LEFT; break;
        case PLAN_DEFER:
        case PLAN_LOG_ITSELF:
        case PLAN_LOG_DIR:
        case PLAN_REMOVE_ENTRY: break; // below, and in finish()
        }
    }
    // In log order reversed, so a directory's deferred contents come first.
    for (int32_t i = 0; i < count; ++i)
        if (items[i].action == PLAN_DEFER)
            settle_deferred(items[i]);
}

int32_t REMOVAL_PLAN::count_outcome(PLAN_OUTCOME outcome) const
{
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i)
        n += items[i].outcome == outcome ? 1 : 0;
    return n;
}

bool REMOVAL_PLAN::must_keep_log() const
{
    if (first_line > 0)
        return true; // an earlier run's lines stay
    for (int32_t i = 0; i < count; ++i)
        if (outcome_is_kept(items[i].outcome) || items[i].outcome == OUT_DEFERRED)
            return true;
    return false;
}

// A Needs line for a key of which no line stays (the entry went): the
// rewritten log is then one that any uninstaller reads.
bool REMOVAL_PLAN::needless(int32_t line) const
{
    const LOG_LINE &needs = log.lines[line];
    if (needs.key != KEY_NEEDS || needs.cut)
        return false;
    LOG_KEY needed = log_key_of(needs.value, std::strlen(needs.value));
    if (needed != KEY_MKREG && needed != KEY_EARLIER)
        return false;
    for (int32_t i = 0; i < first_line && i < log.count; ++i)
        if (log.lines[i].key == needed)
            return false; // an earlier run's line, which stays
    for (int32_t i = 0; i < count; ++i)
        if (log.lines[items[i].line].key == needed &&
            (outcome_is_kept(items[i].outcome) || items[i].outcome == OUT_LEFT || items[i].outcome == OUT_PENDING))
            return false;
    return true;
}

// Writes the lines that still mean something to "<log>.tmp" and puts it in
// the log's place; the old log stays until the new one is whole.
bool REMOVAL_PLAN::rewrite_log()
{
    char temp[LOG_PATH_SIZE];
    if (!join_path(temp, sizeof temp, log_path, ".tmp")) {
        log_problem = PLAT_FAILED;
        return false;
    }
    LOG_WRITER out;
    if (!out.start(plat_fopen(temp, "wt"), temp)) {
        log_problem = PLAT_ACCESS_DENIED;
        return false;
    }
    bool written = true;
    int32_t next_item = count - 1; // items run backwards through the lines
    for (int32_t i = 0; i < log.count && written; ++i) {
        const PLAN_ITEM *item = nullptr;
        if (next_item >= 0 && items[next_item].line == i)
            item = &items[next_item--];
        if ((!item && !needless(i)) || (item && (outcome_is_kept(item->outcome) || item->outcome == OUT_DEFERRED ||
                                                 item->outcome == OUT_LEFT || item->outcome == OUT_PENDING)))
            written = out.copy(log.lines[i]);
    }
    if (!out.close() || !written) {
        plat_delete_file(temp);
        log_problem = PLAT_FAILED;
        return false;
    }
    // Windows will not replace a file that is held open.
    close();
    PLAT_RESULT replaced = plat_replace_file(temp, log_path);
    if (replaced != PLAT_DONE) {
        plat_delete_file(temp);
        log_problem = replaced;
        return false;
    }
    return true;
}

// True while something the log names stays that another run could still
// remove: the entry is then the user's way to that run.
bool REMOVAL_PLAN::rerun_could_remove() const
{
    for (int32_t i = 0; i < count; ++i) {
        PLAN_OUTCOME outcome = items[i].outcome;
        if (items[i].at_restart || outcome == OUT_IN_USE || outcome == OUT_ACCESS_DENIED || outcome == OUT_FAILED ||
            outcome == OUT_DEFERRED)
            return true;
    }
    return false;
}

// Only a key directly below the Uninstall key (the plan checked the name)
// whose UninstallString names this log, or an empty one that a setup
// stopped after making it, and never one with keys below it.
void REMOVAL_PLAN::remove_entry(PLAN_ITEM &item)
{
    const char *key = path_of((int32_t)(&item - items));
    char command[ENTRY_COMMAND_SIZE];
    uint32_t type = 0, values = 0, subkeys = 0;
    PLAT_RESULT asked = plat_reg_get(key, "UninstallString", &type, command, sizeof command);
    bool ours = asked == PLAT_DONE && type == PLAT_REG_SZ && command_names_log(command, log_path);
    PLAT_RESULT counted = asked == PLAT_DONE || asked == PLAT_MISSING ? plat_reg_count(key, &values, &subkeys) : asked;
    if (counted == PLAT_MISSING) {
        item.outcome = OUT_MISSING;
        return;
    }
    if (counted != PLAT_DONE) {
        item.outcome = outcome_of(counted);
        return;
    }
    item.check = subkeys > 0 ? ENTRY_KEY_HAS_SUBKEYS : !ours && values > 0 ? ENTRY_KEY_NOT_OURS : ENTRY_SAFE;
    if (item.check != ENTRY_SAFE) {
        item.outcome = OUT_UNSAFE;
        return;
    }
    PLAT_RESULT deleted = plat_reg_delete_key(key);
    if (deleted == PLAT_NOT_EMPTY) {
        item.check = ENTRY_KEY_HAS_SUBKEYS;
        item.outcome = OUT_UNSAFE;
    } else {
        item.outcome = outcome_of(deleted);
    }
}

void REMOVAL_PLAN::finish()
{
    log_problem = PLAT_DONE;
    // Before the log: an entry whose log is gone would be an orphan.
    bool keep_entry = rerun_could_remove();
    for (int32_t i = 0; i < count; ++i)
        if (items[i].action == PLAN_REMOVE_ENTRY) {
            if (keep_entry)
                items[i].outcome = OUT_LEFT;
            else
                remove_entry(items[i]);
        }
    if (must_keep_log()) {
        log_rewritten = rewrite_log();
        for (int32_t i = 0; i < count; ++i)
            if (items[i].action == PLAN_LOG_ITSELF || items[i].action == PLAN_LOG_DIR)
                items[i].outcome = OUT_LEFT;
        close();
        return;
    }
    close();
    PLAT_RESULT deleted = plat_delete_file(log_path);
    log_deleted = deleted == PLAT_DONE || deleted == PLAT_MISSING;
    if (!log_deleted)
        log_problem = deleted;
    for (int32_t i = 0; i < count; ++i) {
        PLAN_ITEM &item = items[i];
        if (item.action == PLAN_LOG_ITSELF) {
            item.outcome = log_deleted ? OUT_REMOVED : OUT_LEFT;
        } else if (item.action == PLAN_LOG_DIR) {
            // The shared uninstaller and other logs usually keep it: no news.
            PLAT_RESULT removed =
                log_deleted && !path_crosses_link(path_of(i)) ? plat_remove_dir(path_of(i)) : PLAT_NOT_EMPTY;
            item.outcome = removed == PLAT_DONE ? OUT_REMOVED : removed == PLAT_MISSING ? OUT_MISSING : OUT_LEFT;
        }
    }
}

UNINSTALL_EXIT REMOVAL_PLAN::exit_status() const
{
    for (int32_t i = 0; i < count; ++i)
        if (outcome_is_kept(items[i].outcome))
            return UNINSTALL_SOME_LEFT;
    return log_problem == PLAT_DONE ? UNINSTALL_DONE : UNINSTALL_SOME_LEFT;
}

UNINSTALL_EXIT run_removal(REMOVAL_PLAN &plan, const char *log_path, const REMOVAL_CONTEXT &context,
                           REMOVAL_QUESTIONS &questions, OPEN_RESULT &why, bool schedule_at_restart)
{
    why = plan.open(log_path);
    if (why != OPEN_OK)
        return UNINSTALL_NOTHING_DONE;
    if (!plan.build(context)) {
        plan.close();
        why = OPEN_NO_MEMORY;
        return UNINSTALL_NOTHING_DONE;
    }
    if (!questions.confirm_removal(plan.log.title())) {
        plan.close();
        return UNINSTALL_NOTHING_DONE;
    }
    plan.execute(questions, schedule_at_restart);
    plan.finish();
    return plan.exit_status();
}
