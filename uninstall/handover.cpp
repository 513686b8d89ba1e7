// What "uninstal.bat"'s command window holds (the batch file, and its
// current directory with the folders above it) cannot go while the window
// waits for us. A detached copy of this program waits for that window to
// close and then runs the removal again on the rewritten log, which by then
// names only what is left.
#include "uninstall/front.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "platform/path_text.h"

static const DWORD HANDOVER_WAIT_MS = 10000;
static const DWORD PARENT_WAIT_MS = 5 * 60 * 1000;

// The event by which the copy tells the first program that it holds the
// parent: named after the copy's process id.
static void event_name(char *out, size_t size, DWORD copy)
{
    std::snprintf(out, size, "Local\\uninstal.exe hand-over %lu", (unsigned long)copy);
}

DWORD shell_parent()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD self = GetCurrentProcessId(), parent = 0, found = 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self)
            parent = entry.th32ParentProcessID;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && parent; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == parent && same_path(path_file_name(entry.szExeFile), "cmd.exe"))
            found = parent;
    CloseHandle(snapshot);
    return found;
}

bool hand_over(DWORD parent, const char *log_path, const char *windows_dir)
{
    char self[MAX_PATH], command[3 * MAX_PATH];
    DWORD len = GetModuleFileNameA(nullptr, self, sizeof self);
    if (len == 0 || len >= sizeof self)
        return false;
    int n =
        std::snprintf(command, sizeof command, "\"%s\" /S /finish:%lu \"%s\"", self, (unsigned long)parent, log_path);
    if (n < 0 || n >= (int)sizeof command)
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Detached, inheriting nothing, and not in the batch file's folder.
    if (!CreateProcessA(self, command, nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, windows_dir, &startup,
                        &process))
        return false;
    char name[64];
    event_name(name, sizeof name, process.dwProcessId);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, name);
    ResumeThread(process.hThread);
    bool ok = false;
    if (held) {
        HANDLE waits[2] = {held, process.hProcess};
        ok = WaitForMultipleObjects(2, waits, FALSE, HANDOVER_WAIT_MS) == WAIT_OBJECT_0;
        CloseHandle(held);
    }
    if (!ok)
        TerminateProcess(process.hProcess, 2); // the parent must not be left to a copy that is not ready
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

bool wait_for_parent(DWORD parent)
{
    // Null when the parent has gone already: then there is nothing to wait for.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, parent);
    char name[64];
    event_name(name, sizeof name, GetCurrentProcessId());
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (held) {
        SetEvent(held);
        CloseHandle(held);
    }
    if (process) {
        if (held)
            WaitForSingleObject(process, PARENT_WAIT_MS);
        CloseHandle(process);
    }
    return held != nullptr;
}
