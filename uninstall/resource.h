// Resource IDs of uninstal.exe, shared by the resource script and the front.
#ifndef UNINSTALL_RESOURCE_H
#define UNINSTALL_RESOURCE_H

#define IDI_UNINSTALL 107

// The question about a file in the Windows or system directory
#define IDD_SHARED 201
#define IDC_SHARED_PATH 1001
#define IDC_SHARED_ALL 1002
#define IDC_KEEP 1003
#define IDC_REMOVE 1004

#endif
