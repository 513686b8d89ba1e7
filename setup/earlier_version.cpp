// Keeping the earlier version of a file that setup replaces, so that the
// uninstaller can put it back: moved aside into the log's backup area, and
// named in the log before it moves.
#include <cstdio>
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/dirsearch.h"
#include "platform/path_text.h"
#include "platform/platform.h"
#include "setup/log_format.h"
#include "setup/setup.h"

// The first installation that replaced path, among the other logs beside
// own_log: one that names path as its file and keeps its earlier version;
// backup (LOG_PATH_SIZE bytes) receives where.
static bool other_log_keeps(const char *own_log, const char *path, char *backup)
{
    char dir[LOG_PATH_SIZE], pattern[LOG_PATH_SIZE];
    const char *name = path_file_name(own_log);
    size_t dir_len = (size_t)(name - own_log);
    if (dir_len >= sizeof dir)
        return false;
    std::memcpy(dir, own_log, dir_len);
    dir[dir_len] = '\0';
    if (!join_path(pattern, sizeof pattern, dir, "*.log"))
        return false;
    plat_finddata found;
    intptr_t search = plat_findfirst(pattern, &found);
    if (search == -1)
        return false;
    bool kept = false;
    do {
        char other_path[LOG_PATH_SIZE];
        if ((found.attrib & PLAT_ATTR_SUBDIR) || !join_path(other_path, sizeof other_path, dir, found.name) ||
            same_path(other_path, own_log))
            continue;
        PARSED_LOG other;
        kept = other.load(other_path) == LOAD_OK && other.names_file(path) && other.names_earlier(path, backup);
    } while (!kept && plat_findnext(search, &found) == 0);
    plat_findclose(search);
    return kept;
}

// A name in area that nothing has yet, for the earlier version of
// destination: "<n>-<its name>", or "<n>" where that is too long.
static bool free_backup_name(const char *area, const char *destination, char *out, size_t size)
{
    for (int n = 1; n < 1000; ++n) {
        char number[8], numbered[LOG_PATH_SIZE], part[LOG_PATH_SIZE];
        std::snprintf(number, sizeof number, "%d-", n);
        // The name and the one it passes through on a copy must both fit.
        bool named = join_path(numbered, sizeof numbered, number, path_file_name(destination)) &&
                     join_path(out, size, area, "\\", numbered) && backup_part_path(out, part, sizeof part);
        number[std::strlen(number) - 1] = '\0';
        if (!named && !(join_path(out, size, area, "\\", number) && backup_part_path(out, part, sizeof part)))
            return false;
        if (plat_get_attributes(out) == PLAT_NO_ATTRIBUTES && plat_get_attributes(part) == PLAT_NO_ATTRIBUTES)
            return true;
    }
    return false;
}

bool SETUP_TYPE::keep_earlier(const char *destination, char *kept, size_t size)
{
    if (kept && size)
        kept[0] = '\0';
    uint32_t attributes = destination ? plat_get_attributes(destination) : PLAT_NO_ATTRIBUTES;
    if (attributes == PLAT_NO_ATTRIBUTES || (attributes & PLAT_ATTR_SUBDIR))
        return true; // nothing to keep: the copy makes the file, or fails
    if (!ready_to_log())
        return false;
    // A file this installation made, or whose earlier version it keeps
    // already (a repair, an upgrade), is its own. One whose move was refused
    // (held open) or undone (the copy failed) goes where the log says now.
    PARSED_LOG own;
    char logged[LOG_PATH_SIZE] = "";
    if (own.load(log.path) == LOAD_OK) {
        if (own.names_file(destination))
            return true;
        if (own.names_earlier(destination, logged) && (!logged[0] || plat_get_attributes(logged) != PLAT_NO_ATTRIBUTES))
            return true;
    }
    if (logged[0])
        return move_aside(destination, logged, kept, size);

    // The log names it as the directory search spells it, so that it comes
    // back under its own name, letters' case and all.
    char dir[LOG_PATH_SIZE], spelled[LOG_PATH_SIZE];
    plat_finddata found;
    intptr_t search = plat_findfirst(destination, &found);
    size_t dir_len = (size_t)(path_file_name(destination) - destination);
    if (search != -1) {
        plat_findclose(search);
        if (dir_len < sizeof dir) {
            std::memcpy(dir, destination, dir_len);
            dir[dir_len] = '\0';
            if (join_path(spelled, sizeof spelled, dir, found.name))
                destination = spelled;
        }
    }
    char value[2 * LOG_PATH_SIZE + 2], backup[LOG_PATH_SIZE];
    // Another installation replaced it first and keeps the version from
    // before both: this one names that too, and whichever of them leaves
    // last puts it back.
    if (other_log_keeps(log.path, destination, backup)) {
        if (!earlier_value(destination, backup, value, sizeof value)) {
            err_code = ERR_STRING_BOUNDS;
            return false;
        }
        return log_entry(KEY_EARLIER, value);
    }

    char area[LOG_PATH_SIZE], part[LOG_PATH_SIZE];
    if (!backup_area(log.path, area, sizeof area) || !free_backup_name(area, destination, backup, sizeof backup) ||
        !backup_part_path(backup, part, sizeof part) || !earlier_value(destination, backup, value, sizeof value)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    if (!dir_exists(area)) {
        if (!plat_create_dir(area)) {
            err_code = ERR_CREATE_DIR;
            return false;
        }
        // Unnamed it would stay after the uninstall: it goes again.
        if (!log_entry(KEY_MKDIR, area)) {
            plat_remove_dir(area);
            return false;
        }
    }
    if (path_crosses_link(backup)) {
        err_code = ERR_DEST_THROUGH_LINK;
        return false;
    }
    if (!log_entry(KEY_EARLIER, value))
        return false;
    return move_aside(destination, backup, kept, size);
}

bool SETUP_TYPE::move_aside(const char *destination, const char *backup, char *kept, size_t size)
{
    char part[LOG_PATH_SIZE];
    if (!backup_part_path(backup, part, sizeof part)) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    // On the log's volume a rename: the file itself, attributes and times
    // with it. Elsewhere a copy, which takes them along too, under its final
    // name only once it is whole. A file held open is not copied aside: the
    // copy over it would be refused all the same.
    PLAT_RESULT moved = plat_replace_file(destination, backup);
    if (moved == PLAT_DONE ||
        (moved != PLAT_IN_USE && plat_copy_file(destination, part) && plat_replace_file(part, backup) == PLAT_DONE)) {
        if (kept && size)
            join_path(kept, size, backup);
        return true;
    }
    plat_delete_file(part);
    err_code = moved == PLAT_IN_USE ? ERR_FILE_IN_USE : ERR_COPY_FAILED;
    return false;
}
