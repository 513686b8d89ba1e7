// GENSTRIN: string helpers.
#ifndef LIB_GENSTRIN_H
#define LIB_GENSTRIN_H

#include <cstdarg>
#include <cstdint>

#include "platform/path_text.h" // ascii_lower

// Removes trailing spaces and tabs in place; returns text (null: ERR_NULL_POINTER,
// null).
char *trim_right(char *text);
// Pointer to the first character that is not a space or tab (null: ERR_NULL_POINTER,
// null).
char *trim_left(char *text);
// Appends c; the caller provides room for it (null: ERR_NULL_POINTER, false).
bool chrcat(char *text, char c);

// Month names, index 0 for January ("June", "July" and "Sept" keep four letters).
extern const char *const short_month_names[12];
extern const char *const long_month_names[12];

// "TRUE"/"FALSE" in any case, otherwise true when the leading decimal number
// (white space, sign, digits) is not 0; no digits count as 0. Null: false, no code.
bool str_to_bool(const char *text);
// Inserts c before position (position == length appends); room for one more character
// is the caller's. Null: ERR_NULL_POINTER, false; position past the end:
// ERR_INVALID_INPUT, false.
bool insert_char(char *text, uint32_t position, char c);
// Removes the character at position. Null: ERR_NULL_POINTER, false; position at or past
// the end (no character there): ERR_INVALID_INPUT, false, text unchanged.
bool delete_char(char *text, uint32_t position);
// Removes the last character. Null: ERR_NULL_POINTER, false; empty: false, no code.
bool chop_char(char *text);
// Index of the last space, '-', '/' or '\', or -1. Null: ERR_NULL_POINTER, -1.
int32_t find_last_separator(const char *text);
// A new 1025-byte zeroed block (caller frees) holding the formatted text,
// cut after 1024 characters. Null format: ERR_NULL_POINTER, null.
char *create_format_string(const char *format, va_list args);
// value in decimal with commas between groups of three ("4,294,967,295");
// buffer needs 14 bytes. Null buffer: ERR_NULL_POINTER, null.
char *comma_number(uint32_t value, char *buffer);
// Upper-cases the first character of every blank-separated word in place.
// Null: ERR_NULL_POINTER, null.
char *capitalize_words(char *text);
// Index of the first occurrence of pattern[0..m) in text[0..n) at or after
// start, or -1; NULs compare like other characters. An empty pattern finds
// nothing. Null text or pattern: ERR_NULL_POINTER, -1.
int32_t find_substring(const char *text, const char *pattern, uint32_t n, uint32_t m, uint32_t start);
// The same, comparing upper-cased characters.
int32_t find_substring_nocase(const char *text, const char *pattern, uint32_t n, uint32_t m, uint32_t start);
// First case-insensitive occurrence of pattern in text, or null (also for an
// empty pattern). Null argument: ERR_NULL_POINTER, null.
const char *find_string_nocase(const char *text, const char *pattern);
// Copies up to count characters of source and terminates dest, which needs
// count + 1 bytes. Null dest or source: dest untouched, no code.
char *copy_chars(char *dest, const char *source, uint32_t count);
// As copy_chars, bounded by the smaller of count and limit.
char *copy_chars_limit(char *dest, const char *source, uint32_t count, uint32_t limit);
// Case-insensitive comparison of at most count characters: the difference of
// the first differing upper-cased characters (taken as signed), else 0.
// Null: ERR_NULL_POINTER, 0.
int compare_nocase(const char *first, const char *second, uint32_t count);
// Characters before the first newline; sets err_code to ERR_NONE. Null:
// ERR_NULL_POINTER, 0.
uint32_t first_line_length(const char *text);
// Characters of the longest newline-separated line. Null: ERR_NULL_POINTER, 0.
uint32_t longest_line_length(const char *text);
// 1 plus the number of newlines. Null: ERR_NULL_POINTER, 0.
uint32_t count_lines(const char *text);
// ascii_lower on every character of text, in place; returns text (null:
// ERR_NULL_POINTER, null).
char *fold_ascii(char *text);
// value in decimal into buffer (6 bytes); returns the number of digits and
// sets err_code to ERR_NONE. Null buffer: ERR_NULL_POINTER, -1.
int16_t ushort_to_digits(uint16_t value, char *buffer);

void register_genstrin();

#endif
