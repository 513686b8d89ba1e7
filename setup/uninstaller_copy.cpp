#include "setup/uninstaller_copy.h"

#include <cstdio>

#include "platform/platform.h"
#include "setup/path_join.h"

void weigh_uninstaller(const char *ours, const char *there, UNINSTALLER_PLACING &placing)
{
    placing = UNINSTALLER_PLACING();
    join_path(placing.path, sizeof placing.path, there ? there : "");
    if (!ours || plat_get_attributes(ours) == PLAT_NO_ATTRIBUTES)
        return;
    placing.ours_read = plat_file_version(ours, &placing.ours);
    if (!there || plat_get_attributes(there) == PLAT_NO_ATTRIBUTES) {
        placing.choice = UNINSTALLER_PLACED;
        return;
    }
    placing.there_read = plat_file_version(there, &placing.there);
    // A file there without version information is no uninstaller of ours;
    // one of ours without it never counts as newer.
    if (placing.there_read != VERSION_FOUND)
        placing.choice = UNINSTALLER_NOT_OURS;
    else if (placing.ours_read == VERSION_FOUND && placing.ours > placing.there)
        placing.choice = UNINSTALLER_REPLACED;
    else if (placing.ours_read == VERSION_FOUND && placing.ours == placing.there)
        placing.choice = UNINSTALLER_KEPT_SAME;
    else
        placing.choice = UNINSTALLER_KEPT_NEWER;
}

bool uninstaller_copied(UNINSTALLER_CHOICE choice)
{
    return choice == UNINSTALLER_PLACED || choice == UNINSTALLER_REPLACED || choice == UNINSTALLER_NOT_OURS;
}

static void version_text(FILE_VERSION_READ read, uint64_t version, char *out, size_t size)
{
    if (read == VERSION_FOUND)
        format_file_version(version, out, size);
    else
        std::snprintf(out, size, "%s", read == VERSION_NONE ? "without version" : "unreadable");
}

void describe_uninstaller(const UNINSTALLER_PLACING &p, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    char ours[32], there[32];
    version_text(p.ours_read, p.ours, ours, sizeof ours);
    version_text(p.there_read, p.there, there, sizeof there);
    switch (p.choice) {
    case UNINSTALLER_NOT_BROUGHT: std::snprintf(out, size, "none: setup has no %s beside it", UNINSTALLER_NAME); break;
    case UNINSTALLER_PLACED: std::snprintf(out, size, "placed %s %s", p.path, ours); break;
    case UNINSTALLER_REPLACED: std::snprintf(out, size, "replaced %s %s by %s", p.path, there, ours); break;
    case UNINSTALLER_NOT_OURS: std::snprintf(out, size, "replaced %s (%s: not ours) by %s", p.path, there, ours); break;
    case UNINSTALLER_KEPT_SAME: std::snprintf(out, size, "kept %s %s: the same as this setup's", p.path, there); break;
    case UNINSTALLER_KEPT_NEWER:
        std::snprintf(out, size, "kept %s %s: this setup's (%s) is not newer", p.path, there, ours);
        break;
    }
}
