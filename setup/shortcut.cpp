// The shortcut to the installed program, made by the shell's link object.
#include <cstring>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "platform/shell_link.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "setup/setup.h"

// The shortcut's file path: folder, a backslash unless it ends in one, the
// title's file name and ".lnk". False when it would not fit.
static bool link_path_of(const char *folder, const char *title, char *out, size_t size)
{
    char name[SETUP_PATH_SIZE];
    return title_file_name(title, name, sizeof name) && join_dir(out, size, folder, name, ".lnk");
}

// What the shortcut points at: the installed program. False when it would
// not fit.
static bool link_target(const SETUP_TYPE &job, char *out, size_t size)
{
    return join_path(out, size, job.get_installpath(), job.get_exename());
}

namespace {
enum LinkOutcome { LINK_SAVED, LINK_NOT_SAVED, LINK_NOT_LOGGED };
}

// Has the link object write the shortcut to target, and logs it once it is
// saved: a failed save may leave nothing there, or an older file of that
// name that this setup did not make.
static LinkOutcome save_link(SETUP_TYPE &job, const char *link_path, const char *target)
{
    if (!link_path || std::strlen(link_path) >= (size_t)PLAT_LINK_PATH_UNITS)
        return LINK_NOT_SAVED;

    if (!job.ready_to_log())
        return LINK_NOT_LOGGED;
    PLAT_SHELL_LINK *link = nullptr;
    if (plat_link_create(&link) < 0)
        return LINK_NOT_SAVED;
    plat_link_set_path(link, target);
    plat_link_set_description(link, job.get_apptitle());
    plat_link_set_working_dir(link, job.get_installpath());

    PLAT_PERSIST_FILE *file = nullptr;
    PLAT_HRESULT outcome = plat_link_persist(link, &file);
    LinkOutcome result = LINK_NOT_SAVED;
    if (outcome >= 0) {
        char16_t wide[PLAT_LINK_PATH_UNITS];
        if (plat_ansi_to_utf16(link_path, wide, PLAT_LINK_PATH_UNITS) > 0)
            outcome = plat_persist_save(file, wide, false);
        else
            outcome = PLAT_E_FAIL;
        plat_persist_release(file);
        if (outcome >= 0)
            result = job.log_entry(KEY_MKFILE, link_path) ? LINK_SAVED : LINK_NOT_LOGGED;
    }
    plat_link_release(link);
    return result;
}

bool SETUP_TYPE::create_shortcut(const char *folder)
{
    char link_path[SETUP_PATH_SIZE] = "";
    char target[SETUP_PATH_SIZE] = "";
    // Refused before any directory is made: a path that does not fit would
    // be cut, and the shortcut would lie or point somewhere else.
    if (folder && folder[0] &&
        (!link_path_of(folder, get_apptitle(), link_path, sizeof link_path) ||
         !link_target(*this, target, sizeof target))) {
        err_code = ERR_SHORTCUT;
        return false;
    }
    // A file of the shortcut's name is the user's or another installation's:
    // kept, and not logged, or the uninstaller would delete it. Present, not
    // merely openable: one in use is there all the same.
    link_kept = file_present(link_path);
    if (link_kept)
        return true;
    if (!make_dir_tree(folder))
        return false;
    switch (save_link(*this, link_path, target)) {
    case LINK_SAVED: return true;
    case LINK_NOT_LOGGED: return false; // log_entry's code says why
    case LINK_NOT_SAVED: break;
    }
    err_code = ERR_SHORTCUT;
    return false;
}

bool SETUP_TYPE::create_link(const char *link_path)
{
    char target[SETUP_PATH_SIZE];
    return link_target(*this, target, sizeof target) && save_link(*this, link_path, target) == LINK_SAVED;
}
