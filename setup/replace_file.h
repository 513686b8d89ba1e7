// Putting a file in place over whatever stands at its destination.
#ifndef SETUP_REPLACE_FILE_H
#define SETUP_REPLACE_FILE_H

// Copies source to destination as the installer places its files. A
// read-only, hidden or system file at the destination is made plain first,
// since Windows replaces none of them, and gets its attributes back when the
// copy fails. The copy does not keep a read-only attribute taken over from
// the source: a program installed from read-only media must be able to
// change its own files. False when the copy fails; in_use (may be null) then
// tells whether another program holds the destination open.
bool replace_file(const char *source, const char *destination, bool *in_use = nullptr);

#endif
