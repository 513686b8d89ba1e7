#include "platform/dll_safety.h"

#include <windows.h>

#include <commctrl.h>
#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void restrict_dll_search()
{
    typedef BOOL(WINAPI * SET_DEFAULT_DIRS)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // GetProcAddress gives a FARPROC: cast through a plain function pointer.
    SET_DEFAULT_DIRS set_default = kernel ? reinterpret_cast<SET_DEFAULT_DIRS>(reinterpret_cast<void (*)()>(
                                                GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                          : nullptr;
    if (set_default)
        set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the call above this still keeps the current directory out.
    SetDllDirectoryA("");
}

// The system directory's file name, loaded by its full path; null on failure.
static HMODULE load_system_dll(const char *name)
{
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    size_t name_len = std::strlen(name);
    if (n == 0 || n + 1 + name_len >= sizeof path)
        return nullptr;
    path[n] = '\\';
    std::memcpy(path + n + 1, name, name_len + 1);
    return LoadLibraryA(path);
}

bool init_common_controls(unsigned long classes)
{
    typedef BOOL(WINAPI * INIT_CONTROLS)(const INITCOMMONCONTROLSEX *);
    HMODULE comctl = load_system_dll("comctl32.dll");
    INIT_CONTROLS init = comctl ? reinterpret_cast<INIT_CONTROLS>(
                                      reinterpret_cast<void (*)()>(GetProcAddress(comctl, "InitCommonControlsEx")))
                                : nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    // Stays loaded: the window classes it registers live in it.
    return init && init(&controls);
}
