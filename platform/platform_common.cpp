// Parts of the seam that are the same on every platform: the calls that a
// test can make fail ask the fault point first and then the platform's own
// half (os.h), so that a fault test runs against Windows as it does against
// the substitute.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/os.h"
#include "platform/platform.h"
#include "platform/shell_link.h"

void *plat_malloc(size_t size)
{
    if (fault_fires(SITE_ALLOC))
        return nullptr;
    // malloc(0) may legally return null; ask for one byte so null always means failure.
    return std::malloc(size ? size : 1);
}

const char *plat_char_next(const char *p)
{
    if (!p || !*p)
        return p;
    // A lead byte at the very end has no second byte to take.
    return (plat_is_lead_byte((unsigned char)p[0]) && p[1]) ? p + 2 : p + 1;
}

FILE *plat_fopen(const char *path, const char *mode)
{
    if (fault_fires(SITE_OPEN)) {
        errno = EACCES;
        return nullptr;
    }
    return os_fopen(path, mode);
}

size_t plat_fwrite(const void *data, size_t size, FILE *stream)
{
    if (!stream || (!data && size > 0))
        return 0;
    WRITE_FATE fate = write_fate();
    if (fate == WRITE_WHOLE)
        return std::fwrite(data, 1, size, stream);
    if (fate == WRITE_NOTHING) {
        errno = ENOSPC;
        return 0;
    }
    // The disk fills up in the middle of this write: the first half reaches
    // it, and the runtime reports that, or (as some do) the whole.
    size_t half = std::fwrite(data, 1, size / 2, stream);
    std::fflush(stream);
    if (fate == WRITE_HALF_LOST)
        return size;
    errno = ENOSPC;
    return half;
}

bool plat_create_dir(const char *path)
{
    if (fault_fires(SITE_CREATE_DIR)) {
        errno = EACCES;
        return false;
    }
    return os_create_dir(path);
}

static PLAT_RESULT last_copy_failure = PLAT_FAILED;

PLAT_RESULT plat_copy_failure() { return last_copy_failure; }

bool plat_copy_file(const char *source, const char *destination)
{
    last_copy_failure = PLAT_FAILED;
    if (fault_fires(SITE_COPY)) {
        if (copy_fault_in_use()) {
            last_copy_failure = PLAT_IN_USE;
            errno = EBUSY;
            return false;
        }
        if (!copy_fault_loses_file()) {
            errno = EACCES;
            return false;
        }
        if (destination)
            os_delete_file(destination);
        return true;
    }
    errno = 0;
    if (os_copy_file(source, destination))
        return true;
    // Each backend reports a sharing violation at the destination as EBUSY.
    if (errno == EBUSY)
        last_copy_failure = PLAT_IN_USE;
    return false;
}

int plat_heap_check()
{
    int forced = forced_heap_result();
    return forced ? forced : os_heap_check();
}

PLAT_RESULT plat_delete_file(const char *path)
{
    return fault_fires(SITE_DELETE) ? fault_result(SITE_DELETE) : os_delete_file(path);
}

PLAT_RESULT plat_remove_dir(const char *path)
{
    return fault_fires(SITE_REMOVE_DIR) ? fault_result(SITE_REMOVE_DIR) : os_remove_dir(path);
}

bool plat_schedule_removal(const char *path)
{
    if (fault_fires(SITE_SCHEDULE) || !os_schedule_removal(path))
        return false;
    record_scheduled(path);
    return true;
}

PLAT_RESULT plat_replace_file(const char *source, const char *destination)
{
    return fault_fires(SITE_REPLACE) ? fault_result(SITE_REPLACE) : os_replace_file(source, destination);
}

// ---- the Apps & Features entries ----

const char PLAT_UNINSTALL_ROOT[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char PLAT_REGISTRY_FILE[] = "uninstall-keys.txt";

PLAT_RESULT plat_reg_create_key(const char *name, bool *existed)
{
    if (existed)
        *existed = false;
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY) : os_reg_create_key(name, existed);
}

PLAT_RESULT plat_reg_set_string(const char *name, const char *value_name, const char *text)
{
    if (fault_fires(SITE_REGISTRY))
        return fault_result(SITE_REGISTRY);
    return text ? os_reg_set(name, value_name, PLAT_REG_SZ, text, (uint32_t)std::strlen(text) + 1) : PLAT_FAILED;
}

PLAT_RESULT plat_reg_set_dword(const char *name, const char *value_name, uint32_t number)
{
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY)
                                      : os_reg_set(name, value_name, PLAT_REG_DWORD, &number, sizeof number);
}

PLAT_RESULT plat_reg_get(const char *name, const char *value_name, uint32_t *type, void *data, uint32_t size)
{
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY) : os_reg_get(name, value_name, type, data, size);
}

PLAT_RESULT plat_reg_value_name(const char *name, uint32_t index, char *out, uint32_t size)
{
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY) : os_reg_value_name(name, index, out, size);
}

PLAT_RESULT plat_reg_count(const char *name, uint32_t *values, uint32_t *subkeys)
{
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY) : os_reg_count(name, values, subkeys);
}

PLAT_RESULT plat_reg_delete_key(const char *name)
{
    return fault_fires(SITE_REGISTRY) ? fault_result(SITE_REGISTRY) : os_reg_delete_key(name);
}

// ---- the link object ----

PLAT_HRESULT plat_link_create(PLAT_SHELL_LINK **link)
{
    tell_link_call("create");
    if (fault_fires(SITE_LINK_CREATE)) {
        if (link)
            *link = nullptr;
        return PLAT_E_FAIL;
    }
    return os_link_create(link);
}

void plat_link_set_path(PLAT_SHELL_LINK *link, const char *target)
{
    tell_link_call("set_path");
    os_link_set_path(link, target);
}

void plat_link_set_description(PLAT_SHELL_LINK *link, const char *text)
{
    tell_link_call("set_description");
    os_link_set_description(link, text);
}

void plat_link_set_working_dir(PLAT_SHELL_LINK *link, const char *dir)
{
    tell_link_call("set_working_dir");
    os_link_set_working_dir(link, dir);
}

PLAT_HRESULT plat_link_persist(PLAT_SHELL_LINK *link, PLAT_PERSIST_FILE **file)
{
    tell_link_call("persist");
    if (fault_fires(SITE_LINK_PERSIST)) {
        if (file)
            *file = nullptr;
        return PLAT_E_NOINTERFACE;
    }
    return os_link_persist(link, file);
}

PLAT_HRESULT plat_persist_save(PLAT_PERSIST_FILE *file, const char16_t *path, bool remember)
{
    tell_link_call("save");
    return fault_fires(SITE_LINK_SAVE) ? PLAT_E_FAIL : os_persist_save(file, path, remember);
}

void plat_persist_release(PLAT_PERSIST_FILE *file)
{
    tell_link_call("release_persist");
    os_persist_release(file);
}

void plat_link_release(PLAT_SHELL_LINK *link)
{
    tell_link_call("release_link");
    os_link_release(link);
}
