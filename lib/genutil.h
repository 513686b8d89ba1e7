// GENUTIL: the registry of the library's modules, the static-initialisation
// hook and the library's start-up sequence.
#ifndef LIB_GENUTIL_H
#define LIB_GENUTIL_H

#include <cstdint>
#include <cstdio>

const int MAX_PROGRAMS = 20;

// GENUTIL's and GENERR's author texts; GENERR's identity heads a critical
// report made when the registry has no current entry.
extern const char *const GENUTIL_AUTHOR;
extern const char *const GENERR_AUTHOR;

class PROG_TYPE {
public:
    char *program; // all four owned, any may be null
    char *version;
    char *created_by;
    char *date;

    PROG_TYPE();
    PROG_TYPE(const char *program, const char *version, const char *created_by, const char *date);
    ~PROG_TYPE();
    // Frees the four texts and takes copies of the given ones.
    void assign(const char *program, const char *version, const char *created_by, const char *date);
};

// The module registry; reg_db is constant-initialised like error_db.
class REG_TYPE {
public:
    bool initialised;
    PROG_TYPE *programs[MAX_PROGRAMS];
    int32_t num_programs;
    int32_t current_program;

    constexpr REG_TYPE() : initialised(false), programs{}, num_programs(0), current_program(-1) {}

    // False with err_code ERR_TABLE_FULL when the registry is full. A failed entry
    // allocation ends the program with the critical report.
    bool add_program(const char *program, const char *version, const char *created_by, const char *date);
    // As add_program; on success the new entry becomes the current one,
    // on failure there is no current entry.
    bool add_current_program(const char *program, const char *version, const char *created_by, const char *date);
    // The entry at index, or null with err_code ERR_INDEX_OVERFLOW.
    PROG_TYPE *get_program(int32_t index);
    PROG_TYPE *get_current_program();
    // Writes the count line and, per flag bit (1 name, 2 version, 4 date,
    // 8 author), each entry's fields. False with ERR_NULL_POINTER on a null stream.
    bool dump_programs(FILE *stream, int flags);
    // Fills an uninitialised registry with GENUTIL as the current entry.
    void init_programs();
    // Frees every entry; the registry stays initialised.
    void clear_programs();
};

extern REG_TYPE reg_db;

// Calls fn (unless null) from its constructor: a static INIT_TYPE runs code
// during static initialisation.
class INIT_TYPE {
public:
    explicit INIT_TYPE(void (*fn)());
};

// Character classes. The separator and punctuation tests look only at the
// low 8 bits of c; the other two take c as it is, so a negative (signed
// char above 127) is never printable.
bool is_comment_char(int c);     // ';' and '#'
bool is_printable_char(int c);   // 32 to 126
bool is_separator_char(int c);   // space, '-', '/', '\'
bool is_punctuation_char(int c); // space ! " ' ( ) , - . : ; ? [ ] ` and 252 to 255

// 1 << n for 0 <= n <= 31. Other n, 32 included (it does not fit): ERR_OVERFLOW, 0.
uint32_t bit_mask32(int32_t n);
// 1 << n for 0 <= n <= 16 (16 gives 65536). Other n: ERR_OVERFLOW, 0.
uint32_t bit_mask16(int32_t n);
// -1, 0 or 1.
int sign_of(int32_t value);
// Exchanges the two values; the same integer twice stays as it is.
void swap_ints(int32_t &a, int32_t &b);

void construct_reg_db();

// Builds the library's globals in their fixed order: FILEUTIL registers,
// error_db is constructed, GENERR, GENMEM and GENSTRIN register, reg_db is
// constructed. Runs once; later calls do nothing. A static initialiser of
// this module calls it, and so does the program's own start-up, so the order
// never depends on the order in which the linker places translation units.
void start_library();

#endif
