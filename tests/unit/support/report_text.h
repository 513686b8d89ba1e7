// The critical error report as the program writes it, for death tests.
#ifndef TESTS_UNIT_SUPPORT_REPORT_TEXT_H
#define TESTS_UNIT_SUPPORT_REPORT_TEXT_H

#include <string>

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#endif

namespace report_text {

// Windows writes "\n" on a text-mode stderr as CR LF; compare the text the
// program formats, not the line ends of the console.
inline void binary_stderr()
{
#ifdef _WIN32
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

// The system error line for an errno value.
inline std::string system_error_line(const std::string &line) { return "      " + line + "\n\n"; }

// The whole report headed by the current module (GENUTIL after start-up).
// detail: null for no detail line; otherwise written after four spaces.
inline std::string expected(const char *message, const char *detail,
                            const std::string &errno_line = "No System Error Registered",
                            const std::string &header = "   GENUTIL, v1.0 - 29 Nov 1998, "
                                                        "Marten Koivisto (marten.koivisto@example.net)\n\n")
{
    std::string text = "Critical Error, Program Terminated!\n" + header +
                       "A critical error has occured and the program was terminated.  You may\n"
                       "wish to record this error information along with conditions before the\n"
                       "crash (what you were doing), system info (OS, config files) and send a\n"
                       "bug report to the appropiate individuals.\n\n"
                       "      Heap Status: OK\n"
                       "      Used/Free/Total Memory: 0 / 0 / 0 bytes\n" +
                       system_error_line(errno_line) + "Error Message: " + message + "\n";
    if (detail)
        text += std::string("    ") + detail;
    return text + "\n\n";
}

} // namespace report_text

#endif
