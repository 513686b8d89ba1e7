// The background window that covers the screen behind the pages, and the
// "Setup Error" box.
#include <cstdarg>
#include <cstring>

#include "lib/generr.h"
#include "setup/setup.h"
#include "setup/front_text.h"
#include "wizard/resource.h"
#include "wizard/wizard.h"

HINSTANCE app_instance = nullptr;
HWND main_window = nullptr;
char window_title[WIZ_TEXT_LEN];
char window_class_name[WIZ_TEXT_LEN];

SETUP_REPORT report;

const char *const credit_text = "Setup program by the setup.exe developers";

static const COLORREF BACKGROUND_COLOUR = RGB(0, 0, 50);
static const DWORD MAIN_STYLE = WS_DLGFRAME | WS_SYSMENU;

void register_main_class(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(BACKGROUND_COLOUR);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = window_class_name;
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    RegisterClassExA(&wc);
}

bool create_main_window(HINSTANCE instance, int show_state)
{
    app_instance = instance;
    main_window =
        CreateWindowExA(0, window_class_name, window_title, MAIN_STYLE, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN),
                        GetSystemMetrics(SM_CYFULLSCREEN), nullptr, nullptr, instance, nullptr);
    if (!main_window)
        return false;
    // Windows gives every overlapped top-level window a caption bar (it adds
    // WS_BORDER to our WS_DLGFRAME). The background has none: take it away
    // again before the window is first shown.
    LONG style = GetWindowLongA(main_window, GWL_STYLE);
    if (style & WS_BORDER) {
        SetWindowLongA(main_window, GWL_STYLE, style & ~WS_BORDER);
        SetWindowPos(main_window, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(main_window, show_state);
    UpdateWindow(main_window);
    return true;
}

// One of the two background fonts; both differ only in size and weight.
static HFONT make_font(int height, int width, int weight)
{
    return CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_MODERN | DEFAULT_PITCH, "MS Sans Serif");
}

static void draw_text(HDC dc, const char *text, RECT *rect, COLORREF colour, HFONT font, UINT format)
{
    SetTextColor(dc, colour);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, text, -1, rect, format);
    SelectObject(dc, previous);
    DeleteObject(font);
}

// The title as the background shows it, and how: top left, wrapped between
// words (and within a word longer than the line), so that a long title takes
// more lines rather than running off the screen's right edge.
static const UINT TITLE_FORMAT = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
static void background_title(char *out, size_t size)
{
    format_cut(out, size, "%s Application Setup...", setup_job.get_apptitle());
}
static HFONT title_font() { return make_font(30, 15, 700); }

// The background's client area less its margins.
static RECT inner_rect(HWND window)
{
    RECT rect;
    GetClientRect(window, &rect);
    rect.left += 10;
    rect.top += 10;
    rect.right -= 10;
    rect.bottom -= 10;
    return rect;
}

int background_title_bottom()
{
    if (!main_window || !IsWindow(main_window))
        return 0;
    char title[MAX_INI_LINE + 32]; // the longest title setup.ini holds, and the words after it
    background_title(title, sizeof title);
    RECT rect = inner_rect(main_window);
    HDC dc = GetDC(main_window);
    HFONT font = title_font();
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, title, -1, &rect, TITLE_FORMAT | DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(main_window, dc);
    POINT corner = {0, rect.bottom};
    ClientToScreen(main_window, &corner);
    return corner.y;
}

static void paint_background(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT rect = inner_rect(window);
    char title[MAX_INI_LINE + 32];
    background_title(title, sizeof title);
    SetBkColor(dc, BACKGROUND_COLOUR);
    SetBkMode(dc, TRANSPARENT);
    draw_text(dc, title, &rect, RGB(255, 255, 255), title_font(), TITLE_FORMAT);
    draw_text(dc, credit_text, &rect, RGB(128, 128, 128), make_font(12, 6, 400), DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EndPaint(window, &ps);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY:
        // Ends the loop of the page that is open; the page then ends the program.
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: paint_background(window); return 0;
    case WM_COMMAND:
        // The menu's Exit: no menu is attached, so only another program sends it.
        if (LOWORD(wparam) == IDM_EXIT) {
            DestroyWindow(window);
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void setup_error(HWND owner, const char *error_text, const char *detail_format, ...)
{
    char detail[SETUP_ERROR_DETAIL_SIZE];
    va_list args;
    va_start(args, detail_format);
    vformat_cut(detail, sizeof detail, detail_format, args);
    va_end(args);

    // The contact line only with an address: "none" would be shown to the
    // user as one.
    const char *email = setup_job.get_email();
    bool contact = email[0] && std::strcmp(email, "none") != 0;
    char text[MESSAGE_TEXT_SIZE];
    format_cut(text, sizeof text,
               "%s\n     Reported Error: %s\n\nThe setup program has been halted by an error.%s%s\n\nAborting Setup...",
               detail, error_text ? error_text : "", contact ? "  For assistance you may contact:\n          " : "",
               contact ? email : "");
    report.line(REPORT_BOX, "Setup Error: %s: %s", detail, error_text ? error_text : "");
    MessageBoxA(owner, text, "Setup Error", MB_OK);
}

void WIZARD_FRONT::show_error(const char *detail, int32_t code)
{
    // Over the Installing page while it is open, naming the file at hand.
    HWND owner = installing.dialog;
    if (owner)
        catch_up();
    else
        owner = main_window && IsWindow(main_window) ? main_window : nullptr;
    setup_error(owner, error_db.get_error_msg(code), "%s", detail);
}

void WIZARD_FRONT::show_warning(const char *text)
{
    HWND owner = main_window && IsWindow(main_window) ? main_window : nullptr;
    report.line(REPORT_BOX, "Setup - Warning: %s", text);
    MessageBoxA(owner, text, "Setup - Warning", MB_OK | MB_ICONWARNING);
}
