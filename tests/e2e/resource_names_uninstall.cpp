#include "tests/e2e/resource_names.h"

#include "uninstall/resource.h"

// The IDs of uninstal.exe's question about a shared file.
const ResourceName UNINSTALL_NAMES[] = {
    RESOURCE_NAME(IDD_SHARED), RESOURCE_NAME(IDC_SHARED_PATH), RESOURCE_NAME(IDC_SHARED_ALL),
    RESOURCE_NAME(IDC_KEEP),   RESOURCE_NAME(IDC_REMOVE),      {nullptr, 0},
};
