// The reader of "setup.ini": lines of key=value, ";" comments, nine keys.
#include <cstdio>
#include <cstring>

#include "../lib/fileutil.h"
#include "../lib/generr.h"
#include "../lib/genstrin.h"
#include "ascii_fold.h"
#include "names.h"
#include "path_join.h"
#include "setup.h"

namespace {

struct KeyHandler {
    const char *key;
    void (SETUP_TYPE::*set)(const char *);
};

const KeyHandler key_handlers[] = {
    {"apptitle", &SETUP_TYPE::set_apptitle},       {"author", &SETUP_TYPE::set_author},
    {"email", &SETUP_TYPE::set_email},             {"website", &SETUP_TYPE::set_website},
    {"desc", &SETUP_TYPE::set_desc},               {"installpath", &SETUP_TYPE::set_installpath},
    {"basepath", &SETUP_TYPE::set_basepath},       {"exename", &SETUP_TYPE::set_exename},
};

} // namespace

bool SETUP_TYPE::load_ini(const char *path)
{
    FILE *stream = openfile(path, "rt", false);
    if (!stream)
        return false;
    clear_job();

    char line[MAX_INI_LINE + 1];
    for (;;) {
        int end = read_eol(stream, line, MAX_INI_LINE);
        if (end == 3)
            end = read_eol(stream, nullptr, 0); // drop the rest of an over-long line

        char *semicolon = std::strchr(line, ';');
        if (semicolon)
            *semicolon = '\0';
        char *text = trim_left(trim_right(line));
        char *equals = std::strchr(text, '=');
        if (equals) {
            *equals = '\0';
            char *key = trim_right(text);
            fold_ascii(key);
            char *value = trim_left(equals + 1);
            bool refused = false;
            if (!std::strcmp(key, "file")) {
                refused = !add_file(value);
            } else {
                for (const KeyHandler &handler : key_handlers) {
                    if (!std::strcmp(key, handler.key)) {
                        (this->*handler.set)(value);
                        break;
                    }
                }
                // A relative path would install below whatever directory
                // setup runs in. Empty stays: the user then types one on
                // Select Directory, which asks for a full path.
                if (!std::strcmp(key, "installpath") && installpath[0] && !is_full_path(installpath)) {
                    err_code = ERR_INSTALL_PATH_NOT_FULL;
                    refused = true;
                }
            }
            if (refused) {
                // Kept for the message, so that the author sees which line it was.
                join_path(refused_line, sizeof refused_line, key, "=", value);
                std::fclose(stream);
                return false;
            }
        }
        if (end == 1)
            break;
    }
    // read_eol reports a failing stream like its end; tell the two apart here
    // so that a half-read description is not taken for the whole.
    bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed) {
        err_code = 52;
        return false;
    }
    return true;
}
