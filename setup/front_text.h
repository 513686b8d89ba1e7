// Texts and paths that a front shows or takes: bounded formatting, the
// folders that the pages offer and take from a browse, and the detail lines
// of the "Setup Error" box. Plain C++, so that the bounds of every page
// buffer are tested natively as well.
#ifndef SETUP_FRONT_TEXT_H
#define SETUP_FRONT_TEXT_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "setup/install_road.h"

// Formats into out (size bytes), cutting the text at size - 1 characters;
// always terminated. Returns out. A null or zero-sized out is left alone.
char *format_cut(char *out, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
char *vformat_cut(char *out, size_t size, const char *format, va_list args);

// The install path that the Select Directory page offers after a browse:
// the chosen folder, a backslash unless it already ends in one, and the
// application's base path. False, with out unchanged, when that does not fit
// in size bytes: a cut path would name some other directory.
bool join_browsed_path(char *out, size_t size, const char *folder, const char *basepath);

// The folder Browse on Select Directory opens at: the path typed in the
// field if it is a folder, else the nearest folder above it that exists, as a
// user who typed "C:\Apps\Foo" expects to see C:\Apps. False, with out
// empty, for a field that is no full path, whose drive does not exist, or
// that does not fit in size bytes: the browse then opens as it always did.
bool browse_start_folder(const char *field, char *out, size_t size);

// The part of chosen that lies below folder (which ends in a backslash),
// compared without regard to ASCII case as Windows compares paths: "" for
// the folder itself (with or without its backslash), null when chosen is not
// inside folder. The result points into chosen.
const char *path_below(const char *chosen, const char *folder);

// The folder that Create Shortcut offers, relative to the Programs folder:
// the title's file name, into out (size bytes). False, with out empty, when
// it does not fit.
bool default_shortcut_folder(const char *title, char *out, size_t size);

// What a front names when it refuses an install path, into out (size bytes,
// cut to fit): "install directory 'PATH'", and ", folder name 'PART'" when
// one part of it is to blame (install_path_fault).
void refused_install_dir(const char *path, char *out, size_t size);

// The Select Directory page's warning for an install path refused with code
// (install_path_usable's), into out (size bytes, cut to fit): the folder to
// blame and why, or what to enter, with an example in title's file name.
void install_path_warning(const char *path, int32_t code, const char *title, char *out, size_t size);

// The detail line of the "Setup Error" box: its buffer, and its text when the
// setup log cannot be written.
const size_t SETUP_ERROR_DETAIL_SIZE = 512; // room for a whole setup.ini line or path, and the words around it
extern const char *const LOG_ERROR_DETAIL;

// The detail line for a road that failed, into out (size bytes, cut to fit):
// LOG_ERROR_DETAIL for the log and batch file steps, and for any step whose
// log line could not be written (ERR_FILE_WRITE), since the step itself may
// have done its work; otherwise what failed, a file named as in setup.ini.
void road_failure_detail(const ROAD_RESULT &road, char *out, size_t size);

#endif
