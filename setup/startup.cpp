// The program's start-up order: the setup engine's messages first, then the
// library's globals, then the install job. Within this one translation unit
// the order is fixed by the order of the definitions below.
#include "lib/generr.h"
#include "lib/genutil.h"
#include "setup/setup.h"

void add_setup_errors()
{
    error_db.add_error(ERR_COPY_FAILED, "Error copying file to destination directory!");
    error_db.add_error(ERR_LOG_NAME, "Error attempting to create a unique setup log filename!");
    error_db.add_error(ERR_OTHER_VERSION, "Another version of one of the setup files was found!");
    error_db.add_error(ERR_CREATE_DIR, "Error attempting to create directory!");
    error_db.add_error(ERR_REMOVE_DIR, "Error attempting to remove directory!");
    error_db.add_error(ERR_SHORTCUT, "Error creating the application's Shortcut!");
    error_db.add_error(ERR_TOO_MANY_FILES, "Maximum number of setup files has been exceeded!");
    error_db.add_error(ERR_BAD_APP_PATH, "Invalid Application path received!");
    error_db.add_error(ERR_BAD_WINDOWS_PATH, "Invalid Windows path received!");
    error_db.add_error(ERR_BAD_SYSTEM_PATH, "Invalid Windows System path received!");
    error_db.add_error(ERR_FILE_NAME_LEAVES_DIR, "A setup file name may not have a drive, a leading backslash, a "
                                                 "'.' or '..' part, or a part that Windows would change or refuse!");
    error_db.add_error(ERR_INSTALL_PATH_NOT_FULL, "The install path must be a full path, with a drive letter, a colon "
                                                  "and a backslash, and no part that Windows would change or refuse!");
    error_db.add_error(ERR_DEST_THROUGH_LINK, "A destination folder is a junction or symbolic link that setup did not "
                                              "create: no file is copied through it!");
    error_db.add_error(ERR_INSTALL_PATH_TOO_LONG,
                       "The install path is too long for the files that setup writes into it!");
    error_db.add_error(ERR_FILE_NAME_TOO_LONG, "A setup file name is too long: its destination or one of its folders "
                                               "would not fit the path limits of Windows!");
    error_db.add_error(ERR_INI_NO_KEYS, "No line of the setup config file is a setup key such as AppTitle=, "
                                        "InstallPath= or File=!");
    error_db.add_error(ERR_INI_UTF16, "The setup config file is saved as Unicode (UTF-16), which setup cannot read: "
                                      "save setup.ini as ANSI!");
    error_db.add_error(ERR_INSTALL_PATH_QUESTION_MARK,
                       "A folder name of the install path holds a '?', which no name may hold: Windows puts one for "
                       "each character that this system's ANSI code page cannot hold!");
    error_db.add_error(ERR_INSTALL_PATH_CHANGED_END,
                       "A folder name of the install path ends in a dot or a blank, which Windows would drop from it!");
    error_db.add_error(ERR_FILE_IN_USE, "A destination file is in use by another program: close the program, then "
                                        "run setup again!");
}

static INIT_TYPE setup_errors(add_setup_errors);
static INIT_TYPE library(start_library);
SETUP_TYPE setup_job; // constructed last, so destroyed first at exit
