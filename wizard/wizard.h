// The setup wizard: program entry, the background window, the pages and
// their shared dialog procedure. Windows only.
#ifndef WIZARD_WIZARD_H
#define WIZARD_WIZARD_H

#include <windows.h>
#include <shlobj.h>

#include "wizard/setup_report.h"

const int WIZ_TEXT_LEN = 100;          // window title and class name buffers
const size_t MESSAGE_TEXT_SIZE = 1024; // the text of a message page or of the "Setup Error" box

// ---- globals (main_window.cpp, pages.cpp) ----
extern HINSTANCE app_instance; // the module whose templates the pages use
extern HWND main_window;       // the background window; null until created
extern char window_title[WIZ_TEXT_LEN];
extern char window_class_name[WIZ_TEXT_LEN];
// Set by a confirmed Cancel (and by Skip on Create Shortcut); cleared by
// every page when it opens.
extern bool setup_aborted;
extern LPITEMIDLIST programs_pidl; // the Programs folder while Create Shortcut runs
extern char programs_path[MAX_PATH];

// ---- how the program ends (main_window.cpp) ----
// Started with any argument: the exit status says what happened (a
// SETUP_EXIT); without one it is always 0.
extern bool exit_with_status;
// setup_error's status: SETUP_EXIT_DESCRIPTION while setup.ini is read,
// SETUP_EXIT_FAILED after.
extern int setup_error_status;
// The report of /LOG=; writes nothing when it is not open.
extern SETUP_REPORT report;
// The exit status for status, after the report's last line.
int finish_setup(int status);
// Ends the program with finish_setup(status); static destructors run, so the
// setup log is closed with every line.
[[noreturn]] void end_setup(int status);

// ---- background window and error box (main_window.cpp) ----
void register_main_class(HINSTANCE instance);
// Creates, shows and paints the background window; false when it cannot be made.
bool create_main_window(HINSTANCE instance, int show_state);
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Shows the "Setup Error" box with error_text and the formatted detail, then
// ends the program with setup_error_status. owner may be null.
[[noreturn]] void setup_error(HWND owner, const char *error_text, const char *detail_format, ...)
    __attribute__((format(printf, 3, 4)));
// The "Setup Error" box for a failed step of the installation, with the text
// of err_code. The detail names the step, unless a line of the setup log
// could not be written (ERR_FILE_WRITE): the box then says that, for the step itself
// may have done its work.
[[noreturn]] void install_error(HWND owner, const char *detail_format, ...) __attribute__((format(printf, 2, 3)));
// The credit line at the bottom right of the background.
extern const char *const credit_text;

// ---- pages (pages.cpp, install_page.cpp) ----
INT_PTR CALLBACK page_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// True when the user answers Yes to "Do you really wish to cancel...".
bool confirm_cancel(HWND owner);
int message_page(const char *title, const char *button, bool show_cancel, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
int select_dir_page();
int install_page();
int shortcut_page();
// Returns the button that ended the warning: IDC_SKIP_FILE or IDC_OVERWRITE_FILE.
int overwrite_page(HWND parent, const char *destination);

// ---- the page pattern shared by the pages (pages.cpp) ----
struct PAGE {
    HWND parent;
    LONG parent_style; // as read before the parent was disabled
    HWND dialog;
};
// Disables the parent, clears setup_aborted and creates the dialog from the
// template. When the dialog cannot be created the program ends through the
// "Setup Error" box: a page that never appears could never be finished.
void open_page(PAGE &page, HWND parent, int template_id);
// Runs the message loop of the open page until a quit message; returns its
// wParam.
WPARAM run_page();
// Destroys the dialog and re-enables the parent.
void close_page(PAGE &page);
// Ends the program (SETUP_EXIT_FAILED: nothing or not all installed) after a
// confirmed Cancel, or when the background window has been closed.
void end_if_aborted();
// True once the background window has been destroyed (its Exit command).
bool setup_closed();
// Finds the Programs folder into programs_pidl and programs_path (ending in
// a backslash); false, with nothing held, when it has no file-system path.
bool locate_programs_folder();
void release_programs_folder();

#endif
