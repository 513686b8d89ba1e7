// The setup log that the uninstaller reads, and "uninstal.bat", which runs
// the uninstaller on it.
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/replace_file.h"
#include "setup/setup.h"

static const char LOG_SUBDIR[] = "UnInstal\\";
static const char UNINSTALLER[] = "uninstal.exe";
static const char BATCH_FILE[] = "uninstal.bat";

namespace {

// Text on its way to the setup log or the batch file. The parts of a line
// are gathered and go out in one write of the seam when the line ends, so
// that a full disk cuts a line in one place. A line longer than the buffer
// goes out in more writes.
class LINE_OUT {
public:
    explicit LINE_OUT(FILE *to) : stream(to), used(0), ok(true) {}
    void put(const char *text)
    {
        for (; *text; ++text)
            put_char(*text);
    }
    // Each "%" doubled, so that cmd shows and passes a batch file's text as
    // written (a single "%" would start a variable, "%~" even ends the batch
    // file).
    void put_batch_text(const char *text)
    {
        for (; *text; ++text) {
            if (*text == '%')
                put_char('%');
            put_char(*text);
        }
    }
    void end_line()
    {
        put_char('\n');
        write_out();
    }
    // False when a write fell short.
    bool written() const { return ok; }

private:
    FILE *stream;
    char buffer[1024];
    size_t used;
    bool ok;

    void put_char(char c)
    {
        if (used == sizeof buffer)
            write_out();
        buffer[used++] = c;
    }
    void write_out()
    {
        if (used > 0 && plat_fwrite(buffer, used, stream) != used)
            ok = false;
        used = 0;
    }
};

} // namespace

bool SETUP_TYPE::create_log() { return create_log(nullptr, 0); }

bool SETUP_TYPE::create_log(char *relative_name, uint32_t size)
{
    close_log();
    // Whatever goes wrong, the caller is left no name of a log that is not there.
    if (relative_name && size > 0)
        relative_name[0] = '\0';
    if (!windows_dir) {
        err_code = ERR_BAD_WINDOWS_PATH;
        return false;
    }

    // Refuse, before anything is created, a title or Windows directory whose
    // paths would not fit: the longest candidate with its letter, and the
    // uninstaller copy that write_uninstall_bat puts beside the log.
    const char *title = get_apptitle();
    char name[SETUP_PATH_SIZE];
    size_t sub_len = std::strlen(LOG_SUBDIR);
    bool named = title_file_name(title, name, sizeof name);
    size_t name_len = std::strlen(name) + std::strlen("a.log");
    size_t longest_name = name_len > std::strlen(UNINSTALLER) ? name_len : std::strlen(UNINSTALLER);
    if (!named || std::strlen(windows_dir) + sub_len + longest_name >= SETUP_PATH_SIZE ||
        (relative_name && sub_len + name_len >= size)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }

    char log_dir[SETUP_PATH_SIZE];
    join_path(log_dir, sizeof log_dir, windows_dir, LOG_SUBDIR);
    const char *relative_dir = LOG_SUBDIR;
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

    // The bare name, then the name with "a" to "y": 26 names in all.
    char suffix[2] = {0, 0};
    char path[SETUP_PATH_SIZE];
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
    bool written = log_line("; Setup log file for ", title, ".  Required for the uninstall.") &&
                   log_entry("AppTitle", title) && log_entry("EMail", get_email()) &&
                   (!made_dir || log_entry("MkDir", log_dir)) && log_entry("MkFile", path);
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

bool SETUP_TYPE::open_log(const char *path)
{
    close_log();
    if (!path || std::strlen(path) >= sizeof log_path) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    log_file = openfile(path, "wt", false);
    if (!log_file)
        return false;
    join_path(log_path, sizeof log_path, path);
    return true;
}

bool SETUP_TYPE::log_entry(const char *key, const char *value)
{
    if (!key || !value || !log_file) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    return log_line(key, "=", value);
}

bool SETUP_TYPE::ready_to_log()
{
    if (!log_file)
        err_code = ERR_NULL_POINTER;
    return log_file != nullptr;
}

bool SETUP_TYPE::log_line(const char *a, const char *b, const char *c)
{
    if (!a || !b || !c || !log_file) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    // On disk the line grows by its bytes with CR LF for each line end.
    const char *parts[] = {a, b, c};
    int64_t expected = log_length + 2; // the line end
    LINE_OUT line(log_file);
    for (const char *part : parts) {
        for (const char *p = part; *p; ++p)
            expected += *p == '\n' ? 2 : 1;
        line.put(part);
    }
    line.end_line();
    bool written = line.written();
    // Flushed at once, so that the log names everything made so far, however
    // the program stops. Some runtimes report a flush that met a full disk as
    // done, so the line counts only when the file has grown by all of it.
    if (written && std::fflush(log_file) == 0 && (int64_t)std::ftell(log_file) == expected) {
        log_length = expected;
        return true;
    }
    // Whatever part of the line got out is cut off again, so that the log
    // ends in a whole line and never names half a path. Nothing may follow
    // a lost line either: the log is closed.
    char path[SETUP_PATH_SIZE];
    int64_t whole = log_length;
    join_path(path, sizeof path, log_path);
    close_log();
    if (path[0])
        plat_truncate_file(path, whole);
    err_code = ERR_FILE_WRITE;
    return false;
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
        !join_path(batch_path, sizeof batch_path, get_installpath(), BATCH_FILE) ||
        !join_path(uninstaller_copy, sizeof uninstaller_copy, extract_path(log_dir, log_path_full, sizeof log_dir),
                   UNINSTALLER)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }

    if (!ready_to_log())
        return false;
    FILE *batch = openfile(batch_path, "wt", false);
    if (!batch)
        return false;
    LINE_OUT out(batch);
    out.put("rem This file uninstalls the ");
    out.put_batch_text(get_apptitle());
    out.put(" application.  The uninstallation");
    out.end_line();
    out.put("rem may fail if the setup log has been moved or deleted since the setup.");
    out.end_line();
    // Both in quotes: blanks, "&", "|", "<", ">" and "^" of the title's
    // file name stay part of the one argument.
    out.put("\"");
    out.put_batch_text(uninstaller_copy);
    out.put("\" \"");
    out.put_batch_text(relative_name);
    out.put("\"");
    out.end_line();
    bool written = out.written() && !std::ferror(batch);
    if (std::fclose(batch) != 0)
        written = false;
    // The file exists, whole or not, so the log names it either way.
    bool logged = log_entry("MkFile", batch_path);
    if (!written) {
        err_code = ERR_FILE_WRITE;
        return false;
    }
    if (!logged)
        return false;

    // An uninstaller beside setup that cannot be read is a failed copy, not
    // a missing one; and the copy must really be there for the batch file.
    if (file_present(UNINSTALLER) && path_crosses_link(uninstaller_copy)) {
        err_code = ERR_DEST_THROUGH_LINK;
        return false;
    }
    if (file_present(UNINSTALLER) &&
        (!replace_file(UNINSTALLER, uninstaller_copy) || !file_present(uninstaller_copy))) {
        err_code = ERR_COPY_FAILED;
        return false;
    }
    return true;
}
