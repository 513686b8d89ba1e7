// Putting the listed files in place: destinations, the directory tree, the
// walk over the file list and the copy itself.
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "platform/platform.h"
#include "setup/log_format.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/replace_file.h"
#include "setup/setup.h"

// install_file keeps to the 255 characters it always allowed a destination:
// its buffer holds MAX_DEST_PATH characters.
bool dest_path_fits(int32_t length) { return length >= 0 && length <= MAX_DEST_PATH; }

bool dir_path_fits(int32_t length) { return length >= 0 && length <= MAX_DIR_PATH; }

size_t folder_part_length(const char *name, size_t len)
{
    size_t folder = 0;
    for (size_t i = 0; i < len; i = next_char(name, i, len))
        if (is_path_separator(name[i]))
            folder = i;
    return folder;
}

// Setup makes folders only below the install directory: those of the
// Windows and system directories are the system's own.
static bool makes_folders(int32_t path_type) { return path_type != PATH_WINDOWS && path_type != PATH_WINSYS; }

// Whether the destination (base_len characters of base directory, then
// name) fits, and its deepest folder too when setup makes it.
static bool fits_below(size_t base_len, const char *name, size_t len, int32_t path_type)
{
    if (base_len + len > (size_t)MAX_DEST_PATH)
        return false;
    size_t folder = folder_part_length(name, len);
    return !folder || !makes_folders(path_type) || base_len + folder <= (size_t)MAX_DIR_PATH;
}

bool file_name_fits(const char *name, size_t len, int32_t path_type)
{
    return name && fits_below(std::strlen(SHORTEST_BASE_DIR), name, len, path_type);
}

// The directory an entry goes to, or null when the job could not learn it.
static const char *base_dir(const SETUP_TYPE &job, const SETUP_FILE &entry)
{
    switch (entry.path_type) {
    case PATH_WINDOWS: return job.windows_dir;
    case PATH_WINSYS: return job.system_dir;
    default: return job.get_installpath();
    }
}

int32_t SETUP_TYPE::dest_path(char *buffer, int32_t size) const { return dest_path_of(cur_file, buffer, size); }

int32_t SETUP_TYPE::dest_path_of(int32_t index, char *buffer, int32_t size) const
{
    const SETUP_FILE *entry = index >= 0 && index < num_files ? files[index] : nullptr;
    const char *base = entry ? base_dir(*this, *entry) : nullptr;
    const char *name = entry && entry->name ? entry->name : "";
    size_t full = base ? std::strlen(base) + std::strlen(name) : 0;
    if (full > INT32_MAX)
        full = INT32_MAX;
    if (!buffer || size <= 0)
        return (int32_t)full;
    buffer[0] = '\0';
    if (!base)
        return 0;
    // For display: cut to fit, always terminated.
    size_t room = (size_t)size - 1;
    size_t base_len = std::strlen(base);
    size_t take = base_len < room ? base_len : room;
    std::memcpy(buffer, base, take);
    size_t rest = std::strlen(name);
    if (rest > room - take)
        rest = room - take;
    std::memcpy(buffer + take, name, rest);
    buffer[take + rest] = '\0';
    return (int32_t)full;
}

bool SETUP_TYPE::entry_fits(int32_t index) const
{
    const SETUP_FILE *entry = index >= 0 && index < num_files ? files[index] : nullptr;
    const char *base = entry ? base_dir(*this, *entry) : nullptr;
    return !base || fits_below(std::strlen(base), entry->name, std::strlen(entry->name), entry->path_type);
}

// The current entry's destination, whole, in buffer. False when the entry's
// base directory is unknown (ERR_BAD_WINDOWS_PATH, ERR_BAD_SYSTEM_PATH) or the
// path or a folder it needs does not fit (ERR_STRING_BOUNDS): a cut path
// would put the file somewhere else.
static bool whole_dest(const SETUP_TYPE &job, char *buffer, size_t size)
{
    const SETUP_FILE *entry = job.current_file();
    if (!base_dir(job, *entry)) {
        err_code = entry->path_type == PATH_WINDOWS ? ERR_BAD_WINDOWS_PATH : ERR_BAD_SYSTEM_PATH;
        return false;
    }
    if ((size_t)job.dest_path(buffer, (int32_t)size) >= size || !job.entry_fits(job.cur_file)) {
        buffer[0] = '\0';
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    return true;
}

// Creates one missing directory of the install tree and logs it. A
// directory that cannot be logged stops the tree: the uninstaller would
// never learn of it, or of anything made after it.
static bool make_logged_dir(const char *prefix, void *context)
{
    SETUP_TYPE *job = static_cast<SETUP_TYPE *>(context);
    // Setup makes no links: one in the tree is someone else's, and could
    // send what setup writes below it anywhere (the system directory).
    if (dir_exists(prefix)) {
        if (plat_get_attributes(prefix) & PLAT_ATTR_REPARSE_POINT) {
            err_code = ERR_DEST_THROUGH_LINK;
            return false;
        }
        return true;
    }
    if (!job->ready_to_log())
        return false;
    if (!plat_create_dir(prefix)) {
        err_code = ERR_CREATE_DIR;
        return false;
    }
    return job->log_entry(KEY_MKDIR, prefix);
}

bool SETUP_TYPE::make_dir_tree(const char *path)
{
    if (!path || !path[0]) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    return walk_path_prefixes(path, make_logged_dir, this);
}

bool SETUP_TYPE::install_path_usable() const
{
    const char *path = get_installpath();
    int32_t fault = install_path_fault(path).code;
    if (fault != ERR_NONE) {
        err_code = fault;
        return false;
    }
    // Room for every path setup writes below it, each in its own buffer:
    // else the directory would be made and logged, then left half-filled.
    size_t dir = std::strlen(path);
    bool room =
        dir + std::strlen(BATCH_FILE_NAME) < SETUP_PATH_SIZE && dir + std::strlen(get_exename()) < SETUP_PATH_SIZE;
    for (int32_t i = 0; i < num_files && room; ++i)
        room = files[i]->path_type != PATH_APP || dest_path_fits((int32_t)(dir + std::strlen(files[i]->name)));
    if (!room)
        err_code = ERR_INSTALL_PATH_TOO_LONG;
    return room;
}

// The folders of an entry's name below the install directory, as the
// install path's own tree is made: each missing one created and logged
// before the file, so that the uninstaller removes them after it.
static bool make_entry_folders(SETUP_TYPE &job, const SETUP_FILE &entry, const char *destination)
{
    if (!makes_folders(entry.path_type) || !folder_part_length(entry.name, std::strlen(entry.name)))
        return true;
    char folder[SETUP_PATH_SIZE];
    const char *end = last_backslash(destination);
    size_t len = end ? (size_t)(end - destination) : 0;
    if (!len || len >= sizeof folder) {
        err_code = ERR_STRING_BOUNDS;
        return false;
    }
    std::memcpy(folder, destination, len);
    folder[len] = '\0';
    return job.make_dir_tree(folder);
}

bool SETUP_TYPE::prepare_install()
{
    // A relative path would install below the current directory, and "."
    // would copy every file onto itself. An empty one is make_dir_tree's
    // ERR_NULL_POINTER.
    const char *path = get_installpath();
    if (path[0] && !install_path_usable())
        return false;
    // The user's install path may be longer than the description's: an
    // entry it leaves no room stops setup here, not after half the files.
    for (int32_t i = 0; i < num_files; ++i)
        if (!entry_fits(i)) {
            err_code = ERR_STRING_BOUNDS;
            return false;
        }
    if (!make_dir_tree(path))
        return false;
    if (!windows_dir || !dir_exists(windows_dir)) {
        err_code = ERR_BAD_WINDOWS_PATH;
        return false;
    }
    if (!system_dir || !dir_exists(system_dir)) {
        err_code = ERR_BAD_SYSTEM_PATH;
        return false;
    }
    if (num_files > 0)
        cur_file = 0;
    return true;
}

// Whether the destination holds the same number of bytes as the source. A
// file that cannot be measured never counts as the same: an unreadable
// source, or sizes beyond 32 bits, must not pass for an installed file.
static bool same_size(const char *source, const char *destination)
{
    int64_t source_size = plat_file_size(source);
    int64_t dest_size = plat_file_size(destination);
    return source_size >= 0 && dest_size >= 0 && source_size == dest_size;
}

bool SETUP_TYPE::install_file()
{
    SETUP_FILE *entry = current_file();
    if (!entry)
        return true;
    char destination[MAX_DEST_PATH + 1];
    if (!whole_dest(*this, destination, sizeof destination))
        return false;
    // Whether it can be opened or not: a file taken for absent would be
    // overwritten without a question, and then named in the log as ours.
    if (file_present(destination)) {
        if (!same_size(entry->name, destination) || !same_content(entry->name, destination)) {
            err_code = ERR_OTHER_VERSION;
            return false;
        }
    } else if (!copy_setup_file(destination)) {
        return false;
    }
    next_file();
    return true;
}

bool SETUP_TYPE::copy_setup_file(const char *destination)
{
    SETUP_FILE *entry = current_file();
    if (!entry) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    char computed[SETUP_PATH_SIZE];
    if (!destination) {
        if (!whole_dest(*this, computed, sizeof computed))
            return false;
        destination = computed;
    }
    if (!ready_to_log() || !make_entry_folders(*this, *entry, destination))
        return false;
    // A folder swapped for a link since the tree was made, or a link in the
    // Windows directory's way: the copy would land elsewhere.
    if (path_crosses_link(destination)) {
        err_code = ERR_DEST_THROUGH_LINK;
        return false;
    }
    // What stands there goes aside first, for the uninstaller to put back;
    // not for a copy that cannot be made (no source, or the file itself).
    char kept[LOG_PATH_SIZE] = "";
    if (file_present(destination)) {
        if (plat_file_size(entry->name) < 0 || plat_same_file(entry->name, destination)) {
            err_code = ERR_COPY_FAILED;
            return false;
        }
        if (!keep_earlier(destination, kept, sizeof kept))
            return false;
    }
    // Trust the file system, not only the copy's answer.
    bool in_use = false;
    if (!replace_file(entry->name, destination, &in_use) || !file_present(destination)) {
        // The earlier version back in its place, as the user had it.
        if (kept[0])
            plat_replace_file(kept, destination);
        err_code = in_use ? ERR_FILE_IN_USE : ERR_COPY_FAILED;
        return false;
    }
    // A file the log does not name would stay behind after an uninstall.
    return log_entry(KEY_MKFILE, destination);
}
