// What the wizard shows of an appended package: the check's progress when
// it takes a while, and the box for a damaged package.
#include "wizard/package_window.h"

#include "setup/front_text.h"

namespace {
// A check that ends sooner shows nothing.
const DWORD QUIET_MS = 1000;
} // namespace

WIZARD_PACKAGE_FRONT::~WIZARD_PACKAGE_FRONT() { unpacked(); }

void WIZARD_PACKAGE_FRONT::advance(bool extracting, uint64_t done, uint64_t total)
{
    if (!window) {
        if (GetTickCount() - started < QUIET_MS)
            return;
        const int width = 360, height = 64;
        window =
            CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                            width, height, nullptr, nullptr, nullptr, nullptr);
        if (!window)
            return;
    }
    int percent = total ? (int)(done * 100 / total) : 100;
    if (percent == shown_percent && extracting == shown_extracting)
        return;
    shown_percent = percent;
    shown_extracting = extracting;
    char text[96];
    format_cut(text, sizeof text, "%s the setup package... %d%%", extracting ? "Unpacking" : "Checking", percent);
    SetWindowTextA(window, text);
    // The popup's own messages, so that it paints and the system sees us alive.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void WIZARD_PACKAGE_FRONT::damaged(const char *why)
{
    char text[MESSAGE_TEXT_SIZE];
    damaged_package_text(why, text, sizeof text);
    MessageBoxA(nullptr, text, "Setup Error", MB_OK | MB_ICONSTOP);
}

void WIZARD_PACKAGE_FRONT::unpacked()
{
    if (window)
        DestroyWindow(window);
    window = nullptr;
}
