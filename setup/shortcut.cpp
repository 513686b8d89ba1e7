// The shortcut to the installed program, made by the shell's link object.
#include <cstring>

#include "../lib/fileutil.h"
#include "../lib/generr.h"
#include "../platform/shell_link.h"
#include "path_join.h"
#include "setup.h"

// The shortcut's file path: folder, a backslash unless it ends in one, the
// title and ".lnk". False when it would not fit.
static bool link_path_of(const char *folder, const char *title, char *out, size_t size)
{
    const char *separator = ends_in_backslash(folder) ? "" : "\\";
    return join_path(out, size, folder, separator, title, ".lnk");
}

bool SETUP_TYPE::create_shortcut(const char *folder)
{
    char link_path[SETUP_PATH_SIZE] = "";
    char target[SETUP_PATH_SIZE];
    // Refused before any directory is made: a path that does not fit would
    // be cut, and the shortcut would lie or point somewhere else.
    if (folder && folder[0] &&
        (!link_path_of(folder, get_apptitle(), link_path, sizeof link_path) ||
         !join_path(target, sizeof target, get_installpath(), get_exename()))) {
        err_code = 906;
        return false;
    }
    if (!make_dir_tree(folder))
        return false;
    if (create_link(link_path))
        return true;
    err_code = 906;
    return false;
}

bool SETUP_TYPE::create_link(const char *link_path)
{
    char target[SETUP_PATH_SIZE];
    if (!link_path || std::strlen(link_path) >= (size_t)PLAT_LINK_PATH_UNITS ||
        !join_path(target, sizeof target, get_installpath(), get_exename()))
        return false;

    PLAT_SHELL_LINK *link = nullptr;
    if (plat_link_create(&link) < 0)
        return false;
    plat_link_set_path(link, target);
    plat_link_set_description(link, get_apptitle());
    plat_link_set_working_dir(link, get_installpath());

    PLAT_PERSIST_FILE *file = nullptr;
    plat_result outcome = plat_link_persist(link, &file);
    if (outcome >= 0) {
        char16_t wide[PLAT_LINK_PATH_UNITS];
        if (plat_ansi_to_utf16(link_path, wide, PLAT_LINK_PATH_UNITS) > 0)
            outcome = plat_persist_save(file, wide, false);
        else
            outcome = PLAT_E_FAIL;
        plat_persist_release(file);
        // Logged even when the save failed: a part-written file may be there.
        log_entry("MkFile", link_path);
    }
    plat_link_release(link);
    return outcome >= 0;
}
