// The Installing page: the engine's installation road with a progress bar.
#include "lib/generr.h"
#include "setup/install_road.h"
#include "setup/setup.h"
#include "wizard/page_refresh.h"
#include "wizard/page_text.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

namespace {

const size_t PAGE_TEXT_SIZE = 512; // the introduction and each file line
const int PUMP_LIMIT = 100;        // messages handled between two files at most

// Lets pending messages run between two files: paints the pages and the
// background, moves the bar, and lets the user press Cancel. Never waits,
// and stops at the first look that finds the queue empty: under Wine every
// look is a trip to the server, and an empty one without PM_NOYIELD also
// gives the processor away, which costs more than copying a small file.
void pump_messages()
{
    MSG msg;
    const UINT how = PM_REMOVE | PM_NOYIELD;
    for (int handled = 0; handled < PUMP_LIMIT && PeekMessageA(&msg, nullptr, 0, 0, how); ++handled) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The page's part of the road: its bar and texts, the pump, the warning.
class PAGE_FRONT : public ROAD_FRONT {
public:
    explicit PAGE_FRONT(HWND page) : dialog(page), bar(GetDlgItem(page, IDC_PROGRESS)) {}

    void begin_files(int32_t total) override { SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(total))); }

    void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) override
    {
        if (refresh.file_due(number, total, percent, destination, GetTickCount()))
            show(refresh.latest());
    }

    // Before a question or an error box: the page names the file it is about.
    void catch_up()
    {
        if (refresh.catch_up(GetTickCount()))
            show(refresh.latest());
    }

    bool cancelled() override
    {
        pump_messages();
        return setup_aborted || setup_closed();
    }

    OVERWRITE_ANSWER ask_overwrite(const char *destination) override
    {
        catch_up();
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
    PAGE_REFRESH refresh;

    void show(const SHOWN_FILE &file)
    {
        char line[PAGE_TEXT_SIZE];
        format_cut(line, sizeof line, "File %d of %d (%d%% Complete)", (int)file.number, (int)file.total,
                   (int)file.percent);
        SetDlgItemTextA(dialog, IDC_FILE_LINE, line);
        SetDlgItemTextA(dialog, IDC_DEST_PATH, file.destination);
        SendMessageA(bar, PBM_SETPOS, (WPARAM)file.number, 0); // the bar moves before the copy
    }
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
        page_front.catch_up();
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
