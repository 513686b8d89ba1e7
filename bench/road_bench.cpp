// The installation road against a bare copy of the same files, natively, in
// one process: the two take turns (road, copy, copy, road ...) after one
// pair that is not counted, each into a fresh destination, so that a drift
// of the machine's speed falls on both alike.
//
//   road_bench COUNT SIZE_KIB RUNS SCRATCH_DIR
//
// Each figure is the files' part of an installation: for the road from the
// moment it starts on the first file (after the log and "uninstal.bat") to
// its end; for the copy from opening the first file to closing the last.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/platform.h"
#include "setup/setup.h"

namespace {

using CLOCK = std::chrono::steady_clock;
namespace fs = std::filesystem;

double ms_between(CLOCK::time_point from, CLOCK::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A front that shows nothing and never cancels: the road's own cost alone.
class TIMED_FRONT : public ROAD_FRONT {
public:
    CLOCK::time_point first_file;
    void begin_files(int32_t) override { first_file = CLOCK::now(); }
    void show_file(int32_t, int32_t, int32_t, const char *) override {}
    bool cancelled() override { return false; }
    OVERWRITE_ANSWER ask_overwrite(const char *) override { return OVERWRITE_REPLACE; }
};

bool write_file(const fs::path &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Source files of pseudo-random bytes (nothing a file system could squeeze).
bool make_sources(const fs::path &dir, int count, size_t size, std::vector<std::string> &names)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = (char)(state >> 24);
    }
    std::string ini = "AppTitle=Bench\r\nInstallPath=C:\\unset\r\n";
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.bin", i);
        bytes[0] = (char)i; // no two files alike
        if (!write_file(dir / name, bytes))
            return false;
        names.push_back(name);
        ini += std::string("File=") + name + "\r\n";
    }
    return write_file(dir / "setup.ini", ini);
}

// One installation through the road into C:\road-N. Milliseconds, or -1.
double time_road(int run)
{
    SETUP_TYPE job;
    if (!job.load_ini("setup.ini"))
        return -1;
    std::string dest = "C:\\road-" + std::to_string(run);
    job.set_installpath(dest.c_str());
    TIMED_FRONT front;
    ROAD_RESULT road = job.run_install_road(front);
    CLOCK::time_point end = CLOCK::now();
    job.close_log();
    return road.end == ROAD_DONE ? ms_between(front.first_file, end) : -1;
}

bool bare_copy(const fs::path &from, const fs::path &to)
{
    int in = open(from.c_str(), O_RDONLY);
    if (in < 0)
        return false;
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = out >= 0;
    while (ok) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, (size_t)1 << 30, 0);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
    }
    if (out >= 0 && close(out) != 0)
        ok = false;
    close(in);
    return ok;
}

// The same files copied into a fresh directory. Milliseconds, or -1.
double time_copy(const fs::path &sources, const std::vector<std::string> &names, const fs::path &dest)
{
    fs::create_directories(dest);
    CLOCK::time_point start = CLOCK::now();
    for (const std::string &name : names)
        if (!bare_copy(sources / name, dest / name))
            return -1;
    return ms_between(start, CLOCK::now());
}

struct SPREAD {
    double min, median, max;
};

SPREAD spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {v.front(), median, v.back()};
}

void print_row(const char *what, const std::vector<double> &v, const char *unit)
{
    SPREAD s = spread(v);
    std::printf("  %-10s min %9.2f  median %9.2f  max %9.2f %s\n", what, s.min, s.median, s.max, unit);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: road_bench COUNT SIZE_KIB RUNS SCRATCH_DIR\n");
        return 2;
    }
    int count = std::atoi(argv[1]);
    long size_kib = std::atol(argv[2]);
    int runs = std::atoi(argv[3]);
    if (count < 1 || count > MAX_SETUP_FILES || size_kib < 0 || runs < 1) {
        std::fprintf(stderr, "road_bench: COUNT 1 to %d, SIZE_KIB 0 or more, RUNS 1 or more\n", MAX_SETUP_FILES);
        return 2;
    }
    fs::path scratch = fs::absolute(argv[4]);
    fs::remove_all(scratch);
    fs::path drive = scratch / "c";
    fs::create_directories(drive / "windows" / "system32");
    fs::create_directories(drive / "src");
    std::vector<std::string> names;
    if (!make_sources(drive / "src", count, (size_t)size_kib * 1024, names)) {
        std::fprintf(stderr, "road_bench: cannot write the source files under %s\n", drive.c_str());
        return 1;
    }
    plat_test_set_drive_root(scratch.c_str());
    plat_test_set_windows_dir("C:\\windows\\");
    plat_test_set_system_dir("C:\\windows\\system32\\");
    if (!plat_chdir("C:\\src\\")) {
        std::fprintf(stderr, "road_bench: cannot enter the source directory\n");
        return 1;
    }

    std::vector<double> road_ms, copy_ms, ratios;
    for (int run = 0; run <= runs; ++run) { // run 0 warms up
        // Each copy is deleted as soon as it is timed, before its dirty pages
        // are written back, and the two swap places from run to run: neither
        // pays for the other's writes.
        double road = -1, copy = -1;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + run) % 2 == 0) {
                road = time_road(run);
                fs::remove_all(drive / ("road-" + std::to_string(run)));
                fs::remove_all(drive / "windows" / "UnInstal");
            } else {
                copy = time_copy(drive / "src", names, drive / ("copy-" + std::to_string(run)));
                fs::remove_all(drive / ("copy-" + std::to_string(run)));
            }
        }
        if (road < 0 || copy < 0) {
            std::fprintf(stderr, "road_bench: the %s failed in run %d\n", road < 0 ? "road" : "copy", run);
            return 1;
        }
        if (run == 0)
            continue;
        road_ms.push_back(road);
        copy_ms.push_back(copy);
        ratios.push_back(copy > 0 ? road / copy : 0);
    }
    fs::remove_all(scratch);

    std::printf("native: %d x %ld KiB, %d runs each after one warm-up pair\n", count, size_kib, runs);
    print_row("road", road_ms, "ms");
    print_row("bare copy", copy_ms, "ms");
    print_row("road/copy", ratios, "");
    return 0;
}
