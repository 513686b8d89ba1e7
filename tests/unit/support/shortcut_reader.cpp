#include "tests/unit/support/shortcut_reader.h"

#ifndef _WIN32
#include <climits>
#include <cstdio>
#include <sys/wait.h>

#include "platform/platform.h"

// The value of a line "\t<label>\t\t: <value>", or false when there is none.
static bool field_of(const std::string &output, const std::string &label, std::string &value)
{
    size_t at = output.find("\t" + label + "\t");
    if (at == std::string::npos)
        return false;
    size_t colon = output.find(": ", at);
    size_t end = output.find('\n', at);
    if (colon == std::string::npos || colon > end)
        return false;
    value = output.substr(colon + 2, end - colon - 2);
    return true;
}

bool read_shortcut(const std::string &dos_path, LnkFields &fields, std::string &error)
{
    char host[PATH_MAX];
    if (!plat_host_path(dos_path.c_str(), host, sizeof host)) {
        error = "no host path for " + dos_path;
        return false;
    }
    std::string quoted = "'";
    for (const char *c = host; *c; ++c)
        quoted += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    quoted += "'";
    FILE *pipe = popen(("lnkinfo " + quoted + " 2>&1").c_str(), "r");
    if (!pipe) {
        error = "cannot start lnkinfo";
        return false;
    }
    std::string output;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        output.append(buf, n);
    int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = WIFEXITED(status) && WEXITSTATUS(status) == 127
                    ? "lnkinfo not found: install liblnk-utils"
                    : "lnkinfo failed on " + std::string(host) + ":\n" + output;
        return false;
    }
    fields = LnkFields();
    field_of(output, "Description", fields.description);
    field_of(output, "Working directory", fields.working_dir);
    if (!field_of(output, "Local path", fields.local_path)) {
        error = "lnkinfo shows no local path:\n" + output;
        return false;
    }
    return true;
}

#else
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

bool read_shortcut(const std::string &dos_path, LnkFields &fields, std::string &error)
{
    IShellLinkA *link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void **>(&link));
    if (FAILED(hr)) {
        error = "no shell link object (is COM initialised?)";
        return false;
    }
    IPersistFile *file = nullptr;
    wchar_t wide[MAX_PATH];
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) &&
              MultiByteToWideChar(CP_ACP, 0, dos_path.c_str(), -1, wide, MAX_PATH) > 0 &&
              SUCCEEDED(file->Load(wide, STGM_READ));
    if (ok) {
        char text[1024];
        fields = LnkFields();
        if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH)))
            fields.local_path = text;
        if (SUCCEEDED(link->GetDescription(text, sizeof text)))
            fields.description = text;
        if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
            fields.working_dir = text;
    } else {
        error = "the shell cannot load " + dos_path;
    }
    if (file)
        file->Release();
    link->Release();
    return ok;
}
#endif
