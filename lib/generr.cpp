#include "lib/generr.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/platform.h"
#include "lib/fileutil.h"
#include "lib/genmem.h"
#include "lib/genutil.h"

int32_t err_code = ERR_NONE;
ERR_TYPE error_db;

const char *const system_error_messages[] = {
    "No error",
    "Operation not permitted",
    "No such file or directory",
    "No such process",
    "Interrupted function call",
    "Input/output error",
    "No such device or address",
    "Arg list too long",
    "Exec format error",
    "Bad file descriptor",
    "No child processes",
    "Resource temporarily unavailable",
    "Not enough space",
    "Permission denied",
    "Bad address",
    "Unknown error",
    "Resource device",
    "File exists",
    "Improper link",
    "No such device",
    "Not a directory",
    "Is a directory",
    "Invalid argument",
    "Too many open files in system",
    "Too many open files",
    "Inappropriate I/O control operation",
    "Unknown error",
    "File too large",
    "No space left on device",
    "Invalid seek",
    "Read-only file system",
    "Too many links",
    "Broken pipe",
    "Domain error",
    "Result too large",
    "Unknown error",
    "Resource deadlock avoided",
    "Unknown error",
    "Filename too long",
    "No locks available",
    "Function not implemented",
    "Directory not empty",
    "Illegal byte sequence",
};
const int system_error_count = sizeof system_error_messages / sizeof system_error_messages[0];

struct DefaultMessage {
    int32_t code;
    const char *text;
};

static const DefaultMessage default_messages[] = {
    {ERR_NONE, "No error generated."},
    {ERR_FILE_OPEN, "Failed to open file!"},
    {ERR_FILE_READ, "Could not read from file!"},
    {ERR_FILE_WRITE, "Could not write to file!"},
    {ERR_NO_MEMORY, "Not enough memory to allocate pointer!"},
    {ERR_INDEX_OVERFLOW, "General array index overflow detected!"},
    {ERR_CORRUPT_HEAP, "Critical...Corrupt heap space detected!"},
    {ERR_TABLE_FULL, "Maximum array index reached, could not add entry!"},
    {ERR_NULL_POINTER, "Received invalid NULL pointer!"},
    {ERR_INVALID_INPUT, "Invalid input received!"},
    {ERR_ALLOC_TOO_LARGE, "Cannot allocate more than UINT_MAX bytes at a time!"},
    {ERR_GRAPHICS, "Graphics mode related error."},
    {ERR_MOUSE, "Mouse related error."},
    {ERR_KEYBOARD, "Keyboard related error."},
    {ERR_STRING_BOUNDS, "String bounds overflow!"},
    {ERR_OVERFLOW, "Received input that would result in an overflow!"},
};

ERR_RECORD::ERR_RECORD() : code(0), message(nullptr), initialised(true) {}

ERR_RECORD::~ERR_RECORD()
{
    std::free(message);
    message = nullptr;
    code = 0;
}

void register_generr() { reg_db.add_program("GENERR", "0.2a", GENERR_AUTHOR, "28 Nov 1998"); }

static void destroy_error_db() { error_db.clear_errors(); }

void construct_error_db()
{
    error_db.init_errors();
    std::atexit(destroy_error_db);
}

bool ERR_TYPE::add_error(int32_t code, const char *message)
{
    if (!initialised)
        init_errors();
    if (num_errors >= MAX_ERRORS) {
        write_logfile("GENERR - add_error(): Maximum number of errors %d exceeded!", MAX_ERRORS);
        return false;
    }
    void *memory = plat_malloc(sizeof(ERR_RECORD));
    if (!memory)
        std::exit(0); // nothing sensible can be reported without a table
    ERR_RECORD *record = new (memory) ERR_RECORD();
    errors[num_errors] = record;
    record->code = code;
    record->message = create_ptr(message);
    ++num_errors;
    return true;
}

void ERR_TYPE::init_errors()
{
    if (initialised)
        return;
    num_errors = 0;
    initialised = true;
    for (const DefaultMessage &m : default_messages)
        add_error(m.code, m.text);
    for (int i = 0; i < system_error_count; ++i)
        add_error(i, system_error_messages[i]);
}

int32_t ERR_TYPE::find_error(int32_t code) const
{
    for (int32_t i = 0; i < num_errors; ++i)
        if (errors[i] && errors[i]->code == code)
            return i;
    return -1;
}

const char *ERR_TYPE::get_error_msg(int32_t code)
{
    int32_t index = find_error(code);
    if (index < 0) {
        write_logfile("Error code %u not found", (unsigned)code);
        return "Specified Error code not found.";
    }
    return errors[index]->message;
}

void ERR_TYPE::clear_errors()
{
    for (int32_t i = 0; i < num_errors; ++i) {
        if (errors[i]) {
            errors[i]->~ERR_RECORD();
            std::free(errors[i]);
            errors[i] = nullptr;
        }
    }
    num_errors = 0;
}

// Lines 1 to 7 of the report: who is running, the heap, errno, the message.
static void report_head(const char *message)
{
    std::fputs("Critical Error, Program Terminated!\n", stderr);
    PROG_TYPE *current = reg_db.get_current_program();
    if (current)
        std::fprintf(stderr, "   %s, v%s - %s, %s\n\n", current->program, current->version, current->date,
                     current->created_by);
    else
        std::fprintf(stderr, "   %s, v%s - %s, %s\n\n", "GENERR", "0.2a", "28 Nov 1998", GENERR_AUTHOR);
    std::fputs("A critical error has occured and the program was terminated.  You may\n"
               "wish to record this error information along with conditions before the\n"
               "crash (what you were doing), system info (OS, config files) and send a\n"
               "bug report to the appropiate individuals.\n\n",
               stderr);
    std::fprintf(stderr, "      Heap Status: %s\n", get_heap_status());
    std::fprintf(stderr, "      Used/Free/Total Memory: %lu / %lu / %lu bytes\n", (unsigned long)get_used_memory(),
                 (unsigned long)get_free_memory(), (unsigned long)get_total_memory());
    int system_error = errno;
    if (system_error < 1)
        std::fputs("      No System Error Registered\n\n", stderr);
    else if (system_error < system_error_count)
        std::fprintf(stderr, "      System Error(%d): %s\n\n", system_error, system_error_messages[system_error]);
    else
        std::fprintf(stderr, "      System Error: %d\n\n", system_error);
    std::fprintf(stderr, "Error Message: %s\n", message ? message : "None");
}

int critical_exit_status = 0;

[[noreturn]] static void report_end()
{
    std::fputs("\n\n", stderr);
    std::fflush(stderr);
    std::exit(critical_exit_status);
}

void ERR_TYPE::critical_error(const char *message, const char *detail, ...)
{
    report_head(message);
    if (detail) {
        std::fputs("    ", stderr);
        va_list args;
        va_start(args, detail);
        std::vfprintf(stderr, detail, args);
        va_end(args);
    }
    report_end();
}

void ERR_TYPE::critical_error_code(int32_t code, const char *detail, ...)
{
    char text[256] = "";
    if (detail) {
        va_list args;
        va_start(args, detail);
        std::vsnprintf(text, sizeof text, detail, args);
        va_end(args);
    }
    critical_error(get_error_msg(code), "%s", text);
}
