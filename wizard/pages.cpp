// The page pattern, the one dialog procedure of all pages, and the Welcome,
// Complete, Select Directory, Create Shortcut and overwrite warning pages.
#include <cstdarg>
#include <cstring>

#include "platform/dll_safety.h"
#include "lib/fileutil.h"
#include "lib/generr.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/setup.h"
#include "setup/front_text.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

#include <commctrl.h>

bool setup_aborted = false;
LPITEMIDLIST programs_pidl = nullptr;
char programs_path[MAX_PATH];

static const char *error_text() { return error_db.get_error_msg(err_code); }

bool setup_closed() { return main_window && !IsWindow(main_window); }

bool open_page(PAGE &page, HWND parent, int template_id)
{
    page.parent = parent;
    page.parent_style = GetWindowLongA(parent, GWL_STYLE);
    SetWindowLongA(parent, GWL_STYLE, page.parent_style | WS_DISABLED);
    setup_aborted = false;
    page.dialog = CreateDialogParamA(app_instance, MAKEINTRESOURCEA(template_id), parent, page_dialog_proc, 0);
    if (!page.dialog) {
        // Without this the page's loop would wait for a button nobody can press.
        SetWindowLongA(parent, GWL_STYLE, page.parent_style & ~WS_DISABLED);
        // The table has no code of its own for a window that cannot be made;
        // the graphics one is the one about the display.
        err_code = ERR_GRAPHICS;
        setup_error(IsWindow(parent) ? parent : nullptr, error_text(), "Error opening setup page %d!", template_id);
        return false;
    }
    place_page(page.dialog);
    return true;
}

WPARAM run_page()
{
    MSG msg = {};
    // GetMessageA gives -1 on failure: that ends the loop like a quit.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The background's Exit command destroys it and ends the loop: the user
    // is done with the setup, as after a confirmed Cancel.
    if (setup_closed())
        setup_aborted = true;
    return msg.message == WM_QUIT ? msg.wParam : 0;
}

void close_page(PAGE &page)
{
    DestroyWindow(page.dialog);
    page.dialog = nullptr;
    if (IsWindow(page.parent))
        SetWindowLongA(page.parent, GWL_STYLE, page.parent_style & ~WS_DISABLED);
}

// A control's rectangle in its dialog's client coordinates.
static RECT rect_in(HWND dialog, HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, (POINT *)&rect, 2);
    return rect;
}

// Grows text to the height of its whole text, as fit_text says.
static void grow_to_text(HWND dialog, HWND text)
{
    char content[MESSAGE_TEXT_SIZE] = "";
    GetWindowTextA(text, content, sizeof content);
    RECT box;
    GetClientRect(text, &box);
    RECT need = box;
    // Measured as the static draws it: with SS_NOPREFIX "&" as written, with
    // SS_EDITCONTROL a word longer than the line broken where it meets the edge.
    LONG style = GetWindowLongA(text, GWL_STYLE);
    UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & SS_EDITCONTROL)
        format |= DT_EDITCONTROL;
    HDC dc = GetDC(text);
    HGDIOBJ previous = SelectObject(dc, (HGDIOBJ)SendMessageA(text, WM_GETFONT, 0, 0));
    DrawTextA(dc, content, -1, &need, format);
    SelectObject(dc, previous);
    ReleaseDC(text, dc);

    RECT page;
    GetWindowRect(dialog, &page);
    int room = GetSystemMetrics(SM_CYSCREEN) - (page.bottom - page.top);
    int grow = need.bottom - box.bottom < room ? need.bottom - box.bottom : room;
    if (grow <= 0)
        return;
    RECT old = rect_in(dialog, text);
    const UINT how = SWP_NOZORDER | SWP_NOACTIVATE;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = rect_in(dialog, child);
        if (child == text)
            SetWindowPos(child, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + grow, how | SWP_NOMOVE);
        else if (r.top >= old.bottom)
            SetWindowPos(child, nullptr, r.left, r.top + grow, 0, 0, how | SWP_NOSIZE);
    }
    // Still centred, as the template places it, and below the title.
    int top = page.top - grow / 2 > 0 ? page.top - grow / 2 : 0;
    SetWindowPos(dialog, nullptr, page.left, top, page.right - page.left, page.bottom - page.top + grow, how);
    place_page(dialog);
}

void fit_text(HWND dialog, int id)
{
    // What setup.ini says is shown as written: "&" is no mnemonic, and an
    // e-mail address or a path with no blank for a line is broken in it.
    HWND text = GetDlgItem(dialog, id);
    SetWindowLongA(text, GWL_STYLE, GetWindowLongA(text, GWL_STYLE) | SS_NOPREFIX | SS_EDITCONTROL);
    grow_to_text(dialog, text);
}

void fit_labels(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND label = GetWindow(dialog, GW_CHILD); label; label = GetWindow(label, GW_HWNDNEXT)) {
        char name[16] = "", content[MESSAGE_TEXT_SIZE] = "";
        GetClassNameA(label, name, sizeof name);
        LONG style = GetWindowLongA(label, GWL_STYLE);
        if (lstrcmpiA(name, "Static") != 0 || (style & SS_TYPEMASK) != SS_LEFT)
            continue;
        GetWindowTextA(label, content, sizeof content);
        RECT line = {0, 0, 0, 0}, box;
        GetClientRect(label, &box);
        HDC dc = GetDC(label);
        HGDIOBJ previous = SelectObject(dc, (HGDIOBJ)SendMessageA(label, WM_GETFONT, 0, 0));
        DrawTextA(dc, content, -1, &line, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        SelectObject(dc, previous);
        ReleaseDC(label, dc);
        // A label of one line that the font makes wider than the template
        // allowed for: wider, up to the page's right margin, over no other
        // control; else it takes more lines. A few pixels to spare, as the
        // static wraps a text exactly as wide as its box.
        RECT wide = rect_in(dialog, label);
        int width = line.right + 4;
        if (line.right > box.right && line.bottom * 2 > box.bottom) {
            wide.right = wide.left + width < client.right - wide.left ? wide.left + width : client.right - wide.left;
            bool free = true;
            for (HWND other = GetWindow(dialog, GW_CHILD); other && free; other = GetWindow(other, GW_HWNDNEXT)) {
                RECT r = rect_in(dialog, other), common;
                free = other == label || !IntersectRect(&common, &wide, &r);
            }
            if (free && wide.right > wide.left + box.right)
                SetWindowPos(label, nullptr, 0, 0, wide.right - wide.left, box.bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        }
        grow_to_text(dialog, label);
    }
}

void place_page(HWND dialog)
{
    RECT page;
    GetWindowRect(dialog, &page);
    int height = page.bottom - page.top;
    int top = page.top, below = background_title_bottom() + 8;
    if (top < below)
        top = below;
    if (top + height > GetSystemMetrics(SM_CYSCREEN))
        top = GetSystemMetrics(SM_CYSCREEN) - height;
    if (top < 0)
        top = 0;
    if (top != page.top)
        SetWindowPos(dialog, nullptr, page.left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

// A page's answer once it has closed.
static FRONT_ANSWER page_answer() { return setup_aborted ? FRONT_CANCELLED : FRONT_GO_ON; }

// The quit message carries the command's own wParam: the page's quit code.
static void post_quit(HWND dialog, WPARAM wparam, LPARAM lparam) { PostMessageA(dialog, WM_QUIT, wparam, lparam); }

bool confirm_cancel(HWND owner)
{
    return MessageBoxA(owner, "Do you really wish to cancel the Setup process?", "Cancel Setup",
                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

static void free_item_list(LPITEMIDLIST item)
{
    IMalloc *allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(item);
        allocator->Release();
    }
}

// Selects the folder that lParam names once the browse is shown.
static int CALLBACK select_start_folder(HWND browse, UINT message, LPARAM, LPARAM start)
{
    if (message == BFFM_INITIALIZED && start)
        SendMessageA(browse, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

// Browse on Select Directory: the chosen folder with the application's own
// directory name below it. A folder without a file-system path, or one too
// long to take the name, leaves the field as it was. It opens at the folder
// typed in the field, or the nearest one above it that exists.
static void browse_install_path(HWND dialog)
{
    char display_name[MAX_PATH] = "";
    char typed[MAX_PATH] = "", start[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = dialog;
    info.pidlRoot = nullptr; // the whole desktop may be browsed
    info.pszDisplayName = display_name;
    info.lpszTitle = "Choose Install Path";
    GetDlgItemTextA(dialog, IDC_INSTALL_PATH, typed, sizeof typed);
    if (browse_start_folder(typed, start, sizeof start)) {
        info.lpfn = select_start_folder;
        info.lParam = (LPARAM)start;
    }
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return;
    char folder[MAX_PATH] = "";
    char field[MAX_PATH];
    if (SHGetPathFromIDListA(item, folder) && join_browsed_path(field, sizeof field, folder, setup_job.get_basepath()))
        SetDlgItemTextA(dialog, IDC_INSTALL_PATH, field);
    free_item_list(item);
}

// Browse on Create Shortcut, offering only the Programs folder and below; the
// field takes the choice relative to the Programs folder. The browse is owned
// by the page, so that the page takes no clicks while it is open.
static void browse_shortcut_folder(HWND dialog)
{
    char display_name[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = dialog;
    info.pidlRoot = programs_pidl;
    info.pszDisplayName = display_name;
    info.lpszTitle = "Select Shortcut Folder";
    info.ulFlags = BIF_EDITBOX;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return;
    char folder[MAX_PATH] = "";
    if (SHGetPathFromIDListA(item, folder)) {
        const char *below = path_below(folder, programs_path);
        if (below)
            SetDlgItemTextA(dialog, IDC_SHORTCUT_FOLDER, below);
    }
    free_item_list(item);
}

INT_PTR CALLBACK page_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
        return TRUE; // focus to the first tab stop
    if (message != WM_COMMAND)
        return FALSE;

    switch (LOWORD(wparam)) {
    case IDC_MAIN: // Next, Finish, Install, Continue
    case IDC_SKIP_FILE:
    case IDC_OVERWRITE_FILE: post_quit(dialog, wparam, lparam); return FALSE;
    case IDC_CANCEL:
        if (confirm_cancel(dialog)) {
            setup_aborted = true;
            post_quit(dialog, wparam, lparam);
        }
        return TRUE;
    case IDC_BROWSE_DIR: // a static text on the other templates: sends nothing
        browse_install_path(dialog);
        return TRUE;
    case IDC_BROWSE_SHORTCUT: browse_shortcut_folder(dialog); return TRUE;
    case IDC_SKIP_SHORTCUT:
        setup_aborted = true; // here only "no shortcut": the page goes on
        post_quit(dialog, wparam, lparam);
        return TRUE;
    case IDC_ABORT_SETUP:
        // The user's answer to the overwrite question is to stop, as with a
        // confirmed Cancel.
        setup_aborted = true;
        post_quit(dialog, wparam, lparam);
        return TRUE;
    }
    return FALSE;
}

FRONT_ANSWER message_page(const char *title, const char *button, bool show_cancel, const char *format, ...)
{
    PAGE page;
    if (!open_page(page, main_window, IDD_MESSAGE))
        return FRONT_ENDED;
    SetWindowTextA(page.dialog, title);
    SetDlgItemTextA(page.dialog, IDC_MAIN, button);

    char text[MESSAGE_TEXT_SIZE];
    va_list args;
    va_start(args, format);
    vformat_cut(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(page.dialog, IDC_TEXT, text);
    fit_text(page.dialog, IDC_TEXT);

    HWND cancel = GetDlgItem(page.dialog, IDC_CANCEL);
    LONG style = GetWindowLongA(cancel, GWL_STYLE);
    SetWindowLongA(cancel, GWL_STYLE, show_cancel ? (style | WS_VISIBLE) : (style & ~WS_VISIBLE));

    ShowWindow(page.dialog, SW_SHOW);
    run_page();
    close_page(page);
    return page_answer();
}

FRONT_ANSWER WIZARD_FRONT::welcome(const SETUP_TYPE &job)
{
    // The Installing page's template holds a progress bar; its window class
    // must exist before that dialog is created.
    init_common_controls(ICC_PROGRESS_CLASS);
    LoadStringA(module, IDS_WINDOW_TITLE, window_title, WIZ_TEXT_LEN);
    LoadStringA(module, IDS_WINDOW_CLASS, window_class_name, WIZ_TEXT_LEN);
    register_main_class(module);
    if (!create_main_window(module, show))
        return FRONT_ENDED;
    return message_page("Setup - Welcome", "Next >>", true,
                        "This program will setup and install the %s application on your computer.  %s  You may "
                        "abort the setup by pressing the Cancel button at any time.\n\nPress the Next button below "
                        "to continue...",
                        job.get_apptitle(), job.get_desc());
}

FRONT_ANSWER WIZARD_FRONT::complete(const SETUP_TYPE &job)
{
    // The background closed on Create Shortcut: only "no shortcut" was asked for there.
    if (setup_closed())
        return FRONT_ENDED;
    return message_page("Setup - Complete", "Finish", false,
                        "The %s application has been installed.  If have problems or questions about the "
                        "program:\n\n     E-Mail: %s\n     Web Site: %s\n\nPress the Finish button below to exit "
                        "setup...",
                        job.get_apptitle(), job.get_email(), job.get_website());
}

FRONT_ANSWER WIZARD_FRONT::choose_directory(SETUP_TYPE &job)
{
    PAGE page;
    if (!open_page(page, main_window, IDD_SELECT_DIR))
        return FRONT_ENDED;
    SetDlgItemTextA(page.dialog, IDC_INSTALL_PATH, job.get_installpath());
    fit_labels(page.dialog);
    ShowWindow(page.dialog, SW_SHOW);

    // Taken however the page ended; Install takes only a full path ("C:"
    // counts, as it gains its backslash), and the page stays until it has one.
    for (;;) {
        run_page();
        char path[MAX_PATH] = "";
        GetDlgItemTextA(page.dialog, IDC_INSTALL_PATH, path, MAX_PATH);
        job.set_installpath(path);
        if (setup_aborted || job.install_path_usable())
            break;
        // A relative path would install below wherever setup happens to run;
        // the others say which folder name Windows would refuse or change.
        char warning[512];
        install_path_warning(job.get_installpath(), err_code, job.get_apptitle(), warning, sizeof warning);
        MessageBoxA(page.dialog, warning, "Setup Warning", MB_ICONWARNING | MB_OK);
    }

    close_page(page);
    return page_answer();
}

bool locate_programs_folder()
{
    if (SHGetSpecialFolderLocation(main_window, CSIDL_PROGRAMS, &programs_pidl) != S_OK)
        return false;
    programs_path[0] = '\0';
    if (SHGetPathFromIDListA(programs_pidl, programs_path) && programs_path[0] &&
        std::strlen(programs_path) < MAX_PATH - 1) {
        terminate_path(programs_path);
        return true;
    }
    release_programs_folder();
    return false;
}

void release_programs_folder()
{
    if (programs_pidl)
        free_item_list(programs_pidl);
    programs_pidl = nullptr;
}

SHORTCUT_ANSWER WIZARD_FRONT::choose_shortcut_folder(SHORTCUT_CHOICE &choice)
{
    if (!locate_programs_folder()) {
        MessageBoxA(main_window,
                    "Could not locate the Programs folder to install the application's Shortcut.  You will have to "
                    "manually create the shortcut...",
                    "Setup Warning", MB_ICONWARNING | MB_OK);
        return SHORTCUT_NO_PROGRAMS;
    }

    PAGE page;
    if (!open_page(page, main_window, IDD_SHORTCUT)) {
        release_programs_folder();
        return SHORTCUT_ENDED;
    }
    SetDlgItemTextA(page.dialog, IDC_SHORTCUT_FOLDER, choice.below);
    fit_labels(page.dialog);
    ShowWindow(page.dialog, SW_SHOW);
    // Skip only means "no shortcut"; a closed background ends the setup
    // after it (complete). Continue takes only a folder below Programs.
    SHORTCUT_ANSWER answer = SHORTCUT_SKIP;
    for (;;) {
        run_page();
        if (setup_aborted)
            break;
        char below[sizeof choice.below] = "";
        GetDlgItemTextA(page.dialog, IDC_SHORTCUT_FOLDER, below, sizeof below);
        if (shortcut_folder_stays_below(below)) {
            format_cut(choice.below, sizeof choice.below, "%s", below);
            format_cut(choice.programs, sizeof choice.programs, "%s", programs_path);
            answer = SHORTCUT_MAKE;
            break;
        }
        MessageBoxA(page.dialog,
                    "Please enter a folder inside the Programs folder: without a drive, a leading backslash or "
                    "\"..\", and without names that Windows changes or reserves, such as a trailing dot or NUL.",
                    "Setup Warning", MB_ICONWARNING | MB_OK);
    }
    close_page(page);
    release_programs_folder();
    return answer;
}

int overwrite_page(HWND parent, const char *destination)
{
    PAGE page;
    if (!open_page(page, parent, IDD_OVERWRITE))
        return 0;
    SetDlgItemTextA(page.dialog, IDC_OVERWRITE_PATH, destination);
    fit_text(page.dialog, IDC_OVERWRITE_PATH);
    fit_labels(page.dialog);
    ShowWindow(page.dialog, SW_SHOW);
    WPARAM quit_code = run_page();
    close_page(page);
    return setup_aborted ? IDC_ABORT_SETUP : LOWORD(quit_code);
}
