#include "lib/genmem.h"

#include <cstring>
#include <new>

#include "platform/platform.h"
#include "lib/generr.h"
#include "lib/genutil.h"

void register_genmem() { reg_db.add_program("GENMEM", "0.2a", "Marten Koivisto", "28 November 1998"); }

char *create_ptr(const char *text)
{
    if (!text)
        return nullptr;
    size_t size = std::strlen(text) + 1;
    char *copy = static_cast<char *>(plat_malloc(size));
    if (!copy)
        error_db.critical_error_code(ERR_NO_MEMORY, "GENMEM - create_ptr(): *temp_ptr (%u)", (unsigned)size);
    std::memcpy(copy, text, size);
    return copy;
}

char *create_ptr(uint32_t size)
{
    char *block = static_cast<char *>(plat_malloc(size));
    if (!block)
        error_db.critical_error("Could not allocate memory for pointer!", "GENMEM - create_ptr(): *temp_ptr (%u)",
                                (unsigned)size);
    std::memset(block, 0, size);
    return block;
}

const char *get_heap_status()
{
    switch (plat_heap_check()) {
    case -2: return "OK";
    case -1: return "Empty";
    case -3: return "Bad (invalid start)";
    case -4: return "Bad (invalid node)";
    case -6: return "Corrupt (bad pointer)";
    default: return "Undefined";
    }
}

uint32_t get_used_memory() { return 0; }
uint32_t get_free_memory() { return 0; }
uint32_t get_total_memory() { return 0; }
