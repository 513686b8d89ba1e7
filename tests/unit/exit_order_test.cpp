// The order of the exit handlers, watched from inside them: streams whose
// close records what was still alive at that moment.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genutil.h"
#include "platform/platform.h"
#include "setup/setup.h"
#include "tests/unit/support/report_text.h"
#include "tests/unit/support/test_env.h"

namespace {

// A plain array: a std::string here could be destroyed at exit before the
// handlers that read it.
char trace_path[512];

// On close, appends "<who> debug=<log_open> setuplog=<open> modules=<n> errors=<n>".
int record_close(void *cookie)
{
    const char *who = static_cast<const char *>(cookie);
    char host[1024];
    if (!plat_host_path(trace_path, host, sizeof host))
        return 0;
    FILE *trace = std::fopen(host, "a");
    if (!trace)
        return 0;
    std::fprintf(trace, "%s debug=%d setuplog=%d modules=%d errors=%d\n", who, log_open ? 1 : 0,
                 setup_job.log.file ? 1 : 0, reg_db.num_programs, error_db.num_errors);
    std::fclose(trace);
    return 0;
}

ssize_t swallow(void *, const char *, size_t size) { return (ssize_t)size; }

FILE *watched_stream(const char *who)
{
    cookie_io_functions_t io = {nullptr, swallow, nullptr, record_close};
    return fopencookie(const_cast<char *>(who), "w", io);
}

// Leaves the program the way every stop does, with both logs open.
void stop_with_logs_open(void (*stop)())
{
    report_text::binary_stderr();
    std::string debug_log = testenv::scratch_dir() + "debug.log";
    open_logfile(debug_log.c_str()); // registers the log's close handler last
    std::fclose(log_stream);
    log_stream = watched_stream("debug-log");
    setup_job.log.file = watched_stream("setup-log");
    stop();
}

void expect_trace(const std::string &trace)
{
    // The debug log closes first, while the setup log is still open; the
    // install job's destructor closes the setup log next, while the
    // registry and the error table are still whole.
    EXPECT_EQ(trace, "debug-log debug=1 setuplog=1 modules=5 errors=79\n"
                     "setup-log debug=0 setuplog=1 modules=5 errors=79\n");
}

} // namespace

TEST(ExitOrderDeathTest, NormalExit)
{
    std::snprintf(trace_path, sizeof trace_path, "%strace.txt", testenv::scratch_dir().c_str());
    EXPECT_EXIT(stop_with_logs_open([] { std::exit(0); }), ::testing::ExitedWithCode(0), ::testing::Eq(""));
    expect_trace(testenv::read_file(trace_path));
}

TEST(ExitOrderDeathTest, CriticalReport)
{
    std::snprintf(trace_path, sizeof trace_path, "%strace.txt", testenv::scratch_dir().c_str());
    EXPECT_EXIT(stop_with_logs_open([] {
                    errno = 0;
                    error_db.critical_error("stop", nullptr);
                }),
                ::testing::ExitedWithCode(0), ::testing::Eq(report_text::expected("stop", nullptr)));
    expect_trace(testenv::read_file(trace_path));
}
#endif
