// The Installing page: the engine's installation road with a progress bar.
#include "lib/generr.h"
#include "setup/front_text.h"
#include "setup/install_road.h"
#include "setup/setup.h"
#include "wizard/page_refresh.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

namespace {

const size_t PAGE_TEXT_SIZE = 512;  // each file line
const int PUMP_LIMIT = 100;         // messages handled between two files at most
const DWORD UNDONE_SHOWN_MS = 1500; // the page says "Undone" this long before the wizard ends

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

} // namespace

FRONT_ANSWER WIZARD_FRONT::road_begins(const SETUP_TYPE &job)
{
    if (!open_page(installing, main_window, IDD_INSTALLING)) {
        installing = {};
        return FRONT_ENDED;
    }
    bar = GetDlgItem(installing.dialog, IDC_PROGRESS);
    refresh = PAGE_REFRESH();
    page_failed = false;
    // The longest title and install path together: the whole introduction.
    char text[MESSAGE_TEXT_SIZE];
    format_cut(text, sizeof text,
               "Installing the %s application to %s.  Press the cancel button to abort the installation.",
               job.get_apptitle(), job.get_installpath());
    SetDlgItemTextA(installing.dialog, IDC_TEXT, text);
    fit_text(installing.dialog, IDC_TEXT);
    // A long destination loses its middle rather than its file name.
    HWND destination = GetDlgItem(installing.dialog, IDC_DEST_PATH);
    SetWindowLongA(destination, GWL_STYLE, GetWindowLongA(destination, GWL_STYLE) | SS_PATHELLIPSIS);
    ShowWindow(installing.dialog, SW_SHOW);
    return FRONT_GO_ON;
}

void WIZARD_FRONT::begin_files(int32_t total) { SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(total))); }

void WIZARD_FRONT::show_file(int32_t number, int32_t total, int32_t percent, const char *destination)
{
    if (refresh.file_due(number, total, percent, destination, GetTickCount()))
        show_latest();
}

// Before a question or an error box: the page names the file it is about.
void WIZARD_FRONT::catch_up()
{
    if (refresh.catch_up(GetTickCount()))
        show_latest();
}

void WIZARD_FRONT::show_latest()
{
    const SHOWN_FILE &file = refresh.latest();
    char line[PAGE_TEXT_SIZE];
    format_cut(line, sizeof line, "File %d of %d (%d%% Complete)", (int)file.number, (int)file.total,
               (int)file.percent);
    SetDlgItemTextA(installing.dialog, IDC_FILE_LINE, line);
    SetDlgItemTextA(installing.dialog, IDC_DEST_PATH, file.destination);
    SendMessageA(bar, PBM_SETPOS, (WPARAM)file.number, 0); // the bar moves before the copy
}

bool WIZARD_FRONT::cancelled()
{
    pump_messages();
    return setup_aborted || setup_closed();
}

OVERWRITE_ANSWER WIZARD_FRONT::ask_overwrite(const char *destination)
{
    catch_up();
    switch (overwrite_page(installing.dialog, destination)) {
    case IDC_OVERWRITE_FILE: return OVERWRITE_REPLACE;
    case IDC_SKIP_FILE: return OVERWRITE_SKIP;
    case IDC_ABORT_SETUP: return OVERWRITE_ABORT;
    default: page_failed = true; return OVERWRITE_ABORT;
    }
}

// A file that another program holds open: the user closes that program and
// tries again, or stops the setup, which then undoes what it made.
IN_USE_ANSWER WIZARD_FRONT::ask_in_use(const char *destination, int32_t)
{
    catch_up();
    char text[MESSAGE_TEXT_SIZE];
    format_cut(text, sizeof text,
               "The file %s is in use by another program, and setup cannot replace it.\n\nClose the program that "
               "uses it, then press Retry. Press Cancel to stop the setup and undo what it has installed.",
               destination);
    report.line(REPORT_BOX, "Setup - File in Use: %s", destination);
    HWND owner = installing.dialog ? installing.dialog : main_window;
    int pressed = MessageBoxA(owner, text, "Setup - File in Use", MB_RETRYCANCEL | MB_ICONWARNING);
    if (setup_closed())
        return IN_USE_ABORT;
    return pressed == IDRETRY ? IN_USE_RETRY : IN_USE_ABORT;
}

FRONT_ANSWER WIZARD_FRONT::road_ended(const ROAD_RESULT &)
{
    close_page(installing);
    installing = {};
    if (page_failed)
        return FRONT_ENDED;
    return setup_aborted || setup_closed() ? FRONT_CANCELLED : FRONT_GO_ON;
}

// The undo of a setup that stops part-way, on the Installing page: its text
// says so, the bar runs back, Cancel is off. After the road the page is
// opened again for it; with the background gone there is nothing to show on.
void WIZARD_FRONT::undo_begins(int32_t total)
{
    undo_page = false;
    if (setup_closed())
        return;
    if (!installing.dialog || !IsWindow(installing.dialog)) {
        bool aborted = setup_aborted; // open_page clears it
        if (!open_page(installing, main_window, IDD_INSTALLING)) {
            installing = {};
            setup_aborted = aborted;
            return;
        }
        setup_aborted = aborted;
        undo_page = true;
        ShowWindow(installing.dialog, SW_SHOW);
    }
    bar = GetDlgItem(installing.dialog, IDC_PROGRESS);
    char text[PAGE_TEXT_SIZE];
    format_cut(text, sizeof text,
               "Undoing the installation of %s: setup removes what it has installed so far, and then ends.",
               setup_job.get_apptitle());
    SetDlgItemTextA(installing.dialog, IDC_TEXT, text);
    EnableWindow(GetDlgItem(installing.dialog, IDC_CANCEL), FALSE);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LOWORD(total)));
    SendMessageA(bar, PBM_SETPOS, (WPARAM)total, 0);
    pump_messages();
}

void WIZARD_FRONT::undo_step(int32_t number, int32_t total, const char *what)
{
    if (!installing.dialog || !IsWindow(installing.dialog))
        return;
    char line[PAGE_TEXT_SIZE];
    format_cut(line, sizeof line, "Undoing %d of %d", (int)number, (int)total);
    SetDlgItemTextA(installing.dialog, IDC_FILE_LINE, line);
    SetDlgItemTextA(installing.dialog, IDC_DEST_PATH, what);
    SendMessageA(bar, PBM_SETPOS, (WPARAM)(total - number), 0);
    pump_messages();
}

void WIZARD_FRONT::undo_ended(int32_t left)
{
    if (!installing.dialog || !IsWindow(installing.dialog))
        return;
    char line[PAGE_TEXT_SIZE];
    if (left > 0)
        format_cut(line, sizeof line, "Undone, but for %d item(s) in use", (int)left);
    else
        format_cut(line, sizeof line, "Undone");
    SetDlgItemTextA(installing.dialog, IDC_FILE_LINE, line);
    SetDlgItemTextA(installing.dialog, IDC_DEST_PATH, "");
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    // Long enough to be read: an undo of a few files takes a blink.
    for (DWORD start = GetTickCount(); GetTickCount() - start < UNDONE_SHOWN_MS && !setup_closed();) {
        pump_messages();
        Sleep(20);
    }
    if (undo_page) {
        close_page(installing);
        installing = {};
        undo_page = false;
    }
}
