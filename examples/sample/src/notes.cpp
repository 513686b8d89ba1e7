// Sample Notes: the small program that the sample installation installs.
// It shows its read-me file, which setup copied next to it.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char text[2048] = "readme.txt is missing: run Sample Notes from its install directory.";
    FILE *readme = std::fopen("readme.txt", "rb");
    if (readme) {
        size_t n = std::fread(text, 1, sizeof text - 1, readme);
        text[n] = '\0';
        std::fclose(readme);
    }
    MessageBoxA(nullptr, text, "Sample Notes", MB_OK | MB_ICONINFORMATION);
    return 0;
}
