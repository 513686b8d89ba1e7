// Program entry: the command line, then either the silent run or one fixed
// sequence of pages. Each page runs its own message loop, which also serves
// the background window, so there is none here.
#include "lib/generr.h"
#include "setup/setup.h"
#include "wizard/page_text.h"
#include "wizard/resource.h"
#include "wizard/setup_args.h"
#include "wizard/silent_setup.h"
#include "wizard/wizard.h"

#include <commctrl.h>

// /S: no window of any kind, not even for a refused command line.
static int silent_run(const char *args, const SETUP_ARGS &command)
{
    bool programs = locate_programs_folder();
    int status = silent_setup(setup_job, args, command, programs ? programs_path : nullptr, report);
    release_programs_folder();
    report.close();
    return status;
}

// The usage box for /? or a line that cannot be used.
static int usage_box(const SETUP_ARGS &command, const char *problem)
{
    char text[MESSAGE_TEXT_SIZE + 256];
    if (problem)
        format_cut(text, sizeof text, "%s\n\n%s", problem, SETUP_USAGE_TEXT);
    else
        format_cut(text, sizeof text, "%s", SETUP_USAGE_TEXT);
    MessageBoxA(nullptr, text, "Setup - Usage", MB_OK | (command.usage && !problem ? MB_ICONINFORMATION : MB_ICONSTOP));
    return SETUP_EXIT_BAD_ARGS;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int show_state)
{
    SETUP_ARGS command;
    bool usable = parse_setup_args(args, command);
    exit_with_status = command.given;
    // Out of memory mid-way is no success either.
    if (exit_with_status)
        critical_exit_status = SETUP_EXIT_FAILED;

    CoInitialize(nullptr); // the shortcut is made through COM
    if (command.silent)
        return silent_run(args, command);
    char problem[MESSAGE_TEXT_SIZE];
    if (!usable) {
        format_cut(problem, sizeof problem, "%s: %s", setup_args_problem_text(command.problem), command.problem_word);
        return usage_box(command, problem);
    }
    if (command.usage)
        return usage_box(command, nullptr);
    if (command.log_file[0] && !report.open(command.log_file)) {
        format_cut(problem, sizeof problem, "The report '%s' cannot be created, or is a file that setup reads.",
                   command.log_file);
        return usage_box(command, problem);
    }
    report.line("setup", "%s", args ? args : "");

    // The Installing page's template holds a progress bar; its window class
    // must exist before that dialog is created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    LoadStringA(instance, IDS_WINDOW_TITLE, window_title, WIZ_TEXT_LEN);
    LoadStringA(instance, IDS_WINDOW_CLASS, window_class_name, WIZ_TEXT_LEN);
    register_main_class(instance);

    setup_error_status = SETUP_EXIT_DESCRIPTION;
    if (!setup_job.load_ini("setup.ini")) {
        report.description_refused(setup_job, err_code);
        // A refused line is named, so that the author can mend it.
        if (setup_job.refused_line[0])
            setup_error(main_window, error_db.get_error_msg(err_code),
                        "Error loading setup config file 'SETUP.INI' at the line '%s'!", setup_job.refused_line);
        setup_error(main_window, error_db.get_error_msg(err_code), "Error loading setup config file 'SETUP.INI'!");
    }
    setup_error_status = SETUP_EXIT_FAILED;
    report.line("loaded", "setup.ini: %s, %d files", setup_job.get_apptitle(), (int)setup_job.num_files);
    // Select Directory offers it, and checks it as a typed path.
    if (command.install_dir[0])
        setup_job.set_installpath(command.install_dir);
    if (!create_main_window(instance, show_state))
        return finish_setup(SETUP_EXIT_FAILED);

    message_page("Setup - Welcome", "Next >>", true,
                 "This program will setup and install the %s application on your computer.  %s  You may abort the "
                 "setup by pressing the Cancel button at any time.\n\nPress the Next button below to continue...",
                 setup_job.get_apptitle(), setup_job.get_desc());
    select_dir_page();
    install_page();
    if (command.no_shortcut)
        report.line("shortcut", "none: /NOSHORTCUT");
    else
        shortcut_page();
    // Only now: the shortcut writes its own lines to the log.
    setup_job.close_log();
    message_page("Setup - Complete", "Finish", false,
                 "The %s application has been installed.  If have problems or questions about the program:\n\n     "
                 "E-Mail: %s\n     Web Site: %s\n\nPress the Finish button below to exit setup...",
                 setup_job.get_apptitle(), setup_job.get_email(), setup_job.get_website());
    return finish_setup(SETUP_EXIT_INSTALLED);
}
