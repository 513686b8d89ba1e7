// Inside the seam: the per-platform half of every call that a test can make
// fail. platform_common.cpp asks the fault point first and only then calls
// these; platform_win.cpp and shell_link_win.cpp implement them with the real
// API, platform_posix.cpp and shell_link_posix.cpp with the substitute. Not
// for use outside platform/.
#ifndef PLATFORM_OS_H
#define PLATFORM_OS_H

#include <cstdio>

#include "platform/platform.h"
#include "platform/shell_link.h"

FILE *os_fopen(const char *path, const char *mode);
bool os_create_dir(const char *path);
bool os_copy_file(const char *source, const char *destination);
PLAT_RESULT os_delete_file(const char *path);
PLAT_RESULT os_remove_dir(const char *path);
bool os_schedule_removal(const char *path);
PLAT_RESULT os_replace_file(const char *source, const char *destination);
int os_heap_check();
PLAT_RESULT os_reg_create_key(const char *name, bool *existed);
PLAT_RESULT os_reg_set(const char *name, const char *value_name, uint32_t type, const void *data, uint32_t size);
PLAT_RESULT os_reg_get(const char *name, const char *value_name, uint32_t *type, void *data, uint32_t size);
PLAT_RESULT os_reg_value_name(const char *name, uint32_t index, char *out, uint32_t size);
PLAT_RESULT os_reg_count(const char *name, uint32_t *values, uint32_t *subkeys);
PLAT_RESULT os_reg_delete_key(const char *name);

PLAT_HRESULT os_link_create(PLAT_SHELL_LINK **link);
void os_link_set_path(PLAT_SHELL_LINK *link, const char *target);
void os_link_set_description(PLAT_SHELL_LINK *link, const char *text);
void os_link_set_working_dir(PLAT_SHELL_LINK *link, const char *dir);
PLAT_HRESULT os_link_persist(PLAT_SHELL_LINK *link, PLAT_PERSIST_FILE **file);
PLAT_HRESULT os_persist_save(PLAT_PERSIST_FILE *file, const char16_t *path, bool remember);
void os_persist_release(PLAT_PERSIST_FILE *file);
void os_link_release(PLAT_SHELL_LINK *link);

// Back to their defaults: the controls that only one backend has (the
// substitute's code page and way of copying; nothing on Windows).
void os_test_reset();

#ifndef _WIN32
// The drive letter of the host path when it lies in a drive folder,
// <root>/<letter> or below it, else '\0'; *rest (may be null) then points
// after the letter, at "" or "/...".
char os_drive_in(const char *host, const char *root, const char **rest);
#endif

// ---- the fault point (fault.cpp) ----

enum FAULT_SITE {
    SITE_ALLOC,
    SITE_OPEN,
    SITE_CREATE_DIR,
    SITE_COPY,
    SITE_DELETE,
    SITE_REMOVE_DIR,
    SITE_REPLACE,
    SITE_SCHEDULE,
    SITE_LINK_CREATE,
    SITE_LINK_PERSIST,
    SITE_LINK_SAVE,
    SITE_REGISTRY,
    SITE_COUNT
};

// True when this call of site is to fail. Counts the call.
bool fault_fires(FAULT_SITE site);
// The result a failing removal call reports (PLAT_FAILED unless a test chose another).
PLAT_RESULT fault_result(FAULT_SITE site);
// Whether a failing copy leaves no file behind while reporting success.
bool copy_fault_loses_file();
// Whether it fails as a destination held open by another program.
bool copy_fault_in_use();

// What becomes of the write at hand: it goes out, or the disk is full (half
// of it reaches the disk the first time, nothing later), told or not.
enum WRITE_FATE { WRITE_WHOLE, WRITE_HALF_FAILS, WRITE_HALF_LOST, WRITE_NOTHING };
WRITE_FATE write_fate();

// A forced heap check result, or 0.
int forced_heap_result();
// Tells the observer of the link calls, if a test set one.
void tell_link_call(const char *call);
// Notes a removal at restart that the platform accepted.
void record_scheduled(const char *path);

#endif
