#include "lib/genutil.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"
#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "lib/genstrin.h"

const char *const GENUTIL_AUTHOR = "Marten Koivisto (marten.koivisto@example.net)";
const char *const GENERR_AUTHOR = "Marten Koivisto (marten.koivisto@example.net)";

REG_TYPE reg_db;

INIT_TYPE::INIT_TYPE(void (*fn)())
{
    if (fn)
        fn();
}

PROG_TYPE::PROG_TYPE() : program(nullptr), version(nullptr), created_by(nullptr), date(nullptr) {}

PROG_TYPE::PROG_TYPE(const char *p, const char *v, const char *c, const char *d) : PROG_TYPE() { assign(p, v, c, d); }

PROG_TYPE::~PROG_TYPE() { assign(nullptr, nullptr, nullptr, nullptr); }

void PROG_TYPE::assign(const char *p, const char *v, const char *c, const char *d)
{
    std::free(program);
    std::free(version);
    std::free(created_by);
    std::free(date);
    program = create_ptr(p);
    version = create_ptr(v);
    created_by = create_ptr(c);
    date = create_ptr(d);
}

static unsigned text_length(const char *s) { return s ? (unsigned)std::strlen(s) : 0; }

bool REG_TYPE::add_program(const char *program, const char *version, const char *created_by, const char *date)
{
    if (!initialised)
        init_programs();
    if (num_programs >= MAX_PROGRAMS) {
        err_code = ERR_TABLE_FULL;
        return false;
    }
    int32_t i = num_programs;
    if (programs[i]) {
        write_logfile("Warning: REG_TYPE::*programs[%d] already exists!", i);
        programs[i]->assign(program, version, created_by, date);
    } else {
        void *memory = plat_malloc(sizeof(PROG_TYPE));
        if (!memory)
            error_db.critical_error(error_db.get_error_msg(err_code), "REG_TYPE::add_program() - *programs[%d] (%u)", i,
                                    16 + text_length(program) + text_length(version) + text_length(created_by) +
                                        text_length(date));
        programs[i] = new (memory) PROG_TYPE(program, version, created_by, date);
    }
    ++num_programs;
    return true;
}

bool REG_TYPE::add_current_program(const char *program, const char *version, const char *created_by, const char *date)
{
    if (add_program(program, version, created_by, date)) {
        current_program = num_programs - 1;
        return true;
    }
    current_program = -1;
    return false;
}

PROG_TYPE *REG_TYPE::get_program(int32_t index)
{
    if (index >= 0 && index < num_programs)
        return programs[index];
    err_code = ERR_INDEX_OVERFLOW;
    return nullptr;
}

PROG_TYPE *REG_TYPE::get_current_program() { return get_program(current_program); }

bool REG_TYPE::dump_programs(FILE *stream, int flags)
{
    if (!stream) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    std::fprintf(stream, "%u Modules currently in use.\n", (unsigned)num_programs);
    if (flags == 0)
        return true;
    static const struct {
        int bit;
        const char *label;
    } fields[] = {{1, "Program: "}, {2, "         Version: "}, {4, "         Date: "}, {8, "         Created By: "}};
    for (int32_t i = 0; i < num_programs; ++i) {
        std::fprintf(stream, "     %u) ", (unsigned)(i + 1));
        PROG_TYPE *entry = get_program(i);
        if (!entry) {
            std::fputs("Pointer = NULL!\n", stream);
            continue;
        }
        const char *values[] = {entry->program, entry->version, entry->date, entry->created_by};
        for (int f = 0; f < 4; ++f)
            if (flags & fields[f].bit)
                std::fprintf(stream, "%s%s\n", fields[f].label, values[f] ? values[f] : "NULL");
    }
    return true;
}

void REG_TYPE::init_programs()
{
    if (initialised)
        return;
    for (PROG_TYPE *&slot : programs)
        slot = nullptr;
    num_programs = 0;
    current_program = -1;
    initialised = true;
    add_current_program("GENUTIL", "1.0", GENUTIL_AUTHOR, "29 Nov 1998");
}

void REG_TYPE::clear_programs()
{
    for (PROG_TYPE *&slot : programs) {
        if (slot) {
            slot->~PROG_TYPE();
            std::free(slot);
            slot = nullptr;
        }
    }
    num_programs = 0;
    current_program = -1;
}

static void destroy_reg_db() { reg_db.clear_programs(); }

void construct_reg_db()
{
    reg_db.init_programs();
    std::atexit(destroy_reg_db);
}

void start_library()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    register_fileutil();
    construct_error_db();
    register_generr();
    register_genmem();
    register_genstrin();
    construct_reg_db();
}

static INIT_TYPE library_start(start_library);

// ---- character classes and small integer operations --------------------

bool is_comment_char(int c) { return c == ';' || c == '#'; }

bool is_printable_char(int c) { return c >= 32 && c <= 126; }

bool is_separator_char(int c)
{
    c &= 0xFF;
    return c == ' ' || c == '-' || c == '/' || c == '\\';
}

bool is_punctuation_char(int c)
{
    c &= 0xFF;
    return (c != 0 && std::strchr(" !\"'(),-.:;?[]`", c) != nullptr) || c >= 252;
}

uint32_t bit_mask32(int32_t n)
{
    // 1 << 32 does not fit the result, so 32 is refused like the rest.
    if (n < 0 || n > 31) {
        err_code = ERR_OVERFLOW;
        return 0;
    }
    return (uint32_t)1 << n;
}

uint32_t bit_mask16(int32_t n)
{
    if (n < 0 || n > 16) {
        err_code = ERR_OVERFLOW;
        return 0;
    }
    return (uint32_t)1 << n;
}

int sign_of(int32_t value) { return (value > 0) - (value < 0); }

void swap_ints(int32_t &a, int32_t &b)
{
    int32_t held = a;
    a = b;
    b = held;
}
