// The setup wizard: program entry, the background window, the pages and
// their shared dialog procedure. Windows only.
#ifndef WIZARD_WIZARD_H
#define WIZARD_WIZARD_H

#include <windows.h>
#include <shlobj.h>

#include "setup/session.h"
#include "setup/setup_report.h"
#include "wizard/page_refresh.h"

const int WIZ_TEXT_LEN = 100;          // window title and class name buffers
const size_t MESSAGE_TEXT_SIZE = 1024; // the text of a message page or of the "Setup Error" box

// ---- globals (main_window.cpp, pages.cpp) ----
extern HINSTANCE app_instance; // the module whose templates the pages use
extern HWND main_window;       // the background window; null until created
extern char window_title[WIZ_TEXT_LEN];
extern char window_class_name[WIZ_TEXT_LEN];
// Set by a confirmed Cancel, by Skip on Create Shortcut, by Abort Setup on
// the overwrite warning, and by a page's loop that finds the background
// closed; cleared by every page when it opens.
extern bool setup_aborted;
extern LPITEMIDLIST programs_pidl; // the Programs folder while Create Shortcut runs
extern char programs_path[MAX_PATH];
// The report of /LOG=; writes nothing when it is not open.
extern SETUP_REPORT report;

// An open page.
struct PAGE {
    HWND parent;
    LONG parent_style; // as read before the parent was disabled
    HWND dialog;
};

// The wizard as the installation session's front: its pages, one after
// another, each returning the user's answer.
class WIZARD_FRONT : public SETUP_FRONT {
public:
    WIZARD_FRONT(HINSTANCE instance, int show_state) : module(instance), show(show_state) {}

    void show_usage(const char *problem) override;        // winmain.cpp
    FRONT_ANSWER welcome(const SETUP_TYPE &job) override; // pages.cpp, from here on
    FRONT_ANSWER choose_directory(SETUP_TYPE &job) override;
    SHORTCUT_ANSWER choose_shortcut_folder(SHORTCUT_CHOICE &choice) override;
    FRONT_ANSWER complete(const SETUP_TYPE &job) override;
    FRONT_ANSWER road_begins(const SETUP_TYPE &job) override; // install_page.cpp, from here on
    void begin_files(int32_t total) override;
    void show_file(int32_t number, int32_t total, int32_t percent, const char *destination) override;
    bool cancelled() override;
    OVERWRITE_ANSWER ask_overwrite(const char *destination) override;
    IN_USE_ANSWER ask_in_use(const char *destination, int32_t attempt) override;
    FRONT_ANSWER road_ended(const ROAD_RESULT &road) override;
    void undo_begins(int32_t total) override; // install_page.cpp
    void undo_step(int32_t number, int32_t total, const char *what) override;
    void undo_ended(int32_t left) override;
    void show_error(const char *detail, int32_t code) override; // main_window.cpp
    void show_warning(const char *text) override;

private:
    HINSTANCE module;
    int show;
    // The Installing page while the road runs.
    PAGE installing = {};
    HWND bar = nullptr;
    PAGE_REFRESH refresh;
    bool page_failed = false; // a page of the road could not be made (its box was shown)
    bool undo_page = false;   // the Installing page was opened again for the undo, which closes it
    void catch_up();
    void show_latest();
};

// ---- background window and error box (main_window.cpp) ----
void register_main_class(HINSTANCE instance);
// Creates, shows and paints the background window; false when it cannot be made.
bool create_main_window(HINSTANCE instance, int show_state);
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Shows the "Setup Error" box with error_text and the formatted detail, and
// reports it. owner may be null.
void setup_error(HWND owner, const char *error_text, const char *detail_format, ...)
    __attribute__((format(printf, 3, 4)));
// Where the background's title ends, in screen coordinates (0 without a
// background): the pages stay below it where the screen has the room.
int background_title_bottom();
// The credit line at the bottom right of the background.
extern const char *const credit_text;

// ---- pages (pages.cpp) ----
INT_PTR CALLBACK page_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// True when the user answers Yes to "Do you really wish to cancel...".
bool confirm_cancel(HWND owner);
FRONT_ANSWER message_page(const char *title, const char *button, bool show_cancel, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Returns the button that ended the warning: IDC_SKIP_FILE, IDC_OVERWRITE_FILE
// or IDC_ABORT_SETUP (also for a closed background); 0 when the page could
// not be made (its box was shown).
int overwrite_page(HWND parent, const char *destination);

// ---- the page pattern shared by the pages (pages.cpp) ----
// Disables the parent, clears setup_aborted and creates the dialog from the
// template. False, after the "Setup Error" box, when the dialog cannot be
// created: a page that never appears could never be finished.
bool open_page(PAGE &page, HWND parent, int template_id);
// Runs the message loop of the open page until a quit message; returns its
// wParam.
WPARAM run_page();
// Grows the text control id of dialog to the height its whole text takes,
// wrapped as the control wraps it, and moves the controls below it and the
// page's bottom edge down as much, the page still centred; never taller
// than the screen. Texts from setup.ini may take many more lines than a
// template gives them.
void fit_text(HWND dialog, int id);
// Widens or grows each left-aligned text of the page that its font makes
// longer than the template allowed for, as fit_text does.
void fit_labels(HWND dialog);
// Moves the page down below the background's title when it would cover a
// part of it and the screen has the room; a long title takes several lines.
void place_page(HWND dialog);
// Destroys the dialog and re-enables the parent.
void close_page(PAGE &page);
// True once the background window has been destroyed (its Exit command).
bool setup_closed();
// Finds the Programs folder into programs_pidl and programs_path (ending in
// a backslash); false, with nothing held, when it has no file-system path.
bool locate_programs_folder();
void release_programs_folder();

#endif
