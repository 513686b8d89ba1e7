// setup.exe's command line: [/S] [/REPLACE] [/NOSHORTCUT] [/LOG=FILE] [/D=DIR], the
// names in any case. /D= comes last and takes the rest of the line, blanks
// included; a value may stand in double quotes.
#ifndef SETUP_SETUP_ARGS_H
#define SETUP_SETUP_ARGS_H

#include "setup/path_join.h"

enum SETUP_ARGS_PROBLEM {
    SETUP_ARGS_OK,
    SETUP_ARGS_UNKNOWN,     // not one of the options (a word without "/" included)
    SETUP_ARGS_EMPTY_VALUE, // /LOG= or /D= without a value
    SETUP_ARGS_BAD_QUOTES,  // a quote left open, or text after the closing one
    SETUP_ARGS_TOO_LONG,    // a value that does not fit a path
    SETUP_ARGS_REPEATED     // /LOG= twice: which report would the caller read?
};

struct SETUP_ARGS {
    bool given;                        // the line holds anything but blanks
    bool silent;                       // /S, seen anywhere before /D=, even on a line that is refused
    bool no_shortcut;                  // /NOSHORTCUT
    bool replace;                      // /REPLACE: with /S, a file of another size is replaced
    bool usage;                        // /?
    char log_file[SETUP_PATH_SIZE];    // /LOG=; empty without
    char install_dir[SETUP_PATH_SIZE]; // /D=; empty without
    SETUP_ARGS_PROBLEM problem;        // the first one found
    char problem_word[64];             // the word it was found in, cut to fit
};

// Reads args (the command line after the program's name; null reads as
// empty). False with out.problem set when the line cannot be used; the
// words after a refused one are still read for /S, so that a silent run
// stays silent however it was misspelt.
bool parse_setup_args(const char *args, SETUP_ARGS &out);

// What is wrong with the line, for the usage box and the report.
const char *setup_args_problem_text(SETUP_ARGS_PROBLEM problem);

extern const char SETUP_USAGE_TEXT[];

#endif
