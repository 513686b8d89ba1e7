// The installation on a small file system at every fill level, from a full
// disk up to one with room for it all, in steps of one 4 KiB page: a tmpfs
// that this program mounts, so that the disk fills up for real, in a copy,
// a line of the log or of the batch file, or the shortcut. A run that
// fails must say so with a code of its own, and its undo, on the same full
// disk, must leave the drive as it was; a run that succeeds must have
// installed every file whole.
//
// Mounting needs root (CI runs as root); without it the sweep is skipped
// (exit 77) with a message that says so.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "lib/error_codes.h"
#include "tests/robust/road_scene.h"

namespace {

const long PAGE = 4096;
const size_t BULK = 16384; // the data files grow to a few pages each

long free_bytes(const std::string &dir)
{
    struct statvfs fs;
    return statvfs(dir.c_str(), &fs) == 0 ? (long)(fs.f_bavail * fs.f_frsize) : -1;
}

// Takes up all but room bytes of the file system with one file.
bool fill(const std::string &filler, const std::string &dir, long room)
{
    int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    static char block[PAGE];
    while (free_bytes(dir) > room)
        if (write(fd, block, sizeof block) != (ssize_t)sizeof block)
            break;
    close(fd);
    return free_bytes(dir) == room;
}

} // namespace

int main()
{
    if (geteuid() != 0) {
        std::printf("disk_full_sweep: SKIPPED: mounting a small file system needs root\n");
        return 77;
    }
    char mount_point[] = "/tmp/setup-disk-XXXXXX";
    if (!mkdtemp(mount_point))
        return 1;
    if (mount("tmpfs", mount_point, "tmpfs", 0, "size=4m,mode=0700") != 0) {
        std::printf("disk_full_sweep: SKIPPED: cannot mount a tmpfs here (%s)\n", std::strerror(errno));
        rmdir(mount_point);
        return 77;
    }
    setenv("FUZZ_SCRATCH", mount_point, 1);
    const std::string filler = std::string(mount_point) + "/filler";
    auto started = std::chrono::steady_clock::now();

    // What a whole run takes.
    scene::lay_out(BULK);
    long room_before = free_bytes(mount_point);
    int32_t code = 0;
    bool whole_run = scene::install(&code);
    long needed = room_before - free_bytes(mount_point);
    int failures = 0;
    if (!whole_run) {
        std::printf("disk_full_sweep: the run with room to spare failed with code %d\n", (int)code);
        ++failures;
    }

    // Every level from none to two pages more than the run takes.
    std::map<int32_t, int> codes;
    int levels = 0, failed_runs = 0;
    for (long room = 0; whole_run && room <= needed + 2 * PAGE; room += PAGE) {
        scene::lay_out(BULK);
        const logtruth::Tree before = scene::snapshot();
        const drive::Snapshot drive_before = scene::drive();
        if (!fill(filler, mount_point, room)) {
            std::printf("disk_full_sweep: cannot leave exactly %ld bytes free\n", room);
            ++failures;
            break;
        }
        bool succeeded = scene::install(&code, true);
        unlink(filler.c_str());
        ++levels;
        std::string problem =
            succeeded ? scene::check(before, scene::snapshot(), succeeded) : scene::check_undone(drive_before);
        if (!succeeded) {
            ++failed_runs;
            ++codes[code];
            if (code != ERR_FILE_WRITE && code != ERR_COPY_FAILED && code != ERR_SHORTCUT)
                problem =
                    "the failure came with code " + std::to_string(code) + (problem.empty() ? "" : "; " + problem);
        } else if (room < needed - PAGE) {
            // The run's own measure, less a page for what tmpfs rounds.
            problem = "a run succeeded with " + std::to_string(room) + " bytes free of the " + std::to_string(needed) +
                      " it takes";
        }
        if (room > needed && !succeeded)
            problem = "failed with room to spare (code " + std::to_string(code) + ")";
        if (!problem.empty() && ++failures <= 10)
            std::printf("disk_full_sweep: %ld KiB free: %s\n", room / 1024, problem.c_str());
    }

    umount(mount_point);
    rmdir(mount_point);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("disk_full_sweep: a whole run takes %ld KiB; %d fill levels, %d runs failed (", needed / 1024, levels,
                failed_runs);
    for (const auto &c : codes)
        std::printf(" code %d: %d", (int)c.first, c.second);
    std::printf(" ), %d findings, %.1f s\n", failures, seconds);
    return failures == 0 && levels > 0 ? 0 : 1;
}
