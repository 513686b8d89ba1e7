#include "lib/genstrin.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "lib/generr.h"
#include "lib/genmem.h"
#include "lib/genutil.h"

void register_genstrin() { reg_db.add_program("GENSTRIN", "0.4b", "Marten Koivisto", "10 January 1999"); }

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

char *trim_right(char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    size_t len = std::strlen(text);
    while (len > 0 && is_blank(text[len - 1]))
        text[--len] = '\0';
    return text;
}

char *trim_left(char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    while (is_blank(*text))
        ++text;
    return text;
}

bool chrcat(char *text, char c)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    size_t len = std::strlen(text);
    text[len] = c;
    text[len + 1] = '\0';
    return true;
}

const char *const short_month_names[12] = {"Jan",  "Feb", "Mar",  "Apr", "May", "June",
                                           "July", "Aug", "Sept", "Oct", "Nov", "Dec"};
const char *const long_month_names[12] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};

// Upper case of c as a signed 8-bit value: codes above 127 count negative.
static int upper(char c) { return (int)(signed char)std::toupper((unsigned char)c); }

static bool equal_nocase(const char *a, const char *b)
{
    while (*a && upper(*a) == upper(*b)) {
        ++a;
        ++b;
    }
    return *a == '\0' && *b == '\0';
}

bool str_to_bool(const char *text)
{
    if (!text)
        return false;
    if (equal_nocase(text, "TRUE"))
        return true;
    if (equal_nocase(text, "FALSE"))
        return false;
    // atoi's reading without its overflow: only "is the number 0" matters.
    const char *p = text;
    while (std::isspace((unsigned char)*p))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (*p != '0')
            return true;
    return false;
}

bool insert_char(char *text, uint32_t position, char c)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    size_t len = std::strlen(text);
    if (position > len) {
        err_code = ERR_INVALID_INPUT;
        return false;
    }
    std::memmove(text + position + 1, text + position, len - position + 1);
    text[position] = c;
    return true;
}

bool delete_char(char *text, uint32_t position)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    size_t len = std::strlen(text);
    if (position >= len) {
        err_code = ERR_INVALID_INPUT;
        return false;
    }
    std::memmove(text + position, text + position + 1, len - position);
    return true;
}

bool chop_char(char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    size_t len = std::strlen(text);
    if (len == 0)
        return false;
    text[len - 1] = '\0';
    return true;
}

int32_t find_last_separator(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return -1;
    }
    for (size_t i = std::strlen(text); i-- > 0;)
        if (is_separator_char(text[i]))
            return (int32_t)i;
    return -1;
}

const uint32_t FORMAT_BLOCK = 1025;

char *create_format_string(const char *format, va_list args)
{
    if (!format) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    char *block = create_ptr(FORMAT_BLOCK);
    std::vsnprintf(block, FORMAT_BLOCK, format, args);
    // Some runtimes leave a cut text unterminated.
    block[FORMAT_BLOCK - 1] = '\0';
    return block;
}

char *comma_number(uint32_t value, char *buffer)
{
    if (!buffer) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    const size_t size = 14; // "4,294,967,295" and its terminator
    if (value < 1000u)
        std::snprintf(buffer, size, "%u", (unsigned)value);
    else if (value < 1000000u)
        std::snprintf(buffer, size, "%u,%03u", (unsigned)(value / 1000), (unsigned)(value % 1000));
    else if (value < 1000000000u)
        std::snprintf(buffer, size, "%u,%03u,%03u", (unsigned)(value / 1000000), (unsigned)(value % 1000000 / 1000),
                      (unsigned)(value % 1000));
    else
        std::snprintf(buffer, size, "%u,%03u,%03u,%03u", (unsigned)(value / 1000000000),
                      (unsigned)(value % 1000000000 / 1000000), (unsigned)(value % 1000000 / 1000),
                      (unsigned)(value % 1000));
    return buffer;
}

char *capitalize_words(char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    char *p = text;
    while (*p) {
        while (is_blank(*p))
            ++p;
        if (*p)
            *p = (char)std::toupper((unsigned char)*p);
        while (*p && !is_blank(*p))
            ++p;
    }
    return text;
}

static int32_t find_in(const char *text, const char *pattern, uint32_t n, uint32_t m, uint32_t start, bool nocase)
{
    if (!text || !pattern) {
        err_code = ERR_NULL_POINTER;
        return -1;
    }
    // An empty pattern would have the walk read past it; it finds nothing.
    if (m == 0 || start > n || m > n - start)
        return -1;
    for (uint32_t i = start; i <= n - m; ++i) {
        uint32_t k = 0;
        while (k < m && (nocase ? upper(text[i + k]) == upper(pattern[k]) : text[i + k] == pattern[k]))
            ++k;
        if (k == m)
            return (int32_t)i;
    }
    return -1;
}

int32_t find_substring(const char *text, const char *pattern, uint32_t n, uint32_t m, uint32_t start)
{
    return find_in(text, pattern, n, m, start, false);
}

int32_t find_substring_nocase(const char *text, const char *pattern, uint32_t n, uint32_t m, uint32_t start)
{
    return find_in(text, pattern, n, m, start, true);
}

const char *find_string_nocase(const char *text, const char *pattern)
{
    if (!text || !pattern) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    if (!pattern[0])
        return nullptr;
    for (const char *t = text; *t; ++t) {
        size_t k = 0;
        while (t[k] && upper(t[k]) == upper(pattern[k]))
            ++k;
        if (!pattern[k])
            return t;
    }
    return nullptr;
}

char *copy_chars(char *dest, const char *source, uint32_t count)
{
    if (!dest || !source)
        return dest;
    uint32_t i = 0;
    for (; i < count && source[i]; ++i)
        dest[i] = source[i];
    dest[i] = '\0';
    return dest;
}

char *copy_chars_limit(char *dest, const char *source, uint32_t count, uint32_t limit)
{
    return copy_chars(dest, source, count < limit ? count : limit);
}

int compare_nocase(const char *first, const char *second, uint32_t count)
{
    if (!first || !second) {
        err_code = ERR_NULL_POINTER;
        return 0;
    }
    uint32_t i = 0;
    for (; i < count && first[i] && second[i]; ++i)
        if (upper(first[i]) != upper(second[i]))
            return upper(first[i]) - upper(second[i]);
    if (i == count)
        return 0;
    return upper(first[i]) - upper(second[i]);
}

uint32_t first_line_length(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return 0;
    }
    err_code = ERR_NONE;
    return (uint32_t)std::strcspn(text, "\n");
}

uint32_t longest_line_length(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return 0;
    }
    uint32_t longest = 0, current = 0;
    for (const char *p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            if (current > longest)
                longest = current;
            current = 0;
            if (!*p)
                break;
        } else {
            ++current;
        }
    }
    return longest;
}

uint32_t count_lines(const char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return 0;
    }
    uint32_t lines = 1;
    for (const char *p = text; *p; ++p)
        if (*p == '\n')
            ++lines;
    return lines;
}

int16_t ushort_to_digits(uint16_t value, char *buffer)
{
    if (!buffer) {
        err_code = ERR_NULL_POINTER;
        return -1;
    }
    int16_t n = 0;
    bool started = false;
    for (unsigned place = 10000; place > 1; place /= 10) {
        unsigned digit = value / place % 10;
        if (started || digit != 0) {
            buffer[n++] = (char)('0' + digit);
            started = true;
        }
    }
    buffer[n++] = (char)('0' + value % 10);
    buffer[n] = '\0';
    err_code = ERR_NONE;
    return n;
}

char *fold_ascii(char *text)
{
    if (!text) {
        err_code = ERR_NULL_POINTER;
        return nullptr;
    }
    for (char *p = text; *p; ++p)
        *p = ascii_lower(*p);
    return text;
}
