// GENSTRIN: string helpers.
#ifndef LIB_GENSTRIN_H
#define LIB_GENSTRIN_H

// Removes trailing spaces and tabs in place; returns text (null: 58, null).
char *trim_right(char *text);
// Pointer to the first character that is not a space or tab (null: 58, null).
char *trim_left(char *text);
// Appends c; the caller provides room for it (null: 58, false).
bool chrcat(char *text, char c);

void register_genstrin();

#endif
