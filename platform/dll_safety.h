// Windows only: what a program that may run as administrator does before it
// loads anything, so that no DLL comes from its own folder (a Downloads
// folder, which any web page can drop files into), the current directory or
// the PATH.
#ifndef PLATFORM_DLL_SAFETY_H
#define PLATFORM_DLL_SAFETY_H

// Restricts this process's DLL search to the system directory where Windows
// offers that (SetDefaultDllDirectories, looked up at run time: older
// Windows lacks it and must still run us), and takes the current directory
// out of the search either way. Call it first in the entry function.
void restrict_dll_search();

// InitCommonControlsEx for the given ICC_ classes, from comctl32.dll loaded
// by its full path in the system directory (comctl32 is no known DLL, so it
// is never imported by name). False when it cannot be loaded or fails.
bool init_common_controls(unsigned long classes);

#endif
