// Holds a file open the way a program that is using it does: no sharing for
// writing or deleting, so that a copy over it meets a sharing violation.
//
//   hold_file.exe PATH MILLISECONDS
//
// Waits (up to 30 seconds) until PATH can be opened, holds it for
// MILLISECONDS, and exits 0; exits 1 when it never could open it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: hold_file PATH MILLISECONDS\n");
        return 2;
    }
    DWORD hold = (DWORD)std::strtoul(argv[2], nullptr, 10);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int waited = 0; waited < 30000 && file == INVALID_HANDLE_VALUE; waited += 20) {
        file =
            CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_file: cannot open %s\n", argv[1]);
        return 1;
    }
    std::printf("holding %s\n", argv[1]);
    std::fflush(stdout);
    Sleep(hold);
    CloseHandle(file);
    return 0;
}
