// What "uninstal.bat"'s command window holds (the batch file, and its
// current directory with the folders above it) cannot go while the window
// waits for us. A detached copy of this program waits for that window to
// close and then runs the removal again on the rewritten log, which by then
// names only what is left.
#include "uninstall/front.h"

#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/path_text.h"

static const DWORD HANDOVER_WAIT_MS = 10000;
static const DWORD PARENT_WAIT_MS = 5 * 60 * 1000;

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
    // The copy inherits a handle of the command interpreter, which waits for
    // us and so keeps its process id meanwhile, and an event without a name:
    // nothing another process could take first, and no id to be reused.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE shell = OpenProcess(SYNCHRONIZE, TRUE, parent);
    HANDLE held = CreateEventA(&inherited, TRUE, FALSE, nullptr);
    bool ok = false;
    int n = std::snprintf(command, sizeof command, "\"%s\" /S /finish:%lu,%lu \"%s\"", self,
                          (unsigned long)(uintptr_t)shell, (unsigned long)(uintptr_t)held, log_path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Detached, and not in the batch file's folder. Our other handles are
    // not inheritable: the copy gets these two.
    if (shell && held && n > 0 && n < (int)sizeof command &&
        CreateProcessA(self, command, nullptr, nullptr, TRUE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                       windows_dir, &startup, &process)) {
        HANDLE waits[2] = {held, process.hProcess};
        ok = WaitForMultipleObjects(2, waits, FALSE, HANDOVER_WAIT_MS) == WAIT_OBJECT_0;
        if (!ok)
            TerminateProcess(process.hProcess, 2); // the parent must not be left to a copy that is not ready
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (held)
        CloseHandle(held);
    if (shell)
        CloseHandle(shell);
    return ok;
}

bool wait_for_parent(HANDLE parent, HANDLE held)
{
    // Both inherited from the first copy; a value that is no event of ours
    // cannot be set, and then nothing is waited for.
    if (!SetEvent(held))
        return false;
    CloseHandle(held);
    WaitForSingleObject(parent, PARENT_WAIT_MS);
    CloseHandle(parent);
    return true;
}
