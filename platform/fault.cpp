// The fault point of the seam: the countdowns that the test controls set and
// the seam calls of platform_common.cpp consult, on every platform alike.
#include "platform/fault.h"

#include <cstring>

#include "platform/os.h"

namespace {

struct FAULT {
    int countdown;    // calls to go until the one that fails; 0 when off
    bool from_now_on; // keeps failing once it has
    bool firing;
    PLAT_RESULT result; // for the removal calls
};

FAULT faults[SITE_COUNT];
int calls[SITE_COUNT];
int write_calls = 0;
bool copy_loses_file = false;
bool copy_in_use = false;

int write_countdown = 0;
PLAT_WRITE_FAULT write_fault = PLAT_WRITE_FAILS;
bool disk_full = false;

int heap_result = 0;
void (*link_observer)(const char *call) = nullptr;

const int MAX_SCHEDULED = 64;
const size_t RECORDED_PATH_SIZE = 260; // MAX_PATH
char scheduled[MAX_SCHEDULED][RECORDED_PATH_SIZE];
int scheduled_count = 0;

void arm(FAULT_SITE site, int nth, PLAT_FAULT_MODE mode, PLAT_RESULT result = PLAT_FAILED)
{
    FAULT &f = faults[site];
    f.countdown = nth > 0 ? nth : 0;
    f.from_now_on = mode == PLAT_FAIL_FROM_NOW_ON;
    f.firing = false;
    f.result = result;
}

} // namespace

bool fault_fires(FAULT_SITE site)
{
    FAULT &f = faults[site];
    ++calls[site];
    if (f.firing)
        return true;
    if (f.countdown > 0 && --f.countdown == 0) {
        f.firing = f.from_now_on;
        return true;
    }
    return false;
}

PLAT_RESULT fault_result(FAULT_SITE site) { return faults[site].result; }

bool copy_fault_loses_file() { return copy_loses_file; }
bool copy_fault_in_use() { return copy_in_use; }

WRITE_FATE write_fate()
{
    ++write_calls;
    if (disk_full)
        return WRITE_NOTHING;
    if (write_countdown > 0 && --write_countdown == 0) {
        disk_full = true;
        return write_fault == PLAT_WRITE_LOSES_BYTES ? WRITE_HALF_LOST : WRITE_HALF_FAILS;
    }
    return WRITE_WHOLE;
}

int forced_heap_result() { return heap_result; }

void tell_link_call(const char *call)
{
    if (link_observer)
        link_observer(call);
}

void record_scheduled(const char *path)
{
    if (scheduled_count >= MAX_SCHEDULED || std::strlen(path) >= sizeof scheduled[0])
        return;
    std::memcpy(scheduled[scheduled_count], path, std::strlen(path) + 1);
    ++scheduled_count;
}

void plat_test_fail_alloc(int nth, PLAT_FAULT_MODE mode) { arm(SITE_ALLOC, nth, mode); }
void plat_test_fail_open(int nth, PLAT_FAULT_MODE mode) { arm(SITE_OPEN, nth, mode); }
void plat_test_fail_create_dir(int nth, PLAT_FAULT_MODE mode) { arm(SITE_CREATE_DIR, nth, mode); }

void plat_test_fail_copy(int nth, PLAT_COPY_FAULT how, PLAT_FAULT_MODE mode)
{
    arm(SITE_COPY, nth, mode);
    copy_loses_file = how == PLAT_COPY_LOSES_FILE;
    copy_in_use = how == PLAT_COPY_IN_USE;
}

void plat_test_fail_write(int nth, PLAT_WRITE_FAULT how)
{
    write_countdown = nth > 0 ? nth : 0;
    write_fault = how;
    disk_full = false;
}

void plat_test_fail_delete(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode) { arm(SITE_DELETE, nth, mode, how); }
void plat_test_fail_remove_dir(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode) { arm(SITE_REMOVE_DIR, nth, mode, how); }
void plat_test_fail_replace(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode) { arm(SITE_REPLACE, nth, mode, how); }
void plat_test_fail_registry(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode) { arm(SITE_REGISTRY, nth, mode, how); }
void plat_test_fail_schedule(int nth, PLAT_FAULT_MODE mode) { arm(SITE_SCHEDULE, nth, mode); }

void plat_test_fail_link_step(PLAT_LINK_STEP step, int nth, PLAT_FAULT_MODE mode)
{
    static const FAULT_SITE sites[] = {SITE_LINK_CREATE, SITE_LINK_PERSIST, SITE_LINK_SAVE};
    arm(sites[step], nth, mode);
}

int plat_test_calls(PLAT_CALL call)
{
    switch (call) {
    case PLAT_CALL_ALLOC: return calls[SITE_ALLOC];
    case PLAT_CALL_OPEN: return calls[SITE_OPEN];
    case PLAT_CALL_CREATE_DIR: return calls[SITE_CREATE_DIR];
    case PLAT_CALL_COPY: return calls[SITE_COPY];
    case PLAT_CALL_WRITE: return write_calls;
    case PLAT_CALL_LINK_CREATE: return calls[SITE_LINK_CREATE];
    case PLAT_CALL_LINK_PERSIST: return calls[SITE_LINK_PERSIST];
    case PLAT_CALL_LINK_SAVE: return calls[SITE_LINK_SAVE];
    case PLAT_CALL_REGISTRY: return calls[SITE_REGISTRY];
    }
    return 0;
}

void plat_test_set_heap_result(int result) { heap_result = result; }

void plat_test_set_link_observer(void (*observer)(const char *call)) { link_observer = observer; }

int plat_test_scheduled_count() { return scheduled_count; }

const char *plat_test_scheduled(int n) { return n >= 0 && n < scheduled_count ? scheduled[n] : nullptr; }

void plat_test_reset()
{
    for (int site = 0; site < SITE_COUNT; ++site) {
        arm(static_cast<FAULT_SITE>(site), 0, PLAT_FAIL_ONCE);
        calls[site] = 0;
    }
    write_calls = 0;
    copy_loses_file = false;
    copy_in_use = false;
    plat_test_fail_write(0);
    heap_result = 0;
    link_observer = nullptr;
    scheduled_count = 0;
    os_test_reset();
}
