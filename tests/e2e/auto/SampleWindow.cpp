// SampleWindow: a small stand-in program on which the end-to-end harness proves itself.
//
// A border-less popup window of class "QuodoSampleWnd", 300 x 40 pixels, with two labels. It can be
// dragged anywhere with the left button; a right click opens a popup menu:
//   "Always on top"  toggles the topmost state (checked while on),
//   "Swap colour"    switches the background between blue #2060A0 and pale yellow #FFFFE3,
//   "Ask"            shows a Yes/No message box "Keep going?" titled "Sample question"; the second
//                    label then shows "Yes" or "No",
//   "Close"          closes the window.
// The caption is the current directory. The first label comes from the registry value
// HKCU\Software\Quodo\Defaults\SampleLabel (default "Sample"), the second from the environment
// variable SAMPLE_TEXT (default "-"). The position comes from SampleLeft/SampleTop in the same key
// (default 100, 100) and is written back there when the window closes. With SAMPLE_IGNORE_CLOSE=1
// in the environment it ignores WM_CLOSE, like a program that hangs on the way out.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr char kClassName[] = "QuodoSampleWnd";
constexpr char kKey[] = "Software\\Quodo\\Defaults";
constexpr int kWidth = 300, kHeight = 40;
constexpr COLORREF kBlue = RGB(0x20, 0x60, 0xA0);
constexpr COLORREF kPaleYellow = RGB(0xFF, 0xFF, 0xE3);

enum MenuId { kTopmostItem = 101, kColourItem, kAskItem, kCloseItem };

HWND g_firstLabel, g_secondLabel;
HBRUSH g_background;
COLORREF g_colour = kBlue;

std::string ReadString(const char* name, const char* fallback) {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS)
        return buffer;
    return fallback;
}

int ReadNumber(const char* name, int fallback) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS)
        return (int)value;
    return fallback;
}

void WritePosition(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    DWORD left = (DWORD)rect.left, top = (DWORD)rect.top;
    RegSetValueExA(key, "SampleLeft", 0, REG_DWORD, (const BYTE*)&left, sizeof left);
    RegSetValueExA(key, "SampleTop", 0, REG_DWORD, (const BYTE*)&top, sizeof top);
    RegCloseKey(key);
}

void SetColour(HWND hwnd, COLORREF colour) {
    g_colour = colour;
    if (g_background) DeleteObject(g_background);
    g_background = CreateSolidBrush(colour);
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool IsTopmost(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void ShowMenu(HWND hwnd) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | (IsTopmost(hwnd) ? MF_CHECKED : 0), kTopmostItem, "Always on top");
    AppendMenuA(menu, MF_STRING, kColourItem, "Swap colour");
    AppendMenuA(menu, MF_STRING, kAskItem, "Ask");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCloseItem, "Close");
    POINT at;
    GetCursorPos(&at);
    // The owner must be the foreground window, or the menu does not close when it loses focus.
    SetForegroundWindow(hwnd);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
        case kTopmostItem:
            SetWindowPos(hwnd, IsTopmost(hwnd) ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case kColourItem:
            SetColour(hwnd, g_colour == kBlue ? kPaleYellow : kBlue);
            break;
        case kAskItem: {
            int answer = MessageBoxA(hwnd, "Keep going?", "Sample question", MB_YESNO | MB_ICONQUESTION);
            SetWindowTextA(g_secondLabel, answer == IDYES ? "Yes" : "No");
            break;
        }
        case kCloseItem:
            DestroyWindow(hwnd);
            break;
    }
}

HWND MakeLabel(HWND parent, const std::string& text, int x) {
    return CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, x, 10, 120, 20, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const char* env = getenv("SAMPLE_TEXT");
            g_firstLabel = MakeLabel(hwnd, ReadString("SampleLabel", "Sample"), 8);
            g_secondLabel = MakeLabel(hwnd, env && *env ? env : "-", 170);
            SetColour(hwnd, kBlue);
            return 0;
        }
        case WM_NCHITTEST:
            // The whole window is a handle to drag it by.
            return HTCAPTION;
        case WM_NCRBUTTONDOWN:
            // Handled here: DefWindowProc would swallow the matching button-up.
            return 0;
        case WM_NCRBUTTONUP:
            ShowMenu(hwnd);
            return 0;
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam));
            return 0;
        case WM_ERASEBKGND: {
            RECT rect;
            GetClientRect(hwnd, &rect);
            FillRect((HDC)wParam, &rect, g_background);
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = (HDC)wParam;
            SetBkColor(dc, g_colour);
            SetTextColor(dc, g_colour == kBlue ? RGB(255, 255, 255) : RGB(0, 0, 0));
            return (LRESULT)g_background;
        }
        case WM_CLOSE:
            if (const char* ignore = getenv("SAMPLE_IGNORE_CLOSE"); ignore && *ignore == '1') return 0;
            break;
        case WM_DESTROY:
            WritePosition(hwnd);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    HWND hwnd = CreateWindowExA(0, kClassName, directory, WS_POPUP, ReadNumber("SampleLeft", 100),
                                ReadNumber("SampleTop", 100), kWidth, kHeight, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_background) DeleteObject(g_background);
    return 0;
}
