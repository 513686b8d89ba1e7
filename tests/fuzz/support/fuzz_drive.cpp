#include "tests/fuzz/support/fuzz_drive.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <ftw.h>
#include <limits.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/fault.h"
#include "platform/platform.h"

namespace fuzzdrive {

const char WINDOWS_DIR[] = "C:\\windows";
const char SYSTEM_DIR[] = "C:\\windows\\system32";
const char PROGRAMS_DIR[] = "C:\\windows\\Start Menu\\Programs";
const char SETUP_DIR[] = "C:\\setup";

static std::string drive_root;

const std::string &root() { return drive_root; }

void fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::fputs("\n==== fuzz check failed: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputs("\n", stderr);
    va_end(args);
    std::abort();
}

// The path with "." and ".." resolved by their names alone, as an absolute
// host path; ".." above "/" stays at "/".
static std::string lexical(const std::string &path)
{
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        char cwd[PATH_MAX];
        whole = std::string(getcwd(cwd, sizeof cwd) ? cwd : "/") + "/" + path;
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < whole.size()) {
        size_t next = whole.find('/', i);
        if (next == std::string::npos)
            next = whole.size();
        std::string part = whole.substr(i, next - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = next + 1;
    }
    std::string out;
    for (const std::string &part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

// Every path the substitute is about to use must lie on the scratch drives.
static void watch(const char *host_path)
{
    std::string resolved = lexical(host_path);
    if (resolved.compare(0, drive_root.size() + 1, drive_root + "/") != 0)
        fail("a path outside the scratch drive: %s (resolves to %s)", host_path, resolved.c_str());
}

static int remove_entry(const char *path, const struct stat *, int, struct FTW *) { return std::remove(path); }

static void remove_tree(const std::string &host_dir) { nftw(host_dir.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

static void remove_root() { remove_tree(drive_root); }

static void lay_out()
{
    for (const char *drive : {"c", "d"})
        mkdir((drive_root + "/" + drive).c_str(), 0777);
    for (const char *dir : {WINDOWS_DIR, SYSTEM_DIR, PROGRAMS_DIR, SETUP_DIR})
        make_dirs(dir);
    if (!plat_chdir(SETUP_DIR))
        fail("cannot enter %s", SETUP_DIR);
}

void init()
{
    if (!drive_root.empty())
        return;
    // The drives are laid out anew for every input: in memory where the
    // machine offers a file system there, as a disk's metadata costs
    // milliseconds a call. run-fuzzer.sh names a folder of its own, which it
    // removes after the run: a finding ends the process before exit handlers.
    const char *scratch = std::getenv("FUZZ_SCRATCH");
    const char *tmp = std::getenv("TMPDIR");
    const char *base = scratch && scratch[0]           ? scratch
                       : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                       : tmp && tmp[0]                 ? tmp
                                                       : "/tmp";
    std::string pattern = std::string(base) + "/setup-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    char resolved[PATH_MAX];
    if (!mkdtemp(name.data()) || !realpath(name.data(), resolved))
        fail("cannot make a drive root from %s", pattern.c_str());
    drive_root = resolved;
    std::atexit(remove_root);
    plat_test_set_drive_root(drive_root.c_str());
    plat_test_set_windows_dir(WINDOWS_DIR);
    plat_test_set_system_dir(SYSTEM_DIR);
    plat_test_set_path_observer(watch);
    lay_out();
}

void reset()
{
    if (chdir(drive_root.c_str()) != 0)
        fail("cannot enter the drive root %s", drive_root.c_str());
    for (const char *drive : {"c", "d"})
        remove_tree(drive_root + "/" + drive);
    // The registry of the Apps & Features entries starts empty too.
    unlink((drive_root + "/" + PLAT_REGISTRY_FILE).c_str());
    plat_test_reset();
    plat_test_set_code_page(1252);
    lay_out();
}

bool put(const std::string &dos_path, const std::string &bytes)
{
    FILE *f = plat_fopen(dos_path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void make_dirs(const std::string &dos_path)
{
    for (size_t i = 3; i <= dos_path.size(); ++i)
        if (i == dos_path.size() || dos_path[i] == '\\')
            plat_mkdir(dos_path.substr(0, i).c_str());
}

static void walk(const std::string &host_dir, const std::string &dos_dir, std::map<std::string, Entry> &entries)
{
    DIR *dir = opendir(host_dir.c_str());
    if (!dir)
        return;
    while (struct dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string host = host_dir + "/" + name, dos = dos_dir + "\\" + name;
        struct stat st;
        if (lstat(host.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            entries[dos] = Entry{true, ""};
            walk(host, dos, entries);
            continue;
        }
        Entry file{false, ""};
        if (FILE *f = std::fopen(host.c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                file.bytes.append(buf, n);
            std::fclose(f);
        }
        entries[dos] = file;
    }
    closedir(dir);
}

std::map<std::string, Entry> snapshot()
{
    std::map<std::string, Entry> entries;
    walk(drive_root + "/c", "C:", entries);
    walk(drive_root + "/d", "D:", entries);
    return entries;
}

} // namespace fuzzdrive
