#include "win32/Dpi.h"

#include "win32/Scoped.h"

namespace win32 {

namespace {

template <class Function>
Function User32Function(const char* name) {
    static const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int SystemDpi() {
    using GetDpiForSystem = UINT(WINAPI*)();
    static const auto forSystem = User32Function<GetDpiForSystem>("GetDpiForSystem");
    if (forSystem) return int(forSystem());
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int WindowDpi(HWND hwnd) {
    using GetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = User32Function<GetDpiForWindow>("GetDpiForWindow");
    const int dpi = forWindow && hwnd ? int(forWindow(hwnd)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

void AdjustForDpi(RECT& rc, DWORD style, DWORD exStyle, int dpi) {
    using AdjustWindowRectExForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = User32Function<AdjustWindowRectExForDpi>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&rc, style, FALSE, exStyle, UINT(dpi))) AdjustWindowRectEx(&rc, style, FALSE, exStyle);
}

}  // namespace win32
