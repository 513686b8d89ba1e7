// uninstal.exe: removes what a setup log names, asking first. The work is
// the removal plan's; this front reads the command line, asks and shows.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include "platform/dll_safety.h"
#include "platform/platform.h"
#include "uninstall/command_line.h"
#include "uninstall/front.h"
#include "uninstall/messages.h"

static const int FINISH_TRIES = 20; // the copy's passes while something is still in use
static const DWORD FINISH_PAUSE_MS = 250;

static void box(bool silent, const char *text, const char *caption, UINT icon)
{
    if (!silent)
        MessageBoxA(nullptr, text, caption, MB_OK | icon | MB_SETFOREGROUND);
}

static void folder(int csidl, char *out)
{
    char path[MAX_PATH];
    out[0] = '\0';
    if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)) && std::strlen(path) < LOG_PATH_SIZE)
        std::strcpy(out, path);
}

// The copy started by hand_over: once the command window has gone, the
// removal again, silently, until nothing is in use any more.
static int finish_after(const COMMAND_LINE &command, const char *log_path, const REMOVAL_CONTEXT &context)
{
    if (!wait_for_parent((HANDLE)(uintptr_t)command.finish_after, (HANDLE)(uintptr_t)command.finish_event))
        return UNINSTALL_NOTHING_DONE;
    UNINSTALL_EXIT status = UNINSTALL_NOTHING_DONE;
    for (int attempt = 1; attempt <= FINISH_TRIES; ++attempt) {
        REMOVAL_PLAN plan;
        SILENT_ANSWERS silent;
        OPEN_RESULT why;
        // The command window's folder may stay busy for a moment after it closed.
        bool last = attempt == FINISH_TRIES;
        status = run_removal(plan, log_path, context, silent, why, last);
        if (why != OPEN_OK || (plan.count_outcome(OUT_IN_USE) == 0 && plan.count_outcome(OUT_ACCESS_DENIED) == 0))
            break;
        Sleep(FINISH_PAUSE_MS);
    }
    return status;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int)
{
    restrict_dll_search();
    char text[8192];
    COMMAND_LINE command;
    if (!parse_command_line(args, command)) {
        args_error_message(command.problem, text, sizeof text);
        box(command.silent, text, "Uninstall - Usage", MB_ICONSTOP);
        return UNINSTALL_NOTHING_DONE;
    }
    if (command.usage) {
        box(command.silent, USAGE_TEXT, "Uninstall - Usage", MB_ICONINFORMATION);
        return UNINSTALL_NOTHING_DONE;
    }

    REMOVAL_CONTEXT context = {};
    // Where "uninstal.bat" was started, before we leave it: the command
    // window keeps it busy.
    if (GetCurrentDirectoryA(sizeof context.start_dir, context.start_dir) >= sizeof context.start_dir)
        context.start_dir[0] = '\0';
    plat_windows_dir(context.dirs.windows, sizeof context.dirs.windows);
    plat_system_dir(context.dirs.system, sizeof context.dirs.system);
    folder(CSIDL_PROGRAMS, context.dirs.programs[0]);
    folder(CSIDL_COMMON_PROGRAMS, context.dirs.programs[1]);
    // Relative names are the Windows directory's, and we hold no folder of
    // the installation as our current directory.
    plat_chdir(context.dirs.windows);

    char log_path[LOG_PATH_SIZE];
    if (!resolve_log_path(command.log_name, context.dirs.windows, log_path, sizeof log_path)) {
        args_error_message(ARGS_TOO_LONG, text, sizeof text);
        box(command.silent, text, "Uninstall - Usage", MB_ICONSTOP);
        return UNINSTALL_NOTHING_DONE;
    }
    if (command.finish_after)
        return finish_after(command, log_path, context);

    DWORD shell = shell_parent();
    context.started_by_shell = shell != 0;
    REMOVAL_PLAN plan;
    SILENT_ANSWERS silent_answers;
    BOX_ANSWERS box_answers(instance);
    REMOVAL_QUESTIONS &questions = command.silent ? static_cast<REMOVAL_QUESTIONS &>(silent_answers) : box_answers;
    OPEN_RESULT why;
    UNINSTALL_EXIT status = run_removal(plan, log_path, context, questions, why);
    if (why != OPEN_OK) {
        open_error_message(log_path, why, text, sizeof text);
        box(command.silent, text, "Uninstall - Error", MB_ICONSTOP);
        return UNINSTALL_NOTHING_DONE;
    }
    if (status == UNINSTALL_NOTHING_DONE)
        return status; // the user said No: nothing was touched

    if (plan.count_outcome(OUT_DEFERRED) > 0 && !hand_over(shell, log_path, context.dirs.windows)) {
        // Nobody will finish after the window closes: say what stays.
        for (int32_t i = 0; i < plan.count; ++i)
            if (plan.items[i].outcome == OUT_DEFERRED)
                plan.items[i].outcome = OUT_IN_USE;
        status = UNINSTALL_SOME_LEFT;
    }
    closing_message(plan, text, sizeof text);
    box(command.silent, text, "Uninstall - Complete", status == UNINSTALL_DONE ? MB_ICONINFORMATION : MB_ICONWARNING);
    return status;
}
