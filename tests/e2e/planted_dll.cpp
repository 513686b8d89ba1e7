// A stand-in for a DLL that someone dropped beside the installer: when a
// process loads it, it leaves a marker "PROGRAM-DLL.ran" (the two file
// names) in the folder that PLANTED_MARKERS names, and refuses to stay
// loaded. It imports kernel32 alone, no C runtime, so that it can stand in
// for msvcrt.dll too.
#include <windows.h>

static const char *base_name(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
}

static void module_name(HMODULE module, char *out)
{
    DWORD len = GetModuleFileNameA(module, out, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        lstrcpyA(out, "unknown");
}

extern "C" BOOL WINAPI planted_main(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char program[MAX_PATH], dll[MAX_PATH], marker[3 * MAX_PATH + 8];
    DWORD n = GetEnvironmentVariableA("PLANTED_MARKERS", marker, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        lstrcpyA(marker, "C:");
    module_name(nullptr, program);
    module_name(self, dll);
    lstrcatA(marker, "\\");
    lstrcatA(marker, base_name(program));
    lstrcatA(marker, "-");
    lstrcatA(marker, base_name(dll));
    lstrcatA(marker, ".ran");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, dll, (DWORD)lstrlenA(dll), &written, nullptr);
        CloseHandle(file);
    }
    return FALSE;
}
