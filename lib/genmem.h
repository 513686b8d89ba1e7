// GENMEM: allocation that never returns failure, and the heap figures.
#ifndef LIB_GENMEM_H
#define LIB_GENMEM_H

#include <cstdint>

// A new heap copy of text (caller frees with free()); null for null.
// Exhausted memory ends the program with the critical report (code ERR_NO_MEMORY).
char *create_ptr(const char *text);
// A new zeroed block of size bytes (caller frees with free()). Exhausted
// memory ends the program with the critical report.
char *create_ptr(uint32_t size);

// "OK", "Empty", "Bad (invalid start)", "Bad (invalid node)",
// "Corrupt (bad pointer)" or "Undefined", from the runtime heap check.
const char *get_heap_status();

// Kept for the report formats; always 0.
uint32_t get_used_memory();
uint32_t get_free_memory();
uint32_t get_total_memory();

void register_genmem();

#endif
