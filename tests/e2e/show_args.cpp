// A stand-in for the uninstaller: prints how cmd handed it its command line,
// so that a scenario can see what "uninstal.bat" passes.
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    std::printf("command line: %s\n", GetCommandLineA());
    for (int i = 1; i < argc; ++i)
        std::printf("argument %d: [%s]\n", i, argv[i]);
    return 0;
}
