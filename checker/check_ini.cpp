// setupchk's checks. The description is read by SETUP_TYPE::load_ini, the
// very reader that setup.exe runs, with an observer that hears of every
// line; what follows looks at the job the reader filled, with the rules of
// setup's own operations: destinations, the setup log, the batch file and
// the shortcut.
#include "checker/check_ini.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "lib/genstrin.h"
#include "platform/file_version.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/setup.h"

namespace {

// The plan puts the Windows files where most machines have them.
const char USUAL_WINDOWS_DIR[] = "C:\\windows\\";
const char USUAL_SYSTEM_DIR[] = "C:\\windows\\system32\\";
// The Programs folder of a user named Administrator: the shortcut's folder
// lies below it.
const char TYPICAL_PROGRAMS_DIR[] =
    "C:\\Users\\Administrator\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\";

const char LOAD_FAILED[] = "Error loading setup config file 'SETUP.INI'!";

const int SEV_WARNING = 1;
const int SEV_ERROR = 2;

// Room for any path the checker builds: a host path can be long.
const size_t HOST_PATH_SIZE = 4096;
// The longest word that the "Setup Error" box shows within a screen 800
// pixels wide: measured under Wine, the box reaches the screen's edges at
// about 155 characters of an e-mail address; wide letters (m, w) sooner.
const int MAX_BOX_WORD = 120;

// A message under construction, cut when it would overflow.
class Text {
public:
    Text() : len(0) { buf[0] = '\0'; }
    Text &add(const char *text) { return add_bytes(text, std::strlen(text)); }
    Text &add_bytes(const char *text, size_t n)
    {
        size_t room = sizeof buf - 1 - len;
        if (n > room)
            n = room;
        std::memcpy(buf + len, text, n);
        len += n;
        buf[len] = '\0';
        return *this;
    }
    Text &format(const char *fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        va_list args;
        va_start(args, fmt);
        int n = std::vsnprintf(buf + len, sizeof buf - len, fmt, args);
        va_end(args);
        if (n > 0)
            len = std::min(len + (size_t)n, sizeof buf - 1);
        buf[len] = '\0';
        return *this;
    }
    // text in double quotes; control characters (a tab, a stray CR) as \xNN.
    Text &quote(const char *text)
    {
        add("\"");
        for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
            if (*p < 0x20 || *p == 0x7F)
                format("\\x%02X", *p);
            else
                add_bytes((const char *)p, 1);
        }
        return add("\"");
    }
    const char *str() const { return buf; }

private:
    char buf[2048];
    size_t len;
};

struct Diagnostic {
    int32_t line; // 0 for the description as a whole
    int severity;
    char *text; // owned
};

[[noreturn]] void out_of_memory()
{
    std::fputs("setupchk: out of memory\n", stderr);
    std::exit(CHECK_ERRORS);
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

// The ASCII letters folded, "/" read as "\", trailing dots and blanks
// dropped: two names Windows takes for one come out the same.
void windows_key(const char *path, char *out, size_t size)
{
    size_t n = 0, keep = 0;
    for (const char *p = path; *p && n + 2 < size;) {
        const char *next = plat_char_next(p);
        if (next - p > 1) {
            std::memcpy(out + n, p, (size_t)(next - p));
            n += (size_t)(next - p);
            keep = n;
        } else {
            char c = ascii_lower(*p);
            out[n++] = c == '/' ? '\\' : c;
            if (c != '.' && c != ' ')
                keep = n;
        }
        p = next;
    }
    out[keep] = '\0';
}

// Where the directory part of name ends (its last separator), or null.
const char *last_separator(const char *name)
{
    const char *last = nullptr;
    for (const char *p = name; *p; p = plat_char_next(p))
        if (plat_char_next(p) - p == 1 && is_separator(*p))
            last = p;
    return last;
}

// True when a "file" name would lead out of its directory: a drive or other
// colon, a leading separator, or a part of dots (and blanks) only.
bool leaves_directory(const char *name)
{
    if (std::strchr(name, ':') || is_separator(name[0]))
        return true;
    const char *part = name;
    for (const char *p = name;; p = plat_char_next(p)) {
        if (*p && !(plat_char_next(p) - p == 1 && is_separator(*p)))
            continue;
        size_t len = (size_t)(p - part);
        if (len > 0 && std::strspn(part, ". ") >= len && std::memchr(part, '.', len))
            return true;
        if (!*p)
            return false;
        part = p + 1;
    }
}

// The path type words as a list for a sentence: "a, b and c".
Text &add_path_type_list(Text &text)
{
    for (int i = 0; path_type_word(i); ++i)
        text.add(i == 0 ? "" : path_type_word(i + 1) ? ", " : " and ").add(path_type_word(i));
    return text;
}

// Edit distance of two short texts, or a large number for long ones.
size_t edit_distance(const char *a, const char *b)
{
    const size_t max = 32;
    size_t la = std::strlen(a), lb = std::strlen(b);
    if (la > max || lb > max)
        return max;
    size_t row[max + 1];
    for (size_t j = 0; j <= lb; ++j)
        row[j] = j;
    for (size_t i = 1; i <= la; ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= lb; ++j) {
            size_t above = row[j];
            size_t change = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min(std::min(above + 1, row[j - 1] + 1), change);
            diagonal = above;
        }
    }
    return row[lb];
}

// The known key an unknown one was probably meant to be, or null: a slip
// of two letters, or a word that one holds the other ("title", "files").
const char *likely_key(const char *key)
{
    if (std::strlen(key) < 3)
        return nullptr;
    for (int i = 0; i < INI_NO_KEY; ++i)
        if (edit_distance(key, ini_key_name((INI_KEY)i)) <= 2)
            return ini_key_name((INI_KEY)i);
    for (int i = 0; i < INI_NO_KEY; ++i) {
        const char *known = ini_key_name((INI_KEY)i);
        if (std::strstr(known, key) || std::strstr(key, known))
            return known;
    }
    return nullptr;
}

const char *plural(int32_t n, const char *one, const char *many) { return n == 1 ? one : many; }

class Checker : public INI_OBSERVER {
public:
    explicit Checker(SETUP_TYPE &job_to_read)
        : job(job_to_read), items(nullptr), count(0), capacity(0), key_line{}, file_line{}, sizes{}, excess_line(0),
          file_lines(0), log_fits(true), utf8_warned(false)
    {
    }
    ~Checker()
    {
        for (int32_t i = 0; i < count; ++i)
            std::free(items[i].text);
        std::free(items);
    }
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    bool line_read(const INI_LINE &line) override;
    // The checks of the whole job, once the reader is done.
    void check_job();
    void unreadable(const Text &why) { error(0, why); }
    void write_diagnostics(const char *shown, CHECK_SINK sink, void *context);
    void write_plan(const char *shown, CHECK_SINK sink, void *context);
    int errors() const { return count_of(SEV_ERROR); }
    int warnings() const { return count_of(SEV_WARNING); }

private:
    SETUP_TYPE &job;
    Diagnostic *items;
    int32_t count, capacity;
    int32_t key_line[INI_NO_KEY];       // the last line that gave each key; 0 for none
    int32_t file_line[MAX_SETUP_FILES]; // the line of each entry
    int64_t sizes[MAX_SETUP_FILES];     // each entry's source size; -1 when missing
    int32_t excess_line;                // the first file line past the 100th; 0 for none
    int32_t file_lines;                 // every "file" line, refused or not
    bool log_fits;                      // the setup log's path fits setup's buffers
    bool utf8_warned;                   // a line of UTF-8 beyond ASCII was named (once is enough)
    bool has_uninstaller = false;       // uninstal.exe lies beside setup.ini: setup makes the entry

    void report(int32_t line, int severity, const Text &text);
    void warn(int32_t line, const Text &text) { report(line, SEV_WARNING, text); }
    void error(int32_t line, const Text &text) { report(line, SEV_ERROR, text); }
    int count_of(int severity) const;
    void refused(const INI_LINE &line);
    void check_path_type(const INI_LINE &line);
    void check_title();
    void check_install_path();
    void check_exename();
    void check_entry(int32_t index);
    void check_uninstaller();
    bool destination(int32_t index, char *out, size_t size, size_t *length);
    void write_folders(CHECK_SINK sink, void *context);
};

void Checker::report(int32_t line, int severity, const Text &text)
{
    if (count == capacity) {
        int32_t grown = capacity ? capacity * 2 : 16;
        void *memory = std::realloc(items, (size_t)grown * sizeof *items);
        if (!memory)
            out_of_memory();
        items = static_cast<Diagnostic *>(memory);
        capacity = grown;
    }
    size_t len = std::strlen(text.str());
    char *copy = static_cast<char *>(std::malloc(len + 1));
    if (!copy)
        out_of_memory();
    std::memcpy(copy, text.str(), len + 1);
    items[count++] = Diagnostic{line, severity, copy};
}

int Checker::count_of(int severity) const
{
    int n = 0;
    for (int32_t i = 0; i < count; ++i)
        n += items[i].severity == severity;
    return n;
}

// True when text holds bytes beyond ASCII and all of them form UTF-8
// sequences: text an editor saved as UTF-8, which setup shows byte by byte.
// ANSI text beyond ASCII seldom passes (a letter followed by a plain one).
static bool utf8_beyond_ascii(const char *text)
{
    const unsigned char *p = (const unsigned char *)text;
    bool beyond = false;
    while (*p) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int follow = *p >= 0xC2 && *p <= 0xDF ? 1 : *p >= 0xE0 && *p <= 0xEF ? 2 : *p >= 0xF0 && *p <= 0xF4 ? 3 : -1;
        if (follow < 0)
            return false;
        for (int i = 1; i <= follow; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += follow + 1;
        beyond = true;
    }
    return beyond;
}

bool Checker::line_read(const INI_LINE &line)
{
    if (!utf8_warned && line.text && utf8_beyond_ascii(line.text)) {
        utf8_warned = true;
        warn(line.number, Text().add("line holds letters beyond ASCII saved as UTF-8, which setup reads as ANSI "
                                     "text: each shows as two or three other characters; save setup.ini as ANSI "
                                     "(in Notepad: Save As, Encoding ANSI)"));
    }
    // Only when what is dropped is more than a comment: a ";" in the part
    // read makes the rest a comment anyway.
    if (line.cut && !line.comment)
        warn(line.number,
             Text().add("line is longer than 255 characters: setup reads its first 255 and drops the rest"));

    if (!line.key) {
        if (line.value[0]) {
            size_t len = std::strlen(line.value);
            if (line.value[0] == '[' && line.value[len - 1] == ']')
                warn(line.number, Text()
                                      .add("section header ")
                                      .quote(line.value)
                                      .add(": setup.ini has no sections, and setup ignores this line"));
            else
                warn(line.number, Text().add("line without \"=\": setup ignores it"));
        }
        return true;
    }
    if (line.which == INI_NO_KEY) {
        if (!line.key[0]) {
            warn(line.number, Text().add("no key before \"=\": setup ignores this line"));
            return true;
        }
        Text text;
        text.add("unknown key ").quote(line.key).add(": setup ignores this line");
        const char *meant = likely_key(line.key);
        if (meant)
            text.add(" (did you mean ").quote(meant).add("?)");
        warn(line.number, text);
        return true;
    }
    if (line.comment)
        warn(line.number, Text()
                              .add("\";\" starts a comment, even inside a value: setup reads ")
                              .add(line.key)
                              .add(" as ")
                              .quote(line.value)
                              .add(" and drops ")
                              .quote(line.comment));

    if (line.which != INI_FILE) {
        if (key_line[line.which])
            warn(line.number,
                 Text().add(line.key).format(" is given again (also on line %d): setup takes this later value",
                                             (int)key_line[line.which]));
        key_line[line.which] = line.number;
    } else {
        ++file_lines;
        if (line.added)
            file_line[job.num_files - 1] = line.number;
        if (!line.refused)
            check_path_type(line);
    }
    if (line.refused)
        refused(line);
    return true; // past a refused line too: the author sees every error at once
}

void Checker::refused(const INI_LINE &line)
{
    Text text;
    switch (line.code) {
    case ERR_TABLE_FULL:
        // One error for all of them, once their number is known.
        if (!excess_line)
            excess_line = line.number;
        return;
    case ERR_NULL_POINTER: text.add("file line without a file name"); break;
    case ERR_FILE_NAME_LEAVES_DIR: {
        // exename is one whole name; a file line's name is its first field.
        bool program = line.which == INI_EXENAME;
        const char *name = program ? line.value : line.file_name;
        text.add(program ? "exename " : "file name ").quote(name);
        if (leaves_directory(name))
            text.add(program ? " would leave the install directory" : " would leave its directory");
        else if (path_names_device(name))
            text.add(" names a device, which Windows opens instead of a file");
        else
            text.add(" has a part that Windows would change or refuse");
        break;
    }
    case ERR_INSTALL_PATH_NOT_FULL:
        text.add("installpath ")
            .quote(line.value)
            .add(path_names_device(line.value) ? " names a device, which Windows opens instead of a folder"
                                               : " is not a full path that Windows keeps as written");
        break;
    case ERR_INSTALL_PATH_QUESTION_MARK:
    case ERR_INSTALL_PATH_CHANGED_END: {
        INSTALL_PATH_FAULT fault = install_path_fault(line.value);
        text.add("installpath ").quote(line.value);
        text.format(": its folder name \"%.*s\"", (int)fault.part_len, line.value + fault.part);
        text.add(line.code == ERR_INSTALL_PATH_CHANGED_END ? " ends in a dot or a blank, which Windows drops"
                                                           : " holds a '?', which no name may hold");
        break;
    }
    case ERR_FILE_NAME_TOO_LONG:
        text.add("file name ")
            .quote(line.file_name)
            .format(" is too long: even below %s, its destination would pass %d characters or one of its folders "
                    "%d",
                    SHORTEST_BASE_DIR, (int)MAX_DEST_PATH, (int)MAX_DIR_PATH);
        break;
    default: text.add("setup cannot take this line"); break;
    }
    text.add(": setup refuses to start at this line (").quote(error_db.get_error_msg(line.code)).add(")");
    error(line.number, text);
}

void Checker::check_path_type(const INI_LINE &line)
{
    if (line.type_word && !line.type_known) {
        // The word without the blanks around it, which setup keeps.
        const char *start = line.type_word + std::strspn(line.type_word, " \t");
        size_t len = std::strlen(start);
        while (len > 0 && (start[len - 1] == ' ' || start[len - 1] == '\t'))
            --len;
        Text text;
        if (path_type_named(start, len))
            text.add("path type ")
                .quote(line.type_word)
                .add(" has blanks around it, which setup does not remove: it does not know the word and installs "
                     "the file into the install directory");
        else
            add_path_type_list(text.add("unknown path type ")
                                   .quote(line.type_word)
                                   .add(": setup installs the file into the install directory (the path types are "))
                .add(")");
        warn(line.number, text);
    }
    if (line.ignored)
        warn(line.number, Text().add("setup ignores what follows the path type: ").quote(line.ignored));
}

// An entry's destination as setup computes it. False, with out
// "<install path>\name", when the install path is left to the user.
bool Checker::destination(int32_t index, char *out, size_t size, size_t *length)
{
    const SETUP_FILE *entry = job.files[index];
    bool in_install_dir = entry->path_type != PATH_WINDOWS && entry->path_type != PATH_WINSYS;
    if (in_install_dir && !job.get_installpath()[0]) {
        join_path(out, size, "<install path>\\", entry->name);
        *length = 0;
        return false;
    }
    *length = (size_t)job.dest_path_of(index, out, (int32_t)size);
    return true;
}

// True for a folder name that Windows gives a meaning in the Programs folder
// (compared without regard to ASCII case, as Windows compares names).
static bool is_special_programs_folder(const char *name)
{
    static const char *const special[] = {"StartUp",     "Administrative Tools", "Windows Administrative Tools",
                                          "Accessories", "Accessibility",        "System Tools",
                                          "Maintenance"};
    for (const char *folder : special) {
        size_t i = 0;
        for (; folder[i] && name[i]; ++i) {
            char a = folder[i], b = name[i];
            if ((a >= 'A' && a <= 'Z' ? (char)(a + 32) : a) != (b >= 'A' && b <= 'Z' ? (char)(b + 32) : b))
                break;
        }
        if (!folder[i] && !name[i])
            return true;
    }
    return false;
}

void Checker::check_title()
{
    const char *title = job.get_apptitle();
    int32_t line = key_line[INI_APPTITLE];
    char name[SETUP_PATH_SIZE];
    bool named = title_file_name(title, name, sizeof name);
    if (!job.apptitle) {
        warn(0, Text().add("no apptitle: the pages, the setup log and the shortcut say \"Unknown\""));
    } else if (!title[0]) {
        warn(line, Text().add("apptitle is empty: the pages show no title, and the setup log and the shortcut are "
                              "named \"_\""));
    } else if (named && std::strcmp(name, title) != 0) {
        char log_name[SETUP_PATH_SIZE + 4], link_name[SETUP_PATH_SIZE + 4];
        join_path(log_name, sizeof log_name, name, ".log");
        join_path(link_name, sizeof link_name, name, ".lnk");
        warn(line, Text()
                       .add("the title ")
                       .quote(title)
                       .add(" is no valid file name: setup names the setup log ")
                       .quote(log_name)
                       .add(" and the shortcut ")
                       .quote(link_name)
                       .add(" instead"));
    }
    // The default shortcut folder is named after the title: in Programs\StartUp
    // the program would start at every logon.
    if (named && is_special_programs_folder(name))
        warn(line, Text()
                       .add("the title ")
                       .quote(name)
                       .add(" is the name of a special folder in Programs: the shortcut goes there by default")
                       .add(", and a program in StartUp starts at every logon"));
    size_t log_len = 0;
    log_fits = job.log_path_fits(&log_len);
    if (!log_fits) {
        error(line, Text()
                        .format("the title is too long for the setup log's name: with Windows in C:\\windows, "
                                "its path would be %d characters, more than %d; setup fails before it installs "
                                "anything (",
                                (int)log_len, (int)SETUP_PATH_SIZE - 1)
                        .quote(error_db.get_error_msg(ERR_STRING_BOUNDS))
                        .add(")"));
        return;
    }
    // What setup keeps of a file it replaces goes beside the log, in
    // "<log>.old", under a name of one character at the least, through
    // that name with ".part" when it is copied.
    size_t kept_len = job.windows_dir ? std::strlen(job.windows_dir) + std::strlen(LOG_DIR_NAME) + std::strlen(name) +
                                            std::strlen("a.log.old\\1.part")
                                      : 0;
    if (named && kept_len >= SETUP_PATH_SIZE)
        warn(line, Text()
                       .format("the title leaves no room for the earlier versions that setup keeps beside its log: "
                               "with Windows in C:\\windows, the first would have a path of %d characters, more "
                               "than %d; replacing a file that is already there then fails (",
                               (int)kept_len, (int)SETUP_PATH_SIZE - 1)
                       .quote(error_db.get_error_msg(ERR_STRING_BOUNDS))
                       .add(")"));
    // The shortcut's default place: a folder named like it, in Programs.
    size_t link_len = std::strlen(TYPICAL_PROGRAMS_DIR) + 2 * std::strlen(name) + std::strlen("\\.lnk");
    if (link_len >= SETUP_PATH_SIZE)
        warn(line, Text().format("the title makes a long shortcut path: in the Programs folder of a user named "
                                 "Administrator, the default folder and shortcut, both named after the title, "
                                 "make %d characters, more than %d; setup fails at Create Shortcut unless the "
                                 "user picks a shorter folder",
                                 (int)link_len, (int)SETUP_PATH_SIZE - 1));
}

// True when a full path lies in a Program Files folder ("X:\\Program
// Files\\..." or "X:\\Program Files (x86)\\..."), whose access rules let only
// administrators change what is created below it.
static bool below_program_files(const char *path)
{
    if (!is_full_path(path))
        return true; // refused at its line already
    const char *part = path + 3, *end = part;
    while (*end && *end != '\\')
        end = plat_char_next(end);
    char first[32];
    size_t len = (size_t)(end - part);
    if (len >= sizeof first)
        return false;
    std::memcpy(first, part, len);
    first[len] = '\0';
    fold_ascii(first);
    return !std::strcmp(first, "program files") || !std::strcmp(first, "program files (x86)");
}

// A missing or empty install path, and one outside Program Files: the
// reader refuses one that is not full, and uninstal.bat fits beside any
// path a line holds.
void Checker::check_install_path()
{
    // Elsewhere, a folder made below the root of C: (or any folder that
    // users may write to) lets every user change uninstal.bat, which an
    // administrator may run later.
    const char *path = job.get_installpath();
    int32_t line = job.installpath ? key_line[INI_INSTALLPATH] : 0;
    if (!job.installpath)
        warn(0, Text().add("no installpath: Select Directory offers \"c:\\\", the root of drive C:"));
    else if (!job.installpath[0])
        warn(key_line[INI_INSTALLPATH], Text().add("installpath is empty: Select Directory starts with an empty "
                                                   "field, and the user must type a full path"));
    if (path[0] && !below_program_files(path))
        warn(line, Text()
                       .add("installpath ")
                       .quote(path)
                       .add(" is not in the Program Files folder: on client Windows every user may change what "
                            "setup makes there, uninstal.bat included, which an administrator then runs"));
}

void Checker::check_exename()
{
    int32_t line = key_line[INI_EXENAME];
    const char *exename = job.get_exename();
    if (!exename[0]) {
        Text text;
        text.add(job.exename ? "exename is empty" : "no exename");
        warn(line, text.add(": the shortcut will point at the install directory, not at a program"));
        return;
    }
    char wanted[2 * SETUP_PATH_SIZE], name[2 * SETUP_PATH_SIZE];
    windows_key(exename, wanted, sizeof wanted);
    const SETUP_FILE *elsewhere = nullptr;
    bool found = false;
    for (int32_t i = 0; i < job.num_files && !found; ++i) {
        windows_key(job.files[i]->name, name, sizeof name);
        if (std::strcmp(name, wanted) != 0)
            continue;
        if (job.files[i]->path_type == PATH_WINDOWS || job.files[i]->path_type == PATH_WINSYS)
            elsewhere = job.files[i];
        else
            found = true;
    }
    if (!found) {
        Text text;
        text.add("exename ").quote(exename).add(" is not among the files installed into the install directory");
        if (elsewhere)
            text.add(elsewhere->path_type == PATH_WINDOWS ? " (it goes to the Windows directory)"
                                                          : " (it goes to the system directory)");
        warn(line, text.add(": the shortcut would point at nothing"));
    }
    const char *path = job.get_installpath();
    size_t target_len = std::strlen(path) + std::strlen(exename);
    if (path[0] && target_len >= SETUP_PATH_SIZE)
        error(line, Text()
                        .format("the shortcut's target, the install path and exename, is %d characters long, more "
                                "than %d: setup fails at Create Shortcut (",
                                (int)target_len, (int)SETUP_PATH_SIZE - 1)
                        .quote(error_db.get_error_msg(ERR_SHORTCUT))
                        .add(")"));
}

void Checker::check_entry(int32_t index)
{
    const SETUP_FILE *entry = job.files[index];
    const char *name = entry->name;
    int32_t line = file_line[index];
    sizes[index] = -1;

    // Setup refuses a name with a forbidden character, an empty part or a
    // trailing blank or dot when it reads the line, so none comes this far.
    // The folders of a name go below the install directory as setup makes
    // them (the plan lists them); those of the system's own directories not.
    const char *separator = last_separator(name);
    bool system_place = entry->path_type == PATH_WINDOWS || entry->path_type == PATH_WINSYS;
    if (separator && system_place) {
        char dir[SETUP_PATH_SIZE];
        size_t len = std::min((size_t)(separator - name), sizeof dir - 1);
        std::memcpy(dir, name, len);
        dir[len] = '\0';
        warn(line, Text()
                       .add("file name ")
                       .quote(name)
                       .add(" has a directory part: setup creates no directory below the ")
                       .add(entry->path_type == PATH_WINDOWS ? "Windows directory" : "system directory")
                       .add(", so ")
                       .quote(dir)
                       .add(" must already be there on the user's machine"));
    }

    // The source, found as setup finds it: by its name, in the setup directory.
    sizes[index] = plat_file_size(name);
    if (sizes[index] < 0) {
        uint32_t attributes = plat_get_attributes(name);
        bool is_dir = attributes != PLAT_NO_ATTRIBUTES && (attributes & PLAT_ATTR_SUBDIR);
        error(line, Text()
                        .quote(name)
                        .add(is_dir ? " is a directory, not a file" : " is not in the setup directory")
                        .add(": setup fails when it comes to copy it (")
                        .quote(error_db.get_error_msg(ERR_COPY_FAILED))
                        .add(")"));
    }

    char dest[2 * SETUP_PATH_SIZE];
    size_t length = 0;
    bool known = destination(index, dest, sizeof dest, &length);
    if (known && !job.entry_fits(index)) {
        Text text;
        if (!dest_path_fits((int32_t)length)) {
            text.add("destination ")
                .quote(dest)
                .format(" is %d characters long, more than the %d setup takes", (int)length, (int)MAX_DEST_PATH);
        } else {
            // The deepest folder: the destination up to its last separator.
            char folder[2 * SETUP_PATH_SIZE];
            size_t len = (size_t)(last_separator(dest) - dest);
            std::memcpy(folder, dest, len);
            folder[len] = '\0';
            text.add("folder ").quote(folder).format(" is %d characters long, more than the %d Windows creates",
                                                     (int)len, (int)MAX_DIR_PATH);
        }
        error(line, text.add(": setup fails before it copies any file (")
                        .quote(error_db.get_error_msg(ERR_STRING_BOUNDS))
                        .add(")"));
    }

    char key[2 * SETUP_PATH_SIZE], other_key[2 * SETUP_PATH_SIZE], other[2 * SETUP_PATH_SIZE];
    windows_key(dest, key, sizeof key);
    for (int32_t j = 0; j < index; ++j) {
        size_t other_length;
        destination(j, other, sizeof other, &other_length);
        windows_key(other, other_key, sizeof other_key);
        if (std::strcmp(key, other_key) != 0)
            continue;
        Text text;
        text.format("same destination as line %d, ", (int)file_line[j]).add(other).add(": setup ");
        if (sizes[j] >= 0 && sizes[index] == sizes[j] && same_content(job.files[j]->name, name))
            text.add("skips this file, which has the same size and content");
        else if (sizes[j] >= 0 && sizes[index] >= 0)
            text.add("asks the user whether to overwrite the file it has just installed");
        else
            text.add("skips this file or asks the user whether to overwrite the one before");
        warn(line, text);
        break;
    }
    if (entry->path_type != PATH_WINDOWS && entry->path_type != PATH_WINSYS) {
        windows_key(name, key, sizeof key);
        if (!std::strcmp(key, BATCH_FILE_NAME))
            warn(line, Text()
                           .add(BATCH_FILE_NAME)
                           .add(" is the name of setup's own batch file, which it writes into the "
                                "install directory before the files to run the uninstaller: this file meets it, "
                                "and overwriting it leaves the installation without its uninstall"));
    }
}

// The longest run of characters without a blank in text: a message box does
// not break an e-mail address, so such a run takes one line however long.
static size_t longest_word(const char *text)
{
    size_t longest = 0, run = 0;
    for (; *text; ++text) {
        run = *text == ' ' ? 0 : run + 1;
        longest = run > longest ? run : longest;
    }
    return longest;
}

void Checker::check_job()
{
    // The values of all keys are final now: the checks below see what setup sees.
    check_title();
    if (!job.email)
        warn(0, Text().add("no email: the Complete page and the error box say \"none\""));
    else if (!job.email[0])
        warn(key_line[INI_EMAIL], Text().add("email is empty: the Complete page and the error box show no address"));
    else if (longest_word(job.email) > MAX_BOX_WORD)
        warn(key_line[INI_EMAIL],
             Text().format("email has %d characters without a blank: the \"Setup Error\" box shows it on one line, "
                           "and from about %d characters it may grow wider than a screen of 800 pixels, whose "
                           "edges cut the address",
                           (int)longest_word(job.email), MAX_BOX_WORD));
    if (!job.website)
        warn(0, Text().add("no website: the Complete page says \"none\""));
    else if (!job.website[0])
        warn(key_line[INI_WEBSITE], Text().add("website is empty: the Complete page shows no web site"));
    if (!job.desc)
        warn(0, Text().add("no desc: the Welcome page says \"No description supplied\""));
    else if (!job.desc[0])
        warn(key_line[INI_DESC], Text().add("desc is empty: the Welcome page shows no description"));
    check_install_path();
    if (!job.basepath)
        warn(0, Text().add("no basepath: Browse on Select Directory puts \"none\" below the folder the user picks"));
    check_exename();

    if (excess_line)
        error(excess_line, Text()
                               .format("more than %d files (%d file lines): setup takes %d and refuses to start at "
                                       "this line, after the user has launched it (",
                                       MAX_SETUP_FILES, (int)file_lines, MAX_SETUP_FILES)
                               .quote(error_db.get_error_msg(ERR_TABLE_FULL))
                               .add(")"));
    if (!file_lines)
        warn(0, Text().add("no file lines: setup installs nothing but its ").add(BATCH_FILE_NAME));
    for (int32_t i = 0; i < job.num_files; ++i)
        check_entry(i);
    check_uninstaller();
}

// The pair that ships together: setup.exe and the uninstaller it copies
// beside the logs. Only a directory with setup.exe is weighed: one that
// holds a description alone is still being written.
void Checker::check_uninstaller()
{
    has_uninstaller = plat_get_attributes(UNINSTALLER_NAME) != PLAT_NO_ATTRIBUTES;
    const char SETUP_NAME[] = "setup.exe";
    if (plat_get_attributes(SETUP_NAME) == PLAT_NO_ATTRIBUTES)
        return;
    if (plat_get_attributes(UNINSTALLER_NAME) == PLAT_NO_ATTRIBUTES) {
        warn(0, Text()
                    .add("no ")
                    .add(UNINSTALLER_NAME)
                    .add(" beside setup.exe: setup writes ")
                    .add(BATCH_FILE_NAME)
                    .add(" all the same, but on a machine where no other setup left an uninstaller beside the "
                         "logs, it runs nothing"));
        return;
    }
    uint64_t setup_version, uninstaller_version;
    if (plat_file_version(SETUP_NAME, &setup_version) != VERSION_FOUND)
        return;
    FILE_VERSION_READ read = plat_file_version(UNINSTALLER_NAME, &uninstaller_version);
    char setup_text[32], uninstaller_text[32];
    format_file_version(setup_version, setup_text, sizeof setup_text);
    format_file_version(uninstaller_version, uninstaller_text, sizeof uninstaller_text);
    if (read != VERSION_FOUND)
        warn(0, Text()
                    .add(UNINSTALLER_NAME)
                    .add(read == VERSION_NONE ? " has no version information" : " cannot be read")
                    .add(": setup never puts it in place of an uninstaller that has one, and this setup.exe is ")
                    .add(setup_text));
    else if (uninstaller_version < setup_version)
        warn(0, Text()
                    .add(UNINSTALLER_NAME)
                    .add(" ")
                    .add(uninstaller_text)
                    .add(" is older than setup.exe ")
                    .add(setup_text)
                    .add(" beside it: a mismatched pair, whose uninstaller may refuse the logs its setup writes; take "
                         "both from one release"));
}

void Checker::write_diagnostics(const char *shown, CHECK_SINK sink, void *context)
{
    std::stable_sort(items, items + count, [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    for (int32_t i = 0; i < count; ++i) {
        Text text;
        text.add(shown)
            .format(":%d: %s: ", (int)items[i].line, items[i].severity == SEV_ERROR ? "error" : "warning")
            .add(items[i].text)
            .add("\n");
        sink(context, text.str());
    }
}

// The folders setup makes below the install directory for the names'
// directory parts, in the order it makes them, each once.
void Checker::write_folders(CHECK_SINK sink, void *context)
{
    const char *base = job.get_installpath()[0] ? job.get_installpath() : "<install path>\\";
    bool any = false;
    for (int32_t i = 0; i < job.num_files; ++i) {
        const SETUP_FILE *entry = job.files[i];
        if (entry->path_type == PATH_WINDOWS || entry->path_type == PATH_WINSYS)
            continue;
        const char *name = entry->name;
        for (const char *p = name; *p; p = plat_char_next(p)) {
            if (plat_char_next(p) - p != 1 || !is_separator(*p))
                continue;
            // This folder, unless an earlier entry's name passes through it.
            char folder[2 * SETUP_PATH_SIZE], key[2 * SETUP_PATH_SIZE], other[2 * SETUP_PATH_SIZE];
            size_t len = std::min((size_t)(p - name), sizeof folder - 2);
            std::memcpy(folder, name, len);
            folder[len] = '\0';
            windows_key(folder, key, sizeof key - 1);
            size_t key_len = std::strlen(key);
            key[key_len] = '\\';
            key[key_len + 1] = '\0';
            bool made_before = false;
            for (int32_t j = 0; j < i && !made_before; ++j) {
                if (job.files[j]->path_type == PATH_WINDOWS || job.files[j]->path_type == PATH_WINSYS)
                    continue;
                windows_key(job.files[j]->name, other, sizeof other);
                made_before = !std::strncmp(other, key, key_len + 1);
            }
            if (made_before)
                continue;
            if (!any)
                sink(context, "  folders setup makes below the install directory, in this order:\n");
            any = true;
            sink(context, Text().add("    ").add(base).add(folder).add("\n").str());
        }
    }
}

void Checker::write_plan(const char *shown, CHECK_SINK sink, void *context)
{
    // A blank line between the diagnostics and the plan.
    sink(context, Text().add(count ? "\n" : "").add(shown).add(": the plan, with Windows in C:\\windows\n").str());
    if (job.num_files == 0)
        sink(context, "  no files\n");

    // Each file, then each destination directory in the order of first use.
    char dirs[MAX_SETUP_FILES][2 * SETUP_PATH_SIZE];
    int32_t dir_files[MAX_SETUP_FILES] = {};
    int64_t dir_bytes[MAX_SETUP_FILES] = {};
    int32_t num_dirs = 0, missing = 0, counted = 0;
    int64_t total = 0;
    // The sizes' column is as wide as the largest one.
    int width = 5;
    for (int32_t i = 0; i < job.num_files; ++i) {
        char digits[24];
        std::snprintf(digits, sizeof digits, "%lld", (long long)sizes[i]);
        width = std::max(width, (int)std::strlen(digits));
    }
    if (job.num_files)
        sink(context, Text().format("  line  %*s  destination\n", width, "bytes").str());
    for (int32_t i = 0; i < job.num_files; ++i) {
        char dest[2 * SETUP_PATH_SIZE];
        size_t length;
        destination(i, dest, sizeof dest, &length);
        Text text;
        text.format("  %4d  ", (int)file_line[i]);
        if (sizes[i] >= 0)
            text.format("%*lld", width, (long long)sizes[i]);
        else
            text.format("%*s", width, "n/a");
        text.add("  ").add(dest);
        // A destination listed before holds one file however often it is
        // listed: counted once.
        char key[2 * SETUP_PATH_SIZE], other[2 * SETUP_PATH_SIZE];
        windows_key(dest, key, sizeof key);
        int32_t first = 0;
        for (; first < i; ++first) {
            char earlier[2 * SETUP_PATH_SIZE];
            size_t earlier_length;
            destination(first, earlier, sizeof earlier, &earlier_length);
            windows_key(earlier, other, sizeof other);
            if (!std::strcmp(key, other))
                break;
        }
        if (first < i) {
            sink(context, text.format(" (line %d's again, not counted)\n", (int)file_line[first]).str());
            continue;
        }
        sink(context, text.add("\n").str());
        ++counted;

        char dir[2 * SETUP_PATH_SIZE];
        const char *end = last_separator(dest);
        size_t len = end ? (size_t)(end - dest) + 1 : 0;
        std::memcpy(dir, dest, len);
        dir[len] = '\0';
        windows_key(dir, key, sizeof key);
        int32_t d = 0;
        for (; d < num_dirs; ++d) {
            windows_key(dirs[d], other, sizeof other);
            if (!std::strcmp(key, other))
                break;
        }
        if (d == num_dirs)
            std::memcpy(dirs[num_dirs++], dir, len + 1);
        ++dir_files[d];
        if (sizes[i] >= 0) {
            dir_bytes[d] += sizes[i];
            total += sizes[i];
        } else {
            ++missing;
        }
    }
    if (job.num_files) {
        Text text;
        text.format("  %d %s, %lld bytes", (int)counted, plural(counted, "file", "files"), (long long)total);
        if (missing)
            text.format(" (%d not found)", (int)missing);
        sink(context, text.add(":\n").str());
        for (int32_t d = 0; d < num_dirs; ++d)
            sink(context, Text()
                              .format("    %d %s, %lld bytes in ", (int)dir_files[d],
                                      plural(dir_files[d], "file", "files"), (long long)dir_bytes[d])
                              .add(dirs[d])
                              .add("\n")
                              .str());
    }

    write_folders(sink, context);

    Text own;
    own.add("  setup also writes ");
    if (job.get_installpath()[0])
        own.add(job.get_installpath()).add(BATCH_FILE_NAME);
    else
        own.add("<install path>\\").add(BATCH_FILE_NAME);
    char name[SETUP_PATH_SIZE];
    if (log_fits && title_file_name(job.get_apptitle(), name, sizeof name))
        own.add(" and its log ").add(USUAL_WINDOWS_DIR).add(LOG_DIR_NAME).add(name).add(".log");
    sink(context, own.add("\n").str());

    // The entry, as the first installation of the title names it.
    char log_path[SETUP_PATH_SIZE], key[ENTRY_KEY_SIZE];
    Text entry;
    if (!has_uninstaller)
        entry.add("  no entry in Apps & Features: no ").add(UNINSTALLER_NAME).add(" beside setup.ini\n");
    else if (log_fits && title_file_name(job.get_apptitle(), name, sizeof name) &&
             join_path(log_path, sizeof log_path, USUAL_WINDOWS_DIR, LOG_DIR_NAME, name, ".log") &&
             entry_key_name(log_path, key, sizeof key)) {
        entry.add("  and its entry in Apps & Features ").add(PLAT_UNINSTALL_ROOT).add("\\").add(key);
        entry.add(": \"").add(job.get_apptitle()).add("\"");
        if (job.get_version()[0])
            entry.add(", version ").add(job.get_version());
        if (job.get_publisher()[0])
            entry.add(", by ").add(job.get_publisher());
        entry.add("\n");
    }
    sink(context, entry.str());
}

// The description to read, where to read it, and how to name it.
struct Target {
    char dir[HOST_PATH_SIZE]; // the directory to enter; empty: stay
    char file[HOST_PATH_SIZE];
    char shown[HOST_PATH_SIZE];
};

// Splits arg at its last separator (or a drive's colon). False when it
// does not fit the buffers.
bool split_target(const char *arg, Target &target)
{
    const char *last = nullptr;
    for (const char *p = arg; *p; p = plat_char_next(p))
        if (plat_char_next(p) - p == 1 && (is_separator(*p) || (*p == ':' && p == arg + 1)))
            last = p;
    target.dir[0] = '\0';
    if (last) {
        // A separator that begins the path is the root itself, and stays.
        size_t len = (size_t)(last - arg) + (last == arg || *last == ':' ? 1 : 0);
        if (len >= sizeof target.dir)
            return false;
        std::memcpy(target.dir, arg, len);
        target.dir[len] = '\0';
    }
    return join_path(target.file, sizeof target.file, last ? last + 1 : arg) &&
           join_path(target.shown, sizeof target.shown, arg);
}

} // namespace

int check_description(const char *arg, bool quiet, CHECK_SINK sink, void *context)
{
    char saved[HOST_PATH_SIZE];
    bool have_cwd = plat_getcwd(saved, sizeof saved);
    Target target;
    bool entered = false, placed = true;
    if (!arg) {
        join_path(target.file, sizeof target.file, "setup.ini");
        join_path(target.shown, sizeof target.shown, "setup.ini");
        target.dir[0] = '\0';
    } else if (arg[0] && have_cwd && plat_chdir(arg)) {
        // A directory: its setup.ini, named in the argument's own style.
        entered = true;
        size_t len = std::strlen(arg);
        const char *separator = std::strchr(arg, '\\') && !std::strchr(arg, '/') ? "\\" : "/";
        if (is_separator(arg[len - 1]))
            separator = "";
        join_path(target.file, sizeof target.file, "setup.ini");
        if (!join_path(target.shown, sizeof target.shown, arg, separator, "setup.ini"))
            join_path(target.shown, sizeof target.shown, "setup.ini");
    } else if (!split_target(arg, target)) {
        placed = false;
        join_path(target.shown, sizeof target.shown, "setup.ini");
    } else if (target.dir[0]) {
        placed = have_cwd && plat_chdir(target.dir);
        entered = placed;
    }

    SETUP_TYPE job;
    // The plan's Windows: the usual directories, not those of this machine.
    job.set_system_dirs(USUAL_WINDOWS_DIR, USUAL_SYSTEM_DIR);

    Checker checker(job);
    bool readable = false;
    if (!placed) {
        checker.unreadable(Text().add("the description cannot be opened: no such directory, or it cannot be entered"));
    } else {
        err_code = 0;
        bool loaded = job.load_ini(target.file, &checker);
        if (!loaded && (err_code == ERR_FILE_OPEN || err_code == ERR_FILE_READ))
            checker.unreadable(Text()
                                   .add(err_code == ERR_FILE_OPEN
                                            ? "the description cannot be opened (no such file, or no "
                                              "right to read it)"
                                            : "the description could not be read to its end")
                                   .add(": setup would stop at once with ")
                                   .quote(LOAD_FAILED));
        else if (!loaded && err_code == ERR_INI_UTF16)
            checker.unreadable(Text()
                                   .add("the description is saved as UTF-16 (Unicode), which setup cannot read: "
                                        "save it as ANSI (or as UTF-8, ASCII letters only); setup would stop at "
                                        "once with ")
                                   .quote(error_db.get_error_msg(ERR_INI_UTF16)));
        else if (!loaded && err_code == ERR_INI_NO_KEYS)
            checker.unreadable(Text()
                                   .add("no line is a key setup knows (apptitle=, installpath=, file= ...), so it "
                                        "is no description: setup would stop at once with ")
                                   .quote(error_db.get_error_msg(ERR_INI_NO_KEYS)));
        else
            readable = true;
        if (readable)
            checker.check_job(); // still in the setup directory: the sources lie here
    }
    if (entered)
        plat_chdir(saved);

    checker.write_diagnostics(target.shown, sink, context);
    if (!quiet) {
        if (readable)
            checker.write_plan(target.shown, sink, context);
        int errors = checker.errors(), warnings = checker.warnings();
        sink(context, Text()
                          .add(target.shown)
                          .format(": %d %s, %d %s\n", errors, plural(errors, "error", "errors"), warnings,
                                  plural(warnings, "warning", "warnings"))
                          .str());
    }
    return checker.errors() ? CHECK_ERRORS : checker.warnings() ? CHECK_WARNINGS : CHECK_CLEAN;
}
