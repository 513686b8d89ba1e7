// The setup log: the record of everything setup made, which the uninstaller
// reads to remove it again, and rewrites to name what is left. Its names,
// keys and lines, its writer and its reader live here and nowhere else, so
// that setup, the uninstaller and the checker cannot drift apart. No state
// of its own: every call works on what the caller hands in.
#ifndef SETUP_LOG_FORMAT_H
#define SETUP_LOG_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The folder below the Windows directory that holds the logs (setup falls
// back to the Windows directory itself when it cannot be made).
constexpr char LOG_DIR_NAME[] = "UnInstal\\";
// The uninstaller, which setup copies beside the logs; every log shares it.
constexpr char UNINSTALLER_NAME[] = "uninstal.exe";
// The batch file in the install directory that runs the uninstaller on its log.
constexpr char BATCH_FILE_NAME[] = "uninstal.bat";

// A log larger than this is no setup log (one with 100 files is a few KB).
const uint32_t MAX_LOG_BYTES = 1024 * 1024;
// Every path a log may name fits this many bytes with its terminator.
const size_t LOG_PATH_SIZE = 260;

// The keys of "key=value" lines. KEY_OTHER is any other line, kept as it is
// and otherwise ignored. A new key goes before LOG_KEY_COUNT, with its name
// in log_format.cpp, and says there whether an uninstaller that does not
// know it must leave the log alone (log_key_is_required).
//
// KEY_NEEDS ("Needs=MkReg") names a key that the log holds and that its
// uninstaller must know. The writer puts it before the first line of such
// a key; an uninstaller that meets one naming a key it does not know
// removes nothing. The keys of the first logs need no such line, so those
// logs, and every log without a newer key, read as they always have.
//
// KEY_MKREG ("MkReg=SetupLog Foo.log") names the Apps & Features entry that
// setup made: a key directly below the Uninstall key (PLAT_UNINSTALL_ROOT).
// It is written before the key is made, so that no entry is ever there that
// no log names.
//
// KEY_EARLIER ("Earlier=C:\app\a.ini|C:\windows\UnInstal\Foo.log.old\1-a.ini")
// names a file that setup replaced and where its earlier version is kept:
// written before the file is moved aside, so that the uninstaller can put
// it back whatever the moment setup stopped (earlier_value).
enum LOG_KEY {
    KEY_OTHER,
    KEY_APPTITLE,
    KEY_EMAIL,
    KEY_MKDIR,
    KEY_MKFILE,
    KEY_NEEDS,
    KEY_MKREG,
    KEY_EARLIER,
    LOG_KEY_COUNT
};
// The key as written ("AppTitle", "EMail", "MkDir", "MkFile", "Needs",
// "MkReg", "Earlier"); "" for KEY_OTHER.
const char *log_key_name(LOG_KEY key);
// True for a key that an uninstaller must know to remove the log's
// installation rightly: the writer announces it with a Needs line.
bool log_key_is_required(LOG_KEY key);
// The key that the len bytes at text spell, in any case; KEY_OTHER for none.
LOG_KEY log_key_of(const char *text, size_t len);
// True for the keys whose value is a path that setup made and the
// uninstaller removes.
bool log_key_names_path(LOG_KEY key);
// True for the keys whose value the uninstaller acts on: the paths, the
// Apps & Features entry, and the earlier versions it puts back.
bool log_key_is_removed(LOG_KEY key);

// ---- earlier versions ------------------------------------------------------

// The folder that keeps the earlier versions of the files that the log's
// installation replaced: the log's path with ".old", beside the log
// (C:\windows\UnInstal\Foo.log.old), so that it is as unique as the log's name.
// False when it does not fit size bytes.
bool backup_area(const char *log_path, char *out, size_t size);
// The file that a copy into backup passes through until it is whole
// ("<backup>.part"): a kill during the copy leaves no half earlier version
// under the name the log gives. False when it does not fit.
bool backup_part_path(const char *backup, char *out, size_t size);
// "destination|backup", the value of an Earlier line ("|" is in no path).
// False when it does not fit size bytes.
bool earlier_value(const char *destination, const char *backup, char *out, size_t size);
// Splits an Earlier value into its two paths (each LOG_PATH_SIZE bytes).
// False for a value without "|", with an empty part, or a part too long.
bool split_earlier(const char *value, char *destination, char *backup);

// ---- the Apps & Features entry ---------------------------------------------

// Room for an entry's key name and for its uninstall commands.
const size_t ENTRY_KEY_SIZE = LOG_PATH_SIZE + 16;
const size_t ENTRY_COMMAND_SIZE = 2 * LOG_PATH_SIZE + 16;
// The entry's key name for the log at log_path: "SetupLog " and the log's
// file name, so that it stays the same for the log's life and meets no
// other program's key. False when it does not fit size bytes.
bool entry_key_name(const char *log_path, char *out, size_t size);
// The entry's UninstallString: "<log dir>\uninstal.exe" "<log_path>", with
// /S between the two for the QuietUninstallString. False when it does not fit.
bool uninstall_command(const char *log_path, bool silent, char *out, size_t size);
// True when command (an UninstallString) hands the log at log_path to the
// uninstaller: its last argument, in quotes, is that path or its short form.
bool command_names_log(const char *command, const char *log_path);

// ---- the path-part rule ----------------------------------------------------

// Whether Windows keeps a part of a path (between separators) as written,
// so that the log names it under the name it really has. Checked in this
// order: the first character Windows refuses (a wildcard, or a control
// character, "|" or ":"), then an empty part, a part of dots only (Windows
// reads it as "." or ".."), a part that ends in a dot or blank (Windows
// drops them). A double-byte character passes whole: its second byte may be
// any of these.
enum PATH_PART { PART_KEPT, PART_WILDCARD, PART_REFUSED_CHAR, PART_EMPTY, PART_DOTS, PART_CHANGED_END };
// The verdict on each part of text[0, len), split at "\" and "/": the first
// that is not PART_KEPT. The last part may be empty when trailing_separator.
// When given, *part and *part_len are set to where that part lies in text.
PATH_PART check_path_parts(const char *text, size_t len, bool trailing_separator, size_t *part = nullptr,
                           size_t *part_len = nullptr);

// ---- writing ---------------------------------------------------------------

// Text on its way to a file through the seam's write (plat_fwrite), so that
// a test can fill the disk under it. The parts of a line are gathered and go
// out in one write when the line ends, so that a full disk cuts a line in
// one place; a line longer than the buffer goes out in more writes.
class LINE_OUT {
public:
    explicit LINE_OUT(FILE *to) : stream(to), used(0), ok(true) {}
    void put(const char *text);
    // Each "%" doubled, so that cmd shows and passes a batch file's text as
    // written (a single "%" would start a variable, "%~" even ends the batch
    // file).
    void put_batch_text(const char *text);
    void end_line();
    // False when a write fell short.
    bool written() const { return ok; }

private:
    FILE *stream;
    char buffer[1024];
    size_t used;
    bool ok;

    void put_char(char c);
    void write_out();
};

struct LOG_LINE;

// An open log, written a whole line at a time. A line that does not reach
// the disk whole is cut off again and the log closed, so that a log always
// ends in a whole line and never names half a path.
class LOG_WRITER {
public:
    FILE *file;               // the open log, or null
    char path[LOG_PATH_SIZE]; // its path; empty without one
    int64_t length;           // bytes of whole lines in it
    uint32_t announced;       // bit k: "Needs=" written for key k
    bool taken_over;          // an earlier run's log, gone on with

    LOG_WRITER();
    ~LOG_WRITER() { close(); }
    LOG_WRITER(const LOG_WRITER &) = delete;
    LOG_WRITER &operator=(const LOG_WRITER &) = delete;

    // Takes over stream, just opened emptied in text mode at path (closing
    // any open log). False, with stream closed, for a null stream or a path
    // of LOG_PATH_SIZE or more.
    bool start(FILE *stream, const char *at);
    // False when the runtime reports the close failed; nothing open is true.
    bool close();
    // Writes a, b and c and a line end, and flushes them. False for a
    // missing part or log, and when the line did not reach the disk whole.
    bool line(const char *a, const char *b = "", const char *c = "");
    // "Key=value" (false for KEY_OTHER), after "Needs=Key" when the key is
    // required and not yet announced in this log.
    bool entry(LOG_KEY key, const char *value);
    // "Needs=Key", once a log; true when it was written before.
    bool need(LOG_KEY key);
    // The comment that opens every log.
    bool header(const char *title);
    // A line as read, into a rewritten log: a line cut short, or a path with
    // a zero byte, becomes a comment (written back whole it would name some
    // other path).
    bool copy(const LOG_LINE &line);
};

// ---- reading ---------------------------------------------------------------

// One line as read: "key=value" after a comment header, CR LF or LF.
struct LOG_LINE {
    const char *text;  // the line without its line end; owned by the log
    const char *value; // after the first '=', or null without one
    LOG_KEY key;
    bool has_nul; // the line held a zero byte (cut at it in text)
    bool cut;     // the last line, without a line end: never acted on
};

enum LOG_LOAD { LOAD_OK, LOAD_MISSING, LOAD_UNREADABLE, LOAD_TOO_LARGE, LOAD_NO_MEMORY };

// A setup log as read from disk, split into lines.
class PARSED_LOG {
public:
    char *text;      // owned copy, each line end replaced by zeros
    LOG_LINE *lines; // owned
    int32_t count;

    PARSED_LOG();
    ~PARSED_LOG();
    PARSED_LOG(const PARSED_LOG &) = delete;
    PARSED_LOG &operator=(const PARSED_LOG &) = delete;

    // Splits size bytes of data into lines, replacing what was read before.
    // False only when memory runs out (the log is then empty).
    bool parse(const char *data, uint32_t size);
    // Reads the file at path in binary and parses it.
    LOG_LOAD load(const char *path);
    void clear();

    // The AppTitle value, or "Unknown" when the log has none.
    const char *title() const;
    // True when a complete MkFile line names path (compared as Windows does).
    bool names_file(const char *path) const;
    // True when a complete Earlier line names path as its destination;
    // backup (LOG_PATH_SIZE bytes, may be null) receives where the earlier
    // version is kept.
    bool names_earlier(const char *path, char *backup) const;
    // True when a complete Earlier line keeps an earlier version at backup.
    bool names_backup(const char *backup) const;
    // The value of the first whole Needs line that names no key this program
    // knows, or null: the log was written by a newer setup.
    const char *unknown_need() const;
    // True when the log ends in a whole line (or is empty).
    bool ends_whole() const { return count == 0 || !lines[count - 1].cut; }
};

#endif
