// The installation session. The report says what happened in the same
// words whichever front runs it; the front only adds what it shows.
#include "setup/session.h"

#include <cstring>

#include "lib/generr.h"
#include "platform/platform.h"
#include "setup/front_text.h"
#include "setup/names.h"
#include "setup/path_join.h"

SHORTCUT_ANSWER SILENT_FRONT::choose_shortcut_folder(SHORTCUT_CHOICE &choice)
{
    if (!programs_folder || !join_path(choice.programs, sizeof choice.programs, programs_folder))
        return SHORTCUT_NO_PROGRAMS;
    return SHORTCUT_MAKE;
}

IN_USE_ANSWER SILENT_FRONT::ask_in_use(const char *, int32_t attempt)
{
    if (attempt >= SILENT_IN_USE_TRIES)
        return IN_USE_FAIL;
    plat_sleep_ms(SILENT_IN_USE_PAUSE_MS);
    return IN_USE_RETRY;
}

namespace {

const char SHORTCUT_ERROR_DETAIL[] = "Error creating application Shortcuts!";

class SESSION {
public:
    SESSION(SETUP_TYPE &installing, const SETUP_ARGS &command, SETUP_FRONT &asking, SETUP_REPORT &to)
        : job(installing), args(command), front(asking), report(to)
    {
    }

    int run(const char *command_line);

private:
    SETUP_TYPE &job;
    const SETUP_ARGS &args;
    SETUP_FRONT &front;
    SETUP_REPORT &report;
    bool road_began = false;
    bool undone = false;
    char log_name[SETUP_PATH_SIZE] = ""; // the run's log, relative to the Windows directory
    char programs[SETUP_PATH_SIZE] = ""; // the shortcut's Programs folder, once chosen
    ENTRY_BEFORE entry_before = {};      // an earlier run's entry, before this run wrote it again

    // The last line, then the status. The setup log is closed first, with
    // every line it was given; a run that stops after the road began is
    // undone first.
    int ended(int status)
    {
        if (status != SETUP_EXIT_INSTALLED)
            undo();
        job.close_log();
        report.exit_line(status);
        report.close();
        return args.given ? status : SETUP_EXIT_INSTALLED;
    }
    // A step the front did not go on from.
    int left(FRONT_ANSWER answer)
    {
        if (answer == FRONT_CANCELLED)
            report.line(REPORT_CANCELLED, "by the user");
        return ended(SETUP_EXIT_FAILED);
    }
    int usage(const char *problem)
    {
        front.show_usage(problem);
        report.close();
        return SETUP_EXIT_BAD_ARGS;
    }
    void undo();
    void warn_left(const UNDO_RESULT &result);
    void find_description(char *log_file, size_t size);
    int load();
    int road();
    int shortcut();
    bool entry();
};

int SESSION::run(const char *command_line)
{
    // A report is opened only from a line that was read whole: a refused
    // line may have meant another file.
    char problem[REPORT_LINE_SIZE];
    if (args.problem != SETUP_ARGS_OK) {
        format_cut(problem, sizeof problem, "%s: %s", setup_args_problem_text(args.problem), args.problem_word);
        return usage(problem);
    }
    if (args.usage)
        return usage(nullptr);
    char log_file[SETUP_PATH_SIZE];
    find_description(log_file, sizeof log_file);
    if (log_file[0] && !report.open(log_file)) {
        format_cut(problem, sizeof problem, "The report '%s' cannot be created, or is a file that setup reads.",
                   args.log_file);
        return usage(problem);
    }
    report.line(REPORT_SETUP, "%s", command_line ? command_line : "");

    if (!job.load_ini("setup.ini"))
        return load();
    report.line(REPORT_LOADED, "setup.ini: %s, %d files", job.get_apptitle(), (int)job.num_files);
    if (args.install_dir[0])
        job.set_installpath(args.install_dir);
    FRONT_ANSWER answer = front.welcome(job);
    if (answer == FRONT_GO_ON)
        answer = front.choose_directory(job);
    if (answer != FRONT_GO_ON)
        return left(answer);
    // A relative path would install below wherever setup happens to run; a
    // long one would leave no room for what goes into it.
    if (!job.install_path_usable()) {
        char what[2 * SETUP_PATH_SIZE + 48];
        refused_install_dir(job.get_installpath(), what, sizeof what);
        report.error_line(REPORT_REFUSED, what, err_code);
        return ended(SETUP_EXIT_DESCRIPTION);
    }
    return road();
}

// Once: what the run made goes again, newest first, and what cannot go is
// told to the user. A front that went away shows nothing, and the report
// still gets a line per step.
void SESSION::undo()
{
    if (!road_began || undone)
        return;
    undone = true;
    UNDO_RESULT result = undo_setup(job, log_name, programs[0] ? programs : nullptr, front, report, &entry_before);
    if (result.ran && result.left > 0)
        warn_left(result);
    if (result.ran)
        front.undo_ended(result.left);
}

// What the undo could not remove, told to the user (a silent front shows
// nothing: its report has said it line by line).
void SESSION::warn_left(const UNDO_RESULT &result)
{
    char more[48] = "";
    if (result.left > 1)
        format_cut(more, sizeof more, " and %d more", (int)result.left - 1);
    char log_path[SETUP_PATH_SIZE];
    join_path(log_path, sizeof log_path, job.windows_dir ? job.windows_dir : "", log_name);
    char text[2 * REPORT_LINE_SIZE];
    format_cut(text, sizeof text,
               "Setup has undone the installation of %s, but could not remove %s%s: a program may be using it. "
               "The setup log %s names what stays, so that the uninstaller can remove it later.",
               job.get_apptitle(), result.first_left, more, log_path);
    front.show_warning(text);
}

// setup.ini and the files it lists are read from the current directory.
// Started from a shortcut or another folder that has no setup.ini, setup
// looks beside setup.exe and, when there is one there, works from there.
// The report (/LOG=, into log_file) stays where it was named: a relative
// name is made full first, and setup stays where it is when that would not
// fit.
void SESSION::find_description(char *log_file, size_t size)
{
    join_path(log_file, size, args.log_file);
    char program_dir[SETUP_PATH_SIZE];
    char beside[SETUP_PATH_SIZE];
    char here[SETUP_PATH_SIZE];
    if (file_present("setup.ini") || !plat_program_dir(program_dir, sizeof program_dir) ||
        !join_path(beside, sizeof beside, program_dir, "setup.ini") || !file_present(beside) ||
        !plat_getcwd(here, sizeof here))
        return;
    const char *name = args.log_file;
    bool relative = name[0] && name[0] != '\\' && name[0] != '/' && !std::strchr(name, ':');
    if (!relative || join_dir(log_file, size, here, name))
        plat_chdir(program_dir);
}

// setup.ini refused: a refused line is named, so that the author can mend it.
int SESSION::load()
{
    int32_t code = err_code;
    report.description_refused(job, code);
    char detail[SETUP_ERROR_DETAIL_SIZE];
    if (job.refused_line[0])
        format_cut(detail, sizeof detail, "Error loading setup config file 'SETUP.INI' at the line '%s'!",
                   job.refused_line);
    else {
        // Where it looked: started from a shortcut or from another folder,
        // the current directory need not be the one setup.exe lies in.
        char where[SETUP_PATH_SIZE];
        if (!plat_getcwd(where, sizeof where))
            format_cut(where, sizeof where, "the current directory");
        format_cut(detail, sizeof detail, "Error loading setup config file 'SETUP.INI' in %s!", where);
    }
    front.show_error(detail, code);
    return ended(SETUP_EXIT_DESCRIPTION);
}

int SESSION::road()
{
    FRONT_ANSWER answer = front.road_begins(job);
    if (answer != FRONT_GO_ON)
        return left(answer);
    REPORT_FRONT reporting(job, front, report);
    road_began = true;
    ROAD_RESULT result = job.run_install_road(reporting);
    reporting.finish(result);
    format_cut(log_name, sizeof log_name, "%s", result.log_name);
    if (result.end == ROAD_FAILED) {
        char detail[SETUP_ERROR_DETAIL_SIZE];
        road_failure_detail(result, detail, sizeof detail);
        front.show_error(detail, result.code);
        // While the Installing page still shows, and only then is it closed.
        undo();
        front.road_ended(result);
        return ended(SETUP_EXIT_FAILED);
    }
    if (result.end != ROAD_DONE)
        undo();
    answer = front.road_ended(result);
    // A Cancel, or Abort Setup on the warning: the user's own stop.
    if (answer == FRONT_GO_ON && result.end != ROAD_DONE)
        answer = FRONT_CANCELLED;
    if (answer != FRONT_GO_ON)
        return left(answer);
    return shortcut();
}

int SESSION::shortcut()
{
    int status = SETUP_EXIT_INSTALLED;
    SHORTCUT_CHOICE choice = {};
    char folder[SETUP_PATH_SIZE];
    if (args.no_shortcut) {
        report.line(REPORT_SHORTCUT, "none: /NOSHORTCUT");
    } else if (!default_shortcut_folder(job.get_apptitle(), choice.below, sizeof choice.below)) {
        err_code = ERR_STRING_BOUNDS;
        status = SETUP_EXIT_FAILED;
    } else {
        SHORTCUT_ANSWER chosen = front.choose_shortcut_folder(choice);
        if (chosen == SHORTCUT_MAKE)
            format_cut(programs, sizeof programs, "%s", choice.programs);
        switch (chosen) {
        case SHORTCUT_NO_PROGRAMS:
            report.line(REPORT_SHORTCUT, "none: the Programs folder could not be located");
            break;
        case SHORTCUT_SKIP: report.line(REPORT_SHORTCUT, "none: skipped"); break;
        case SHORTCUT_ENDED: return ended(SETUP_EXIT_FAILED);
        case SHORTCUT_MAKE:
            // The wizard asks again for such a folder; this is the last line.
            if (!shortcut_folder_stays_below(choice.below)) {
                err_code = ERR_FILE_NAME_LEAVES_DIR;
                status = SETUP_EXIT_FAILED;
            } else if (!join_path(folder, sizeof folder, choice.programs, choice.below)) {
                err_code = ERR_STRING_BOUNDS;
                status = SETUP_EXIT_FAILED;
            } else if (!job.create_shortcut(folder)) {
                status = SETUP_EXIT_FAILED;
            } else if (job.link_kept) {
                report.line(REPORT_SHORTCUT, "none: one of its name in %s is there already and was kept", folder);
            } else {
                report.line(REPORT_SHORTCUT, "made in %s", folder);
            }
            break;
        }
    }
    if (status == SETUP_EXIT_INSTALLED && !entry()) {
        int32_t code = err_code;
        report.error_line(REPORT_FAILED, "entry", code);
        front.show_error(LOG_ERROR_DETAIL, code);
        return ended(SETUP_EXIT_FAILED);
    }
    if (status != SETUP_EXIT_INSTALLED) {
        int32_t code = err_code;
        report.error_line(REPORT_FAILED, "shortcut", code);
        // The shortcut may be there when only its log line is missing.
        front.show_error(code == ERR_FILE_WRITE ? LOG_ERROR_DETAIL : SHORTCUT_ERROR_DETAIL, code);
        return ended(status);
    }
    // Only now: the shortcut writes its own lines to the log.
    job.close_log();
    FRONT_ANSWER answer = front.complete(job);
    return answer == FRONT_GO_ON ? ended(SETUP_EXIT_INSTALLED) : left(answer);
}

// The entry in Apps & Features, once everything is in place. Only a log
// that cannot name it stops the setup: without an entry the installation
// still works, and its uninstal.bat removes it.
bool SESSION::entry()
{
    char key[ENTRY_KEY_SIZE];
    if (job.log.taken_over && entry_key_name(job.log.path, key, sizeof key))
        save_entry(key, entry_before);
    APP_ENTRY_RESULT made = job.write_app_entry();
    const char *why = nullptr;
    switch (made.end) {
    case APP_ENTRY_WRITTEN: report.line(REPORT_ENTRY, "%s\\%s", PLAT_UNINSTALL_ROOT, made.key); return true;
    case APP_ENTRY_NOT_LOGGED: return false;
    case APP_ENTRY_NO_UNINSTALLER:
        report.line(REPORT_ENTRY, "none: no %s beside the setup log", UNINSTALLER_NAME);
        return true;
    case APP_ENTRY_FOREIGN: why = "belongs to another program"; break;
    case APP_ENTRY_REFUSED:
        why = made.why == PLAT_ACCESS_DENIED ? "could not be written: access denied" : "could not be written";
        break;
    }
    report.line(REPORT_ENTRY, "none: %s\\%s %s", PLAT_UNINSTALL_ROOT, made.key, why);
    char text[2 * REPORT_LINE_SIZE];
    format_cut(text, sizeof text,
               "%s is installed, but it has no entry in Apps & Features: the entry '%s' there %s, and setup left it "
               "as it is.\n\nTo remove %s, run %s in %s.",
               job.get_apptitle(), made.key, why, job.get_apptitle(), BATCH_FILE_NAME, job.get_installpath());
    front.show_warning(text);
    return true;
}

} // namespace

int run_setup(SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args, SETUP_FRONT &front,
              SETUP_REPORT &report)
{
    SESSION session(job, args, front, report);
    return session.run(command_line);
}
