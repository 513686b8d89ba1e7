// A sandbox for tests of the install job: its own Windows and system
// directories, a setup directory that is the current directory (where the
// sources of the listed files lie), and a fresh job pointed at them.
#ifndef TESTS_UNIT_SUPPORT_JOB_FIXTURE_H
#define TESTS_UNIT_SUPPORT_JOB_FIXTURE_H

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "setup/setup.h"

class JobTest : public ::testing::Test {
protected:
    PLAT_TEST_SCOPE controls; // whatever a test armed is off again after it
    SETUP_TYPE job;
    std::string root;    // the test's scratch directory, ending in "\"
    std::string windows; // root + "win\"
    std::string system;  // root + "win\system32\"
    std::string source;  // root + "setup\", the current directory meanwhile

    void SetUp() override;
    void TearDown() override;

    // Replaces one of the job's directory fields (null: the query failed).
    static void set_field(char *&field, const char *value);
    // Writes a source file into the setup directory.
    void put_source(const std::string &name, const std::string &bytes);
    // Opens a log in a place of its own and returns its path.
    std::string open_log_at(const std::string &dir);
    // The lines of a text file written in text mode. Fails the test when a
    // line does not end in CR LF.
    static std::vector<std::string> text_lines(const std::string &path);

private:
    std::string saved_cwd;
};

// The job's tests that make shortcuts: COM for the shell's link object, as
// the wizard initialises it at start (nothing to do without Windows).
class LinkJobTest : public JobTest {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    [[maybe_unused]] bool com_ready = false; // CoInitialize succeeded (Windows)
};

// A failing call and its code; err_code is cleared first, so that a code
// left over from an earlier call cannot pass for it.
#define EXPECT_FAILS_WITH(call, code)                                                                                  \
    do {                                                                                                               \
        err_code = ERR_NONE;                                                                                           \
        EXPECT_FALSE(call);                                                                                            \
        EXPECT_EQ(err_code, code);                                                                                     \
    } while (0)

// Lines joined by CR LF with a final CR LF, as a text-mode file holds them.
std::string crlf(const std::vector<std::string> &lines);

#endif
