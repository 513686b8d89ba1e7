#include "wizard/page_refresh.h"

PAGE_REFRESH::PAGE_REFRESH(uint32_t interval_ms) : interval(interval_ms) {}

bool PAGE_REFRESH::file_due(int32_t number, int32_t total, int32_t percent, const char *destination, uint32_t now)
{
    file.number = number;
    file.total = total;
    file.percent = percent;
    size_t n = 0;
    for (; destination && destination[n] && n + 1 < sizeof file.destination; ++n)
        file.destination[n] = destination[n];
    file.destination[n] = '\0';

    // Unsigned difference: right across the counter's wrap.
    bool due = !refreshed || number >= total || now - last_refresh >= interval;
    behind = !due;
    if (due) {
        refreshed = true;
        last_refresh = now;
    }
    return due;
}

bool PAGE_REFRESH::catch_up(uint32_t now)
{
    bool was_behind = behind;
    behind = false;
    if (was_behind) {
        refreshed = true;
        last_refresh = now;
    }
    return was_behind;
}
