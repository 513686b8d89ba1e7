// The install job: everything the installer knows about one installation.
#ifndef SETUP_SETUP_H
#define SETUP_SETUP_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "setup/install_road.h"
#include "setup/log_format.h"
#include "platform/platform.h"
#include "setup/path_join.h"
#include "setup/uninstaller_copy.h"

const int32_t PATH_APP = 1;     // the install directory
const int32_t PATH_WINDOWS = 2; // the Windows directory
const int32_t PATH_WINSYS = 3;  // the Windows system directory

const int MAX_SETUP_FILES = 100;
const int MAX_INI_LINE = 255;

// One file to install. name is both the source path (relative to the setup
// directory) and the path below the destination directory.
class SETUP_FILE {
public:
    char *name; // owned
    int32_t path_type;

    SETUP_FILE();
    ~SETUP_FILE();
};

// The keys of setup.ini, in the order the checker suggests them; INI_NO_KEY
// stands for any other key, or none.
enum INI_KEY {
    INI_APPTITLE,
    INI_AUTHOR,
    INI_EMAIL,
    INI_WEBSITE,
    INI_DESC,
    INI_INSTALLPATH,
    INI_BASEPATH,
    INI_EXENAME,
    INI_VERSION,
    INI_PUBLISHER,
    INI_FILE,
    INI_NO_KEY
};
// The key's name as setup.ini spells it (in lower case); null for INI_NO_KEY.
const char *ini_key_name(INI_KEY key);
// The key a folded name stands for, or INI_NO_KEY.
INI_KEY ini_key_of(const char *folded);

// The fields of a "file" value as add_file splits it: runs of characters
// without a comma, empty runs skipped. The pointers point into the value.
struct FILE_FIELDS {
    const char *name; // the first field; name_len 0 when there is none
    size_t name_len;
    const char *word; // the path type word; word_len 0 when there is none
    size_t word_len;
    const char *rest; // what follows the word and its commas; null when nothing does
};
FILE_FIELDS split_file_value(const char *value);
// The path type a word names (len characters, any case), or 0 when it names
// none: the entry then goes to the install directory.
int32_t path_type_named(const char *word, size_t len);
// The words that name path types, in alphabetical order; null past the last.
const char *path_type_word(int index);

// What load_ini did with one line of the description, for a checker that
// must read setup.ini exactly as setup does. The texts live for the call only.
struct INI_LINE {
    int32_t number;          // from 1
    const char *text;        // the line as read, at most MAX_INI_LINE characters
    bool cut;                // the line was longer; the rest was dropped
    const char *comment;     // the ";" in text that cut the line, or null
    const char *key;         // folded and trimmed; null for a line without "="
    const char *value;       // the value; for a line without "=", what was left of it
    INI_KEY which;           // the key, if one of the known keys; INI_NO_KEY otherwise
    const SETUP_FILE *added; // the entry that a "file" line added, or null
    // A "file" line's fields, refused or not: the name (null without one),
    // the path type word as written (null without one) and whether setup
    // knows it, and the fields after it, which setup ignores (null for none).
    const char *file_name;
    const char *type_word;
    bool type_known;
    const char *ignored;
    bool refused; // the line made the load fail ...
    int32_t code; // ... with this code (err_code)
};

// Told about each line load_ini reads, after the line took effect. setup
// itself passes none.
class INI_OBSERVER {
public:
    virtual ~INI_OBSERVER() {}
    // The result counts only for a refused line: true has the reader go on
    // with the next line (the load still fails, with the first refusal's
    // code and line), false stops it there as it stops without an observer.
    virtual bool line_read(const INI_LINE &line) = 0;
};

// The longest destination install_file takes.
const int32_t MAX_DEST_PATH = 255;
// Whether install_file takes a destination of length characters.
bool dest_path_fits(int32_t length);
// The longest folder setup creates: CreateDirectoryA leaves room for an 8.3
// name below it within MAX_PATH.
const int32_t MAX_DIR_PATH = 247;
// Whether a folder of length characters can be created.
bool dir_path_fits(int32_t length);
// The shortest base directory a destination can have.
const char SHORTEST_BASE_DIR[] = "C:\\";
// Whether a "file" name of len characters fits below SHORTEST_BASE_DIR: its
// destination, and for an entry of the install directory its folders, within
// the limits above. A name that does not fit there fits below no directory.
bool file_name_fits(const char *name, size_t len, int32_t path_type);
// The length of name's folder part (up to its last "\" or "/", without it);
// 0 for a name without one.
size_t folder_part_length(const char *name, size_t len);

// One value of the Apps & Features entry.
struct ENTRY_VALUE {
    const char *name; // "DisplayName", ...
    uint32_t type;    // PLAT_REG_SZ or PLAT_REG_DWORD
    char text[ENTRY_COMMAND_SIZE];
    uint32_t number;
};
const int MAX_ENTRY_VALUES = 14;
// The entry as setup writes it: its key below PLAT_UNINSTALL_ROOT and its
// values in the order written, UninstallString first (an entry with it is
// one the uninstaller can remove) and DisplayName last (Apps & Features
// lists no key without it, so none half written).
struct APP_ENTRY {
    char key[ENTRY_KEY_SIZE];
    ENTRY_VALUE values[MAX_ENTRY_VALUES];
    int count;
};

// What became of the entry.
enum APP_ENTRY_END {
    APP_ENTRY_WRITTEN,        // made, or one of this log's taken over
    APP_ENTRY_FOREIGN,        // a key of that name belongs to another program: left alone
    APP_ENTRY_NO_UNINSTALLER, // no uninstaller beside the log: the entry would point at nothing
    APP_ENTRY_REFUSED,        // the registry refused a call (why)
    APP_ENTRY_NOT_LOGGED      // the log could not name it (err_code): no key made
};
struct APP_ENTRY_RESULT {
    APP_ENTRY_END end;
    PLAT_RESULT why; // for APP_ENTRY_REFUSED
    char key[ENTRY_KEY_SIZE];
};

class SETUP_TYPE {
public:
    char *windows_dir; // ends in a backslash; null when the query failed
    char *system_dir;  // ends in a backslash; null when the query failed
    char *installpath; // ends in a backslash unless empty
    char *basepath;    // ends in a backslash unless empty
    char *exename;
    char *apptitle;
    char *author;
    char *email;
    char *website;
    char *desc;
    char *version;   // shown in Apps & Features; null when not given
    char *publisher; // likewise
    SETUP_FILE *files[MAX_SETUP_FILES];
    int32_t num_files;
    int32_t cur_file; // the cursor; -1 when on no entry
    LOG_WRITER log;   // the setup log; closed without one
    // What write_uninstall_bat found beside the logs and did with the uninstaller.
    UNINSTALLER_PLACING uninstaller;
    // True when write_uninstall_bat found an uninstal.bat that is not this
    // installation's, and kept it.
    bool batch_kept;
    // True when create_shortcut found a file of the shortcut's name, and kept it.
    bool link_kept;
    // The setup.ini line (key=value) that made load_ini fail; empty otherwise.
    char refused_line[MAX_INI_LINE + 1];
    // How many lines the log held when this run went on with an earlier
    // run's log (append_log); 0 for a log of its own. An undo of this run
    // leaves those lines, and what they name, alone.
    int32_t earlier_lines;
    // A folder or file this run made whose log line could not be written
    // (log_entry failed): no log names it, so an undo removes it by this.
    // Empty when there is none.
    char unlogged[SETUP_PATH_SIZE];
    bool unlogged_dir;

    // Captures the Windows and system directories; everything else empty.
    SETUP_TYPE();
    ~SETUP_TYPE();
    SETUP_TYPE(const SETUP_TYPE &) = delete;
    SETUP_TYPE &operator=(const SETUP_TYPE &) = delete;

    // Releases the description and the file list and closes the setup log;
    // the two system directories stay.
    void clear_job();
    void close_log();
    // Puts copies of the two directories in place of those captured, each
    // with its trailing backslash; null stands for a failed query.
    void set_system_dirs(const char *windows, const char *system);

    // Reads the description file. False with ERR_FILE_OPEN when it cannot be opened
    // (the job unchanged), with add_file's code when a "file" line is refused, with
    // install_path_fault's code for an install path that is neither empty nor full, or
    // with ERR_FILE_READ when the stream fails before its end; what was read stays, and
    // a refused line is kept in refused_line. An observer hears of every line.
    bool load_ini(const char *path, INI_OBSERVER *observer = nullptr);
    // Appends an entry from "name[,path type]". False with ERR_NULL_POINTER for a null
    // value or one without a name, with ERR_FILE_NAME_LEAVES_DIR for a name that would
    // leave its directory (see file_name_stays_inside), with ERR_FILE_NAME_TOO_LONG for
    // one that fits below no directory (file_name_fits), with ERR_TABLE_FULL when 100
    // entries exist, and with err_code untouched when the entry cannot be allocated. A
    // "/" in the name is kept as "\", the separator the setup log names paths with.
    bool add_file(const char *value);

    // Each setter replaces the field with a copy of text; null leaves it unset.
    void set_apptitle(const char *text);
    void set_author(const char *text);
    void set_email(const char *text);
    void set_website(const char *text);
    void set_desc(const char *text);
    void set_exename(const char *text);
    void set_version(const char *text);
    void set_publisher(const char *text);
    // As the others, and a backslash is appended to a non-empty value.
    void set_installpath(const char *path);
    void set_basepath(const char *path);

    // Never null: an unset field reads as its default.
    const char *get_apptitle() const;
    const char *get_installpath() const;
    const char *get_exename() const;
    const char *get_email() const;
    const char *get_website() const;
    const char *get_basepath() const;
    const char *get_desc() const;
    // "" when not given.
    const char *get_version() const;
    const char *get_publisher() const;

    SETUP_FILE *current_file() const;
    bool more_files() const;
    bool next_file();
    int32_t percent_done() const;

    // ---- setup log and uninstall hand-off (setup_log.cpp) ----
    // Opens a new, uniquely named setup log under the Windows directory,
    // named after the title's file name (title_file_name), and writes its
    // first lines; relative_name (size bytes, may be null) receives the log's
    // name relative to the Windows directory, and stays empty on failure.
    // False with ERR_BAD_WINDOWS_PATH when the Windows directory is unknown and
    // ERR_STRING_BOUNDS when a path or the caller's buffer is too short for the name
    // (nothing touched in either case), ERR_LOG_NAME when all 26 names are taken,
    // ERR_FILE_OPEN when the log cannot be opened, ERR_FILE_WRITE when its first lines
    // cannot be written (the log is closed).
    // The buffer comes with its size or not at all, so that a call with a
    // buffer alone, which could only fail, does not compile.
    bool create_log();
    bool create_log(char *relative_name, uint32_t size);
    // Whether the title and the Windows directory leave create_log room for
    // the longest path it makes below that directory: the log's name with
    // its letter, or the uninstaller's copy beside it. length (may be null)
    // receives that path's length.
    bool log_path_fits(size_t *length) const;
    // Opens path, emptied, as the setup log (closing any open one). False with
    // ERR_STRING_BOUNDS for a path of SETUP_PATH_SIZE or more, ERR_FILE_OPEN when it
    // cannot be opened.
    bool open_log(const char *path);
    // The log in log_dir of this title (name, with a letter in suffix, or
    // none) whose installation lies in this install directory: a whole log
    // that names its uninstal.bat. path receives its path.
    bool find_own_log(const char *log_dir, const char *name, char *suffix, char *path, size_t size) const;
    // Opens that log to go on with it after its last line (closing any open
    // one). False with ERR_FILE_OPEN.
    bool append_log(const char *path);
    // True when the open log has a whole key=value line naming that path.
    bool log_names(LOG_KEY key, const char *value) const;
    // Appends "key=value" to the open setup log and flushes it. False with
    // ERR_NULL_POINTER without a log, key (KEY_OTHER) or value; with ERR_FILE_WRITE when
    // the line did not reach the disk whole: the log is then cut back to its last whole
    // line and closed.
    bool log_entry(LOG_KEY key, const char *value);
    // True when a log is open; else false with ERR_NULL_POINTER. Asked before anything
    // is made that the log must name.
    bool ready_to_log();
    // Writes "uninstal.bat" into the install directory, logs it, and copies
    // "uninstal.exe" (when the current directory has one) next to the log
    // unless the one there is as new (uninstaller says which; a newer one
    // kept is named in the log by a comment). False with
    // ERR_NULL_POINTER for a null or empty name or without an open log,
    // ERR_BAD_WINDOWS_PATH without a Windows directory, ERR_STRING_BOUNDS when a path
    // does not fit (nothing touched), ERR_FILE_OPEN when the batch file cannot be
    // opened, ERR_FILE_WRITE when it or its log line cannot be written, ERR_COPY_FAILED
    // when the copy fails.
    bool write_uninstall_bat(const char *relative_name);

    // ---- file installation (install.cpp) ----
    // Puts the current entry's destination into buffer, cut to size - 1
    // characters; empty without a current entry or when its base directory is
    // unknown. Returns the whole path's length, so a result of size or more
    // means the text was cut. Writes nothing for a null buffer or size <= 0.
    int32_t dest_path(char *buffer, int32_t size) const;
    // The same for the entry at index; empty for an index without an entry.
    int32_t dest_path_of(int32_t index, char *buffer, int32_t size) const;
    // Creates every missing directory of path, parents first, logging each as MkDir.
    // False with ERR_NULL_POINTER for a null or empty path or, when a directory is
    // missing, without an open log; ERR_CREATE_DIR when one cannot be created (those
    // made before stay, logged); ERR_FILE_WRITE when one was made but not logged.
    bool make_dir_tree(const char *path);
    // Whether the entry at index fits below its base directory: its destination within
    // MAX_DEST_PATH and, for the install directory, its folders within MAX_DIR_PATH.
    // An entry without a known base directory fits (it fails for that reason).
    bool entry_fits(int32_t index) const;
    // Creates the install directory tree, checks the Windows (ERR_BAD_WINDOWS_PATH) and
    // system (ERR_BAD_SYSTEM_PATH) directories, and puts the cursor on the first entry.
    // An install path that is not full is refused with install_path_fault's code, and
    // one that leaves an entry no room (entry_fits) with ERR_STRING_BOUNDS, before
    // anything is made.
    bool prepare_install();
    // Whether the install path is one setup can install into: a full path
    // (else install_path_fault's code) with room below it for every path
    // that setup writes there (else ERR_INSTALL_PATH_TOO_LONG). The fronts
    // ask before the road, so that nothing is made for a path refused.
    bool install_path_usable() const;
    // Installs the current entry and moves the cursor on; true without one. The folders
    // of an entry of the install directory are made first, as make_dir_tree makes them. A
    // destination already there is left alone when it has the source's size, else the
    // result is false with ERR_OTHER_VERSION and the cursor stays. Other failures:
    // ERR_STRING_BOUNDS (destination or folder too long: nothing made),
    // ERR_BAD_WINDOWS_PATH/ERR_BAD_SYSTEM_PATH (base unknown), make_dir_tree's codes,
    // ERR_COPY_FAILED.
    bool install_file();
    // Copies the current entry to destination (null: its own destination) and logs it
    // as MkFile, making the missing folders of an entry of the install directory first.
    // False with ERR_NULL_POINTER without a current entry or an open log,
    // ERR_STRING_BOUNDS or ERR_BAD_WINDOWS_PATH/ERR_BAD_SYSTEM_PATH as install_file,
    // ERR_CREATE_DIR or ERR_FILE_WRITE from make_dir_tree (nothing copied),
    // ERR_FILE_IN_USE when another program holds the destination open (nothing
    // copied), ERR_COPY_FAILED when the copy fails otherwise or leaves no file,
    // ERR_FILE_WRITE when the file was copied but not logged.
    bool copy_setup_file(const char *destination);
    // Before a file at destination is replaced: moves it into the log's
    // backup area (backup_area) under a free name, after an Earlier line
    // naming the pair; a copy where a rename fails (another volume). Nothing
    // to keep (no file there, or one this installation made or keeps
    // already) is true; another installation's kept earlier version is
    // named, not kept twice. False with ERR_NULL_POINTER without an open
    // log, ERR_STRING_BOUNDS when a path does not fit, ERR_CREATE_DIR when
    // the area cannot be made, ERR_DEST_THROUGH_LINK for a link in its way,
    // ERR_FILE_WRITE when a line cannot be logged, ERR_FILE_IN_USE when
    // another program holds the file open (a later call moves it where the
    // log already says), ERR_COPY_FAILED when the file can be neither moved
    // nor copied (it stays where it was). kept (size bytes) receives where
    // it went when this call kept it, else "".
    bool keep_earlier(const char *destination, char *kept, size_t size);
    // The move itself, to backup, which the log names already.
    bool move_aside(const char *destination, const char *backup, char *kept, size_t size);

    // ---- the installation road (install_road.cpp) ----
    // Creates the log, prepares the install tree, writes "uninstal.bat" and
    // installs every entry in order, telling front of each and asking it on
    // ERR_OTHER_VERSION and on ERR_FILE_IN_USE. Stops at a confirmed Cancel,
    // an OVERWRITE_ABORT or IN_USE_ABORT, or the first failure; whatever was
    // made before stays, and the log names it (the session undoes it).
    ROAD_RESULT run_install_road(ROAD_FRONT &front);

    // ---- the Apps & Features entry (app_entry.cpp) ----
    // The entry for the log at log_path: kib is the installation's size in
    // kibibytes, date the local date as YYYYMMDD. The display name tells a
    // log with a letter (the same title installed elsewhere) apart by its
    // install directory. False when a value does not fit.
    bool describe_app_entry(const char *log_path, uint32_t kib, const char *date, APP_ENTRY &entry) const;
    // Kibibytes, rounded up, of the files that the open log names (each once).
    uint32_t logged_kib() const;
    // Writes the entry of the open log, once everything is installed: first
    // the log's MkReg line, then the key, so that no entry is ever there that
    // no log names. A key of that name is taken over only when it is empty
    // or its UninstallString names this log; another program's is left alone.
    APP_ENTRY_RESULT write_app_entry();

    // ---- program shortcut (shortcut.cpp) ----
    // Creates folder's directory tree and the shortcut "<folder>\<name>.lnk"
    // to the installed program, name being the title's file name. False with
    // ERR_NULL_POINTER, ERR_CREATE_DIR or ERR_FILE_WRITE from make_dir_tree, ERR_SHORTCUT when the paths do not fit
    // (nothing created) or the link fails, ERR_NULL_POINTER without an open log (no link
    // made), ERR_FILE_WRITE when the shortcut was saved but could not be logged.
    bool create_shortcut(const char *folder);
    // Has the shell's link object write the shortcut at link_path and, once
    // it is saved, logs it as MkFile. True when it was saved and logged; sets
    // no error code of its own, only the log's (ERR_NULL_POINTER, ERR_FILE_WRITE).
    bool create_link(const char *link_path);
};

extern SETUP_TYPE setup_job;

// Adds the setup engine's messages, ERR_TOO_MANY_FILES to ERR_FILE_NAME_TOO_LONG,
// to error_db.
void add_setup_errors();

#endif
