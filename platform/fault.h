// Test controls of the seam: failures on demand, in front of both backends,
// so that a test of a failure runs natively against the substitute and under
// Wine against the real API alike. The program itself never calls them.
//
// Each control counts the calls of one seam operation from the moment it is
// set: nth 1 is the next call, 0 turns the control off. A fault fails that one
// call (PLAT_FAIL_ONCE) or that call and every later one (PLAT_FAIL_FROM_NOW_ON).
#ifndef PLATFORM_FAULT_H
#define PLATFORM_FAULT_H

#include "platform/platform.h"

enum PLAT_FAULT_MODE { PLAT_FAIL_ONCE, PLAT_FAIL_FROM_NOW_ON };

// plat_malloc returns null.
void plat_test_fail_alloc(int nth, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// plat_fopen returns null with errno EACCES. Every open counts, also those of
// the existence and size checks.
void plat_test_fail_open(int nth, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// plat_create_dir fails with errno EACCES.
void plat_test_fail_create_dir(int nth, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// plat_copy_file fails, or reports success without leaving a destination
// file behind.
// PLAT_COPY_IN_USE fails it as a destination that another program holds
// open without sharing (plat_copy_failure tells PLAT_IN_USE).
enum PLAT_COPY_FAULT { PLAT_COPY_FAILS, PLAT_COPY_LOSES_FILE, PLAT_COPY_IN_USE };
void plat_test_fail_copy(int nth, PLAT_COPY_FAULT how = PLAT_COPY_FAILS, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// The disk fills up at the nth plat_fwrite: that write puts the first half
// of its bytes on disk and fails, or reports them all written as some
// runtimes do; every later write fails without writing. A full disk stays
// full, so there is no "once".
enum PLAT_WRITE_FAULT { PLAT_WRITE_FAILS, PLAT_WRITE_LOSES_BYTES };
void plat_test_fail_write(int nth, PLAT_WRITE_FAULT how = PLAT_WRITE_FAILS);
// plat_delete_file, plat_remove_dir and plat_replace_file report how.
void plat_test_fail_delete(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
void plat_test_fail_remove_dir(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
void plat_test_fail_replace(int nth, PLAT_RESULT how, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// plat_schedule_removal is refused, as without the rights to it.
void plat_test_fail_schedule(int nth, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// A registry call of the Apps & Features entries reports how.
void plat_test_fail_registry(int nth, PLAT_RESULT how = PLAT_ACCESS_DENIED, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);
// A step of the link object fails: creation (PLAT_E_FAIL, no object), the
// persist facet (PLAT_E_NOINTERFACE, no facet) or the save (PLAT_E_FAIL).
enum PLAT_LINK_STEP { PLAT_LINK_CREATE, PLAT_LINK_PERSIST, PLAT_LINK_SAVE };
void plat_test_fail_link_step(PLAT_LINK_STEP step, int nth = 1, PLAT_FAULT_MODE mode = PLAT_FAIL_ONCE);

// How many calls of an operation the seam has seen since the last reset,
// those that failed included: a test counts them in a clean run and then
// fails each one in turn, and so knows it has missed none.
enum PLAT_CALL {
    PLAT_CALL_ALLOC,
    PLAT_CALL_OPEN,
    PLAT_CALL_CREATE_DIR,
    PLAT_CALL_COPY,
    PLAT_CALL_WRITE,
    PLAT_CALL_LINK_CREATE,
    PLAT_CALL_LINK_PERSIST,
    PLAT_CALL_LINK_SAVE,
    PLAT_CALL_REGISTRY
};
int plat_test_calls(PLAT_CALL call);

// Forces the heap check's result; 0 restores the runtime's own answer.
void plat_test_set_heap_result(int result);
// Told the name of each link call as it is made: "create", "set_path",
// "set_description", "set_working_dir", "persist", "save",
// "release_persist", "release_link". Null turns it off.
void plat_test_set_link_observer(void (*observer)(const char *call));
// The removals at restart that were accepted since the last reset: how
// many, and the nth path (0 = the first; null past the end).
int plat_test_scheduled_count();
const char *plat_test_scheduled(int n);

// Every control back to its default: every fault above, the call counts, the forced heap
// result, the observer, the recorded removals at restart, and the
// substitute's code page and way of copying. The machine that the
// substitute stands for (drive root, Windows and system directories, path
// observer) stays: a test run lays it out once.
void plat_test_reset();

// Resets every control when it goes out of scope, however the test ends.
class PLAT_TEST_SCOPE {
public:
    PLAT_TEST_SCOPE() = default;
    ~PLAT_TEST_SCOPE() { plat_test_reset(); }
    PLAT_TEST_SCOPE(const PLAT_TEST_SCOPE &) = delete;
    PLAT_TEST_SCOPE &operator=(const PLAT_TEST_SCOPE &) = delete;
};

#endif
