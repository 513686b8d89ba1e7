// The files that setup reads from the directory it runs in.
#include "setup/inputs.h"

#include "lib/generr.h"
#include "platform/platform.h"
#include "setup/log_format.h"
#include "setup/setup.h"

namespace {

// Reads on past a refused line, so that every listed name is known.
class READ_ALL : public INI_OBSERVER {
public:
    bool line_read(const INI_LINE &) override { return true; }
};

} // namespace

bool is_setup_input(const char *path)
{
    if (!path || !path[0])
        return false;
    // The names that the fronts and the setup log read and copy.
    static const char *const own[] = {"setup.ini", UNINSTALLER_NAME};
    for (const char *name : own)
        if (plat_same_file(path, name))
            return true;
    SETUP_TYPE listed;
    READ_ALL read_all;
    int32_t saved = err_code;
    listed.load_ini("setup.ini", &read_all);
    err_code = saved;
    for (int32_t i = 0; i < listed.num_files; ++i)
        if (plat_same_file(path, listed.files[i]->name))
            return true;
    return false;
}
