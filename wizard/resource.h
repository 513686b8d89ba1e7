// Resource IDs of setup.exe: the string table, icons, menu, dialog templates
// and their controls. Shared by the resource script and the C++ sources.
#ifndef WIZARD_RESOURCE_H
#define WIZARD_RESOURCE_H

// String table
#define IDS_WINDOW_TITLE 103
#define IDS_WINDOW_CLASS 109

// Icon groups: the class icon (32x32 and 16x16) and the small class icon
#define IDI_SETUP 107
#define IDI_SMALL 108

// Menu resource and its one command
#define IDM_SETUP 109
#define IDM_EXIT 105

// Dialog templates
#define IDD_MESSAGE 129
#define IDD_SELECT_DIR 130
#define IDD_INSTALLING 131
#define IDD_SHORTCUT 132
#define IDD_OVERWRITE 133

// Controls. 1002 is the text of templates 129 and 131 and the Browse button
// of 130; 1009 is a text on 131 and 132.
#define IDC_MAIN 1000
#define IDC_CANCEL 1001
#define IDC_TEXT 1002
#define IDC_BROWSE_DIR 1002
#define IDC_SELECT_TEXT 1004
#define IDC_INSTALL_PATH 1006
#define IDC_PROGRESS 1007
#define IDC_FILE_LINE 1008
#define IDC_DEST_PATH 1009
#define IDC_SHORTCUT_TEXT 1009
#define IDC_SHORTCUT_FOLDER 1010
#define IDC_BROWSE_SHORTCUT 1012
#define IDC_SKIP_SHORTCUT 1013
#define IDC_OVERWRITE_PATH 1014
#define IDC_SKIP_FILE 1015
#define IDC_OVERWRITE_FILE 1016
#define IDC_ABORT_SETUP 1017

#endif
