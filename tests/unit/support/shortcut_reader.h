// Reads a shortcut file back, independently of the code that wrote it:
// natively with lnkinfo (Debian package liblnk-utils), a reader written from
// the published format by another project; on Windows with the shell's own
// link object.
#ifndef TESTS_UNIT_SUPPORT_SHORTCUT_READER_H
#define TESTS_UNIT_SUPPORT_SHORTCUT_READER_H

#include <string>

struct LnkFields {
    std::string local_path; // the target
    std::string description;
    std::string working_dir;
};

// False, with the reason in error, when the file cannot be read as a
// shortcut, or (natively) when lnkinfo is missing or fails: a missing reader
// is a failure, never a reason to skip.
bool read_shortcut(const std::string &dos_path, LnkFields &fields, std::string &error);

#endif
