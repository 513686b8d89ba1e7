// Scratch space and file helpers shared by the unit tests. Paths are DOS-style
// on both platforms; natively they lie under a private drive root.
#ifndef TESTS_UNIT_SUPPORT_TEST_ENV_H
#define TESTS_UNIT_SUPPORT_TEST_ENV_H

#include <string>

namespace testenv {

// A device that takes no byte: every write meets a full disk. Wine shows the
// host's /dev/full on drive Z:.
#ifdef _WIN32
constexpr char FULL_DEVICE[] = "Z:\\dev\\full";
#else
constexpr char FULL_DEVICE[] = "/dev/full";
#endif

// A fresh, empty directory for the calling test, with a trailing backslash.
std::string scratch_dir();
// Writes bytes exactly as given (binary mode).
void write_file(const std::string &path, const std::string &bytes);
// The file's bytes exactly as on disk; "<missing>" when it cannot be opened.
std::string read_file(const std::string &path);
bool make_dir(const std::string &path);
// A symbolic link at link to target (both DOS paths; target a folder when
// directory is true). False when this system makes none that the seam sees
// as a reparse point: Wine 8 makes no links from the Windows side.
bool make_link(const std::string &link, const std::string &target, bool directory);
// The current directory, DOS-style where the platform reports it so.
std::string current_dir();

// Resets error_db and reg_db to the state start-up leaves them in.
void restore_startup_tables();

} // namespace testenv

#endif
