// Parts of the seam that are the same on every platform.
#include "platform/platform.h"

#include <cstdlib>

static int alloc_fail_countdown = 0;

void plat_test_fail_alloc(int nth) { alloc_fail_countdown = nth > 0 ? nth : 0; }

void *plat_malloc(size_t size)
{
    if (alloc_fail_countdown > 0 && --alloc_fail_countdown == 0)
        return nullptr;
    // malloc(0) may legally return null; ask for one byte so null always means failure.
    return std::malloc(size ? size : 1);
}

const char *plat_char_next(const char *p)
{
    if (!p || !*p)
        return p;
    // A lead byte at the very end has no second byte to take.
    return (plat_is_lead_byte((unsigned char)p[0]) && p[1]) ? p + 2 : p + 1;
}
