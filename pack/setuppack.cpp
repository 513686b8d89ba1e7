// setuppack: packs a setup directory into one setup.exe that installs from
// the package appended to it.
#include <climits>
#include <cstdio>
#include <cstring>

#include "checker/check_ini.h"
#include "pack/package.h"
#include "platform/platform.h"
#include "setup/path_join.h"
#include "setup/setup.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/dll_safety.h"
#else
#include <unistd.h>
#endif

namespace {

// setuppack's exit statuses.
enum PACK_EXIT {
    PACK_EXIT_PACKED = 0,      // written (the description may have warnings)
    PACK_EXIT_FAILED = 1,      // a file, the stub or the output could not be read or written
    PACK_EXIT_DESCRIPTION = 2, // setup.ini has errors: nothing written
    PACK_EXIT_USAGE = 3        // the command line could not be used
};

const char USAGE[] = "Usage: setuppack [--quiet] [-o OUT.exe] [--stub SETUP.EXE] DIR\n"
                     "Packs the setup directory DIR into one program that installs from itself.\n"
                     "\n"
                     "  DIR          a setup directory: setup.ini, the files it lists, and uninstal.exe\n"
                     "               when there is one (nothing else is packed)\n"
                     "  -o OUT.exe   the program to write (default: setup.exe in the current directory)\n"
                     "  --stub FILE  the setup.exe to put in front (default: setup.exe beside setuppack)\n"
                     "  --quiet      print only warnings and errors, not the summary\n"
                     "  --help       print this text\n"
                     "\n"
                     "setup.ini is checked as setupchk checks it: errors refuse the packing, warnings\n"
                     "are printed. The same inputs give the same bytes, so a package can be rebuilt and\n"
                     "compared. Sign the result (Authenticode) after packing: the signature covers it.\n"
                     "\n"
                     "Exit status: 0 packed, 1 a file or the output could not be read or written,\n"
                     "2 setup.ini has errors, 3 the command line could not be used.\n";

void to_stdout(void *, const char *text) { std::fputs(text, stdout); }

// setup.exe beside this program.
bool default_stub(char *out, size_t size)
{
    char self[SETUP_PATH_SIZE * 4];
#ifdef _WIN32
    DWORD len = GetModuleFileNameA(nullptr, self, (DWORD)sizeof self);
    if (len == 0 || len >= sizeof self)
        return false;
#else
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0)
        return false;
    self[len] = '\0';
#endif
    char *last = std::strrchr(self, '/');
    char *back = std::strrchr(self, '\\');
    if (back && (!last || back > last))
        last = back;
    if (!last)
        return false;
    last[1] = '\0';
    return join_path(out, size, self, "setup.exe");
}

// Names compared as Windows compares them (ASCII letters without case).
bool same_name(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? (char)(*b - 'A' + 'a') : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

struct OPTIONS {
    bool quiet = false;
    const char *out = "setup.exe";
    const char *stub = nullptr;
    const char *dir = nullptr;
};

// False with a message for a line that cannot be used; *help for --help.
bool read_options(int argc, char **argv, OPTIONS &options, bool *help)
{
    *help = false;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (options_done || arg[0] != '-' || !arg[1]) {
            if (options.dir) {
                std::fprintf(stderr, "setuppack: one directory only (\"%s\" is a second one)\n", arg);
                return false;
            }
            options.dir = arg;
        } else if (!std::strcmp(arg, "--")) {
            options_done = true;
        } else if (!std::strcmp(arg, "--quiet") || !std::strcmp(arg, "-q")) {
            options.quiet = true;
        } else if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            *help = true;
            return true;
        } else if ((!std::strcmp(arg, "-o") || !std::strcmp(arg, "--stub")) && i + 1 < argc) {
            (arg[1] == 'o' ? options.out : options.stub) = argv[++i];
        } else {
            std::fprintf(stderr, "setuppack: unknown option or missing value \"%s\" (setuppack --help lists them)\n",
                         arg);
            return false;
        }
    }
    if (!options.dir) {
        std::fputs("setuppack: no setup directory given (setuppack --help)\n", stderr);
        return false;
    }
    return true;
}

// The stub's image, then the package from the setup directory, into out.
int write_package(const OPTIONS &options, FILE *stub, const PE_LAYOUT &layout, FILE *out, PACKAGE_WRITER &writer)
{
    if (!copy_stub_image(stub, out, layout) || !writer.begin()) {
        std::fprintf(stderr, "setuppack: %s cannot be written\n", options.out);
        return PACK_EXIT_FAILED;
    }
    char saved[SETUP_PATH_SIZE * 4];
    if (!plat_getcwd(saved, sizeof saved) || !plat_chdir(options.dir)) {
        std::fprintf(stderr, "setuppack: %s cannot be entered\n", options.dir);
        return PACK_EXIT_FAILED;
    }
    // The files as setup finds them: by setup.ini's names, in the setup
    // directory, in any case; setup.ini first, the uninstaller last.
    SETUP_TYPE job;
    int status = PACK_EXIT_PACKED;
    if (!job.load_ini("setup.ini")) {
        std::fprintf(stderr, "setuppack: %s/setup.ini cannot be read\n", options.dir);
        status = PACK_EXIT_FAILED;
    }
    const char *names[MAX_SETUP_FILES + 2];
    int count = 0;
    names[count++] = "setup.ini";
    for (int32_t i = 0; i < job.num_files; ++i)
        names[count++] = job.files[i]->name;
    uint32_t uninstaller = plat_get_attributes(UNINSTALLER_NAME);
    if (uninstaller != PLAT_NO_ATTRIBUTES && !(uninstaller & PLAT_ATTR_SUBDIR))
        names[count++] = UNINSTALLER_NAME;
    for (int i = 0; i < count && status == PACK_EXIT_PACKED; ++i) {
        bool twice = false;
        for (int before = 0; before < i; ++before)
            twice = twice || same_name(names[before], names[i]);
        if (twice)
            continue;
        uint32_t attributes = plat_get_attributes(names[i]);
        if (!writer.add(names[i], names[i], attributes == PLAT_NO_ATTRIBUTES ? 0 : attributes & PACKAGE_ATTRIBUTES)) {
            std::fprintf(stderr, "setuppack: %s\n", writer.why);
            status = PACK_EXIT_FAILED;
        }
    }
    plat_chdir(saved);
    if (status == PACK_EXIT_PACKED && !writer.finish()) {
        std::fprintf(stderr, "setuppack: %s: %s\n", options.out, writer.why);
        status = PACK_EXIT_FAILED;
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    restrict_dll_search();
#endif
    OPTIONS options;
    bool help = false;
    if (!read_options(argc, argv, options, &help))
        return PACK_EXIT_USAGE;
    if (help) {
        std::fputs(USAGE, stdout);
        return PACK_EXIT_PACKED;
    }

    // The checker's verdict first, in its own words: errors refuse.
    if (check_description(options.dir, true, to_stdout, nullptr) == CHECK_ERRORS) {
        std::fflush(stdout);
        std::fprintf(stderr, "setuppack: %s: setup.ini has errors: nothing packed\n", options.dir);
        return PACK_EXIT_DESCRIPTION;
    }
    std::fflush(stdout);

    char stub_path[SETUP_PATH_SIZE * 4];
    if (options.stub ? !join_path(stub_path, sizeof stub_path, options.stub)
                     : !default_stub(stub_path, sizeof stub_path)) {
        std::fputs("setuppack: no stub: name one with --stub\n", stderr);
        return PACK_EXIT_USAGE;
    }
    int64_t stub_size = plat_file_size(stub_path);
    FILE *stub = stub_size >= 0 ? plat_fopen(stub_path, "rb") : nullptr;
    if (!stub) {
        std::fprintf(stderr, "setuppack: the stub %s cannot be read%s\n", stub_path,
                     options.stub ? "" : " (name one with --stub)");
        return PACK_EXIT_FAILED;
    }
    PE_LAYOUT layout;
    PACKAGE_READER probe(stub, (uint64_t)stub_size);
    PACKAGE_RESULT found = read_pe_layout(stub, &layout) ? probe.find() : PACKAGE_UNREADABLE;
    if (found != PACKAGE_NONE) {
        std::fclose(stub);
        std::fprintf(stderr, "setuppack: the stub %s %s\n", stub_path,
                     found == PACKAGE_UNREADABLE ? "is no program" : "carries a package or other data already");
        return PACK_EXIT_FAILED;
    }
    if (plat_same_file(stub_path, options.out)) {
        std::fclose(stub);
        std::fprintf(stderr, "setuppack: %s is the stub itself\n", options.out);
        return PACK_EXIT_USAGE;
    }

    // Written beside its place and put there whole, so that a failure leaves
    // no half package under the name.
    char partial[SETUP_PATH_SIZE * 4];
    FILE *out = nullptr;
    if (join_path(partial, sizeof partial, options.out, ".partial"))
        out = plat_fopen(partial, "w+b");
    if (!out) {
        std::fclose(stub);
        std::fprintf(stderr, "setuppack: %s cannot be created\n", options.out);
        return PACK_EXIT_FAILED;
    }
    PACKAGE_WRITER writer(out);
    int status = write_package(options, stub, layout, out, writer);
    std::fclose(stub);
    bool closed = std::fclose(out) == 0;
    if (status == PACK_EXIT_PACKED && (!closed || !plat_truncate_file(partial, (int64_t)writer.end()) ||
                                       plat_replace_file(partial, options.out) != PLAT_DONE)) {
        std::fprintf(stderr, "setuppack: %s cannot be written\n", options.out);
        status = PACK_EXIT_FAILED;
    }
    if (status != PACK_EXIT_PACKED) {
        plat_delete_file(partial);
        return status;
    }
    if (!options.quiet) {
        uint64_t packed = writer.end() - layout.image_end;
        uint64_t in = writer.input_bytes();
        std::printf("setuppack: %s: %u files, %llu bytes in, %llu bytes out (%.1f%%), after a stub of %llu bytes\n",
                    options.out, (unsigned)writer.count(), (unsigned long long)in, (unsigned long long)packed,
                    in ? 100.0 * (double)packed / (double)in : 100.0, (unsigned long long)layout.image_end);
    }
    return PACK_EXIT_PACKED;
}
