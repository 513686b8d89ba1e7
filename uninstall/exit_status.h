// What uninstal.exe tells the batch file or a script that started it.
#ifndef UNINSTALL_EXIT_STATUS_H
#define UNINSTALL_EXIT_STATUS_H

enum UNINSTALL_EXIT {
    // Everything the log named is gone (handed over to another installation
    // or to the copy that finishes after the command window counts as gone),
    // and the log with it.
    UNINSTALL_DONE = 0,
    // Something stays: kept, skipped, or it could not go, or the log could
    // be neither deleted nor rewritten to name what remains.
    UNINSTALL_SOME_LEFT = 1,
    // Nothing was removed: the command line or the log could not be used,
    // or the user said No.
    UNINSTALL_NOTHING_DONE = 2
};

#endif
