// The road of one installation. Nothing is installed that the log could not
// name: the log and the batch file that hands it to the uninstaller come
// first, and each step that cannot record what it made ends the road right
// after it.
#include "setup/install_road.h"

#include "lib/generr.h"
#include "setup/path_join.h"
#include "setup/setup.h"

// The result at its end: err_code and the entry's name for a failure.
static ROAD_RESULT &ended(ROAD_RESULT &road, ROAD_END end, ROAD_STEP step = STEP_LOG, const SETUP_FILE *entry = nullptr)
{
    road.end = end;
    road.step = step;
    road.code = end == ROAD_FAILED ? err_code : ERR_NONE;
    road.file_name = entry ? entry->name : nullptr;
    return road;
}

ROAD_RESULT SETUP_TYPE::run_install_road(ROAD_FRONT &front)
{
    ROAD_RESULT road = {};
    if (!create_log(road.log_name, sizeof road.log_name))
        return ended(road, ROAD_FAILED, STEP_LOG);
    if (!prepare_install())
        return ended(road, ROAD_FAILED, STEP_PREPARE);
    if (!write_uninstall_bat(road.log_name))
        return ended(road, ROAD_FAILED, STEP_BATCH);

    front.begin_files(num_files);
    while (more_files()) {
        SETUP_FILE *entry = current_file();
        char shown[SHOWN_PATH_SIZE];
        dest_path(shown, sizeof shown);
        front.show_file(cur_file + 1, num_files, percent_done(), shown);
        // A Cancel confirmed meanwhile stops here, before the next file, and
        // so never meets an overwrite question that would forget it.
        if (front.cancelled())
            return ended(road, ROAD_CANCELLED);
        if (install_file())
            continue; // it moved the cursor itself
        if (err_code != ERR_OTHER_VERSION)
            return ended(road, ROAD_FAILED, STEP_FILE, entry);
        switch (front.ask_overwrite(shown)) {
        case OVERWRITE_ABORT: return ended(road, ROAD_ABORTED);
        case OVERWRITE_REPLACE:
            if (!copy_setup_file(nullptr))
                return ended(road, ROAD_FAILED, STEP_FILE, entry);
            break;
        case OVERWRITE_SKIP: break;
        }
        next_file();
    }
    return ended(road, ROAD_DONE);
}
