// GENERR: the numbered error messages, the current error code and the
// critical error report.
#ifndef LIB_GENERR_H
#define LIB_GENERR_H

#include <cstdint>

#include "lib/error_codes.h"

// The exit status after the critical error report: 0 unless a program
// whose statuses must tell a failure from success (setup.exe started with
// options) sets its own.
extern int critical_exit_status;

// The current error code: set by every failing operation, never cleared here.
// It may also hold a runtime errno value (Windows runtime numbering).
extern int32_t err_code;

const int MAX_ERRORS = 150;

// The runtime's messages for errno values 0 to 42, carried by the program so
// that Linux and Windows builds read alike.
extern const char *const system_error_messages[];
extern const int system_error_count;

class ERR_RECORD {
public:
    int32_t code;
    char *message; // owned; null when added without text
    bool initialised;

    ERR_RECORD();
    ~ERR_RECORD();
};

// The error table. The one instance, error_db, is constant-initialised (all
// zero, not initialised) so that static initialisers in any translation unit
// may use it before start-up reaches it; the first add fills it.
class ERR_TYPE {
public:
    ERR_RECORD *errors[MAX_ERRORS];
    int32_t num_errors;
    bool initialised;

    constexpr ERR_TYPE() : errors{}, num_errors(0), initialised(false) {}

    // Adds a record holding a copy of message (null stays null). False, with
    // a debug-log line and nothing changed, when the table is full.
    bool add_error(int32_t code, const char *message);
    // Index of the first record with this code, or -1.
    int32_t find_error(int32_t code) const;
    // The first matching record's text (owned by the table; may be null), or
    // "Specified Error code not found." for an unknown code.
    const char *get_error_msg(int32_t code);
    // Fills an uninitialised table with ERR_NONE, ERR_FILE_OPEN to ERR_OVERFLOW and
    // the system messages.
    void init_errors();
    // Frees every record; the table stays initialised.
    void clear_errors();

    // Write the critical error report to stderr and exit with critical_exit_status.
    [[noreturn]] void critical_error(const char *message, const char *detail, ...);
    [[noreturn]] void critical_error_code(int32_t code, const char *detail, ...);
};

extern ERR_TYPE error_db;

// The constructor's work for error_db, run once by the start-up sequence:
// initialise the table (a no-op when an earlier add did) and have it cleared at exit.
void construct_error_db();

// GENERR's registration in the module registry.
void register_generr();

#endif
