// Program entry: the command line, then the installation session with the
// silent front or with the wizard's pages. Each page runs its own message
// loop, which also serves the background window, so there is none here.
#include "lib/generr.h"
#include "platform/dll_safety.h"
#include "pack/package_setup.h"
#include "setup/front_text.h"
#include "setup/session.h"
#include "setup/setup_args.h"
#include "wizard/package_window.h"
#include "wizard/wizard.h"

// The usage box for /? or a line that cannot be used.
void WIZARD_FRONT::show_usage(const char *problem)
{
    char text[MESSAGE_TEXT_SIZE + 256];
    if (problem)
        format_cut(text, sizeof text, "%s\n\n%s", problem, SETUP_USAGE_TEXT);
    else
        format_cut(text, sizeof text, "%s", SETUP_USAGE_TEXT);
    MessageBoxA(nullptr, text, "Setup - Usage", MB_OK | (problem ? MB_ICONSTOP : MB_ICONINFORMATION));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int show_state)
{
    restrict_dll_search();
    SETUP_ARGS command;
    parse_setup_args(args, command);
    // Out of memory mid-way is no success either.
    if (command.given)
        critical_exit_status = SETUP_EXIT_FAILED;

    CoInitialize(nullptr); // the shortcut is made through COM
    // The program's own file, which may carry a package to install from.
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    const char *own = length > 0 && length < sizeof program ? program : nullptr;
    // /S: no window of any kind, not even for a refused command line.
    if (command.silent) {
        bool programs = locate_programs_folder();
        SILENT_FRONT silent(programs ? programs_path : nullptr, command.replace);
        SILENT_PACKAGE_FRONT quiet;
        int status = run_setup_from(own, setup_job, args, command, silent, quiet, report);
        release_programs_folder();
        return status;
    }
    WIZARD_FRONT wizard(instance, show_state);
    WIZARD_PACKAGE_FRONT unpacking;
    return run_setup_from(own, setup_job, args, command, wizard, unpacking, report);
}
