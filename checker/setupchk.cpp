// setupchk: checks setup.ini files the way setup.exe will read them.
#include <cstdio>
#include <cstring>

#include "checker/check_ini.h"
#ifdef _WIN32
#include "platform/dll_safety.h"
#endif

static const char USAGE[] = "Usage: setupchk [--quiet] [DIR | FILE]...\n"
                            "Checks setup.ini, the description that setup.exe installs from, with setup's own reader.\n"
                            "\n"
                            "  DIR      a setup directory: its setup.ini is checked\n"
                            "  FILE     a description file; the files it lists are looked up beside it\n"
                            "           (no argument: setup.ini in the current directory)\n"
                            "  --quiet  print the diagnostics only, not the plan\n"
                            "  --help   print this text\n"
                            "\n"
                            "Diagnostics read \"setup.ini:LINE: error: ...\" or \"...: warning: ...\", sorted by line\n"
                            "(line 0 for the description as a whole). An error is what makes setup fail or harm\n"
                            "the user's machine; a warning is what setup will do that the author may not mean.\n"
                            "Then the plan: each file's destination (Windows taken to be in C:\\windows) and size.\n"
                            "\n"
                            "Exit status: 0 clean, 1 warnings only, 2 errors or a description that cannot be read;\n"
                            "with several descriptions, the worst of them.\n";

static void to_stdout(void *, const char *text) { std::fputs(text, stdout); }

// What an argument is; "--" ends the options, so that a file named "-x"
// can be checked.
enum ArgKind { ARG_DESCRIPTION, ARG_QUIET, ARG_HELP, ARG_END_OF_OPTIONS, ARG_UNKNOWN };

static ArgKind kind_of(const char *arg, bool options_done)
{
    if (options_done || arg[0] != '-' || !arg[1])
        return ARG_DESCRIPTION;
    if (!std::strcmp(arg, "--"))
        return ARG_END_OF_OPTIONS;
    if (!std::strcmp(arg, "--quiet") || !std::strcmp(arg, "-q"))
        return ARG_QUIET;
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h"))
        return ARG_HELP;
    return ARG_UNKNOWN;
}

int main(int argc, char **argv)
{
#ifdef _WIN32
    restrict_dll_search();
#endif
    // The options first, wherever they stand, so that --quiet holds for all.
    bool quiet = false, options_done = false;
    int descriptions = 0;
    for (int i = 1; i < argc; ++i) {
        switch (kind_of(argv[i], options_done)) {
        case ARG_HELP: std::fputs(USAGE, stdout); return 0;
        case ARG_QUIET: quiet = true; break;
        case ARG_END_OF_OPTIONS: options_done = true; break;
        case ARG_UNKNOWN:
            std::fprintf(stderr, "setupchk: unknown option \"%s\" (setupchk --help lists them)\n", argv[i]);
            return 2;
        case ARG_DESCRIPTION: ++descriptions; break;
        }
    }

    int worst = descriptions ? 0 : check_description(nullptr, quiet, to_stdout, nullptr);
    options_done = false;
    for (int i = 1; i < argc; ++i) {
        ArgKind kind = kind_of(argv[i], options_done);
        if (kind == ARG_END_OF_OPTIONS)
            options_done = true;
        if (kind != ARG_DESCRIPTION)
            continue;
        int status = check_description(argv[i], quiet, to_stdout, nullptr);
        if (status > worst)
            worst = status;
    }
    std::fflush(stdout);
    return worst;
}
