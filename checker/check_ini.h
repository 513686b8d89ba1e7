// setupchk's checks: a setup.ini read by setup's own reader, and what setup
// will do with it that its author may not mean, in the compiler style that
// editors and CI understand ("setup.ini:12: warning: ...").
#ifndef CHECKER_CHECK_INI_H
#define CHECKER_CHECK_INI_H

// The results of a check, which are also setupchk's exit statuses.
const int CHECK_CLEAN = 0;
const int CHECK_WARNINGS = 1; // warnings only
const int CHECK_ERRORS = 2;   // errors, or a description that cannot be read

// Receives the checker's output, one whole line (with its newline) a call.
typedef void (*CHECK_SINK)(void *context, const char *text);

// Checks the description that arg names: a file, or a directory whose
// "setup.ini" it is; null means "setup.ini" in the current directory.
// Listed files are looked up in the directory that holds the description,
// as setup finds them there (case-insensitively). Writes the diagnostics,
// sorted by line and named after arg, then, unless quiet, the plan: each
// file's destination and size and a summary. The current directory is the
// same afterwards. Returns CHECK_CLEAN, CHECK_WARNINGS or CHECK_ERRORS.
int check_description(const char *arg, bool quiet, CHECK_SINK sink, void *context);

#endif
