// The Win32 front of uninstal.exe: questions as boxes, and the hand-over of
// what the command window of "uninstal.bat" holds to a copy of the program
// that finishes once that window has gone.
#ifndef UNINSTALL_FRONT_H
#define UNINSTALL_FRONT_H

#include <windows.h>

#include "uninstall/removal_plan.h"

// Asks with message boxes and the shared-file dialog.
class BOX_ANSWERS : public REMOVAL_QUESTIONS {
public:
    explicit BOX_ANSWERS(HINSTANCE module) : instance(module) {}
    bool confirm_removal(const char *title) override;
    SHARED_ANSWER shared_file(const char *path) override;

private:
    HINSTANCE instance;
};

// The id of the process that started us when it is a command interpreter
// (cmd.exe, which runs "uninstal.bat"), else 0.
DWORD shell_parent();
// Starts a copy of this program that waits for parent to end and then runs
// the removal of log_path again, silently. True once the copy holds parent.
bool hand_over(DWORD parent, const char *log_path, const char *windows_dir);
// In that copy, with the two handles it inherited: tells the first copy it
// took over by setting held, and waits for parent to end (a few minutes at
// most). False when held is no event that can be set.
bool wait_for_parent(HANDLE parent, HANDLE held);

#endif
