// The wizard driver: starts setup.exe and plays a scenario script against it
// the way a user would, from another process on the same Wine server. It
// finds pages and message boxes by caption, reads and types control texts,
// presses buttons, checks what it sees, and takes screenshots.
//
//   driver.exe --setup DIR\setup.exe --dir SETUPDIR --script FILE
//              [--shots UNIXDIR] [--desktop WxH | --no-desktop]
//   driver.exe --folders
//
// Either way it first writes the Programs, Windows and system folders
// ("programs=C:\...") into the transcript; --folders does nothing else.
//
// The script has one step per line; "#" starts a comment line. Words are
// separated by blanks; a word in double quotes may hold blanks and the
// escapes \n, \t, \\ and \". ${programs}, ${desktop}, ${windows} and
// ${system} in a quoted word stand for those folders (no trailing backslash).
// An ID is a name from wizard/resource.h or uninstall/resource.h (IDC_MAIN,
// IDD_SHORTCUT, IDM_EXIT, IDC_KEEP), a message box button's name (IDOK,
// IDCANCEL, IDYES, IDNO), or a number.
//
//   break-template ID         replace dialog template ID of setup.exe (the
//                             scenario's copy) by one that cannot be made:
//                             its control has a window class nobody has
//   start ["ARGUMENTS"]       start setup.exe in the setup directory, with
//                             these arguments after its name
//   start-utf8 ["ARGUMENTS"]  the same with ARGUMENTS in UTF-8, handed to
//                             Windows in UTF-16 as a shell or shortcut does
//   run "DIR" "COMMAND"       start another program (a command line, such as
//                             cmd /c uninstal.bat) with DIR as its current
//                             directory, on the same desktop; from then on
//                             the waits and exit follow it instead
//   squat-handover            hold a mutex under every name the uninstaller's
//                             hand-over once took from a process id
//                             ("Local\uninstal.exe hand-over N"), as any
//                             process of the session could, until the end
//   page "CAPTION"            wait for a visible dialog (page or message box)
//                             with this caption; it becomes the current one
//   page-new "CAPTION"        the same, but not a window found before (a
//                             second box of the same kind)
//   text ID "TEXT"            control ID of the current window reads TEXT
//   wait-text ID "TEXT"       wait until it does
//   matches ID "REGEX"        the control's text matches (ECMAScript, whole)
//   wait-match ID "REGEX"     wait until the control's text matches (a text
//                             that stands for 10 ms is seen)
//   print ID                  write "text ID=..." into the transcript
//   message "TEXT"            the current message box says TEXT
//   fits ID                   the control's whole text, wrapped as a static
//                             text wraps it in the pages' font (MS Sans
//                             Serif, 8 points), fits inside the control and
//                             the page, the page fits the screen, and no
//                             other control lies over any of the text;
//                             "fits all": each text of the page that is not
//                             cut short with "..." by its style
//   visible ID yes|no         whether the control is visible
//   enabled yes|no            whether the current window takes input
//   class ID NAME             the control's window class
//   default ID                the control is the default push button
//   controls N                the current window has N child controls
//   owner none|"CAPTION"      the current window's owner
//   progress ID POS MAX       a progress bar's position and upper limit
//   background "TITLE"        the background window exists, with this
//                             caption and no caption bar
//   no-background             no background window exists
//   type ID "TEXT"            replace the control's text (an edit field)
//   type-utf8 ID "TEXT"       the same with TEXT in UTF-8, handed over in
//                             UTF-16 as a keyboard of any language types it
//   tree-select-root          select the top item of the current window's
//                             tree (a folder browse)
//   click ID                  press the button (BM_CLICK, posted)
//   answer yes|no|ok          press that button of the current message box
//                             and wait until the box has gone
//   answer-posted yes|no|ok   press it only (while setup.exe is stopped)
//   command-background ID     send WM_COMMAND ID to the background window
//   suspend, resume           stop and restart setup.exe's thread: what the
//                             driver posts meanwhile is handled in order
//                             when it runs again (texts of statics and
//                             buttons can still be read; edit fields not)
//   closed                    wait until the current window is gone
//   shot NAME                 screenshot of the screen into --shots/NAME.png
//   resources                 write setup.exe's strings 103 and 109, icon
//                             groups 107 and 108, menu 109, the dialog
//                             templates 129 to 133 (every control with its
//                             ID, class, text, rectangle and style) and the
//                             manifest's execution level into the transcript
//   sleep MS
//   exit CODE                 wait for setup.exe (or the program of run) to
//                             end with this status
//   quiet-exit CODE           the same, and fail as soon as a visible
//                             top-level window of that program is seen
//   settled                   wait until every program that run steps started
//                             has ended, with all they started (the copy of
//                             the uninstaller that finishes after cmd)
//
// A wait looks every 10 ms and gives up after 30 seconds. A screenshot waits
// until the windows have painted (not while setup.exe is stopped). On the
// first failed step the driver says which line failed and what it saw, ends
// setup.exe, and exits with 1.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/resource_names.h"

namespace {

const DWORD WAIT_LIMIT_MS = 30000;
// The pause between two looks while the driver waits. Each look asks the
// Wine server, which setup.exe needs for every file it copies and every
// text it shows: looking without a pause slows the programs under test.
const DWORD LOOK_MS = 10;
// Before a screenshot: how long to wait for the windows to finish painting,
// and what the X server may take to show what a program has handed it.
const DWORD PAINT_LIMIT_MS = 2000;
const DWORD SHOT_SETTLE_MS = 50;

struct Options {
    std::string setup_exe;
    std::string setup_dir;
    std::string script;
    std::string shots; // unix folder; empty: no screenshots
    std::string desktop = "800x600";
};

Options options;
PROCESS_INFORMATION setup_process = {}; // setup.exe, or the program of the last run step
std::string program_name = "setup.exe";
char desktop_name[] = "e2e"; // the desktop that the programs run on
bool desktop_joined = false;
HANDLE run_job = nullptr; // every process a run step started, and their children
HWND current = nullptr;
bool setup_suspended = false; // by a suspend step, until resume
std::string current_caption;
std::vector<HWND> found_before; // every window a page step has found
int line_number = 0;
std::string folder_programs, folder_desktop, folder_windows, folder_system;

// Closes the desktop that setup.exe ran on and waits until its explorer has
// gone. Left alone, Wine's explorer closes a desktop a second after its last
// program has ended, and a program that the next play starts on it in that
// moment loses its windows with it. (Declared here, defined below.)
void close_desktop();

[[noreturn]] void fail(const char *format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::printf("FAIL line %d: %s\n", line_number, text);
    std::fflush(stdout);
    if (setup_process.hProcess) {
        TerminateProcess(setup_process.hProcess, 99);
        WaitForSingleObject(setup_process.hProcess, 5000);
    }
    // What cmd started (an uninstaller with a box open) must not outlive us.
    if (run_job)
        TerminateJobObject(run_job, 99);
    close_desktop();
    std::exit(1);
}

// Text with its line ends made visible, for messages.
std::string shown(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return "\"" + out + "\"";
}

std::string class_of(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string window_text(HWND window)
{
    char text[4096] = "";
    if (class_of(window) != "Edit") {
        // The text the window keeps: readable while setup.exe's thread is stopped.
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    // An edit field keeps its own text: ask for it.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &result))
        return "<no answer>";
    text[sizeof text - 1] = '\0';
    return text;
}

// ---------------------------------------------------------------- script words

std::string expand(const std::string &text)
{
    std::string out = text;
    const struct {
        const char *name;
        const std::string *value;
    } vars[] = {{"${programs}", &folder_programs},
                {"${desktop}", &folder_desktop},
                {"${windows}", &folder_windows},
                {"${system}", &folder_system}};
    for (const auto &v : vars) {
        size_t at;
        while ((at = out.find(v.name)) != std::string::npos)
            out.replace(at, std::strlen(v.name), *v.value);
    }
    return out;
}

std::vector<std::string> split_words(const std::string &line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                // A double-byte character whole: its second byte may be 0x5C.
                if (IsDBCSLeadByte((BYTE)c) && i < line.size()) {
                    word += c;
                    word += line[i++];
                    continue;
                }
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    char e = line[i++];
                    word += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    word += c;
                }
            }
            if (!closed)
                fail("unterminated quoted word");
            words.push_back(expand(word));
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
            words.push_back(word);
        }
    }
    return words;
}

int number(const std::string &word)
{
    char *end = nullptr;
    long value = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end)
        fail("not a number: %s", word.c_str());
    return (int)value;
}

// The message box buttons, by the names that windows.h gives them.
const ResourceName BOX_BUTTON_NAMES[] = {
    RESOURCE_NAME(IDOK), RESOURCE_NAME(IDCANCEL), RESOURCE_NAME(IDYES), RESOURCE_NAME(IDNO), {nullptr, 0},
};

const ResourceName *const NAME_TABLES[] = {BOX_BUTTON_NAMES, SETUP_NAMES, UNINSTALL_NAMES};

// Fails when one name stands for two IDs in the tables (the programs' headers
// reuse numbers, which is fine; a name must mean one ID).
void check_names()
{
    for (const ResourceName *a : NAME_TABLES)
        for (const ResourceName *b : NAME_TABLES)
            for (const ResourceName *x = a; x->name; ++x)
                for (const ResourceName *y = b; y->name; ++y)
                    if (std::strcmp(x->name, y->name) == 0 && x->id != y->id)
                        fail("the name %s stands for both %d and %d", x->name, x->id, y->id);
}

// A control, dialog or command ID: a name from the programs' resource
// headers (IDC_MAIN, IDD_SHORTCUT, IDM_EXIT) or a message box button's
// (IDYES), or a number.
int resource_id(const std::string &word)
{
    for (const ResourceName *table : NAME_TABLES)
        for (const ResourceName *entry = table; entry->name; ++entry)
            if (word == entry->name)
                return entry->id;
    if (word.compare(0, 2, "ID") == 0)
        fail("unknown name %s", word.c_str());
    return number(word);
}

bool yes_no(const std::string &word)
{
    if (word == "yes")
        return true;
    if (word == "no")
        return false;
    fail("expected yes or no, got %s", word.c_str());
}

// ---------------------------------------------------------------- windows

bool listed(const std::vector<HWND> *list, HWND window)
{
    if (list)
        for (HWND w : *list)
            if (w == window)
                return true;
    return false;
}

// A visible dialog with exactly this caption that is not in skip. Only
// dialogs whose caption matches are looked at closer, which keeps a look cheap.
HWND find_page(const std::string &caption, const std::vector<HWND> *skip = nullptr)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", caption.c_str())) != nullptr) {
        // FindWindowEx ignores case: the caption must be the same exactly.
        char text[512] = "";
        GetWindowTextA(window, text, sizeof text);
        if (caption == text && IsWindowVisible(window) && !listed(skip, window))
            return window;
    }
    return nullptr;
}

bool setup_running() { return WaitForSingleObject(setup_process.hProcess, 0) == WAIT_TIMEOUT; }

// Looks until ready() says yes, with a pause between looks; false when the
// limit has passed.
template <typename Ready> bool wait_for(Ready ready, DWORD limit_ms = WAIT_LIMIT_MS)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount() - start >= limit_ms)
            return false;
        Sleep(LOOK_MS);
    }
}

std::string visible_dialogs()
{
    std::string list;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        if (!IsWindowVisible(window))
            continue;
        char caption[256] = "";
        GetWindowTextA(window, caption, sizeof caption);
        list += list.empty() ? "" : ", ";
        list += shown(caption);
    }
    return list.empty() ? "none" : list;
}

// The current window's control of that ID (a name or a number).
HWND control(const std::string &id)
{
    if (!current)
        fail("no current window");
    HWND item = GetDlgItem(current, resource_id(id));
    if (!item)
        fail("%s has no control %s", shown(current_caption).c_str(), id.c_str());
    return item;
}

// The text of a message box: its static texts (the icon's has none).
std::string message_text(HWND box)
{
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_of(child) != "Static")
            continue;
        std::string part = window_text(child);
        if (!part.empty())
            text += part;
    }
    return text;
}

HWND background_window() { return FindWindowA("SETUP", nullptr); }

// ---------------------------------------------------------------- setup.exe

// The desktop that the programs run on: a Wine desktop of its own, drawn by
// Wine in one window of the display, so that pages get their captions and
// frames even without a window manager, and the screenshots show them. The
// driver makes it and has its explorer started before any program, so that
// the explorer is no child of a program (nor in the run steps' job).
void make_desktop()
{
    if (options.desktop.empty() || desktop_joined)
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, desktop_name, 0, REG_SZ, (const BYTE *)options.desktop.c_str(),
                       (DWORD)options.desktop.size() + 1);
        RegCloseKey(key);
    }
    HDESK desktop = CreateDesktopA(desktop_name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop || !SetThreadDesktop(desktop))
        fail("cannot make the desktop %s (error %lu)", desktop_name, GetLastError());
    if (!GetDesktopWindow())
        fail("no window for the desktop %s", desktop_name);
    desktop_joined = true;
}

void close_desktop()
{
    if (!desktop_joined)
        return;
    HWND desktop = GetDesktopWindow();
    DWORD explorer_id = 0;
    GetWindowThreadProcessId(desktop, &explorer_id);
    HANDLE explorer = explorer_id ? OpenProcess(SYNCHRONIZE, FALSE, explorer_id) : nullptr;
    PostMessageA(desktop, WM_CLOSE, 0, 0);
    if (explorer) {
        WaitForSingleObject(explorer, 5000);
        CloseHandle(explorer);
    }
}

// UTF-8 text as UTF-16: what a shell or a keyboard hands a program.
std::wstring wide_of_utf8(const std::string &text)
{
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (n <= 0)
        fail("not UTF-8: %s", shown(text).c_str());
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
    wide.resize(n - 1);
    return wide;
}

// Starts command in dir on the scenario's desktop; it becomes the program
// that the steps follow. A utf8 command goes to Windows as UTF-16, as a
// shell or a shortcut starts a program: Windows gives the program's ANSI
// command line a "?" for each character its code page lacks.
void start_program(const std::string &command, const std::string &dir, HANDLE job = nullptr, DWORD flags = 0,
                   bool utf8 = false)
{
    make_desktop();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!options.desktop.empty())
        startup.lpDesktop = desktop_name;
    std::vector<char> command_line(command.begin(), command.end());
    command_line.push_back('\0');
    if (setup_process.hProcess) {
        CloseHandle(setup_process.hProcess);
        CloseHandle(setup_process.hThread);
        setup_process = {};
    }
    flags |= job ? CREATE_SUSPENDED : 0;
    bool started = false;
    if (utf8) {
        std::wstring wide_command = wide_of_utf8(command), wide_dir = wide_of_utf8(dir);
        std::wstring wide_desktop = wide_of_utf8(desktop_name);
        STARTUPINFOW wide_startup = {};
        wide_startup.cb = sizeof wide_startup;
        if (!options.desktop.empty())
            wide_startup.lpDesktop = &wide_desktop[0];
        started = CreateProcessW(nullptr, &wide_command[0], nullptr, nullptr, FALSE, flags, nullptr, wide_dir.c_str(),
                                 &wide_startup, &setup_process);
    } else
        started = CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, flags, nullptr, dir.c_str(),
                                 &startup, &setup_process);
    if (!started)
        fail("cannot start %s (error %lu)", command.c_str(), GetLastError());
    if (job) {
        AssignProcessToJobObject(job, setup_process.hProcess);
        ResumeThread(setup_process.hThread);
    }
}

void start_setup(const std::string &arguments, bool utf8 = false)
{
    program_name = "setup.exe";
    start_program("\"" + options.setup_exe + "\"" + (arguments.empty() ? "" : " " + arguments), options.setup_dir,
                  nullptr, 0, utf8);
}

// ---------------------------------------------------------------- steps

void step_page(const std::string &caption, bool new_one)
{
    HWND page = nullptr;
    bool found = wait_for([&] {
        if ((page = find_page(caption, new_one ? &found_before : nullptr)) != nullptr)
            return true;
        if (!setup_running())
            fail("%s ended while waiting for %s", program_name.c_str(), shown(caption).c_str());
        return false;
    });
    if (!found)
        fail("no window %s; visible dialogs: %s", shown(caption).c_str(), visible_dialogs().c_str());
    current = page;
    found_before.push_back(page);
    current_caption = caption;
}

void expect_text(const char *what, const std::string &seen, const std::string &expected)
{
    if (seen != expected)
        fail("%s reads\n    %s\n  expected\n    %s", what, shown(seen).c_str(), shown(expected).c_str());
}

void step_wait_text(const std::string &id, const std::string &expected)
{
    std::string seen;
    if (!wait_for([&] { return (seen = window_text(control(id))) == expected; }))
        expect_text(("control " + id).c_str(), seen, expected);
}

std::regex pattern_of(const std::string &text)
{
    try {
        return std::regex(text);
    } catch (const std::regex_error &) {
        fail("bad pattern %s", shown(text).c_str());
    }
}

void step_matches(const std::string &id, const std::string &pattern)
{
    std::string seen = window_text(control(id));
    if (!std::regex_match(seen, pattern_of(pattern)))
        fail("control %s reads\n    %s\n  which does not match\n    %s", id.c_str(), shown(seen).c_str(),
             pattern.c_str());
}

void step_wait_match(const std::string &id, const std::string &pattern)
{
    std::regex re = pattern_of(pattern);
    HWND item = control(id);
    std::string seen;
    bool matched = wait_for([&] {
        if (std::regex_match(seen = window_text(item), re))
            return true;
        if (!setup_running())
            fail("%s ended while waiting for control %s", program_name.c_str(), id.c_str());
        return false;
    });
    if (!matched)
        fail("control %s still reads %s", id.c_str(), shown(seen).c_str());
}

void step_closed()
{
    if (!wait_for([] { return !IsWindow(current) || !IsWindowVisible(current); }))
        fail("%s is still open", shown(current_caption).c_str());
    current = nullptr;
}

void check_fits(HWND item, const std::string &id)
{
    const std::string text = window_text(item);
    RECT box;
    GetClientRect(item, &box);
    // The page's own font handle belongs to setup.exe: make the same one.
    HDC dc = GetDC(item);
    HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             "MS Sans Serif");
    HGDIOBJ previous = SelectObject(dc, font);
    RECT need = box;
    UINT format = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;
    LONG style = GetWindowLongA(item, GWL_STYLE);
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (style & SS_EDITCONTROL)
        format |= DT_EDITCONTROL;
    DrawTextA(dc, text.c_str(), -1, &need, format);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(item, dc);
    std::printf("text %s needs %ldx%ld of %ldx%ld pixels\n", id.c_str(), need.right, need.bottom, box.right,
                box.bottom);
    if (need.right > box.right || need.bottom > box.bottom)
        fail("the text of control %s needs %ldx%ld pixels, it has %ldx%ld", id.c_str(), need.right, need.bottom,
             box.right, box.bottom);
    POINT origin = {0, 0};
    ClientToScreen(item, &origin);
    RECT drawn = {origin.x, origin.y, origin.x + need.right, origin.y + need.bottom};
    // The page shows all of it: no part lies beyond the page's edges, and no
    // part of the page beyond the screen's.
    RECT page, inside, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetClientRect(current, &page);
    MapWindowPoints(current, nullptr, (POINT *)&page, 2);
    if (!IntersectRect(&inside, &drawn, &page) || !EqualRect(&inside, &drawn))
        fail("the text of control %s, at (%ld,%ld)-(%ld,%ld), runs past the page's edges (%ld,%ld)-(%ld,%ld)",
             id.c_str(), drawn.left, drawn.top, drawn.right, drawn.bottom, page.left, page.top, page.right,
             page.bottom);
    GetWindowRect(current, &page);
    if (!IntersectRect(&inside, &page, &screen) || !EqualRect(&inside, &page))
        fail("the page, at (%ld,%ld)-(%ld,%ld), runs past the screen's edges", page.left, page.top, page.right,
             page.bottom);
    for (HWND child = GetWindow(current, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT other, common;
        if (child != item && IsWindowVisible(child) && GetWindowRect(child, &other) &&
            IntersectRect(&common, &drawn, &other))
            fail("control %d lies over the text of control %s", GetDlgCtrlID(child), id.c_str());
    }
}

void step_fits(const std::string &id)
{
    if (id != "all") {
        check_fits(control(id), id);
        return;
    }
    // Every text of the page, but one that cuts itself short with "..." by design.
    for (HWND child = GetWindow(current, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (!lstrcmpiA(class_of(child).c_str(), "Static") && IsWindowVisible(child) &&
            !(GetWindowLongA(child, GWL_STYLE) & SS_ELLIPSISMASK))
            check_fits(child, std::to_string(GetDlgCtrlID(child)) + " " + shown(window_text(child)));
}

void step_owner(const std::string &expected)
{
    HWND owner = GetWindow(current, GW_OWNER);
    if (expected == "none") {
        if (owner)
            fail("%s is owned by %s", shown(current_caption).c_str(), shown(window_text(owner)).c_str());
        return;
    }
    if (!owner)
        fail("%s has no owner", shown(current_caption).c_str());
    char caption[256] = "";
    GetWindowTextA(owner, caption, sizeof caption);
    expect_text("owner's caption", caption, expected);
}

void step_background(const std::string &title)
{
    HWND window = background_window();
    if (!window)
        fail("no background window (class SETUP)");
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    expect_text("background caption", caption, title);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_CAPTION) != WS_DLGFRAME || !(style & WS_SYSMENU) || (style & (WS_POPUP | WS_CHILD)))
        fail("background style %08lx: expected a dialog frame and a system menu, no caption bar", style);
    RECT rect;
    GetWindowRect(window, &rect);
    if (rect.left != 0 || rect.top != 0 || rect.right != GetSystemMetrics(SM_CXFULLSCREEN) ||
        rect.bottom != GetSystemMetrics(SM_CYFULLSCREEN))
        fail("background at (%ld,%ld)-(%ld,%ld), expected (0,0)-(%d,%d)", rect.left, rect.top, rect.right, rect.bottom,
             GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
}

BOOL CALLBACK add_window(HWND window, LPARAM list)
{
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

// Every visible top-level window of the desktop.
std::vector<HWND> shown_windows()
{
    std::vector<HWND> all, shown;
    EnumWindows(add_window, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all)
        if (IsWindowVisible(window))
            shown.push_back(window);
    return shown;
}

// Whether a window or one of its controls has a part left to paint.
bool paint_pending(HWND window)
{
    if (GetUpdateRect(window, nullptr, FALSE))
        return true;
    std::vector<HWND> children;
    EnumChildWindows(window, add_window, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE))
            return true;
    return false;
}

// Waits until the screen shows what the windows have painted: nothing is
// left to paint, and each window's thread has been back to its message loop
// since (Wine puts a thread's painted pixels on the display from there).
// A stopped program cannot paint; what it painted before it was stopped is
// all there is to see.
void await_paint()
{
    if (setup_suspended)
        return;
    // A page that keeps changing (the Installing page at work) is taken as it is.
    wait_for(
        [] {
            for (HWND window : shown_windows())
                if (paint_pending(window))
                    return false;
            return true;
        },
        PAINT_LIMIT_MS);
    std::vector<DWORD> threads;
    for (HWND window : shown_windows()) {
        DWORD thread = GetWindowThreadProcessId(window, nullptr);
        bool seen = false;
        for (DWORD t : threads)
            seen = seen || t == thread;
        if (seen)
            continue;
        threads.push_back(thread);
        DWORD_PTR result;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    }
    Sleep(SHOT_SETTLE_MS);
}

void step_shot(const std::string &name)
{
    if (options.shots.empty())
        return;
    await_paint();
    std::string target = options.shots + "/" + name + ".png";
    std::string crop = options.desktop.empty() ? "" : " -crop " + options.desktop + "+0+0 +repage";
    // Wine starts Unix programs too; import writes a temporary name first,
    // so the finished picture appears at once.
    std::string command = "/bin/sh -c \"import -window root" + crop + " 'png:" + target + ".part' && mv '" + target +
                          ".part' '" + target + "'\"";
    DeleteFileA(("Z:" + target).c_str());
    std::vector<char> command_line(command.begin(), command.end());
    command_line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        fail("cannot run import (error %lu)", GetLastError());
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::string dos_target = "Z:" + target;
    for (char &c : dos_target)
        if (c == '/')
            c = '\\';
    if (!wait_for([&] { return GetFileAttributesA(dos_target.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        fail("no screenshot %s", target.c_str());
}

// Waits until every program that run steps started has ended, and all that
// they started: the copy of the uninstaller that finishes after cmd.
void step_settled()
{
    if (!run_job)
        return;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    bool settled = wait_for([&] {
        return QueryInformationJobObject(run_job, JobObjectBasicAccountingInformation, &info, sizeof info, nullptr) &&
               info.ActiveProcesses == 0;
    });
    if (!settled)
        fail("%lu program(s) that run steps started still running", (unsigned long)info.ActiveProcesses);
}

void step_exit(int expected)
{
    if (WaitForSingleObject(setup_process.hProcess, WAIT_LIMIT_MS) != WAIT_OBJECT_0)
        fail("%s is still running; visible dialogs: %s", program_name.c_str(), visible_dialogs().c_str());
    DWORD code = 0;
    GetExitCodeProcess(setup_process.hProcess, &code);
    if ((int)code != expected)
        fail("%s ended with status %lu, expected %d", program_name.c_str(), code, expected);
}

// The visible top-level windows of the program the steps follow, by class
// and caption; empty when it shows none.
std::string windows_shown_by_program()
{
    std::string list;
    std::vector<HWND> all;
    EnumWindows(add_window, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != setup_process.dwProcessId || !IsWindowVisible(window))
            continue;
        list += list.empty() ? "" : ", ";
        list += class_of(window) + " " + shown(window_text(window));
    }
    return list;
}

// Another process of the session taking every name first: a hand-over
// that goes by names (and process ids) could then not be made.
void step_squat_handover()
{
    for (unsigned id = 4; id < 0x10000; id += 4) {
        char name[64];
        std::snprintf(name, sizeof name, "Local\\uninstal.exe hand-over %u", id);
        CreateMutexA(nullptr, FALSE, name); // held until the driver ends
    }
}

// Watches from the start until the end: a window that a silent program
// shows (a box, a page, the background) stays until someone answers it, so
// a look every few milliseconds sees it.
void step_quiet_exit(int expected)
{
    std::string seen;
    bool ended = wait_for([&] {
        seen = windows_shown_by_program();
        return !seen.empty() || !setup_running();
    });
    if (!seen.empty())
        fail("%s shows a window: %s", program_name.c_str(), seen.c_str());
    if (!ended)
        fail("%s is still running", program_name.c_str());
    step_exit(expected);
}

// ---------------------------------------------------------------- resources

struct Flag {
    DWORD bits;
    const char *name;
};

// Named style bits, then whatever is left in hex.
std::string flags(DWORD style, const std::vector<Flag> &names)
{
    std::string out;
    for (const Flag &f : names) {
        if ((style & f.bits) == f.bits && f.bits) {
            out += out.empty() ? "" : "|";
            out += f.name;
            style &= ~f.bits;
        }
    }
    if (style) {
        char rest[16];
        std::snprintf(rest, sizeof rest, "0x%lx", (unsigned long)style);
        out += out.empty() ? "" : "|";
        out += rest;
    }
    return out.empty() ? "0" : out;
}

const std::vector<Flag> WINDOW_FLAGS = {
    {WS_POPUP, "WS_POPUP"},       {WS_CHILD, "WS_CHILD"},          {WS_VISIBLE, "WS_VISIBLE"},
    {WS_DISABLED, "WS_DISABLED"}, {WS_CAPTION, "WS_CAPTION"},      {WS_BORDER, "WS_BORDER"},
    {WS_DLGFRAME, "WS_DLGFRAME"}, {WS_VSCROLL, "WS_VSCROLL"},      {WS_HSCROLL, "WS_HSCROLL"},
    {WS_SYSMENU, "WS_SYSMENU"},   {WS_THICKFRAME, "WS_THICKFRAME"}};

std::string dialog_style(DWORD style)
{
    std::vector<Flag> names = WINDOW_FLAGS;
    names.insert(names.end(), {{WS_MINIMIZEBOX, "WS_MINIMIZEBOX"},
                               {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"},
                               {DS_SETFONT, "DS_SETFONT"},
                               {DS_MODALFRAME, "DS_MODALFRAME"},
                               {DS_CENTER, "DS_CENTER"},
                               {DS_3DLOOK, "DS_3DLOOK"},
                               {DS_FIXEDSYS, "DS_FIXEDSYS"},
                               {DS_SYSMODAL, "DS_SYSMODAL"},
                               {DS_CONTROL, "DS_CONTROL"}});
    return flags(style, names);
}

std::string control_style(const std::string &cls, DWORD style)
{
    std::vector<Flag> names = WINDOW_FLAGS;
    names.insert(names.end(), {{WS_GROUP, "WS_GROUP"}, {WS_TABSTOP, "WS_TABSTOP"}});
    std::string kind;
    if (cls == "Button") {
        DWORD type = style & 0xF;
        kind = type == BS_PUSHBUTTON ? "BS_PUSHBUTTON" : type == BS_DEFPUSHBUTTON ? "BS_DEFPUSHBUTTON" : "";
        if (!kind.empty())
            style &= ~0xFu;
    } else if (cls == "Static") {
        DWORD type = style & 0x1F;
        kind = type == SS_LEFT ? "SS_LEFT" : type == SS_CENTER ? "SS_CENTER" : type == SS_RIGHT ? "SS_RIGHT" : "";
        if (!kind.empty())
            style &= ~0x1Fu;
    } else if (cls == "Edit") {
        names.insert(names.end(), {{ES_AUTOHSCROLL, "ES_AUTOHSCROLL"},
                                   {ES_AUTOVSCROLL, "ES_AUTOVSCROLL"},
                                   {ES_MULTILINE, "ES_MULTILINE"},
                                   {ES_READONLY, "ES_READONLY"}});
    }
    std::string rest = flags(style, names);
    if (kind.empty())
        return rest;
    return rest == "0" ? kind : rest + "|" + kind;
}

// Reads a dialog template, classic or extended.
struct TemplateReader {
    const BYTE *p;

    WORD word()
    {
        WORD v;
        std::memcpy(&v, p, 2);
        p += 2;
        return v;
    }
    DWORD dword()
    {
        DWORD v;
        std::memcpy(&v, p, 4);
        p += 4;
        return v;
    }
    std::string wide_text()
    {
        std::string out;
        for (WORD c; (c = word()) != 0;)
            out += c < 0x80 ? (char)c : '?';
        return out;
    }
    // A name or an ordinal: an ordinal prints as #n, or as a class name.
    std::string name_or_ordinal(bool is_class)
    {
        WORD first;
        std::memcpy(&first, p, 2);
        if (first == 0) {
            p += 2;
            return "";
        }
        if (first == 0xFFFF) {
            p += 2;
            WORD ordinal = word();
            static const char *const classes[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
            if (is_class && ordinal >= 0x80 && ordinal <= 0x85)
                return classes[ordinal - 0x80];
            return "#" + std::to_string(ordinal);
        }
        return wide_text();
    }
    void align(const BYTE *base) { p += (4 - ((p - base) & 3)) & 3; }
};

void print_template(HMODULE module, int id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!found)
        fail("no dialog template %d", id);
    const BYTE *base = (const BYTE *)LockResource(LoadResource(module, found));
    TemplateReader r = {base};
    bool extended = ((const WORD *)base)[1] == 0xFFFF;
    DWORD style, ex_style;
    if (extended) {
        r.word();  // version
        r.word();  // signature
        r.dword(); // help ID
        ex_style = r.dword();
        style = r.dword();
    } else {
        style = r.dword();
        ex_style = r.dword();
    }
    int count = r.word();
    short rect[4];
    for (short &v : rect)
        v = (short)r.word();
    std::string menu = r.name_or_ordinal(false);
    std::string cls = r.name_or_ordinal(true);
    std::string caption = r.wide_text();
    std::string font;
    if (style & DS_SETFONT) {
        int points = r.word();
        font = std::to_string(points);
        if (extended) {
            int weight = r.word();
            int italic = *r.p++;
            int charset = *r.p++;
            font += " weight " + std::to_string(weight) + " italic " + std::to_string(italic) + " charset " +
                    std::to_string(charset);
        }
        font += " " + shown(r.wide_text());
    }
    std::printf("template %d %s %s %d,%d,%d,%d style %s ex %lx menu \"%s\" class \"%s\" font %s\n", id,
                extended ? "DIALOGEX" : "DIALOG", shown(caption).c_str(), rect[0], rect[1], rect[2], rect[3],
                dialog_style(style).c_str(), (unsigned long)ex_style, menu.c_str(), cls.c_str(), font.c_str());
    for (int i = 0; i < count; ++i) {
        r.align(base);
        DWORD item_style, item_ex;
        int item_id;
        if (extended) {
            r.dword(); // help ID
            item_ex = r.dword();
            item_style = r.dword();
        } else {
            item_style = r.dword();
            item_ex = r.dword();
        }
        for (short &v : rect)
            v = (short)r.word();
        item_id = extended ? (int)(int32_t)r.dword() : (int)(short)r.word();
        std::string item_class = r.name_or_ordinal(true);
        std::string text = r.name_or_ordinal(false);
        WORD extra = r.word();
        r.p += extra;
        std::printf("  %d %s %s %d,%d,%d,%d %s ex %lx\n", item_id, item_class.c_str(), shown(text).c_str(), rect[0],
                    rect[1], rect[2], rect[3], control_style(item_class, item_style).c_str(), (unsigned long)item_ex);
    }
}

void print_icon_group(HMODULE module, int id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    if (!found)
        fail("no icon group %d", id);
    const BYTE *p = (const BYTE *)LockResource(LoadResource(module, found));
    WORD count;
    std::memcpy(&count, p + 4, 2);
    std::printf("icon %d:", id);
    for (int i = 0; i < count; ++i) {
        const BYTE *entry = p + 6 + i * 14; // GRPICONDIRENTRY
        WORD bits;
        std::memcpy(&bits, entry + 6, 2);
        int size = entry[0] ? entry[0] : 256;
        std::printf(" %dx%d %d colours %d bits", size, size, entry[2], bits);
    }
    std::printf("\n");
}

void print_menu(HMODULE module, int id)
{
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(id));
    if (!menu)
        fail("no menu %d", id);
    std::printf("menu %d:", id);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        std::printf(" \"%s\"", text);
        HMENU sub = GetSubMenu(menu, i);
        for (int j = 0; sub && j < GetMenuItemCount(sub); ++j) {
            GetMenuStringA(sub, j, text, sizeof text, MF_BYPOSITION);
            std::printf(" [\"%s\" %u]", text, GetMenuItemID(sub, j));
        }
    }
    std::printf("\n");
    DestroyMenu(menu);
}

void print_resources()
{
    HMODULE module = LoadLibraryExA(options.setup_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        fail("cannot load %s (error %lu)", options.setup_exe.c_str(), GetLastError());
    for (int id : {103, 109}) {
        char text[100] = "";
        LoadStringA(module, id, text, sizeof text);
        std::printf("string %d: \"%s\"\n", id, text);
    }
    print_icon_group(module, 107);
    print_icon_group(module, 108);
    print_menu(module, 109);
    for (int id = 129; id <= 133; ++id)
        print_template(module, id);
    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    std::string xml;
    if (manifest)
        xml.assign((const char *)LockResource(LoadResource(module, manifest)), SizeofResource(module, manifest));
    size_t at = xml.find("requestedExecutionLevel level=\"");
    std::printf("manifest: %s\n", at == std::string::npos
                                      ? "no execution level"
                                      : xml.substr(at + 31, xml.find('"', at + 31) - at - 31).c_str());
    FreeLibrary(module);
}

// A dialog template with one control of an unknown class: CreateDialog
// fails on it like on a template that cannot be read.
void break_template(int id)
{
    std::vector<WORD> t;
    auto dword = [&](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto text = [&](const wchar_t *s) {
        do
            t.push_back((WORD)*s);
        while (*s++);
    };
    dword(WS_POPUP | WS_CAPTION); // DLGTEMPLATE
    dword(0);
    t.insert(t.end(), {1, 0, 0, 100, 50}); // one item; x, y, cx, cy
    t.insert(t.end(), {0, 0});             // no menu, default class
    text(L"Broken");
    if (t.size() % 2)
        t.push_back(0);           // items start on a DWORD boundary
    dword(WS_CHILD | WS_VISIBLE); // DLGITEMTEMPLATE
    dword(0);
    t.insert(t.end(), {0, 0, 50, 10, 1000});
    text(L"NoSuchWindowClass");
    t.insert(t.end(), {0, 0}); // no text, no creation data
    HANDLE update = BeginUpdateResourceA(options.setup_exe.c_str(), FALSE);
    if (!update ||
        !UpdateResourceA(update, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id),
                         MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), t.data(), (DWORD)(t.size() * sizeof(WORD))) ||
        !EndUpdateResourceA(update, FALSE))
        fail("cannot replace template %d (error %lu)", id, GetLastError());
}

void click(HWND button)
{
    // Posted, not sent: the click may open a modal box that waits for us.
    PostMessageA(button, BM_CLICK, 0, 0);
}

void run_step(const std::vector<std::string> &w)
{
    const std::string &op = w[0];
    auto need = [&](size_t n) {
        if (w.size() != n + 1)
            fail("%s takes %u argument(s)", op.c_str(), (unsigned)n);
    };
    if (op == "start" || op == "start-utf8") {
        if (w.size() > 2)
            fail("%s takes at most one argument", op.c_str());
        start_setup(w.size() == 2 ? w[1] : "", op == "start-utf8");
    } else if (op == "run") {
        need(2);
        program_name = w[2];
        // A console of its own, as a double click gives a batch file: what
        // the program leaves running never holds the driver's output.
        if (!run_job)
            run_job = CreateJobObjectA(nullptr, nullptr);
        start_program(w[2], w[1], run_job, CREATE_NO_WINDOW);
    } else if (op == "squat-handover") {
        need(0);
        step_squat_handover();
    } else if (op == "resources") {
        need(0);
        print_resources();
    } else if (op == "break-template") {
        need(1);
        break_template(resource_id(w[1]));
    } else if (op == "page" || op == "page-new") {
        need(1);
        step_page(w[1], op == "page-new");
    } else if (op == "text") {
        need(2);
        expect_text(("control " + w[1]).c_str(), window_text(control(w[1])), w[2]);
    } else if (op == "wait-text") {
        need(2);
        step_wait_text(w[1], w[2]);
    } else if (op == "matches") {
        need(2);
        step_matches(w[1], w[2]);
    } else if (op == "wait-match") {
        need(2);
        step_wait_match(w[1], w[2]);
    } else if (op == "print") {
        need(1);
        std::printf("text %s=%s\n", w[1].c_str(), window_text(control(w[1])).c_str());
    } else if (op == "suspend") {
        need(0);
        if (SuspendThread(setup_process.hThread) == (DWORD)-1)
            fail("cannot stop setup.exe (error %lu)", GetLastError());
        setup_suspended = true;
    } else if (op == "resume") {
        need(0);
        if (ResumeThread(setup_process.hThread) == (DWORD)-1)
            fail("cannot restart setup.exe (error %lu)", GetLastError());
        setup_suspended = false;
    } else if (op == "message") {
        need(1);
        expect_text("message", message_text(current), w[1]);
    } else if (op == "fits") {
        need(1);
        step_fits(w[1]);
    } else if (op == "visible") {
        need(2);
        if ((IsWindowVisible(control(w[1])) != FALSE) != yes_no(w[2]))
            fail("control %s visible: expected %s", w[1].c_str(), w[2].c_str());
    } else if (op == "enabled") {
        need(1);
        if ((IsWindowEnabled(current) != FALSE) != yes_no(w[1]))
            fail("%s enabled: expected %s", shown(current_caption).c_str(), w[1].c_str());
    } else if (op == "class") {
        need(2);
        expect_text(("class of control " + w[1]).c_str(), class_of(control(w[1])), w[2]);
    } else if (op == "default") {
        need(1);
        if ((GetWindowLongA(control(w[1]), GWL_STYLE) & 0xF) != BS_DEFPUSHBUTTON)
            fail("control %s is not the default button", w[1].c_str());
    } else if (op == "controls") {
        need(1);
        int count = 0;
        for (HWND child = GetWindow(current, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        if (count != number(w[1]))
            fail("%s has %d controls, expected %s", shown(current_caption).c_str(), count, w[1].c_str());
    } else if (op == "owner") {
        need(1);
        step_owner(w[1]);
    } else if (op == "progress") {
        need(3);
        HWND bar = control(w[1]);
        int pos = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
        int high = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
        if (pos != number(w[2]) || high != number(w[3]))
            fail("progress at %d of %d, expected %s of %s", pos, high, w[2].c_str(), w[3].c_str());
    } else if (op == "background") {
        need(1);
        step_background(w[1]);
    } else if (op == "no-background") {
        need(0);
        if (background_window())
            fail("a background window exists");
    } else if (op == "type") {
        need(2);
        SendMessageA(control(w[1]), WM_SETTEXT, 0, (LPARAM)w[2].c_str());
    } else if (op == "type-utf8") {
        need(2);
        SendMessageW(control(w[1]), WM_SETTEXT, 0, (LPARAM)wide_of_utf8(w[2]).c_str());
    } else if (op == "tree-select-root") {
        need(0);
        HWND tree = FindWindowExA(current, nullptr, WC_TREEVIEWA, nullptr);
        if (!tree)
            fail("%s has no tree", shown(current_caption).c_str());
        LRESULT root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        if (!root || !SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, root))
            fail("cannot select the tree's top item");
    } else if (op == "click") {
        need(1);
        click(control(w[1]));
    } else if (op == "answer" || op == "answer-posted") {
        need(1);
        const char *button = w[1] == "yes" ? "IDYES" : w[1] == "no" ? "IDNO" : w[1] == "ok" ? "IDOK" : nullptr;
        if (!button)
            fail("answer yes, no or ok");
        click(control(button));
        if (op == "answer")
            step_closed();
    } else if (op == "command-background") {
        need(1);
        HWND window = background_window();
        if (!window)
            fail("no background window");
        PostMessageA(window, WM_COMMAND, resource_id(w[1]), 0);
    } else if (op == "closed") {
        need(0);
        step_closed();
    } else if (op == "shot") {
        need(1);
        step_shot(w[1]);
    } else if (op == "sleep") {
        need(1);
        Sleep(number(w[1]));
    } else if (op == "settled") {
        need(0);
        step_settled();
    } else if (op == "exit") {
        need(1);
        step_exit(number(w[1]));
    } else if (op == "quiet-exit") {
        need(1);
        step_quiet_exit(number(w[1]));
    } else {
        fail("unknown step %s", op.c_str());
    }
}

std::string folder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)))
        return "<none>";
    return path;
}

void usage()
{
    std::fprintf(stderr, "usage: driver --setup SETUP.EXE --dir SETUPDIR --script FILE [--shots UNIXDIR] "
                         "[--desktop WxH | --no-desktop]\n"
                         "       driver --folders\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    bool folders_only = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        if (arg == "--setup")
            options.setup_exe = value();
        else if (arg == "--dir")
            options.setup_dir = value();
        else if (arg == "--script")
            options.script = value();
        else if (arg == "--shots")
            options.shots = value();
        else if (arg == "--desktop")
            options.desktop = value();
        else if (arg == "--no-desktop")
            options.desktop.clear();
        else if (arg == "--folders")
            folders_only = true;
        else
            usage();
    }
    if (!folders_only && (options.setup_exe.empty() || options.setup_dir.empty() || options.script.empty()))
        usage();

    check_names();
    folder_programs = folder(CSIDL_PROGRAMS);
    folder_desktop = folder(CSIDL_DESKTOPDIRECTORY);
    folder_windows = folder(CSIDL_WINDOWS);
    folder_system = folder(CSIDL_SYSTEM);
    std::printf("programs=%s\nwindows=%s\nsystem=%s\n", folder_programs.c_str(), folder_windows.c_str(),
                folder_system.c_str());
    // Seen at once: a run step's transcript that lacks these lines tells that
    // the driver never started, so nothing of the script ran.
    std::fflush(stdout);
    if (folders_only)
        return 0;

    FILE *script = std::fopen(options.script.c_str(), "r");
    if (!script) {
        std::printf("FAIL: cannot read %s\n", options.script.c_str());
        return 1;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, script)) {
        ++line_number;
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        std::vector<std::string> words = split_words(text);
        if (words.empty() || words[0][0] == '#')
            continue;
        run_step(words);
        std::printf("ok   %s\n", text.c_str());
        std::fflush(stdout);
    }
    std::fclose(script);
    if (setup_process.hProcess && setup_running())
        fail("the script ended while %s still runs; visible dialogs: %s", program_name.c_str(),
             visible_dialogs().c_str());
    close_desktop();
    std::printf("PASS\n");
    return 0;
}
