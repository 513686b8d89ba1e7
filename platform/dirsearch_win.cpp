// The directory search on Windows: the runtime's _findfirst family.
#include "platform/dirsearch.h"

#include <cerrno>
#include <cstring>
#include <io.h>

// The runtime's times may be 64 bits wide; ours are 32.
template <typename T> static int32_t time32(T t) { return (t < (T)INT32_MIN || t > (T)INT32_MAX) ? -1 : (int32_t)t; }

static void copy_record(const struct _finddata_t &in, plat_finddata *out)
{
    out->attrib = (uint32_t)in.attrib;
    out->time_create = time32(in.time_create);
    out->time_access = time32(in.time_access);
    out->time_write = time32(in.time_write);
    out->size = (uint32_t)in.size;
    size_t n = strnlen(in.name, sizeof in.name);
    if (n >= sizeof out->name)
        n = sizeof out->name - 1;
    std::memcpy(out->name, in.name, n);
    out->name[n] = '\0';
}

intptr_t plat_findfirst(const char *pattern, plat_finddata *record)
{
    // The runtime's invalid-parameter handler may end the program on a null.
    if (!pattern || !record) {
        errno = EINVAL;
        return -1;
    }
    struct _finddata_t data;
    intptr_t handle = _findfirst(pattern, &data);
    if (handle != -1)
        copy_record(data, record);
    return handle;
}

int plat_findnext(intptr_t handle, plat_finddata *record)
{
    if (handle == -1 || !record) {
        errno = EINVAL;
        return -1;
    }
    struct _finddata_t data;
    if (_findnext(handle, &data) != 0)
        return -1;
    copy_record(data, record);
    return 0;
}

int plat_findclose(intptr_t handle)
{
    if (handle == -1) {
        errno = EINVAL;
        return -1;
    }
    return _findclose(handle) == 0 ? 0 : -1;
}
