// uninstal.exe's command line: [/S] LOG, where LOG is everything after the
// options, blanks included, with or without quotes around it.
#ifndef UNINSTALL_COMMAND_LINE_H
#define UNINSTALL_COMMAND_LINE_H

#include <cstddef>
#include <cstdint>

#include "setup/log_format.h"

// ARGS_DEVICE: a log name with a part such as NUL or COM1, which would be
// read from a device (a serial port waits for ever).
enum ARGS_PROBLEM { ARGS_OK, ARGS_NO_LOG, ARGS_UNKNOWN_OPTION, ARGS_BAD_QUOTES, ARGS_TOO_LONG, ARGS_DEVICE };

struct COMMAND_LINE {
    bool silent; // /S
    bool usage;  // /?
    // Private /finish:PROCESS,EVENT, given to the copy that finishes the job:
    // the values of two handles it inherits, the command interpreter to wait
    // for and the event that tells the first copy it took over; 0 otherwise.
    uint32_t finish_after;
    uint32_t finish_event;
    char log_name[LOG_PATH_SIZE];
    ARGS_PROBLEM problem;
};

// Reads args (the command line after the program's name). False with
// out.problem set when the arguments are unusable; /? is no problem.
bool parse_command_line(const char *args, COMMAND_LINE &out);

// The log's full path: name itself when it has a drive ("X:\") or starts
// with a backslash, else name below windows_dir. False when it does not fit.
bool resolve_log_path(const char *name, const char *windows_dir, char *out, size_t size);

#endif
