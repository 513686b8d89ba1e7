// The Installing page: drives the whole installation with a progress bar.
#include "lib/generr.h"
#include "setup/setup.h"
#include "wizard/page_text.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

// Lets pending messages run between two files: paints the pages and the
// background, moves the bar, and lets the user press Cancel. Never waits.
static void pump_messages()
{
    MSG msg;
    for (int pass = 0; pass < 100; ++pass) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

int install_page()
{
    PAGE page;
    open_page(page, main_window, IDD_INSTALLING);

    char text[512]; // the introduction, then each file line and destination path
    format_cut(text, sizeof text,
               "Installing the %s application to %s.  Press the cancel button to abort the installation.",
               setup_job.get_apptitle(), setup_job.get_installpath());
    SetDlgItemTextA(page.dialog, IDC_TEXT, text);
    ShowWindow(page.dialog, SW_SHOW);

    // Nothing is installed that the log could not name: the log and the
    // batch file that hands it to the uninstaller come first, and each step
    // that cannot record what it made ends the setup right after it.
    char log_name[MAX_PATH] = "";
    if (!setup_job.create_log(log_name, sizeof log_name))
        setup_error(page.dialog, error_db.get_error_msg(err_code), "%s", LOG_ERROR_DETAIL);
    if (!setup_job.prepare_install())
        install_error(page.dialog, "Error installing application!");
    if (!setup_job.write_uninstall_bat(log_name))
        setup_error(page.dialog, error_db.get_error_msg(err_code), "%s", LOG_ERROR_DETAIL);

    HWND bar = GetDlgItem(page.dialog, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(setup_job.num_files)));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);

    while (setup_job.more_files()) {
        SETUP_FILE *entry = setup_job.current_file();
        int percent = setup_job.percent_done();
        format_cut(text, sizeof text, "File %d of %d (%d%% Complete)", (int)setup_job.cur_file + 1,
                   (int)setup_job.num_files, percent);
        SetDlgItemTextA(page.dialog, IDC_FILE_LINE, text);
        setup_job.dest_path(text, 500);
        SetDlgItemTextA(page.dialog, IDC_DEST_PATH, text);
        SendMessageA(bar, PBM_STEPIT, 0, 0); // the bar moves before the copy
        pump_messages();

        // A Cancel confirmed in the pump stops here, before the next file,
        // and so never meets an overwrite question that would forget it.
        if (setup_aborted || setup_closed())
            break;
        if (setup_job.install_file())
            continue; // it moved the cursor itself
        if (err_code == ERR_OTHER_VERSION) {
            // text still holds the destination path
            if (overwrite_page(page.dialog, text) == IDC_OVERWRITE_FILE && !setup_job.copy_setup_file(nullptr))
                install_error(page.dialog, "Error installing file '%s'!", entry->name);
        } else {
            install_error(page.dialog, "Error installing file '%s'!", entry->name);
        }
        setup_job.next_file();
    }

    close_page(page);
    if (setup_closed())
        setup_aborted = true;
    end_if_aborted();
    return 0;
}
