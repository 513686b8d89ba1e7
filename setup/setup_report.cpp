#include "setup/setup_report.h"

#include <cstdarg>
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/platform.h"
#include "setup/front_text.h"
#include "setup/inputs.h"
#include "setup/setup_exit.h"

const char *report_word(REPORT_WORD word)
{
    static const char *const words[] = {"setup",   "loaded",   "log",     "uninstaller", "files",     "created",
                                        "kept",    "replaced", "skipped", "aborted",     "cancelled", "failed",
                                        "refused", "shortcut", "entry",   "box",         "damaged",   "in-use",
                                        "undone",  "left",     "exit"};
    static_assert(sizeof words / sizeof words[0] == REPORT_EXIT + 1, "one word for each REPORT_WORD");
    return word >= REPORT_SETUP && word <= REPORT_EXIT ? words[word] : "";
}

bool SETUP_REPORT::open(const char *path)
{
    close();
    // Never a device (COM1 would wait for ever), nor a file that setup is
    // about to read: the report would empty it first.
    if (!path || !path[0] || path_names_device(path) || is_setup_input(path))
        return false;
    file = plat_fopen(path, "w");
    return file != nullptr;
}

void SETUP_REPORT::close()
{
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}

void SETUP_REPORT::line(REPORT_WORD word, const char *format, ...)
{
    if (!file)
        return;
    char text[REPORT_LINE_SIZE];
    va_list args;
    va_start(args, format);
    vformat_cut(text, sizeof text, format, args);
    va_end(args);
    // A report that can no longer be written must not stop the installation:
    // the setup log stays the record of what was made.
    std::fprintf(file, "%s %s\n", report_word(word), text);
    std::fflush(file);
}

void SETUP_REPORT::error_line(REPORT_WORD word, const char *what, int32_t code)
{
    const char *message = error_db.get_error_msg(code);
    line(word, "%s: error %d: %s", what, (int)code, message ? message : "");
}

void SETUP_REPORT::exit_line(int status)
{
    static const char *const meanings[] = {"installed", "setup.ini or the install directory refused",
                                           "the installation stopped part-way", "bad command line",
                                           "the setup package is damaged"};
    bool known = status >= SETUP_EXIT_INSTALLED && status <= SETUP_EXIT_DAMAGED;
    line(REPORT_EXIT, "%d: %s", status, known ? meanings[status] : "unknown");
}

void SETUP_REPORT::description_refused(const SETUP_TYPE &job, int32_t code)
{
    char what[MAX_INI_LINE + 32];
    if (job.refused_line[0])
        format_cut(what, sizeof what, "setup.ini at the line '%s'", job.refused_line);
    else
        format_cut(what, sizeof what, "setup.ini");
    error_line(REPORT_REFUSED, what, code);
}

void REPORT_FRONT::begin_files(int32_t total)
{
    report.line(REPORT_LOG, "%s", job.log.path);
    if (job.uninstaller.choice != UNINSTALLER_NOT_BROUGHT) {
        char uninstaller[LOG_PATH_SIZE + 96];
        describe_uninstaller(job.uninstaller, uninstaller, sizeof uninstaller);
        report.line(REPORT_UNINSTALLER, "%s", uninstaller);
    }
    if (job.batch_kept)
        report.line(REPORT_SKIPPED, "%s%s%s: there already and not this installation's, kept", job.get_installpath(),
                    separator_after(job.get_installpath()), BATCH_FILE_NAME);
    report.line(REPORT_FILES, "%d to install in %s", (int)total, job.get_installpath());
    inner.begin_files(total);
}

void REPORT_FRONT::settle_pending()
{
    if (pending[0])
        report.line(outcome, "%s", pending);
    pending[0] = '\0';
}

void REPORT_FRONT::show_file(int32_t number, int32_t total, int32_t percent, const char *destination)
{
    settle_pending();
    format_cut(pending, sizeof pending, "%s", destination);
    // The road leaves a file with the same bytes alone: kept, not created.
    outcome = file_exists(pending) ? REPORT_KEPT : REPORT_CREATED;
    inner.show_file(number, total, percent, destination);
}

bool REPORT_FRONT::cancelled() { return inner.cancelled(); }

OVERWRITE_ANSWER REPORT_FRONT::ask_overwrite(const char *destination)
{
    OVERWRITE_ANSWER answer = inner.ask_overwrite(destination);
    switch (answer) {
    case OVERWRITE_REPLACE: outcome = REPORT_REPLACED; break;
    case OVERWRITE_SKIP:
        report.error_line(REPORT_SKIPPED, destination, ERR_OTHER_VERSION);
        pending[0] = '\0';
        break;
    case OVERWRITE_ABORT: outcome = REPORT_ABORTED; break;
    }
    return answer;
}

// Each refusal once: a silent run's retries are the report's record of
// how long it waited.
IN_USE_ANSWER REPORT_FRONT::ask_in_use(const char *destination, int32_t attempt)
{
    report.line(REPORT_IN_USE, "%s: refused %d time(s)", destination, (int)attempt);
    IN_USE_ANSWER answer = inner.ask_in_use(destination, attempt);
    if (answer == IN_USE_ABORT)
        outcome = REPORT_ABORTED;
    return answer;
}

void REPORT_FRONT::finish(const ROAD_RESULT &road)
{
    switch (road.end) {
    case ROAD_DONE: settle_pending(); return;
    case ROAD_CANCELLED:
        if (pending[0])
            report.line(REPORT_CANCELLED, "before %s", pending);
        else
            report.line(REPORT_CANCELLED, "before the first file");
        break;
    case ROAD_ABORTED: settle_pending(); break; // "aborted <the file kept>"
    case ROAD_FAILED: {
        char what[SHOWN_PATH_SIZE + 32];
        switch (road.step) {
        case STEP_LOG: format_cut(what, sizeof what, "setup log"); break;
        case STEP_PREPARE: format_cut(what, sizeof what, "install directory %s", job.get_installpath()); break;
        case STEP_BATCH: format_cut(what, sizeof what, "%s and %s", BATCH_FILE_NAME, UNINSTALLER_NAME); break;
        case STEP_FILE: format_cut(what, sizeof what, "%s", pending[0] ? pending : road.file_name); break;
        }
        report.error_line(REPORT_FAILED, what, road.code);
        break;
    }
    }
    pending[0] = '\0';
}
