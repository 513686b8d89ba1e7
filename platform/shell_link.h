// The Windows shell's link object (the writer of shortcut files), reduced to
// the calls the setup engine makes, in the order it makes them.
//
// On Windows these are CLSID_ShellLink with IShellLinkA and IPersistFile. The
// POSIX substitute writes the same kind of file itself, in the published
// binary shell link format, with the three properties set here.
#ifndef PLATFORM_SHELL_LINK_H
#define PLATFORM_SHELL_LINK_H

#include <cstdint>

// An HRESULT: negative means failure, any other value success.
typedef int32_t PLAT_HRESULT;
const PLAT_HRESULT PLAT_S_OK = 0;
const PLAT_HRESULT PLAT_E_FAIL = (PLAT_HRESULT)0x80004005u;
const PLAT_HRESULT PLAT_E_NOINTERFACE = (PLAT_HRESULT)0x80004002u;

// UTF-16 code units of the path handed to the save, terminator included.
const int PLAT_LINK_PATH_UNITS = 260;

struct PLAT_SHELL_LINK;   // IShellLinkA
struct PLAT_PERSIST_FILE; // IPersistFile of the same object

// Makes a link object (COM must be initialised on the calling thread on
// Windows). On failure *link is null and nothing needs releasing.
PLAT_HRESULT plat_link_create(PLAT_SHELL_LINK **link);
// The three properties the installer sets. As with the shell's own setters,
// their results carry nothing the installer acts on.
void plat_link_set_path(PLAT_SHELL_LINK *link, const char *target);
void plat_link_set_description(PLAT_SHELL_LINK *link, const char *text);
void plat_link_set_working_dir(PLAT_SHELL_LINK *link, const char *dir);
// The object's persist facet; it holds a reference of its own and is released
// separately. On failure *file is null.
PLAT_HRESULT plat_link_persist(PLAT_SHELL_LINK *link, PLAT_PERSIST_FILE **file);
// Converts text, terminator included, from the system ANSI code page into out
// (units code units). Returns the units written, or 0 when the text does not
// fit, with out then holding an empty string rather than a cut one.
int plat_ansi_to_utf16(const char *text, char16_t *out, int units);
// Writes the shortcut file. remember false: the object does not adopt the
// file as its current file.
PLAT_HRESULT plat_persist_save(PLAT_PERSIST_FILE *file, const char16_t *path, bool remember);
void plat_persist_release(PLAT_PERSIST_FILE *file);
void plat_link_release(PLAT_SHELL_LINK *link);

#ifndef _WIN32
// Link objects of the substitute still alive (a persist facet keeps its
// object alive). The failures and the observer of the link calls are in
// platform/fault.h.
int plat_test_live_links();
#endif

#endif
