#include "pack/package_setup.h"

#include <cstdlib>
#include <cstring>

#include "lib/generr.h"
#include "platform/dirsearch.h"
#include "platform/platform.h"
#include "setup/front_text.h"
#include "setup/path_join.h"

namespace {

// The directory a run extracted into, and where it started; kept here so
// that the exit handler finds them when the critical report ends the
// program mid-way.
char extracted[SETUP_PATH_SIZE];
char started_in[SETUP_PATH_SIZE];
bool handler_registered = false;

// Out of the directory first: Windows removes no one's current directory.
void remove_extracted()
{
    if (!extracted[0])
        return;
    plat_chdir(started_in);
    remove_tree(extracted);
    extracted[0] = '\0';
}

// At exit with a run still inside the directory (the critical report):
// the runtime closes its streams only after this handler, and Windows
// deletes no open file, such as the setup.ini being read. Every stream is
// closed (flushed) here first; the setup log's lines have been flushed
// already, and a later fclose of a closed stream does nothing.
void remove_extracted_at_exit()
{
    if (!extracted[0])
        return;
#ifdef _WIN32
    _fcloseall();
#endif
    remove_extracted();
}

// A new directory that no other process can have made first: creation
// fails when the name is taken, and then another name is tried.
bool make_private_dir(char *out, size_t size)
{
    char temp[SETUP_PATH_SIZE];
    if (!plat_temp_dir(temp, sizeof temp))
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        format_cut(name, sizeof name, "setup-%08x", (unsigned)plat_unique_number());
        if (join_dir(out, size, temp, name) && plat_create_dir(out))
            return true;
    }
    out[0] = '\0';
    return false;
}

// A path the session would read relative to the new current directory is
// made full here, against the directory setup was started in.
bool is_relative(const char *path)
{
    bool drive = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':';
    return !drive && path[0] != '\\' && path[0] != '/';
}

} // namespace

void damaged_package_text(const char *why, char *out, size_t size)
{
    format_cut(out, size,
               "The setup package is damaged and cannot be installed (%s).\n\n"
               "Please download it again, or ask its author for a new copy, and start the new copy.",
               why);
}

bool remove_tree(const char *path)
{
    char pattern[SETUP_PATH_SIZE], child[SETUP_PATH_SIZE];
    bool whole = true;
    plat_finddata record;
    intptr_t search = join_dir(pattern, sizeof pattern, path, "*") ? plat_findfirst(pattern, &record) : -1;
    for (int found = search == -1 ? -1 : 0; found == 0; found = plat_findnext(search, &record)) {
        if (!std::strcmp(record.name, ".") || !std::strcmp(record.name, ".."))
            continue;
        if (!join_dir(child, sizeof child, path, record.name)) {
            whole = false;
            continue;
        }
        // A link is removed, never followed.
        if ((record.attrib & PLAT_ATTR_SUBDIR) && !(record.attrib & PLAT_ATTR_REPARSE_POINT)) {
            whole = remove_tree(child) && whole;
            continue;
        }
        if (record.attrib & PLAT_ATTR_READONLY)
            plat_set_attributes(child, record.attrib & ~PLAT_ATTR_READONLY);
        bool gone = (record.attrib & PLAT_ATTR_SUBDIR) ? plat_remove_dir(child) == PLAT_DONE
                                                       : plat_delete_file(child) == PLAT_DONE;
        whole = gone && whole;
    }
    if (search != -1)
        plat_findclose(search);
    return plat_remove_dir(path) == PLAT_DONE && whole;
}

int run_setup_from(const char *program_path, SETUP_TYPE &job, const char *command_line, const SETUP_ARGS &args,
                   SETUP_FRONT &front, PACKAGE_FRONT &package_front, SETUP_REPORT &report)
{
    if (args.problem != SETUP_ARGS_OK || args.usage || !program_path)
        return run_setup(job, command_line, args, front, report);
    int64_t size = plat_file_size(program_path);
    FILE *program = size > 0 ? plat_fopen(program_path, "rb") : nullptr;
    if (!program)
        return run_setup(job, command_line, args, front, report);
    PACKAGE_READER reader(program, (uint64_t)size);
    PACKAGE_RESULT result = reader.find();
    if (result == PACKAGE_NONE || result == PACKAGE_UNREADABLE) {
        std::fclose(program);
        return run_setup(job, command_line, args, front, report);
    }

    if (!plat_getcwd(started_in, sizeof started_in))
        started_in[0] = '\0';
    if (result == PACKAGE_OK)
        result = reader.check(&package_front);
    if (result == PACKAGE_OK) {
        if (!make_private_dir(extracted, sizeof extracted)) {
            format_cut(reader.why, sizeof reader.why, "no new directory can be made in the temporary directory");
            result = PACKAGE_WRITE_FAILED;
        } else {
            if (!handler_registered)
                handler_registered = std::atexit(remove_extracted_at_exit) == 0;
            result = reader.extract(extracted, &package_front);
        }
    }
    std::fclose(program);
    package_front.unpacked();

    SETUP_ARGS here = args;
    if (result == PACKAGE_OK && here.log_file[0] && is_relative(here.log_file) &&
        !join_dir(here.log_file, sizeof here.log_file, started_in, args.log_file))
        std::memcpy(here.log_file, args.log_file, sizeof here.log_file);
    if (result == PACKAGE_OK) {
        if (plat_chdir(extracted)) {
            int status = run_setup(job, command_line, here, front, report);
            remove_extracted();
            return status;
        }
        format_cut(reader.why, sizeof reader.why, "'%s' cannot be entered", extracted);
        result = PACKAGE_WRITE_FAILED;
    }

    // Nothing of the package is used: the report, when there is one, says
    // why in the session's words.
    remove_extracted();
    int status = result == PACKAGE_DAMAGED ? SETUP_EXIT_DAMAGED : SETUP_EXIT_FAILED;
    if (here.log_file[0] && report.open(here.log_file)) {
        report.line(REPORT_SETUP, "%s", command_line ? command_line : "");
        if (result == PACKAGE_DAMAGED)
            report.line(REPORT_DAMAGED, "setup package %s: %s", program_path, reader.why);
        else
            report.line(REPORT_FAILED, "extracting the setup package: %s", reader.why);
        report.exit_line(status);
        report.close();
    }
    if (result == PACKAGE_DAMAGED) {
        package_front.damaged(reader.why);
    } else {
        char detail[SETUP_ERROR_DETAIL_SIZE];
        format_cut(detail, sizeof detail, "Error extracting the setup package: %s!", reader.why);
        front.show_error(detail, ERR_FILE_WRITE);
    }
    return args.given ? status : SETUP_EXIT_INSTALLED;
}
