// The Installing page: the engine's installation road with a progress bar.
#include "lib/generr.h"
#include "setup/install_road.h"
#include "setup/setup.h"
#include "wizard/page_text.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

namespace {

const size_t PAGE_TEXT_SIZE = 512; // the introduction and each file line
const int PUMP_PASSES = 100;       // messages handled between two files at most

// Lets pending messages run between two files: paints the pages and the
// background, moves the bar, and lets the user press Cancel. Never waits.
void pump_messages()
{
    MSG msg;
    for (int pass = 0; pass < PUMP_PASSES; ++pass) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// The page's part of the road: its bar and texts, the pump, the warning.
class PAGE_FRONT : public ROAD_FRONT {
public:
    explicit PAGE_FRONT(HWND page) : dialog(page), bar(GetDlgItem(page, IDC_PROGRESS)) {}

    void begin_files(int32_t total) override
    {
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(total)));
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
    }

    void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) override
    {
        char line[PAGE_TEXT_SIZE];
        format_cut(line, sizeof line, "File %d of %d (%d%% Complete)", (int)number, (int)total, (int)percent);
        SetDlgItemTextA(dialog, IDC_FILE_LINE, line);
        SetDlgItemTextA(dialog, IDC_DEST_PATH, destination);
        SendMessageA(bar, PBM_STEPIT, 0, 0); // the bar moves before the copy
    }

    bool cancelled() override
    {
        pump_messages();
        return setup_aborted || setup_closed();
    }

    OVERWRITE_ANSWER ask_overwrite(const char *destination) override
    {
        // Abort Setup, like a confirmed Cancel, ends the program as the
        // warning closes: that answer never comes back here.
        switch (overwrite_page(dialog, destination)) {
        case IDC_OVERWRITE_FILE: return OVERWRITE_REPLACE;
        case IDC_ABORT_SETUP: return OVERWRITE_ABORT;
        default: return OVERWRITE_SKIP;
        }
    }

private:
    HWND dialog;
    HWND bar;
};

} // namespace

int install_page()
{
    PAGE page;
    open_page(page, main_window, IDD_INSTALLING);

    char text[PAGE_TEXT_SIZE];
    format_cut(text, sizeof text,
               "Installing the %s application to %s.  Press the cancel button to abort the installation.",
               setup_job.get_apptitle(), setup_job.get_installpath());
    SetDlgItemTextA(page.dialog, IDC_TEXT, text);
    ShowWindow(page.dialog, SW_SHOW);

    PAGE_FRONT page_front(page.dialog);
    REPORT_FRONT front(setup_job, page_front, report);
    ROAD_RESULT road = setup_job.run_install_road(front);
    front.finish(road);
    if (road.end == ROAD_FAILED) {
        char detail[SETUP_ERROR_DETAIL_SIZE];
        road_failure_detail(road, detail, sizeof detail);
        setup_error(page.dialog, error_db.get_error_msg(road.code), "%s", detail);
    }

    close_page(page);
    if (road.end == ROAD_ABORTED || setup_closed())
        setup_aborted = true;
    end_if_aborted();
    return 0;
}
