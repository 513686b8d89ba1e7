// The names that scenario scripts may use for control, dialog and command IDs:
// the programs' own names from their resource headers. Each program's table
// lives in a file of its own, so that a name that both headers define with
// different values shows as a clash instead of one silently hiding the other.
#ifndef E2E_RESOURCE_NAMES_H
#define E2E_RESOURCE_NAMES_H

#include <cstddef>

struct ResourceName {
    const char *name;
    int id;
};

// setup.exe's names (wizard/resource.h), ended by {nullptr, 0}.
extern const ResourceName SETUP_NAMES[];
// uninstal.exe's names (uninstall/resource.h), ended by {nullptr, 0}.
extern const ResourceName UNINSTALL_NAMES[];

#define RESOURCE_NAME(name)                                                                                            \
    {                                                                                                                  \
#name, name                                                                                                    \
    }

#endif
