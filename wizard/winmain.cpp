// Program entry: one fixed sequence of pages. Each page runs its own message
// loop, which also serves the background window, so there is none here.
#include "lib/generr.h"
#include "setup/setup.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_state)
{
    CoInitialize(nullptr); // the shortcut is made through COM
    // The Installing page's template holds a progress bar; its window class
    // must exist before that dialog is created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    LoadStringA(instance, IDS_WINDOW_TITLE, window_title, WIZ_TEXT_LEN);
    LoadStringA(instance, IDS_WINDOW_CLASS, window_class_name, WIZ_TEXT_LEN);
    register_main_class(instance);

    if (!setup_job.load_ini("setup.ini")) {
        // A refused line is named, so that the author can mend it.
        if (setup_job.refused_line[0])
            setup_error(main_window, error_db.get_error_msg(err_code),
                        "Error loading setup config file 'SETUP.INI' at the line '%s'!", setup_job.refused_line);
        setup_error(main_window, error_db.get_error_msg(err_code), "Error loading setup config file 'SETUP.INI'!");
    }
    if (!create_main_window(instance, show_state))
        return 0;

    message_page("Setup - Welcome", "Next >>", true,
                 "This program will setup and install the %s application on your computer.  %s  You may abort the "
                 "setup by pressing the Cancel button at any time.\n\nPress the Next button below to continue...",
                 setup_job.get_apptitle(), setup_job.get_desc());
    select_dir_page();
    install_page();
    shortcut_page();
    // Only now: the shortcut writes its own lines to the log.
    setup_job.close_log();
    message_page("Setup - Complete", "Finish", false,
                 "The %s application has been installed.  If have problems or questions about the program:\n\n     "
                 "E-Mail: %s\n     Web Site: %s\n\nPress the Finish button below to exit setup...",
                 setup_job.get_apptitle(), setup_job.get_email(), setup_job.get_website());
    return 0;
}
