// The files that setup reads from the directory it runs in. Nothing that
// setup writes at the caller's word (the /LOG= report) may replace one: the
// report would empty the description before it is read, or be installed in
// place of a listed file.
#ifndef SETUP_INPUTS_H
#define SETUP_INPUTS_H

// True when path names, as Windows resolves names (plat_same_file), setup.ini,
// the uninstal.exe that setup copies, or a file that setup.ini lists; the
// lines after one that setup refuses count too. False for null or "".
bool is_setup_input(const char *path);

#endif
