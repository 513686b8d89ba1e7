// The link object on Windows: the shell's own, through COM.
#include "platform/os.h"
#include "platform/shell_link.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 paths are passed to the API as they are");

static IShellLinkA *as_link(PLAT_SHELL_LINK *link) { return reinterpret_cast<IShellLinkA *>(link); }
static IPersistFile *as_file(PLAT_PERSIST_FILE *file) { return reinterpret_cast<IPersistFile *>(file); }

PLAT_HRESULT os_link_create(PLAT_SHELL_LINK **link)
{
    if (!link)
        return E_POINTER;
    IShellLinkA *object = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void **>(&object));
    *link = SUCCEEDED(hr) ? reinterpret_cast<PLAT_SHELL_LINK *>(object) : nullptr;
    return hr;
}

void os_link_set_path(PLAT_SHELL_LINK *link, const char *target)
{
    if (link)
        as_link(link)->SetPath(target);
}

void os_link_set_description(PLAT_SHELL_LINK *link, const char *text)
{
    if (link)
        as_link(link)->SetDescription(text);
}

void os_link_set_working_dir(PLAT_SHELL_LINK *link, const char *dir)
{
    if (link)
        as_link(link)->SetWorkingDirectory(dir);
}

PLAT_HRESULT os_link_persist(PLAT_SHELL_LINK *link, PLAT_PERSIST_FILE **file)
{
    if (!file)
        return E_POINTER;
    *file = nullptr;
    if (!link)
        return E_POINTER;
    IPersistFile *facet = nullptr;
    HRESULT hr = as_link(link)->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&facet));
    if (SUCCEEDED(hr))
        *file = reinterpret_cast<PLAT_PERSIST_FILE *>(facet);
    return hr;
}

int plat_ansi_to_utf16(const char *text, char16_t *out, int units)
{
    if (!text || !out || units <= 0)
        return 0;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t *>(out), units);
    // A text that does not fit leaves the buffer partly written and unterminated.
    if (n == 0)
        out[0] = 0;
    return n;
}

PLAT_HRESULT os_persist_save(PLAT_PERSIST_FILE *file, const char16_t *path, bool remember)
{
    if (!file || !path)
        return E_POINTER;
    return as_file(file)->Save(reinterpret_cast<const wchar_t *>(path), remember ? TRUE : FALSE);
}

void os_persist_release(PLAT_PERSIST_FILE *file)
{
    if (file)
        as_file(file)->Release();
}

void os_link_release(PLAT_SHELL_LINK *link)
{
    if (link)
        as_link(link)->Release();
}
