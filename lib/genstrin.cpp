#include "genstrin.h"

#include <cstring>

#include "generr.h"
#include "genutil.h"

static bool genstrin_registered;

void register_genstrin()
{
    genstrin_registered = reg_db.add_program("GENSTRIN", "0.4b", "Marten Koivisto", "10 January 1999");
}

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

char *trim_right(char *text)
{
    if (!text) {
        err_code = 58;
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
        err_code = 58;
        return nullptr;
    }
    while (is_blank(*text))
        ++text;
    return text;
}

bool chrcat(char *text, char c)
{
    if (!text) {
        err_code = 58;
        return false;
    }
    size_t len = std::strlen(text);
    text[len] = c;
    text[len + 1] = '\0';
    return true;
}
