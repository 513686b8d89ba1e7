// The ANSI code page for tests of double-byte paths.
#ifndef TESTS_UNIT_SUPPORT_CODE_PAGE_H
#define TESTS_UNIT_SUPPORT_CODE_PAGE_H

#include <vector>

#include "platform/platform.h"

namespace code_page {

// The code pages a test can check on this build: natively a single-byte one
// and 932, one after the other, through the substitute's control; on
// Windows the one this process runs with (932 when Wine runs under
// ja_JP.UTF-8, a single-byte one otherwise).
inline std::vector<unsigned> to_check()
{
#ifdef _WIN32
    return {plat_ansi_code_page()};
#else
    return {1252, 932};
#endif
}

// True when Shift-JIS "ソ" (0x83 0x5C) and "表" (0x95 0x5C) are single
// characters here, as in every double-byte code page.
inline bool double_byte() { return plat_is_lead_byte(0x83) && plat_is_lead_byte(0x95); }

// Makes cp the substitute's code page for the scope; Windows has its own.
class Scope {
public:
    explicit Scope(unsigned cp)
    {
#ifndef _WIN32
        plat_test_set_code_page(cp);
#else
        (void)cp;
#endif
    }
    ~Scope()
    {
#ifndef _WIN32
        plat_test_set_code_page(1252);
#endif
    }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

} // namespace code_page

#endif
