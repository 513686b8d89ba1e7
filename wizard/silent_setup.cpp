#include "wizard/silent_setup.h"

#include "lib/generr.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "wizard/page_text.h"

// The last line, then the status.
static int ended(SETUP_REPORT &report, int status)
{
    report.exit_line(status);
    return status;
}

// The shortcut as Create Shortcut makes it when Continue is pressed on its
// default. True when it was made, or when there is no Programs folder to
// make it in (the wizard then only warns, and so does the report).
static bool make_default_shortcut(SETUP_TYPE &job, const char *programs, SETUP_REPORT &report)
{
    if (!programs) {
        report.line("shortcut", "none: the Programs folder could not be located");
        return true;
    }
    char relative[SETUP_PATH_SIZE];
    char folder[SETUP_PATH_SIZE];
    if (!default_shortcut_folder(job.get_apptitle(), relative, sizeof relative) ||
        !join_path(folder, sizeof folder, programs, relative)) {
        report.error_line("failed", "shortcut", ERR_STRING_BOUNDS);
        return false;
    }
    if (!job.create_shortcut(folder)) {
        report.error_line("failed", "shortcut", err_code);
        return false;
    }
    report.line("shortcut", "made in %s", folder);
    return true;
}

int silent_setup(SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args, const char *programs,
                 SETUP_REPORT &report)
{
    // A report is opened only from a line that was read whole: a refused
    // line may have meant another file.
    if (args.problem != SETUP_ARGS_OK || args.usage)
        return SETUP_EXIT_BAD_ARGS;
    if (args.log_file[0] && !report.open(args.log_file))
        return SETUP_EXIT_BAD_ARGS;
    report.line("setup", "%s", command_line ? command_line : "");

    if (!job.load_ini("setup.ini")) {
        report.description_refused(job, err_code);
        return ended(report, SETUP_EXIT_DESCRIPTION);
    }
    report.line("loaded", "setup.ini: %s, %d files", job.get_apptitle(), (int)job.num_files);
    if (args.install_dir[0])
        job.set_installpath(args.install_dir);
    // As Select Directory takes it: a full path with room for what goes
    // into it, or nothing is made.
    if (!job.install_path_usable()) {
        char what[SETUP_PATH_SIZE + 32];
        format_cut(what, sizeof what, "install directory '%s'", job.get_installpath());
        report.error_line("refused", what, err_code);
        return ended(report, SETUP_EXIT_DESCRIPTION);
    }

    DEFAULT_ANSWERS defaults;
    REPORT_FRONT front(job, defaults, report);
    ROAD_RESULT road = job.run_install_road(front);
    front.finish(road);
    if (road.end != ROAD_DONE)
        return ended(report, SETUP_EXIT_FAILED);

    bool shortcut_made = true;
    if (args.no_shortcut)
        report.line("shortcut", "none: /NOSHORTCUT");
    else
        shortcut_made = make_default_shortcut(job, programs, report);
    // Only now: the shortcut writes its own lines to the log.
    job.close_log();
    return ended(report, shortcut_made ? SETUP_EXIT_INSTALLED : SETUP_EXIT_FAILED);
}
