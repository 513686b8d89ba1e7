// What setup accepts as names and paths, and the title's file-system name.
#include "setup/names.h"

#include <cstring>

#include "lib/error_codes.h"
#include "lib/fileutil.h"
#include "lib/genstrin.h"
#include "platform/path_text.h"
#include "platform/platform.h"
#include "setup/log_format.h"

bool file_name_stays_inside(const char *name, size_t len)
{
    // A colon anywhere would name a drive or a stream of another file.
    // A device name (NUL, aux.txt) would be read or written in place of a file.
    return name && len > 0 && !std::memchr(name, ':', len) && check_path_parts(name, len, false) == PART_KEPT &&
           !path_names_device(name, len);
}

bool shortcut_folder_stays_below(const char *folder)
{
    if (!folder)
        return false;
    size_t len = std::strlen(folder);
    return !std::memchr(folder, ':', len) && check_path_parts(folder, len, true) == PART_KEPT &&
           !path_names_device(folder, len);
}

// A '/' that a lead byte takes for its trail byte: no character of any
// double-byte code page, yet a separator to the file system.
static bool slash_after_lead_byte(const char *path)
{
    size_t len = std::strlen(path);
    for (size_t i = 0, next = 0; i < len; i = next) {
        next = next_char(path, i, len);
        if (next - i == 2 && path[i + 1] == '/')
            return true;
    }
    return false;
}

// Whether text[0, len) holds a "?" as a character of its own (never the
// second byte of a double-byte one).
static bool holds_question_mark(const char *text, size_t len)
{
    for (size_t i = 0; i < len; i = next_char(text, i, len))
        if (text[i] == '?')
            return true;
    return false;
}

INSTALL_PATH_FAULT install_path_fault(const char *path)
{
    INSTALL_PATH_FAULT fault = {ERR_INSTALL_PATH_NOT_FULL, 0, 0};
    if (!path || slash_after_lead_byte(path) || !has_drive(path) || path[2] != '\\')
        return fault;
    size_t part = 0, len = 0;
    PATH_PART verdict = check_path_parts(path + 3, std::strlen(path + 3), true, &part, &len);
    if (verdict != PART_KEPT) {
        fault.part = part + 3;
        fault.part_len = len;
        // Windows gives an ANSI program "?" for each character that its code
        // page lacks (Cyrillic typed on a Western system, or passed on a
        // command line), and "?" is no character of a name: that is its
        // likely source.
        if (holds_question_mark(path + fault.part, len))
            fault.code = ERR_INSTALL_PATH_QUESTION_MARK;
        else if (verdict == PART_CHANGED_END)
            fault.code = ERR_INSTALL_PATH_CHANGED_END;
        return fault;
    }
    if (!path_names_device(path + 3))
        fault.code = ERR_NONE;
    return fault;
}

bool is_full_path(const char *path) { return install_path_fault(path).code == ERR_NONE; }

bool title_file_name(const char *title, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!title)
        return false;
    // The name ends after its last character that is not a dot or a blank
    // (found forwards: a double-byte text cannot be read backwards).
    size_t whole = std::strlen(title), len = 0;
    for (size_t i = 0; i < whole;) {
        size_t next = next_char(title, i, whole);
        if (next - i > 1 || (title[i] != '.' && title[i] != ' '))
            len = next;
        i = next;
    }
    if (len + 1 > size)
        return false;
    for (size_t i = 0; i < len;) {
        size_t next = next_char(title, i, len);
        unsigned char c = (unsigned char)title[i];
        if (next - i > 1)
            std::memcpy(out + i, title + i, next - i); // a whole double-byte character
        else
            out[i] = (c < 32 || std::strchr("\\/:*?\"<>|", c)) ? '_' : (char)c;
        i = next;
    }
    out[len] = '\0';
    if (len == 0 || is_device_name(out, len)) {
        if (len + 2 > size) {
            out[0] = '\0';
            return false;
        }
        std::memmove(out + 1, out, len + 1);
        out[0] = '_';
    }
    return true;
}
