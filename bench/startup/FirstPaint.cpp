// FirstPaint: starts a program and times how long it takes until its window is on the screen,
// painted. "Painted" is seen the same way for every program: a visible top-level window of the
// given class, belonging to the started process, whose pixel at a given offset on the screen has
// the given colour. Then the window is closed and the program's end awaited.
//
//   FirstPaint.exe CLASS RRGGBB DX DY PROGRAM.exe [ARGUMENTS...]
//
// Before the start it waits (up to 5 s) until the screen no longer shows the colour at the spot
// where the window will be (QUODO_FIRSTPAINT_SPOT="X,Y", default 12,12), so that what an earlier
// window left on the screen is not taken for this one's paint.
//
// Prints one line: {"visible_ms": ..., "painted_ms": ..., "exit_ms": ..., "peak_kib": ...} (the peak
// working set up to the paint); exit code 1 and
// {"error": "..."} when the window does not show within 30 seconds.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Target {
    std::string className;
    DWORD pid = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
    auto* target = reinterpret_cast<Target*>(param);
    char name[256];
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != target->pid || !IsWindowVisible(hwnd)) return TRUE;
    if (!GetClassNameA(hwnd, name, sizeof name) || target->className != name) return TRUE;
    target->found = hwnd;
    return FALSE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

int Fail(const char* message) {
    std::printf("{\"error\": \"%s\"}\n", message);
    return 1;
}

// The command line after the first `skip` arguments, as the program's own command line.
std::string CommandLineAfter(int skip) {
    const char* line = GetCommandLineA();
    for (int i = 0; i < skip; ++i) {
        while (*line == ' ') ++line;
        bool quoted = false;
        for (; *line && (quoted || *line != ' '); ++line)
            if (*line == '"') quoted = !quoted;
    }
    while (*line == ' ') ++line;
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) return Fail("usage: FirstPaint.exe CLASS RRGGBB DX DY PROGRAM.exe [ARGUMENTS...]");
    Target target;
    target.className = argv[1];
    const unsigned long rgb = std::strtoul(argv[2], nullptr, 16);
    const COLORREF wanted = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    const int dx = std::atoi(argv[3]), dy = std::atoi(argv[4]);
    std::string command = CommandLineAfter(5);

    HDC screen = GetDC(nullptr);
    LARGE_INTEGER frequency, start, visible{}, painted{}, ended;
    QueryPerformanceFrequency(&frequency);

    int spotX = 12, spotY = 12;
    if (const char* spot = std::getenv("QUODO_FIRSTPAINT_SPOT")) std::sscanf(spot, "%d,%d", &spotX, &spotY);
    for (int waited = 0; GetPixel(screen, spotX, spotY) == wanted; waited += 10) {
        if (waited >= 5000) return Fail("the screen still shows the colour of an earlier window");
        Sleep(10);
    }

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return Fail("CreateProcess failed");
    target.pid = pi.dwProcessId;

    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        if (Milliseconds(start, now, frequency) > 30000) {
            TerminateProcess(pi.hProcess, 1);
            return Fail("no painted window within 30 s");
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) return Fail("the program ended before its window showed");
        target.found = nullptr;
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&target));
        if (target.found) {
            if (!visible.QuadPart) visible = now;
            RECT r;
            if (GetWindowRect(target.found, &r) && GetPixel(screen, r.left + dx, r.top + dy) == wanted) {
                painted = now;
                break;
            }
        }
        Sleep(1);
    }

    // The most memory the program has used up to its first paint.
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const double peakKiB = GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory)
                               ? double(memory.PeakWorkingSetSize) / 1024.0 : -1.0;
    PostMessageA(target.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    QueryPerformanceCounter(&ended);
    ReleaseDC(nullptr, screen);
    std::printf("{\"visible_ms\": %.2f, \"painted_ms\": %.2f, \"exit_ms\": %.2f, \"peak_kib\": %.0f}\n",
                Milliseconds(start, visible, frequency), Milliseconds(start, painted, frequency),
                Milliseconds(start, ended, frequency), peakKiB);
    return 0;
}
