// The smallest program that shows a window like Quodo's main window: a border-less 250 by 213
// window at (10, 10), filled with the same light grey by its class brush, and a message loop.
// The start-up benchmark times it against Quodo.exe.
//   EmptyWindow.exe [LIBRARY...]   loads these libraries first (e.g. hhctrl.ocx), to see what
//                                  loading them adds to the start
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr COLORREF kBackground = RGB(0xF5, 0xF5, 0xF5);

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    std::string libraries = commandLine;
    for (char* name = std::strtok(&libraries[0], " "); name; name = std::strtok(nullptr, " "))
        if (!LoadLibraryA(name)) return 2;

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(kBackground);
    wc.lpszClassName = "EmptyWindow";
    if (!RegisterClassA(&wc)) return 1;

    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Empty window", WS_POPUP, 10, 10, 250, 213, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
