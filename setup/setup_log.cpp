// Setup's side of the setup log: a new log with its first lines, the job's
// entries, and "uninstal.bat", which runs the uninstaller on it. What a log
// looks like is log_format's.
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/path_text.h"
#include "platform/platform.h"
#include "setup/log_format.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/replace_file.h"
#include "setup/setup.h"

bool SETUP_TYPE::log_path_fits(size_t *length) const
{
    char name[SETUP_PATH_SIZE];
    bool named = title_file_name(get_apptitle(), name, sizeof name);
    size_t name_len = named ? std::strlen(name) + std::strlen("a.log") : SETUP_PATH_SIZE;
    size_t longest_name = name_len > std::strlen(UNINSTALLER_NAME) ? name_len : std::strlen(UNINSTALLER_NAME);
    size_t total = (windows_dir ? std::strlen(windows_dir) : 0) + std::strlen(LOG_DIR_NAME) + longest_name;
    if (length)
        *length = total;
    return named && windows_dir && total < SETUP_PATH_SIZE;
}

bool SETUP_TYPE::create_log() { return create_log(nullptr, 0); }

bool SETUP_TYPE::create_log(char *relative_name, uint32_t size)
{
    close_log();
    earlier_lines = 0;
    unlogged[0] = '\0';
    // Whatever goes wrong, the caller is left no name of a log that is not there.
    if (relative_name && size > 0)
        relative_name[0] = '\0';
    if (!windows_dir) {
        err_code = ERR_BAD_WINDOWS_PATH;
        return false;
    }

    // Refuse, before anything is created, a title or Windows directory whose
    // paths would not fit.
    const char *title = get_apptitle();
    char name[SETUP_PATH_SIZE];
    size_t sub_len = std::strlen(LOG_DIR_NAME);
    title_file_name(title, name, sizeof name);
    size_t name_len = std::strlen(name) + std::strlen("a.log");
    if (!log_path_fits(nullptr) || (relative_name && sub_len + name_len >= size)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }

    char log_dir[SETUP_PATH_SIZE];
    join_path(log_dir, sizeof log_dir, windows_dir, LOG_DIR_NAME);
    const char *relative_dir = LOG_DIR_NAME;
    bool made_dir = false;
    if (!dir_exists(log_dir)) {
        if (plat_create_dir(log_dir)) {
            made_dir = true;
        } else {
            // The log then lies in the Windows directory itself.
            join_path(log_dir, sizeof log_dir, windows_dir);
            relative_dir = "";
        }
    }

    // Setup run again into the same folder (a repair, an upgrade) goes on
    // with that installation's log: one record of everything it owns, one
    // entry, and uninstal.bat that removes it all.
    char suffix[2] = {0, 0};
    char path[SETUP_PATH_SIZE];
    if (!made_dir && find_own_log(log_dir, name, suffix, path, sizeof path)) {
        if (!append_log(path))
            return false;
        if (relative_name)
            join_path(relative_name, size, relative_dir, name, suffix, ".log");
        return true;
    }
    suffix[0] = '\0';
    // The bare name, then the name with "a" to "y": 26 names in all.
    for (;;) {
        join_path(path, sizeof path, log_dir, name, suffix, ".log");
        // A log that cannot be opened now takes its name all the same: the
        // new log would empty it.
        if (!file_present(path))
            break;
        if (suffix[0] == 'y') {
            err_code = ERR_LOG_NAME;
            return false;
        }
        suffix[0] = suffix[0] ? (char)(suffix[0] + 1) : 'a';
    }

    // A setup that cannot keep its log makes nothing: what this call made
    // goes again. Left behind, no log would name it, and a log file that
    // names nothing would take one of the 26 names from every later setup.
    if (!open_log(path)) {
        if (made_dir)
            plat_remove_dir(log_dir);
        return false;
    }
    bool written = log.header(title) && log_entry(KEY_APPTITLE, title) && log_entry(KEY_EMAIL, get_email()) &&
                   (!made_dir || log_entry(KEY_MKDIR, log_dir)) && log_entry(KEY_MKFILE, path);
    if (!written) {
        // A log that lacks its own first lines would mislead the uninstaller.
        close_log();
        plat_delete_file(path);
        if (made_dir)
            plat_remove_dir(log_dir);
        err_code = ERR_FILE_WRITE;
        return false;
    }
    if (relative_name)
        join_path(relative_name, size, relative_dir, name, suffix, ".log");
    return true;
}

bool SETUP_TYPE::find_own_log(const char *log_dir, const char *name, char *suffix, char *path, size_t size) const
{
    char batch[SETUP_PATH_SIZE];
    if (!join_path(batch, sizeof batch, get_installpath(), BATCH_FILE_NAME))
        return false;
    for (suffix[0] = 0;; suffix[0] = suffix[0] ? (char)(suffix[0] + 1) : 'a') {
        PARSED_LOG earlier;
        // Only a whole log that this uninstaller reads whole, of this title,
        // that names this folder's uninstal.bat: another is no installation
        // of ours here, and appending to a cut line would name a wrong path.
        if (join_path(path, size, log_dir, name, suffix, ".log") && file_present(path) &&
            earlier.load(path) == LOAD_OK && earlier.count > 0 && earlier.ends_whole() && !earlier.unknown_need() &&
            !std::strcmp(earlier.title(), get_apptitle()) && earlier.names_file(batch))
            return true;
        if (suffix[0] == 'y')
            return false;
    }
}

bool SETUP_TYPE::append_log(const char *path)
{
    close_log();
    int64_t length = plat_file_size(path);
    PARSED_LOG earlier;
    FILE *stream = length >= 0 && earlier.load(path) == LOAD_OK ? openfile(path, "at", false) : nullptr;
    if (!stream || !log.start(stream, path)) {
        err_code = ERR_FILE_OPEN;
        return false;
    }
    log.length = length;
    log.taken_over = true;
    earlier_lines = earlier.count;
    for (int32_t i = 0; i < earlier.count; ++i)
        if (earlier.lines[i].key == KEY_NEEDS && !earlier.lines[i].cut) {
            LOG_KEY needed = log_key_of(earlier.lines[i].value, std::strlen(earlier.lines[i].value));
            if (needed != KEY_OTHER)
                log.announced |= 1u << needed;
        }
    return true;
}

bool SETUP_TYPE::open_log(const char *path)
{
    close_log();
    if (!path || std::strlen(path) >= sizeof log.path) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    FILE *stream = openfile(path, "wt", false);
    return stream && log.start(stream, path);
}

bool SETUP_TYPE::log_entry(LOG_KEY key, const char *value)
{
    if (key == KEY_OTHER || !value || !log.file) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    // A log taken over names much of this run already: once is enough.
    if (log.taken_over && log_key_names_path(key) && log_names(key, value))
        return true;
    if (log.entry(key, value))
        return true;
    // Every path line is written right after its folder or file was made.
    if (log_key_names_path(key) && std::strlen(value) < sizeof unlogged) {
        std::memcpy(unlogged, value, std::strlen(value) + 1);
        unlogged_dir = key == KEY_MKDIR;
    }
    err_code = ERR_FILE_WRITE;
    return false;
}

bool SETUP_TYPE::log_names(LOG_KEY key, const char *value) const
{
    PARSED_LOG read;
    if (!log.path[0] || read.load(log.path) != LOAD_OK)
        return false;
    for (int32_t i = 0; i < read.count; ++i)
        if (read.lines[i].key == key && !read.lines[i].cut && !read.lines[i].has_nul &&
            same_path(read.lines[i].value, value))
            return true;
    return false;
}

bool SETUP_TYPE::ready_to_log()
{
    if (!log.file)
        err_code = ERR_NULL_POINTER;
    return log.file != nullptr;
}

// Room for the run line of uninstal.bat: two paths with every "%" doubled.
static const size_t BATCH_LINE_SIZE = 4 * SETUP_PATH_SIZE + 8;

// Text as the batch file holds it: each "%" doubled. False when it does not fit.
static bool batch_text(char *out, size_t size, size_t &used, const char *text)
{
    for (; *text; ++text) {
        size_t room = *text == '%' ? 2 : 1;
        if (used + room >= size)
            return false;
        if (*text == '%')
            out[used++] = '%';
        out[used++] = *text;
    }
    out[used] = '\0';
    return true;
}

// name as the batch file gives it, for cmd, which reads batch files in the
// OEM code page: a letter beyond ASCII written in the ANSI code page would
// reach the uninstaller as another letter. A name with a character that the
// OEM code page lacks is given by the short form of short_of (a path that is
// there), which Windows makes of plain letters; without one (short names
// turned off) it stays as it is. False when it does not fit.
static bool oem_name(const char *name, const char *short_of, char *out, size_t size)
{
    char shorter[SETUP_PATH_SIZE];
    if (plat_ansi_to_oem(name, out, size) ||
        (plat_short_path(short_of, shorter, sizeof shorter) && plat_ansi_to_oem(shorter, out, size)))
        return true;
    size_t len = std::strlen(name);
    if (len >= size)
        return false;
    std::memcpy(out, name, len + 1);
    return true;
}

// The line of uninstal.bat that runs the uninstaller in log_dir (which ends
// in a backslash) on the log relative_name, whose path is log_path: both in
// quotes, so that blanks, "&", "|", "<", ">" and "^" of the title's file name
// stay part of the one argument. False when it does not fit.
static bool batch_run_line(char *out, size_t size, const char *log_dir, const char *log_path, const char *relative_name)
{
    char dir[SETUP_PATH_SIZE];
    char log_name[SETUP_PATH_SIZE];
    size_t used = 0;
    return oem_name(log_dir, log_dir, dir, sizeof dir) &&
           oem_name(relative_name, log_path, log_name, sizeof log_name) && batch_text(out, size, used, "\"") &&
           batch_text(out, size, used, dir) && batch_text(out, size, used, UNINSTALLER_NAME) &&
           batch_text(out, size, used, "\" \"") && batch_text(out, size, used, log_name) &&
           batch_text(out, size, used, "\"");
}

// True when the batch file at batch_path holds run_line: this installation's
// own. Any other is the user's, or another installation's.
static bool batch_file_is_ours(const char *batch_path, const char *run_line)
{
    FILE *batch = openfile(batch_path, "rt", false);
    if (!batch)
        return false;
    // Ours has three lines: one whose run line is further down than this is
    // not, and a device that never ends is not read for ever.
    static const int MOST_LINES = 64;
    bool ours = false;
    char line[BATCH_LINE_SIZE + 2];
    for (int read = 0; !ours && read < MOST_LINES && std::fgets(line, sizeof line, batch); ++read) {
        line[std::strcspn(line, "\r\n")] = '\0';
        ours = std::strcmp(line, run_line) == 0;
    }
    std::fclose(batch);
    return ours;
}

bool SETUP_TYPE::write_uninstall_bat(const char *relative_name)
{
    if (!relative_name || !relative_name[0]) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    if (!windows_dir) {
        err_code = ERR_BAD_WINDOWS_PATH;
        return false;
    }
    char log_path_full[SETUP_PATH_SIZE], log_dir[SETUP_PATH_SIZE], batch_path[SETUP_PATH_SIZE];
    char uninstaller_copy[SETUP_PATH_SIZE];
    if (!join_path(log_path_full, sizeof log_path_full, windows_dir, relative_name) ||
        !join_path(batch_path, sizeof batch_path, get_installpath(), BATCH_FILE_NAME) ||
        !join_path(uninstaller_copy, sizeof uninstaller_copy, extract_path(log_dir, log_path_full, sizeof log_dir),
                   UNINSTALLER_NAME)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }

    if (!ready_to_log())
        return false;
    // A batch file that is there already and not ours stays as it is and
    // is not logged: the uninstaller would delete it. Setup goes on without
    // one; Apps & Features and the log still reach the uninstaller.
    // Present, not merely openable: one in use is there all the same.
    char run_line[BATCH_LINE_SIZE];
    char title[SETUP_PATH_SIZE]; // for the first line; "" names no file, so it has no short form
    if (!batch_run_line(run_line, sizeof run_line, log_dir, log_path_full, relative_name) ||
        !oem_name(get_apptitle(), "", title, sizeof title)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    bool present = file_present(batch_path);
    bool ours = present && batch_file_is_ours(batch_path, run_line);
    batch_kept = present && !ours;
    // This installation's own, from an earlier run: it already runs the
    // uninstaller on this log, and its earlier run's log names it. Left as
    // it is, an undo of this run leaves it as it found it.
    bool already = ours && log.taken_over && log_names(KEY_MKFILE, batch_path);
    FILE *batch = batch_kept || already ? nullptr : openfile(batch_path, "wt", false);
    if (!batch && !batch_kept && !already)
        return false;
    if (batch) {
        LINE_OUT out(batch);
        out.put("rem This file uninstalls the ");
        out.put_batch_text(title);
        out.put(" application.  The uninstallation");
        out.end_line();
        out.put("rem may fail if the setup log has been moved or deleted since the setup.");
        out.end_line();
        out.put(run_line);
        out.end_line();
        bool written = out.written() && !std::ferror(batch);
        if (std::fclose(batch) != 0)
            written = false;
        // The file exists, whole or not, so the log names it either way.
        bool logged = log_entry(KEY_MKFILE, batch_path);
        if (!written) {
            err_code = ERR_FILE_WRITE;
            return false;
        }
        if (!logged)
            return false;
    }

    // Never a copy through a junction or link that setup did not make.
    if (file_present(UNINSTALLER_NAME) && path_crosses_link(uninstaller_copy)) {
        err_code = ERR_DEST_THROUGH_LINK;
        return false;
    }
    // Ours goes there only when it is newer (weigh_uninstaller). One beside
    // setup that cannot be read, where it is to go, is a failed copy, not a
    // missing one; and the copy must really be there for the batch file.
    weigh_uninstaller(file_present(UNINSTALLER_NAME) ? UNINSTALLER_NAME : nullptr, uninstaller_copy, uninstaller);
    if (uninstaller_copied(uninstaller.choice) &&
        (!replace_file(UNINSTALLER_NAME, uninstaller_copy) || !file_present(uninstaller_copy))) {
        err_code = ERR_COPY_FAILED;
        return false;
    }
    // Whoever reads the log later learns why its uninstaller is not this
    // setup's own. Only then: the log of every other run stays as it was.
    if (uninstaller.choice == UNINSTALLER_KEPT_NEWER) {
        char said[LOG_PATH_SIZE + 96];
        describe_uninstaller(uninstaller, said, sizeof said);
        if (!log.line("; uninstaller ", said)) {
            err_code = ERR_FILE_WRITE;
            return false;
        }
    }
    return true;
}
