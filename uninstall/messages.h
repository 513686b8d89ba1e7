// The uninstaller's texts: the question, the closing message with what was
// kept and why, the error when the log cannot be used, and the usage.
#ifndef UNINSTALL_MESSAGES_H
#define UNINSTALL_MESSAGES_H

#include <cstddef>

#include "uninstall/command_line.h"
#include "uninstall/removal_plan.h"

// At most this many paths per list in the closing message; the rest are counted.
const int MESSAGE_LIST_LIMIT = 10;

extern const char CONFIRM_FORMAT[]; // "%s" is the application's title
extern const char USAGE_TEXT[];

// Why an entry failed the safety check, or what became of an item
// ("in use, removed at the next restart").
const char *check_text(ENTRY_CHECK check);
void outcome_text(const PLAN_ITEM &item, char *out, size_t size);

// The closing message of a finished run into out (size bytes, always
// terminated; a text that does not fit is cut).
void closing_message(const REMOVAL_PLAN &plan, char *out, size_t size);
// The log at path could not be used: says why and that nothing was removed.
void open_error_message(const char *path, OPEN_RESULT why, char *out, size_t size);
// What is wrong with the arguments, then the usage.
void args_error_message(ARGS_PROBLEM problem, char *out, size_t size);

#endif
