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
        // Only a file that is there can be held open: the question comes
        // after Overwrite (or /REPLACE), and is asked until the copy goes
        // through or the front gives up.
        bool replacing = false;
        for (int32_t refused = 0;;) {
            if (replacing ? copy_setup_file(nullptr) : install_file()) {
                if (replacing)
                    next_file(); // install_file moves the cursor itself
                break;
            }
            if (err_code == ERR_OTHER_VERSION && !replacing) {
                OVERWRITE_ANSWER answer = front.ask_overwrite(shown);
                if (answer == OVERWRITE_ABORT)
                    return ended(road, ROAD_ABORTED);
                if (answer == OVERWRITE_SKIP) {
                    next_file();
                    break;
                }
                replacing = true;
                continue;
            }
            if (err_code != ERR_FILE_IN_USE)
                return ended(road, ROAD_FAILED, STEP_FILE, entry);
            IN_USE_ANSWER answer = front.ask_in_use(shown, ++refused);
            if (answer == IN_USE_ABORT)
                return ended(road, ROAD_ABORTED);
            if (answer == IN_USE_FAIL) {
                err_code = ERR_FILE_IN_USE;
                return ended(road, ROAD_FAILED, STEP_FILE, entry);
            }
        }
    }
    return ended(road, ROAD_DONE);
}
