#include "setup/setup_args.h"

#include <cstring>

#include "lib/genstrin.h"

// Each option starts a line of its own and the synopsis is cut by hand: a
// message box wraps where it likes and has no columns that tabs could align.
const char SETUP_USAGE_TEXT[] =
    "Installs the application that setup.ini describes: the one in the current directory, else the one beside "
    "setup.exe.\n\n"
    "setup.exe [/S] [/REPLACE] [/NOSHORTCUT]\n"
    "[/LOG=FILE] [/D=DIR]\n\n"
    "/S: silent, no windows and no questions; another version already there is kept.\n"
    "/REPLACE: with /S, another version already there is replaced (an upgrade).\n"
    "/NOSHORTCUT: no shortcut (else a silent run makes it in the Programs folder, in a folder named after the "
    "application).\n"
    "/LOG=FILE: a report with one line per step.\n"
    "/D=DIR: the install directory, a full path; the last option, up to the end of the line.\n"
    "Quotes around a value are allowed.\n\n"
    "Exit status: 0 installed, 1 setup.ini missing or refused or the directory refused, 2 the installation stopped "
    "part-way or was cancelled, 3 bad command line, 4 the setup package appended to setup.exe is damaged.";

static bool blank(char c) { return c == ' ' || c == '\t'; }

// Whether word starts with prefix, letters compared without their case.
static bool starts_with(const char *word, size_t len, const char *prefix)
{
    size_t n = std::strlen(prefix);
    if (len < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (ascii_lower(word[i]) != ascii_lower(prefix[i]))
            return false;
    return true;
}

static bool is_option(const char *word, size_t len, const char *option)
{
    return len == std::strlen(option) && starts_with(word, len, option);
}

static bool refuse(SETUP_ARGS &out, SETUP_ARGS_PROBLEM problem, const char *word, size_t len)
{
    if (out.problem != SETUP_ARGS_OK)
        return false; // the first problem is the one to tell
    out.problem = problem;
    if (len >= sizeof out.problem_word)
        len = sizeof out.problem_word - 1;
    std::memcpy(out.problem_word, word, len);
    out.problem_word[len] = '\0';
    return false;
}

// A value without its quotes into out (size bytes): whole or refused.
static SETUP_ARGS_PROBLEM take_value(const char *value, size_t len, char *out, size_t size)
{
    if (len > 0 && value[0] == '"') {
        if (len < 2 || value[len - 1] != '"' || std::memchr(value + 1, '"', len - 2))
            return SETUP_ARGS_BAD_QUOTES;
        ++value;
        len -= 2;
    } else if (std::memchr(value, '"', len)) {
        return SETUP_ARGS_BAD_QUOTES;
    }
    if (len == 0)
        return SETUP_ARGS_EMPTY_VALUE;
    if (len >= size)
        return SETUP_ARGS_TOO_LONG;
    std::memcpy(out, value, len);
    out[len] = '\0';
    return SETUP_ARGS_OK;
}

bool parse_setup_args(const char *args, SETUP_ARGS &out)
{
    out = SETUP_ARGS{};
    const char *p = args ? args : "";
    for (;;) {
        while (blank(*p))
            ++p;
        if (!*p)
            break;
        out.given = true;
        const char *word = p;
        // A whole option in quotes, as programs quote an argument with a
        // blank: "/D=C:\Program Files\App".
        bool outer = word[0] == '"' && word[1] == '/';
        const char *option = outer ? word + 1 : word;
        if (starts_with(option, std::strlen(option), "/D=")) {
            // The rest of the line, without the blanks that end it.
            const char *value = option + 3;
            size_t len = std::strlen(value);
            while (len > 0 && blank(value[len - 1]))
                --len;
            SETUP_ARGS_PROBLEM problem = SETUP_ARGS_BAD_QUOTES;
            if (!outer || (len > 0 && value[len - 1] == '"'))
                problem = take_value(value, outer ? len - 1 : len, out.install_dir, sizeof out.install_dir);
            if (problem != SETUP_ARGS_OK)
                refuse(out, problem, word, (size_t)(value + len - word));
            break;
        }
        // A word runs to the next blank outside quotes.
        bool quoted = false;
        while (*p && (quoted || !blank(*p)))
            quoted ^= *p++ == '"';
        size_t len = (size_t)(p - option);
        if (outer) {
            if (len < 2 || option[len - 1] != '"') {
                refuse(out, SETUP_ARGS_BAD_QUOTES, word, (size_t)(p - word));
                continue;
            }
            --len;
        }
        if (is_option(option, len, "/S")) {
            out.silent = true;
        } else if (is_option(option, len, "/NOSHORTCUT")) {
            out.no_shortcut = true;
        } else if (is_option(option, len, "/REPLACE")) {
            out.replace = true;
        } else if (is_option(option, len, "/?")) {
            out.usage = true;
        } else if (starts_with(option, len, "/LOG=")) {
            if (out.log_file[0]) {
                refuse(out, SETUP_ARGS_REPEATED, option, len);
                continue;
            }
            SETUP_ARGS_PROBLEM problem = take_value(option + 5, len - 5, out.log_file, sizeof out.log_file);
            if (problem != SETUP_ARGS_OK)
                refuse(out, problem, option, len);
        } else {
            refuse(out, SETUP_ARGS_UNKNOWN, option, len);
        }
    }
    return out.problem == SETUP_ARGS_OK;
}

const char *setup_args_problem_text(SETUP_ARGS_PROBLEM problem)
{
    switch (problem) {
    case SETUP_ARGS_OK: return "";
    case SETUP_ARGS_UNKNOWN: return "Unknown option";
    case SETUP_ARGS_EMPTY_VALUE: return "Option without a value";
    case SETUP_ARGS_BAD_QUOTES: return "Quotes that do not enclose the whole value";
    case SETUP_ARGS_TOO_LONG: return "Value too long for a path";
    case SETUP_ARGS_REPEATED: return "Option given twice";
    }
    return "";
}
