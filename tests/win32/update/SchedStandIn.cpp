// A stand-in for the companion program Quodo_Sched.exe: a window-less program that only waits.
//   (no arguments)   waits two minutes, so a test that forgets it leaves nothing running for long
//   /wait <ms>       waits that long, then ends with exit code 0
//   /exit <code>     ends at once with that exit code (anything after it is ignored)
//   /length ...      ends at once with the length of its command line after the program name as exit code
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (std::strncmp(commandLine, "/length", 7) == 0) return static_cast<int>(std::strlen(commandLine));
    if (std::strncmp(commandLine, "/exit ", 6) == 0) return std::atoi(commandLine + 6);
    DWORD wait = 120000;
    if (std::strncmp(commandLine, "/wait ", 6) == 0)
        wait = static_cast<DWORD>(std::strtoul(commandLine + 6, nullptr, 10));
    Sleep(wait);
    return 0;
}
