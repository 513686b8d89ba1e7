// The reader of "setup.ini": lines of key=value, ";" comments, eleven keys.
#include <cstdio>
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genstrin.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/setup.h"

namespace {

struct KeyHandler {
    const char *key;
    void (SETUP_TYPE::*set)(const char *); // null for "file", which adds an entry
};

// In the order of INI_KEY.
const KeyHandler key_handlers[] = {
    {"apptitle", &SETUP_TYPE::set_apptitle},
    {"author", &SETUP_TYPE::set_author},
    {"email", &SETUP_TYPE::set_email},
    {"website", &SETUP_TYPE::set_website},
    {"desc", &SETUP_TYPE::set_desc},
    {"installpath", &SETUP_TYPE::set_installpath},
    {"basepath", &SETUP_TYPE::set_basepath},
    {"exename", &SETUP_TYPE::set_exename},
    {"version", &SETUP_TYPE::set_version},
    {"publisher", &SETUP_TYPE::set_publisher},
    {"file", nullptr},
};
static_assert(sizeof key_handlers / sizeof key_handlers[0] == INI_NO_KEY, "one handler for each key");

// The first len characters of text, terminated, into out (MAX_INI_LINE + 1
// bytes); null for an empty field.
const char *field_copy(char *out, const char *text, size_t len)
{
    if (len == 0)
        return nullptr;
    std::memcpy(out, text, len);
    out[len] = '\0';
    return out;
}

// Reads past a UTF-8 byte-order mark; the rest is read as bytes. A UTF-16
// mark, which no ANSI text starts with, is ERR_INI_UTF16: every second byte
// of such a file is a zero. Anything else is read from its first byte.
bool skip_byte_order_mark(FILE *stream)
{
    unsigned char head[3] = {};
    size_t got = std::fread(head, 1, sizeof head, stream);
    if (got >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
        err_code = ERR_INI_UTF16;
        return false;
    }
    if (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)
        return true;
    std::rewind(stream);
    return true;
}

} // namespace

const char *ini_key_name(INI_KEY key) { return key >= 0 && key < INI_NO_KEY ? key_handlers[key].key : nullptr; }

INI_KEY ini_key_of(const char *folded)
{
    for (int key = 0; key < INI_NO_KEY; ++key)
        if (folded && !std::strcmp(folded, key_handlers[key].key))
            return (INI_KEY)key;
    return INI_NO_KEY;
}

bool SETUP_TYPE::load_ini(const char *path, INI_OBSERVER *observer)
{
    FILE *stream = openfile(path, "rt", false);
    if (!stream)
        return false;
    clear_job();
    if (!skip_byte_order_mark(stream)) {
        std::fclose(stream);
        return false;
    }

    char line[MAX_INI_LINE + 1];
    char seen[MAX_INI_LINE + 1]; // the line as read, for the observer
    char name_seen[MAX_INI_LINE + 1], word_seen[MAX_INI_LINE + 1];
    int32_t number = 0;
    int32_t first_refusal = 0;
    bool refused_any = false;
    bool known_key = false;
    for (;;) {
        int end = read_eol(stream, line, MAX_INI_LINE);
        bool cut = end == 3;
        if (cut)
            end = read_eol(stream, nullptr, 0); // drop the rest of an over-long line
        ++number;
        INI_LINE report = {};
        report.which = INI_NO_KEY;
        if (observer) {
            std::memcpy(seen, line, std::strlen(line) + 1);
            report.number = number;
            report.text = seen;
            report.cut = cut;
        }

        char *semicolon = std::strchr(line, ';');
        if (semicolon) {
            *semicolon = '\0';
            if (observer)
                report.comment = seen + (semicolon - line);
        }
        char *text = trim_left(trim_right(line));
        char *equals = std::strchr(text, '=');
        report.value = text;
        if (equals) {
            *equals = '\0';
            char *key = trim_right(text);
            fold_ascii(key);
            char *value = trim_left(equals + 1);
            report.key = key;
            report.value = value;
            INI_KEY which = ini_key_of(key);
            report.which = which;
            known_key = known_key || which != INI_NO_KEY;
            bool refused = false;
            if (which == INI_FILE) {
                refused = !add_file(value);
                if (!refused)
                    report.added = files[num_files - 1];
                if (observer) {
                    FILE_FIELDS fields = split_file_value(value);
                    report.file_name = field_copy(name_seen, fields.name, fields.name_len);
                    report.type_word = field_copy(word_seen, fields.word, fields.word_len);
                    report.type_known = path_type_named(fields.word, fields.word_len) != 0;
                    report.ignored = fields.rest;
                }
            } else if (which != INI_NO_KEY) {
                // Through a named handler: gcc's bounds check misreads an index
                // into an array of member pointers.
                void (SETUP_TYPE::*set)(const char *) = key_handlers[which].set;
                (this->*set)(value);
                // A relative path would install below whatever directory
                // setup runs in. Empty stays: the user then types one on
                // Select Directory, which asks for a full path.
                if (which == INI_INSTALLPATH && installpath[0] && !is_full_path(installpath)) {
                    err_code = install_path_fault(installpath).code;
                    refused = true;
                }
                // The shortcut points at the program below the install
                // directory: a name that leaves it would point anywhere.
                if (!std::strcmp(key, "exename") && exename[0] &&
                    !file_name_stays_inside(exename, std::strlen(exename))) {
                    err_code = ERR_FILE_NAME_LEAVES_DIR;
                    refused = true;
                }
            }
            if (refused) {
                // The first one is kept for the message, so that the author
                // sees which line it was.
                if (!refused_any) {
                    join_path(refused_line, sizeof refused_line, key, "=", value);
                    first_refusal = err_code;
                }
                refused_any = true;
                report.refused = true;
                report.code = err_code;
                if (!observer || !observer->line_read(report)) {
                    std::fclose(stream);
                    err_code = first_refusal;
                    return false;
                }
            } else if (observer) {
                observer->line_read(report);
            }
        } else if (observer) {
            observer->line_read(report);
        }
        if (end == 1)
            break;
    }
    // read_eol reports a failing stream like its end; tell the two apart here
    // so that a half-read description is not taken for the whole.
    bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed) {
        err_code = ERR_FILE_READ;
        return false;
    }
    if (refused_any) {
        err_code = first_refusal;
        return false;
    }
    // Without a single key it is no description, whatever it holds: setup
    // would install "Unknown" into the root of drive C:.
    if (!known_key) {
        err_code = ERR_INI_NO_KEYS;
        return false;
    }
    return true;
}
