// The undo of one run: the uninstaller's plan, told to leave alone what an
// earlier run wrote into a log this run went on with, and answered as the
// user who ran this setup would: yes, remove it all, shared files included,
// since this run made each of them where there was none.
#include "setup/undo.h"

#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/path_text.h"
#include "platform/platform.h"
#include "setup/front_text.h"
#include "setup/path_join.h"
#include "uninstall/messages.h"
#include "uninstall/removal_plan.h"

namespace {

class UNDO_ANSWERS : public REMOVAL_QUESTIONS {
public:
    UNDO_ANSWERS(UNDO_WATCH &shown, int32_t first) : watch(shown), before(first) {}
    bool confirm_removal(const char *) override { return true; }
    SHARED_ANSWER shared_file(const char *) override { return SHARED_REMOVE; }
    void acting_on(int32_t number, int32_t total, const char *path) override
    {
        watch.undo_step(before + number, before + total, path);
    }

private:
    UNDO_WATCH &watch;
    int32_t before; // steps taken before the plan's (the unlogged item)
};

// The thing this run made but could not log: removed first, as the newest.
bool remove_unlogged(const SETUP_TYPE &job)
{
    const char *path = job.unlogged;
    uint32_t attributes = plat_get_attributes(path);
    if (attributes == PLAT_NO_ATTRIBUTES || path_crosses_link(path))
        return false;
    if (job.unlogged_dir)
        return (attributes & PLAT_ATTR_SUBDIR) && plat_remove_dir(path) == PLAT_DONE;
    return !(attributes & PLAT_ATTR_SUBDIR) && plat_delete_file(path) == PLAT_DONE;
}

// A file in use is often held only for a moment (a virus scanner or an
// indexer reading what setup just wrote): it is tried again for a short
// while, and so is each folder that it kept from going, before the undo
// leaves them to the log. The front shows the file it waits for.
void retry_in_use(REMOVAL_PLAN &plan, UNDO_WATCH &watch, int32_t before)
{
    for (int32_t pass = 0; pass < UNDO_IN_USE_TRIES && plan.count_outcome(OUT_IN_USE) > 0; ++pass) {
        plat_sleep_ms(UNDO_IN_USE_PAUSE_MS);
        for (int32_t i = 0; i < plan.count; ++i) {
            PLAN_ITEM &item = plan.items[i];
            const char *path = plan.path_of(i);
            bool dir = item.action == PLAN_REMOVE_DIR;
            if (item.outcome == OUT_IN_USE) {
                watch.undo_step(before + i + 1, before + plan.count, path);
                uint32_t attributes = plat_get_attributes(path);
                bool plain = attributes != PLAT_NO_ATTRIBUTES && !(attributes & PLAT_ATTR_READONLY) &&
                             dir == ((attributes & PLAT_ATTR_SUBDIR) != 0);
                if (plain && (dir ? plat_remove_dir(path) : plat_delete_file(path)) == PLAT_DONE)
                    item.outcome = OUT_REMOVED;
            } else if (item.outcome == OUT_NOT_EMPTY && dir && plat_remove_dir(path) == PLAT_DONE) {
                item.outcome = OUT_REMOVED; // it held only what has gone now
            }
        }
    }
}

// The earlier run's entry, with the values it had: its key is written
// anew, so that no value of this run stays.
bool restore_entry(const ENTRY_BEFORE &before)
{
    PLAT_RESULT done = plat_reg_delete_key(before.key);
    if (done == PLAT_DONE || done == PLAT_MISSING)
        done = plat_reg_create_key(before.key, nullptr);
    for (int i = 0; i < before.count && done == PLAT_DONE; ++i) {
        uint32_t number = 0;
        std::memcpy(&number, before.data[i], sizeof number);
        done = before.types[i] == PLAT_REG_DWORD ? plat_reg_set_dword(before.key, before.names[i], number)
                                                 : plat_reg_set_string(before.key, before.names[i], before.data[i]);
    }
    return done == PLAT_DONE;
}

} // namespace

void save_entry(const char *key, ENTRY_BEFORE &before)
{
    before.saved = false;
    before.count = 0;
    uint32_t values = 0, subkeys = 0;
    if (std::strlen(key) >= sizeof before.key || plat_reg_count(key, &values, &subkeys) != PLAT_DONE || subkeys > 0 ||
        values > (uint32_t)MAX_SAVED_VALUES)
        return;
    std::memcpy(before.key, key, std::strlen(key) + 1);
    for (uint32_t i = 0; i < values; ++i) {
        std::memset(before.data[i], 0, sizeof before.data[i]);
        if (plat_reg_value_name(key, i, before.names[i], sizeof before.names[i]) != PLAT_DONE ||
            plat_reg_get(key, before.names[i], &before.types[i], before.data[i], sizeof before.data[i]) != PLAT_DONE ||
            (before.types[i] != PLAT_REG_SZ && before.types[i] != PLAT_REG_DWORD))
            return;
    }
    before.count = (int)values;
    before.saved = true;
}

UNDO_RESULT undo_setup(SETUP_TYPE &job, const char *log_name, const char *programs, UNDO_WATCH &watch,
                       SETUP_REPORT &report, const ENTRY_BEFORE *entry)
{
    UNDO_RESULT result = {false, 0, 0, ""};
    job.close_log();
    char log_path[LOG_PATH_SIZE];
    bool have_log = log_name && log_name[0] && job.windows_dir &&
                    join_path(log_path, sizeof log_path, job.windows_dir, log_name) && file_present(log_path);
    bool have_unlogged = job.unlogged[0] && plat_get_attributes(job.unlogged) != PLAT_NO_ATTRIBUTES;
    if (!have_log && !have_unlogged)
        return result;
    result.ran = true;

    REMOVAL_PLAN plan;
    REMOVAL_CONTEXT context = {};
    if (job.windows_dir)
        join_path(context.dirs.windows, sizeof context.dirs.windows, job.windows_dir);
    if (job.system_dir)
        join_path(context.dirs.system, sizeof context.dirs.system, job.system_dir);
    if (programs)
        join_path(context.dirs.programs[0], sizeof context.dirs.programs[0], programs);
    OPEN_RESULT opened = have_log ? plan.open(log_path) : OPEN_MISSING;
    plan.first_line = job.earlier_lines;
    bool planned = opened == OPEN_OK && plan.build(context);
    int32_t before = have_unlogged ? 1 : 0;
    int32_t total = before + (planned ? plan.count : 0);
    watch.undo_begins(total > 0 ? total : 1);

    if (have_unlogged) {
        watch.undo_step(1, total, job.unlogged);
        if (remove_unlogged(job)) {
            report.line(REPORT_UNDONE, "%s", job.unlogged);
            ++result.undone;
        } else {
            // No log names it: it is reported and stays.
            report.line(REPORT_LEFT, "%s: could not be removed, and no log names it", job.unlogged);
            format_cut(result.first_left, sizeof result.first_left, "%s", job.unlogged);
            ++result.left;
        }
        job.unlogged[0] = '\0';
    }
    if (have_log && !planned) {
        plan.close();
        report.line(REPORT_LEFT, "%s: the log could not be read, and names what stays", log_path);
        if (!result.first_left[0])
            format_cut(result.first_left, sizeof result.first_left, "%s", log_path);
        ++result.left;
        return result;
    }
    if (planned) {
        UNDO_ANSWERS answers(watch, before);
        // What is in use stays named in the log; nothing waits for a restart.
        plan.execute(answers, false);
        retry_in_use(plan, watch, before);
        plan.finish();
        for (int32_t i = 0; i < plan.count; ++i) {
            const PLAN_ITEM &item = plan.items[i];
            const char *path = plan.path_of(i);
            bool is_entry = item.action == PLAN_REMOVE_ENTRY;
            if (item.outcome == OUT_REMOVED) {
                if (is_entry)
                    report.line(REPORT_UNDONE, "entry %s\\%s", PLAT_UNINSTALL_ROOT, path);
                else
                    report.line(REPORT_UNDONE, "%s", path);
                ++result.undone;
            } else if (outcome_is_kept(item.outcome) ||
                       (item.outcome == OUT_LEFT && (is_entry || item.action == PLAN_LOG_ITSELF))) {
                // In the uninstaller's own words for the same outcome.
                char why[LOG_PATH_SIZE] = "names what stays";
                if (item.outcome != OUT_LEFT)
                    outcome_text(item, why, sizeof why);
                if (is_entry)
                    report.line(REPORT_LEFT, "entry %s\\%s: %s", PLAT_UNINSTALL_ROOT, path, why);
                else
                    report.line(REPORT_LEFT, "%s: %s", path, why);
                if (outcome_is_kept(item.outcome)) {
                    if (!result.first_left[0])
                        format_cut(result.first_left, sizeof result.first_left, "%s", path);
                    ++result.left;
                }
            }
        }
        if (entry && entry->saved) {
            if (restore_entry(*entry))
                report.line(REPORT_UNDONE, "entry %s\\%s: its earlier values", PLAT_UNINSTALL_ROOT, entry->key);
            else
                report.line(REPORT_LEFT, "entry %s\\%s: its earlier values could not be put back", PLAT_UNINSTALL_ROOT,
                            entry->key);
        }
        if (plan.first_line > 0 && plan.log_rewritten)
            report.line(REPORT_LEFT, "%s: an earlier installation's log, without this run's lines", log_path);
    }
    return result;
}
