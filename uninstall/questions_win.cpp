// The questions of the removal, as the user sees them.
#include <cstdio>

#include "uninstall/front.h"
#include "uninstall/messages.h"
#include "uninstall/resource.h"

bool BOX_ANSWERS::confirm_removal(const char *title)
{
    char text[512];
    std::snprintf(text, sizeof text, CONFIRM_FORMAT, title);
    return MessageBoxA(nullptr, text, "Uninstall", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) ==
           IDYES;
}

static INT_PTR CALLBACK shared_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_SHARED_PATH, reinterpret_cast<const char *>(lparam));
        return TRUE; // the focus goes to Keep, the default button
    case WM_COMMAND: {
        bool all = IsDlgButtonChecked(dialog, IDC_SHARED_ALL) == BST_CHECKED;
        switch (LOWORD(wparam)) {
        case IDC_KEEP:
        case IDCANCEL: // Esc and the close box keep the file
            EndDialog(dialog, all ? SHARED_KEEP_ALL : SHARED_KEEP);
            return TRUE;
        case IDC_REMOVE: EndDialog(dialog, all ? SHARED_REMOVE_ALL : SHARED_REMOVE); return TRUE;
        }
        break;
    }
    }
    return FALSE;
}

SHARED_ANSWER BOX_ANSWERS::shared_file(const char *path)
{
    INT_PTR answer =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SHARED), nullptr, shared_proc, reinterpret_cast<LPARAM>(path));
    // A dialog that cannot be shown removes nothing.
    if (answer != SHARED_REMOVE && answer != SHARED_REMOVE_ALL && answer != SHARED_KEEP_ALL)
        return SHARED_KEEP;
    return static_cast<SHARED_ANSWER>(answer);
}
