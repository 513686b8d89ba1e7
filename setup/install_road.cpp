// The road of one installation. Nothing is installed that the log could not
// name: the log and the batch file that hands it to the uninstaller come
// first, and each step that cannot record what it made ends the road right
// after it.
#include "setup/install_road.h"

#include "lib/generr.h"
#include "setup/path_join.h"
#include "setup/setup.h"

static ROAD_RESULT ended(ROAD_END end) { return ROAD_RESULT{end, STEP_LOG, ERR_NONE, nullptr}; }

static ROAD_RESULT failed(ROAD_STEP step, const SETUP_FILE *entry = nullptr)
{
    return ROAD_RESULT{ROAD_FAILED, step, err_code, entry ? entry->name : nullptr};
}

ROAD_RESULT SETUP_TYPE::run_install_road(ROAD_FRONT &front)
{
    char log_name[SETUP_PATH_SIZE] = "";
    if (!create_log(log_name, sizeof log_name))
        return failed(STEP_LOG);
    if (!prepare_install())
        return failed(STEP_PREPARE);
    if (!write_uninstall_bat(log_name))
        return failed(STEP_BATCH);

    front.begin_files(num_files);
    while (more_files()) {
        SETUP_FILE *entry = current_file();
        char shown[SHOWN_PATH_SIZE];
        dest_path(shown, sizeof shown);
        front.show_file(cur_file + 1, num_files, percent_done(), shown);
        // A Cancel confirmed meanwhile stops here, before the next file, and
        // so never meets an overwrite question that would forget it.
        if (front.cancelled())
            return ended(ROAD_CANCELLED);
        if (install_file())
            continue; // it moved the cursor itself
        if (err_code != ERR_OTHER_VERSION)
            return failed(STEP_FILE, entry);
        switch (front.ask_overwrite(shown)) {
        case OVERWRITE_ABORT:
            return ended(ROAD_ABORTED);
        case OVERWRITE_REPLACE:
            if (!copy_setup_file(nullptr))
                return failed(STEP_FILE, entry);
            break;
        case OVERWRITE_SKIP:
            break;
        }
        next_file();
    }
    return ended(ROAD_DONE);
}
