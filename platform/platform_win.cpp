// The seam on Windows: the real API, called directly.
#include "platform/os.h"
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <direct.h>
#include <malloc.h>
#include <windows.h>

#include <cstring>

static unsigned checked_length(UINT n, unsigned size)
{
    // The API returns the size needed (including the terminator) when the buffer is short.
    return (n == 0 || n >= size) ? 0 : n;
}

unsigned plat_windows_dir(char *buf, unsigned size) { return checked_length(GetWindowsDirectoryA(buf, size), size); }

unsigned plat_system_dir(char *buf, unsigned size) { return checked_length(GetSystemDirectoryA(buf, size), size); }

unsigned plat_temp_dir(char *buf, unsigned size) { return checked_length(GetTempPathA(size, buf), size); }

uint32_t plat_unique_number()
{
    static uint32_t calls = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (uint32_t)now.LowPart * 2654435761u ^ (uint32_t)GetCurrentProcessId() << 16 ^ GetTickCount() ^
           ++calls * 40503u;
}

FILE *os_fopen(const char *path, const char *mode) { return std::fopen(path, mode); }

bool plat_getcwd(char *buf, size_t size) { return _getcwd(buf, (int)size) != nullptr; }

bool plat_chdir(const char *path) { return _chdir(path) == 0; }

bool plat_mkdir(const char *path) { return _mkdir(path) == 0; }

bool os_create_dir(const char *path) { return path && CreateDirectoryA(path, nullptr) != 0; }

bool os_copy_file(const char *source, const char *destination)
{
    if (source && destination && CopyFileA(source, destination, FALSE) != 0)
        return true;
    DWORD error = GetLastError();
    errno = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? EBUSY : EACCES;
    return false;
}

void plat_sleep_ms(uint32_t ms) { Sleep(ms); }

uint32_t plat_get_attributes(const char *path)
{
    if (!path)
        return PLAT_NO_ATTRIBUTES;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PLAT_NO_ATTRIBUTES;
    // Only the bits the seam speaks of; NORMAL, COMPRESSED and the like concern no caller.
    return (uint32_t)attributes & (PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM | PLAT_ATTR_SUBDIR |
                                   PLAT_ATTR_ARCHIVE | PLAT_ATTR_REPARSE_POINT);
}

bool plat_set_attributes(const char *path, uint32_t attributes)
{
    const uint32_t settable = PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM | PLAT_ATTR_ARCHIVE;
    attributes &= settable;
    // No bit at all is spelled NORMAL.
    return path && SetFileAttributesA(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool plat_is_lead_byte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

unsigned plat_ansi_code_page() { return GetACP(); }

bool plat_ansi_to_oem(const char *text, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!text || size > INT_MAX)
        return false;
    if (GetOEMCP() == GetACP()) {
        size_t len = std::strlen(text);
        if (len >= size)
            return false;
        std::memcpy(out, text, len + 1);
        return true;
    }
    wchar_t wide[1024];
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, sizeof wide / sizeof wide[0]);
    BOOL stand_in = FALSE;
    // No best fit: "\u0152" must not become "O", nor a letter another.
    int got = units > 0
                  ? WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, units, out, (int)size, nullptr, &stand_in)
                  : 0;
    if (got <= 0 || stand_in) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool plat_program_dir(char *out, size_t size)
{
    if (!out || size == 0 || size > MAXDWORD)
        return false;
    DWORD got = GetModuleFileNameA(nullptr, out, (DWORD)size);
    // A name cut to fit the buffer is no name.
    if (got == 0 || got >= size) {
        out[0] = '\0';
        return false;
    }
    char *last = nullptr;
    for (char *p = out; *p; p = CharNextA(p))
        if (*p == '\\')
            last = p;
    if (!last) {
        out[0] = '\0';
        return false;
    }
    last[1] = '\0';
    return true;
}

bool plat_short_path(const char *path, char *out, size_t size)
{
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!path || size > MAXDWORD)
        return false;
    DWORD got = GetShortPathNameA(path, out, (DWORD)size);
    if (got == 0 || got >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

int64_t plat_file_size(const char *path)
{
    FILE *f = path ? std::fopen(path, "rb") : nullptr;
    if (!f)
        return -1;
    int64_t size = _fseeki64(f, 0, SEEK_END) == 0 ? _ftelli64(f) : -1;
    std::fclose(f);
    return size;
}

// The identity of a file or directory that is there, without reading it.
static bool file_identity(const char *path, BY_HANDLE_FILE_INFORMATION &info)
{
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool known = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return known;
}

bool plat_same_file(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    BY_HANDLE_FILE_INFORMATION fa, fb;
    bool has_a = file_identity(a, fa), has_b = file_identity(b, fb);
    if (has_a || has_b)
        return has_a && has_b && fa.dwVolumeSerialNumber == fb.dwVolumeSerialNumber &&
               fa.nFileIndexHigh == fb.nFileIndexHigh && fa.nFileIndexLow == fb.nFileIndexLow;
    char full_a[MAX_PATH], full_b[MAX_PATH];
    DWORD la = GetFullPathNameA(a, MAX_PATH, full_a, nullptr), lb = GetFullPathNameA(b, MAX_PATH, full_b, nullptr);
    return la > 0 && la < MAX_PATH && lb > 0 && lb < MAX_PATH &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, full_a, -1, full_b, -1) == CSTR_EQUAL;
}

bool plat_truncate_file(const char *path, int64_t length)
{
    if (!path || length < 0)
        return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size, at;
    at.QuadPart = length;
    bool ok = GetFileSizeEx(file, &size) &&
              (size.QuadPart <= length || (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file)));
    CloseHandle(file);
    return ok;
}

int os_heap_check() { return _heapchk(); }

// ---- removal ----------------------------------------------------------------

static PLAT_RESULT result_of(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return PLAT_MISSING;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return PLAT_IN_USE;
    case ERROR_ACCESS_DENIED: return PLAT_ACCESS_DENIED;
    case ERROR_DIR_NOT_EMPTY: return PLAT_NOT_EMPTY;
    default: return PLAT_FAILED;
    }
}

PLAT_RESULT os_delete_file(const char *path)
{
    if (!path)
        return PLAT_FAILED;
    return DeleteFileA(path) ? PLAT_DONE : result_of(GetLastError());
}

PLAT_RESULT os_remove_dir(const char *path)
{
    if (!path)
        return PLAT_FAILED;
    return RemoveDirectoryA(path) ? PLAT_DONE : result_of(GetLastError());
}

bool os_schedule_removal(const char *path)
{
    return path && MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

PLAT_RESULT os_replace_file(const char *source, const char *destination)
{
    if (!source || !destination)
        return PLAT_FAILED;
    return MoveFileExA(source, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? PLAT_DONE
               : result_of(GetLastError());
}

intptr_t plat_lock_file(const char *path, PLAT_RESULT *why)
{
    // Write access that nobody else may share: a second writer's open fails
    // with a sharing violation, while readers still get in.
    HANDLE file = path ? CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        if (why)
            *why = path ? result_of(GetLastError()) : PLAT_FAILED;
        return -1;
    }
    if (why)
        *why = PLAT_DONE;
    return (intptr_t)file;
}

void plat_unlock_file(intptr_t lock)
{
    if (lock != -1)
        CloseHandle((HANDLE)lock);
}

void os_test_reset() {} // the real API has no controls of its own

// ---- the Apps & Features entries -------------------------------------------

namespace {

const char UNINSTALL_SUBKEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

PLAT_RESULT reg_result(LONG error) { return error == ERROR_SUCCESS ? PLAT_DONE : result_of((DWORD)error); }

// "Uninstall\name" below HKEY_LOCAL_MACHINE; false when it does not fit.
bool full_key(const char *name, char *out, size_t size)
{
    size_t root = sizeof UNINSTALL_SUBKEY - 1, len = name ? std::strlen(name) : 0;
    if (!name || !name[0] || root + 1 + len >= size)
        return false;
    std::memcpy(out, UNINSTALL_SUBKEY, root);
    out[root] = '\\';
    std::memcpy(out + root + 1, name, len + 1);
    return true;
}

// The key opened in the 64-bit view, whichever build asks.
PLAT_RESULT open_key(const char *name, REGSAM access, HKEY *key)
{
    char path[2 * MAX_PATH];
    if (!full_key(name, path, sizeof path))
        return PLAT_FAILED;
    return reg_result(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access | KEY_WOW64_64KEY, key));
}

} // namespace

PLAT_RESULT os_reg_create_key(const char *name, bool *existed)
{
    char path[2 * MAX_PATH];
    if (!full_key(name, path, sizeof path))
        return PLAT_FAILED;
    HKEY key;
    DWORD disposition = 0;
    LONG error = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, &disposition);
    if (error != ERROR_SUCCESS)
        return reg_result(error);
    RegCloseKey(key);
    if (existed)
        *existed = disposition == REG_OPENED_EXISTING_KEY;
    return PLAT_DONE;
}

PLAT_RESULT os_reg_set(const char *name, const char *value_name, uint32_t type, const void *data, uint32_t size)
{
    HKEY key;
    PLAT_RESULT opened = open_key(name, KEY_SET_VALUE, &key);
    if (opened != PLAT_DONE)
        return opened;
    LONG error = RegSetValueExA(key, value_name, 0, type, static_cast<const BYTE *>(data), size);
    RegCloseKey(key);
    return reg_result(error);
}

PLAT_RESULT os_reg_get(const char *name, const char *value_name, uint32_t *type, void *data, uint32_t size)
{
    HKEY key;
    PLAT_RESULT opened = open_key(name, KEY_QUERY_VALUE, &key);
    if (opened != PLAT_DONE)
        return opened;
    DWORD kind = 0, got = size;
    LONG error = RegQueryValueExA(key, value_name, nullptr, &kind, static_cast<BYTE *>(data), &got);
    RegCloseKey(key);
    if (error == ERROR_MORE_DATA)
        return PLAT_FAILED;
    if (error != ERROR_SUCCESS)
        return reg_result(error);
    if (type)
        *type = kind;
    // A string stored without its terminator comes back without one.
    if (kind == REG_SZ || kind == REG_EXPAND_SZ) {
        char *text = static_cast<char *>(data);
        if (got == 0 || text[got - 1] != '\0') {
            if (got >= size)
                return PLAT_FAILED;
            text[got] = '\0';
        }
    }
    return PLAT_DONE;
}

PLAT_RESULT os_reg_value_name(const char *name, uint32_t index, char *out, uint32_t size)
{
    HKEY key;
    PLAT_RESULT opened = open_key(name, KEY_QUERY_VALUE, &key);
    if (opened != PLAT_DONE)
        return opened;
    DWORD len = size;
    LONG error = RegEnumValueA(key, index, out, &len, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (error == ERROR_NO_MORE_ITEMS)
        return PLAT_MISSING;
    return error == ERROR_MORE_DATA ? PLAT_FAILED : reg_result(error);
}

PLAT_RESULT os_reg_count(const char *name, uint32_t *values, uint32_t *subkeys)
{
    HKEY key;
    PLAT_RESULT opened = open_key(name, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &key);
    if (opened != PLAT_DONE)
        return opened;
    DWORD keys = 0, vals = 0;
    LONG error = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &vals, nullptr, nullptr,
                                  nullptr, nullptr);
    RegCloseKey(key);
    if (values)
        *values = vals;
    if (subkeys)
        *subkeys = keys;
    return reg_result(error);
}

PLAT_RESULT os_reg_delete_key(const char *name)
{
    uint32_t subkeys = 0;
    PLAT_RESULT counted = os_reg_count(name, nullptr, &subkeys);
    if (counted != PLAT_DONE)
        return counted;
    if (subkeys > 0)
        return PLAT_NOT_EMPTY;
    char path[2 * MAX_PATH];
    if (!full_key(name, path, sizeof path))
        return PLAT_FAILED;
    // RegDeleteKeyExA picks the view; Windows without it (32-bit XP) has
    // only one view, which RegDeleteKeyA reaches.
    typedef LONG(WINAPI * DELETE_KEY_EX)(HKEY, LPCSTR, REGSAM, DWORD);
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    DELETE_KEY_EX delete_ex =
        advapi
            ? reinterpret_cast<DELETE_KEY_EX>(reinterpret_cast<void (*)()>(GetProcAddress(advapi, "RegDeleteKeyExA")))
            : nullptr;
    LONG error =
        delete_ex ? delete_ex(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0) : RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    return reg_result(error);
}
