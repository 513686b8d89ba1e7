#include "tests/unit/support/job_fixture.h"

#include <cstdlib>

#include "lib/genmem.h"
#include "platform/platform.h"
#include "tests/unit/support/test_env.h"

#ifdef _WIN32
#include <objbase.h>
#include <windows.h>
#else
#include "platform/shell_link.h"
#endif

void JobTest::SetUp()
{
    root = testenv::scratch_dir();
    windows = root + "win\\";
    system = windows + "system32\\";
    source = root + "setup\\";
    for (const std::string &dir : {windows, system, source})
        ASSERT_TRUE(testenv::make_dir(dir)) << dir;
    set_field(job.windows_dir, windows.c_str());
    set_field(job.system_dir, system.c_str());
    saved_cwd = testenv::current_dir();
    ASSERT_TRUE(plat_chdir(source.c_str())) << source;
}

void JobTest::TearDown()
{
    job.close_log();
    plat_chdir(saved_cwd.c_str());
#ifndef _WIN32
    EXPECT_EQ(plat_test_live_links(), 0) << "a link object was not released";
#endif
}

void LinkJobTest::SetUp()
{
#ifdef _WIN32
    com_ready = SUCCEEDED(CoInitialize(nullptr));
    ASSERT_TRUE(com_ready);
#endif
    JobTest::SetUp();
}

void LinkJobTest::TearDown()
{
    JobTest::TearDown();
#ifdef _WIN32
    if (com_ready)
        CoUninitialize();
#endif
}

void JobTest::set_field(char *&field, const char *value)
{
    std::free(field);
    field = value ? create_ptr(value) : nullptr;
}

void JobTest::put_source(const std::string &name, const std::string &bytes)
{
    testenv::write_file(source + name, bytes);
}

std::string JobTest::open_log_at(const std::string &dir)
{
    std::string path = dir + "test.log";
    EXPECT_TRUE(job.open_log(path.c_str())) << path;
    return path;
}

std::vector<std::string> JobTest::text_lines(const std::string &path)
{
    std::string bytes = testenv::read_file(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            ADD_FAILURE() << path << ": last line has no line end: " << bytes.substr(start);
            lines.push_back(bytes.substr(start));
            break;
        }
        if (end == start || bytes[end - 1] != '\r')
            ADD_FAILURE() << path << ": line without CR LF: " << bytes.substr(start, end - start);
        size_t len = end - start;
        if (len > 0 && bytes[end - 1] == '\r')
            --len;
        lines.push_back(bytes.substr(start, len));
        start = end + 1;
    }
    return lines;
}

std::string crlf(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}
