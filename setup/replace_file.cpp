#include "setup/replace_file.h"

#include "platform/platform.h"

bool replace_file(const char *source, const char *destination, bool *in_use)
{
    if (in_use)
        *in_use = false;
    const uint32_t blocking = PLAT_ATTR_READONLY | PLAT_ATTR_HIDDEN | PLAT_ATTR_SYSTEM;
    uint32_t before = plat_get_attributes(destination);
    bool cleared = before != PLAT_NO_ATTRIBUTES && !(before & PLAT_ATTR_SUBDIR) && (before & blocking) &&
                   plat_set_attributes(destination, before & ~blocking);
    if (!plat_copy_file(source, destination)) {
        // Windows refuses a copy onto the source itself as a sharing
        // violation too, which no closed program would let through.
        if (in_use)
            *in_use = plat_copy_failure() == PLAT_IN_USE && !plat_same_file(source, destination);
        // The old file stays as the user had it.
        if (cleared)
            plat_set_attributes(destination, before);
        return false;
    }
    // The file is in place either way; one left read-only is no reason to fail the setup.
    uint32_t after = plat_get_attributes(destination);
    if (after != PLAT_NO_ATTRIBUTES && (after & PLAT_ATTR_READONLY))
        plat_set_attributes(destination, after & ~PLAT_ATTR_READONLY);
    return true;
}
