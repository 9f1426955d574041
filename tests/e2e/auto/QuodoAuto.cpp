// QuodoAuto: drives another program's windows for the end-to-end tests.
//
// One command per run: the arguments name the command, the output is one JSON object per line on
// stdout, the exit code is 0 on success and 1 on failure (then the last line is {"error": "..."}).
// Texts are written as UTF-8, whatever the ANSI code page of the session is.
//
// A window is given either as a handle ("0x1234") or as a top-level window class name; options are
// written --name=value. Commands:
//   list [--class=C] [--title=T] [--visible]       every matching top-level window, one per line
//   find CLASS [--title=T] [--visible] [--timeout=MS]   waits for a top-level window
//   gone WINDOW [--timeout=MS]                     waits until the window is closed or hidden
//   info WINDOW                                    rectangle, client area, visible, topmost, caption
//   children WINDOW                                every descendant window, depth first
//   move X Y | down X Y | up X Y | click X Y       mouse at a screen position [--button=left|right|middle]
//   drag X1 Y1 X2 Y2 [--steps=N] [--delay=MS]       press, move in steps, release [--button=...]
//   cursor | screen                                cursor position | screen size
//   key NAME...                                    press and release keys: F5, DOWN, RETURN, CTRL+S, A
//   type TEXT                                      type a text as Unicode key strokes
//   menu [--timeout=MS]                            the open popup menu (class #32768)
//   msgbox [--title=T] [--timeout=MS]              a visible dialog box (#32770): texts and buttons
//   press WINDOW BUTTONTEXT                        clicks a button (any depth) by its text (& ignored)
//   command WINDOW ID | close WINDOW               posts WM_COMMAND | WM_CLOSE
//   settext WINDOW TEXT | foreground WINDOW        WM_SETTEXT | SetForegroundWindow
//   focus WINDOW                                   the window with the keyboard in WINDOW's thread
//   trustroot PEMFILE                              trusts a test CA: adds it to the machine's roots
//   pixel X Y                                      a screen pixel's colour
//   hold                                           waits forever, keeping Wine's desktop open
//   runall PROGRAM [ARGUMENT...] [--timeout=MS]    runs a program and waits until it and every
//                                                  process it started have ended: its exit code
//   holdfile PATH [--running]                      opens (or makes) a file for reading and keeps it
//                                                  open, letting others read and write it but not
//                                                  rename or delete it, until ended; --running:
//                                                  only read it, as a running program holds its exe
//   active                                         the foreground window
//   accessible WINDOW                              what a screen reader learns of the window's
//                                                  client area: name and role (ROLE_SYSTEM_...)
//   module WINDOW NAME                             the path of a library loaded in the window's
//                                                  program (error when it is not loaded)
// With --stored, the commands that read windows (list, find, info, children) read texts as the
// system keeps them, without a message to the window's program: a program that is busy (waiting
// for a web page, say) is read at once instead of after a time-out, with its texts.
#include <windows.h>

#include <oleacc.h>
#include <tlhelp32.h>
#include <wincrypt.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size, nullptr, nullptr);
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += (char)c;
                }
        }
    }
    return out + "\"";
}

// One JSON object, built field by field and written as one line.
class Json {
public:
    Json& Str(const char* key, const std::string& value) { return Raw(key, Quoted(value)); }
    Json& Str(const char* key, const std::wstring& value) { return Str(key, Utf8(value)); }
    Json& Int(const char* key, long long value) { return Raw(key, std::to_string(value)); }
    Json& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    Json& Rect(const char* key, const RECT& r) {
        return Raw(key, "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                            std::to_string(r.right) + "," + std::to_string(r.bottom) + "]");
    }
    Json& Raw(const char* key, const std::string& value) {
        if (!body_.empty()) body_ += ",";
        body_ += Quoted(key) + ":" + value;
        return *this;
    }
    std::string Text() const { return "{" + body_ + "}"; }
    void Print() const {
        std::string line = Text() + "\n";
        fwrite(line.data(), 1, line.size(), stdout);
        fflush(stdout);
    }

private:
    std::string body_;
};

// ---- arguments ---------------------------------------------------------------------------------

struct Args {
    std::vector<std::wstring> positional;
    std::map<std::wstring, std::wstring> options;

    const std::wstring& At(size_t i, const char* what) const {
        if (i >= positional.size()) Fail(std::string("missing argument: ") + what);
        return positional[i];
    }
    int IntAt(size_t i, const char* what) const { return ToInt(At(i, what), what); }
    bool Has(const wchar_t* name) const { return options.count(name) != 0; }
    std::wstring Option(const wchar_t* name, const std::wstring& fallback = L"") const {
        auto it = options.find(name);
        return it == options.end() ? fallback : it->second;
    }
    int IntOption(const wchar_t* name, int fallback) const {
        auto it = options.find(name);
        return it == options.end() ? fallback : ToInt(it->second, "option");
    }
    static int ToInt(const std::wstring& text, const char* what) {
        wchar_t* end = nullptr;
        long value = wcstol(text.c_str(), &end, 0);
        if (text.empty() || *end != 0) Fail(std::string("not a number: ") + what + " '" + Utf8(text) + "'");
        return (int)value;
    }
};

Args Parse(int argc, wchar_t** argv) {
    Args args;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"--", 0) == 0) {
            size_t eq = arg.find(L'=');
            if (eq == std::wstring::npos)
                args.options[arg.substr(2)] = L"";
            else
                args.options[arg.substr(2, eq - 2)] = arg.substr(eq + 1);
        } else {
            args.positional.push_back(arg);
        }
    }
    return args;
}

// ---- windows -----------------------------------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return name;
}

bool g_storedTexts = false;  // --stored

// The text the system keeps for a window; no message goes to its program.
std::wstring StoredTextOf(HWND hwnd) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const int length = InternalGetWindowText(hwnd, buffer.data(), (int)buffer.size());
        if (length < (int)buffer.size() - 1) return std::wstring(buffer.data(), length > 0 ? length : 0);
        buffer.resize(buffer.size() * 2);
    }
}

// WM_GETTEXT with a time limit, so that a hung target cannot hang the tests.
std::wstring TextOf(HWND hwnd) {
    if (g_storedTexts) return StoredTextOf(hwnd);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data(), SMTO_ABORTIFHUNG, 2000,
                             &copied))
        return {};
    return std::wstring(buffer.data());
}

std::string Handle(HWND hwnd) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%lx", (unsigned long)(ULONG_PTR)hwnd);
    return buf;
}

bool IsTopmost(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

RECT ClientOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    MapWindowPoints(hwnd, nullptr, corners, 2);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

std::wstring ImageOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) path[0] = 0;
    CloseHandle(process);
    return path;
}

Json Describe(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    Json json;
    json.Str("hwnd", Handle(hwnd))
        .Str("class", ClassOf(hwnd))
        .Str("text", TextOf(hwnd))
        .Rect("rect", rect)
        .Rect("client", ClientOnScreen(hwnd))
        .Bool("visible", IsWindowVisible(hwnd) != FALSE)
        .Bool("enabled", IsWindowEnabled(hwnd) != FALSE)
        .Bool("topmost", IsTopmost(hwnd))
        .Int("id", GetWindowLongPtrW(hwnd, GWLP_ID))
        .Int("style", (DWORD)GetWindowLongW(hwnd, GWL_STYLE))
        .Int("pid", pid)
        .Str("image", ImageOf(pid));
    if (_wcsicmp(ClassOf(hwnd).c_str(), L"Button") == 0) {
        DWORD_PTR state = 0;
        SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        json.Bool("checked", state == BST_CHECKED);
    }
    return json;
}

struct Filter {
    std::wstring className;  // empty: any
    std::wstring title;      // empty: any
    bool visibleOnly = false;

    bool Matches(HWND hwnd) const {
        if (visibleOnly && !IsWindowVisible(hwnd)) return false;
        if (!className.empty() && _wcsicmp(ClassOf(hwnd).c_str(), className.c_str()) != 0) return false;
        if (!title.empty() && TextOf(hwnd) != title) return false;
        return true;
    }
};

struct WindowSearch {
    const Filter* filter;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMatching(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (search->filter->Matches(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const Filter& filter) {
    WindowSearch search{&filter, {}};
    EnumWindows(CollectMatching, (LPARAM)&search);
    return search.found;
}

// Polls until a window matches; of several, a visible one is preferred over a hidden one.
HWND WaitForWindow(const Filter& filter, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = TopLevelWindows(filter);
        for (HWND hwnd : found)
            if (IsWindowVisible(hwnd)) return hwnd;
        if (!found.empty()) return found.front();
        if ((int)(GetTickCount() - start) >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

HWND WindowArg(const Args& args, size_t index) {
    const std::wstring& text = args.At(index, "window");
    if (text.rfind(L"0x", 0) == 0 || text.rfind(L"0X", 0) == 0) {
        HWND hwnd = (HWND)(ULONG_PTR)wcstoul(text.c_str(), nullptr, 16);
        if (!IsWindow(hwnd)) Fail("no such window: " + Utf8(text));
        return hwnd;
    }
    Filter filter;
    filter.className = text;
    HWND hwnd = WaitForWindow(filter, 0);
    if (!hwnd) Fail("no window of class " + Utf8(text));
    return hwnd;
}

void ForEachDescendant(HWND parent, int depth, void (*visit)(HWND, HWND, int)) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        visit(child, parent, depth);
        ForEachDescendant(child, depth + 1, visit);
    }
}

// ---- input -------------------------------------------------------------------------------------

struct Button {
    DWORD down, up;
};

Button ButtonArg(const Args& args) {
    std::wstring name = args.Option(L"button", L"left");
    if (name == L"left") return {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    if (name == L"right") return {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
    if (name == L"middle") return {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP};
    Fail("unknown button: " + Utf8(name));
}

// Absolute mouse coordinates run from 0 to 65535 over the primary screen; rounding up makes the
// system's conversion back (value * width / 65536) land on exactly the wanted pixel.
LONG Normalised(int pixel, int extent) { return (LONG)(((long long)pixel * 65536 + extent - 1) / extent); }

void SendMouseEvent(int x, int y, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalised(y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &input, sizeof input) != 1) Fail("SendInput failed");
}

bool CursorAt(int x, int y) {
    POINT p{};
    return GetCursorPos(&p) && p.x == x && p.y == y;
}

// Under Wine the X server's motion events of an earlier move can come after a later move has set
// the cursor, and put it back where it was (seen on a loaded machine): the move is sent again until
// the cursor stays where it was sent, and only then does a button act there.
void SendMouse(int x, int y, DWORD flags) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        SendMouseEvent(x, y, 0);
        bool there = false;
        for (int waited = 0; waited < 250 && !there; waited += 10) {
            Sleep(10);
            there = CursorAt(x, y);
        }
        if (there) break;
    }
    if (flags) SendMouseEvent(x, y, flags);
}

Json CursorJson() {
    POINT p{};
    GetCursorPos(&p);
    Json json;
    json.Int("x", p.x).Int("y", p.y);
    return json;
}

struct KeyName {
    const wchar_t* name;
    WORD vk;
    bool extended;
};

const KeyName kKeys[] = {
    {L"RETURN", VK_RETURN, false}, {L"ENTER", VK_RETURN, false},   {L"ESCAPE", VK_ESCAPE, false},
    {L"ESC", VK_ESCAPE, false},    {L"TAB", VK_TAB, false},        {L"SPACE", VK_SPACE, false},
    {L"BACK", VK_BACK, false},     {L"BACKSPACE", VK_BACK, false}, {L"DELETE", VK_DELETE, true},
    {L"INSERT", VK_INSERT, true},  {L"HOME", VK_HOME, true},       {L"END", VK_END, true},
    {L"PRIOR", VK_PRIOR, true},    {L"PAGEUP", VK_PRIOR, true},    {L"NEXT", VK_NEXT, true},
    {L"PAGEDOWN", VK_NEXT, true},  {L"UP", VK_UP, true},           {L"DOWN", VK_DOWN, true},
    {L"LEFT", VK_LEFT, true},      {L"RIGHT", VK_RIGHT, true},     {L"SHIFT", VK_SHIFT, false},
    {L"CONTROL", VK_CONTROL, false}, {L"CTRL", VK_CONTROL, false}, {L"MENU", VK_MENU, false},
    {L"ALT", VK_MENU, false},      {L"APPS", VK_APPS, true},       {L"ADD", VK_ADD, false},
    {L"SUBTRACT", VK_SUBTRACT, false},
};

KeyName KeyFromName(const std::wstring& name) {
    std::wstring upper = name;
    for (auto& c : upper) c = towupper(c);
    for (const KeyName& key : kKeys)
        if (upper == key.name) return key;
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == L'F') {
        int n = _wtoi(upper.c_str() + 1);
        if (n >= 1 && n <= 24) return {L"", (WORD)(VK_F1 + n - 1), false};
    }
    if (upper.size() == 1 && ((upper[0] >= L'A' && upper[0] <= L'Z') || (upper[0] >= L'0' && upper[0] <= L'9')))
        return {L"", (WORD)upper[0], false};
    Fail("unknown key: " + Utf8(name));
}

INPUT KeyInput(const KeyName& key, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.vk;
    input.ki.wScan = (WORD)MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC);
    input.ki.dwFlags = (key.extended ? KEYEVENTF_EXTENDEDKEY : 0) | (release ? KEYEVENTF_KEYUP : 0);
    return input;
}

// "CTRL+SHIFT+S": the modifiers go down in order, the last key is pressed, then all go up in reverse.
void PressCombination(const std::wstring& combination) {
    std::vector<KeyName> keys;
    size_t start = 0;
    for (;;) {
        size_t plus = combination.find(L'+', start);
        keys.push_back(KeyFromName(combination.substr(start, plus == std::wstring::npos ? plus : plus - start)));
        if (plus == std::wstring::npos) break;
        start = plus + 1;
    }
    std::vector<INPUT> inputs;
    for (const KeyName& key : keys) inputs.push_back(KeyInput(key, false));
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    if (SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) != inputs.size()) Fail("SendInput failed");
}

// ---- commands ----------------------------------------------------------------------------------

Filter FilterFromOptions(const Args& args) {
    Filter filter;
    filter.className = args.Option(L"class");
    filter.title = args.Option(L"title");
    filter.visibleOnly = args.Has(L"visible");
    return filter;
}

void List(const Args& args) {
    for (HWND hwnd : TopLevelWindows(FilterFromOptions(args))) Describe(hwnd).Print();
}

void Find(const Args& args) {
    Filter filter = FilterFromOptions(args);
    filter.className = args.At(0, "class");
    HWND hwnd = WaitForWindow(filter, args.IntOption(L"timeout", 0));
    if (!hwnd) Fail("no window of class " + Utf8(filter.className));
    Describe(hwnd).Print();
}

void Gone(const Args& args) {
    int timeout = args.IntOption(L"timeout", 0);
    DWORD start = GetTickCount();
    const std::wstring& text = args.At(0, "window");
    bool byHandle = text.rfind(L"0x", 0) == 0;
    HWND handle = byHandle ? (HWND)(ULONG_PTR)wcstoul(text.c_str(), nullptr, 16) : nullptr;
    Filter filter;
    filter.className = text;
    filter.visibleOnly = true;
    for (;;) {
        bool present = byHandle ? (IsWindow(handle) && IsWindowVisible(handle)) : !TopLevelWindows(filter).empty();
        if (!present) {
            Json().Bool("gone", true).Print();
            return;
        }
        if ((int)(GetTickCount() - start) >= timeout) Fail("window still shown: " + Utf8(text));
        Sleep(20);
    }
}

void Info(const Args& args) { Describe(WindowArg(args, 0)).Print(); }

void Children(const Args& args) {
    ForEachDescendant(WindowArg(args, 0), 1, [](HWND child, HWND parent, int depth) {
        Describe(child).Str("parent", Handle(parent)).Int("depth", depth).Print();
    });
}

void MouseAt(const Args& args, DWORD flags) {
    SendMouse(args.IntAt(0, "x"), args.IntAt(1, "y"), flags);
    CursorJson().Print();
}

void Click(const Args& args) {
    int x = args.IntAt(0, "x"), y = args.IntAt(1, "y");
    Button button = ButtonArg(args);
    int count = args.IntOption(L"count", 1);
    SendMouse(x, y, 0);
    for (int i = 0; i < count; ++i) {
        SendMouse(x, y, button.down);
        SendMouse(x, y, button.up);
    }
    CursorJson().Print();
}

// Moves in even steps, with a pause between them so that the target's move loop sees every step.
void Drag(const Args& args) {
    int x1 = args.IntAt(0, "x1"), y1 = args.IntAt(1, "y1"), x2 = args.IntAt(2, "x2"), y2 = args.IntAt(3, "y2");
    int steps = args.IntOption(L"steps", 10);
    int delay = args.IntOption(L"delay", 20);
    if (steps < 1) steps = 1;
    Button button = ButtonArg(args);
    SendMouse(x1, y1, 0);
    Sleep(delay);
    SendMouse(x1, y1, button.down);
    for (int i = 1; i <= steps; ++i) {
        Sleep(delay);
        SendMouse(x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, 0);
    }
    Sleep(delay);
    SendMouse(x2, y2, button.up);
    CursorJson().Print();
}

void Key(const Args& args) {
    if (args.positional.empty()) Fail("missing argument: key");
    for (const std::wstring& name : args.positional) PressCombination(name);
    Json().Int("keys", (long long)args.positional.size()).Print();
}

void Type(const Args& args) {
    const std::wstring& text = args.At(0, "text");
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool release : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    if (!inputs.empty() && SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) != inputs.size())
        Fail("SendInput failed");
    Json().Int("typed", (long long)text.size()).Print();
}

void Menu(const Args& args) {
    Filter filter;
    filter.className = L"#32768";
    filter.visibleOnly = true;
    HWND hwnd = WaitForWindow(filter, args.IntOption(L"timeout", 0));
    if (!hwnd) Fail("no popup menu is open");
    Describe(hwnd).Print();
}

std::wstring WithoutAccelerator(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] != L'&') continue;
        if (text[i] == L'&') ++i;
        out += text[i];
    }
    return out;
}

bool IsPushButton(HWND hwnd) {
    if (_wcsicmp(ClassOf(hwnd).c_str(), L"Button") != 0) return false;
    LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

void MessageBoxInfo(const Args& args) {
    Filter filter;
    filter.className = L"#32770";
    filter.title = args.Option(L"title");
    filter.visibleOnly = true;
    HWND box = WaitForWindow(filter, args.IntOption(L"timeout", 0));
    if (!box) Fail("no dialog box is shown");
    std::string texts = "[", buttons = "[";
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        std::wstring text = TextOf(child);
        if (IsPushButton(child)) {
            if (buttons.size() > 1) buttons += ",";
            buttons += Json().Str("text", WithoutAccelerator(text)).Int("id", GetWindowLongPtrW(child, GWLP_ID)).Text();
        } else if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !text.empty()) {
            if (texts.size() > 1) texts += ",";
            texts += Quoted(Utf8(text));
        }
    }
    Describe(box).Raw("texts", texts + "]").Raw("buttons", buttons + "]").Print();
}

HWND FindButton(HWND parent, const std::wstring& wanted) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && WithoutAccelerator(TextOf(child)) == wanted)
            return child;
        if (HWND inner = FindButton(child, wanted)) return inner;
    }
    return nullptr;
}

// BM_CLICK makes the button click itself, so its owner hears of it exactly as of a mouse click,
// wherever the button is drawn. Posted, because the owner may open a modal window in reply.
void Press(const Args& args) {
    HWND window = WindowArg(args, 0);
    std::wstring wanted = WithoutAccelerator(args.At(1, "button text"));
    HWND button = FindButton(window, wanted);
    if (!button) Fail("no button '" + Utf8(wanted) + "'");
    if (!IsWindowEnabled(button)) Fail("button '" + Utf8(wanted) + "' is disabled");
    PostMessageW(button, BM_CLICK, 0, 0);
    Json().Str("pressed", wanted).Str("hwnd", Handle(button)).Int("id", GetWindowLongPtrW(button, GWLP_ID)).Print();
}

void Command(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    int id = args.IntAt(1, "id");
    if (!PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0)) Fail("PostMessage failed");
    Json().Int("command", id).Print();
}

void Close(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    if (!PostMessageW(hwnd, WM_CLOSE, 0, 0)) Fail("PostMessage failed");
    Json().Str("closed", Handle(hwnd)).Print();
}

void SetText(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    const std::wstring& text = args.At(1, "text");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 2000, &result))
        Fail("WM_SETTEXT was not handled");
    Json().Str("text", TextOf(hwnd)).Print();
}

void Foreground(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    BOOL done = SetForegroundWindow(hwnd);
    Json().Bool("foreground", done != FALSE && GetForegroundWindow() == hwnd).Print();
}

// The window that has the keyboard in the thread of the given window.
void Focus(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) Fail("GetGUIThreadInfo failed");
    if (!info.hwndFocus) Fail("no window has the keyboard");
    Json json = Describe(info.hwndFocus);
    HWND parent = GetParent(info.hwndFocus);
    json.Str("parent", parent ? Handle(parent) : std::string()).Print();
}

void Pixel(const Args& args) {
    int x = args.IntAt(0, "x"), y = args.IntAt(1, "y");
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    if (colour == CLR_INVALID) Fail("GetPixel failed");
    char rgb[8];
    snprintf(rgb, sizeof rgb, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    Json().Int("x", x).Int("y", y).Str("rgb", std::string(rgb)).Print();
}

void Screen(const Args&) {
    Json().Int("width", GetSystemMetrics(SM_CXSCREEN)).Int("height", GetSystemMetrics(SM_CYSCREEN)).Print();
}

// Adds a PEM certificate (a test server's own CA) to the machine's trusted roots of the prefix.
void TrustRoot(const Args& args) {
    const std::wstring& path = args.At(0, "certificate file");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open " + Utf8(path));
    char text[16384];
    DWORD length = 0;
    ReadFile(file, text, sizeof text, &length, nullptr);
    CloseHandle(file);
    DWORD size = 0;
    if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        Fail("no PEM certificate");
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    HCERTSTORE roots = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!roots) Fail("cannot open the trusted roots");
    const BOOL added = CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(roots, 0);
    if (!added) Fail("cannot add the certificate");
    Json().Bool("trusted", true).Print();
}

// Wine closes its desktop a second after the last program on it ends; the next program then waits
// for a new one. This command keeps one program on the desktop until the session ends.
void Hold(const Args&) {
    GetDesktopWindow();
    Json().Bool("holding", true).Print();
    for (;;) Sleep(INFINITE);
}

// ---- processes and files -----------------------------------------------------------------------

std::wstring CommandLineOf(const std::vector<std::wstring>& words) {
    std::wstring line;
    for (const std::wstring& word : words) {
        if (!line.empty()) line += L' ';
        line += word.empty() || word.find(L' ') != std::wstring::npos ? L'"' + word + L'"' : word;
    }
    return line;
}

DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr))
        Fail("cannot read the job");
    return accounting.ActiveProcesses;
}

// Runs a program in a job of its own, so that the processes it starts are in the job too (an
// uninstaller that goes on from a copy of itself, say), and waits until the job is empty.
void RunAll(const Args& args) {
    if (args.positional.empty()) Fail("missing argument: program");
    const DWORD timeout = (DWORD)args.IntOption(L"timeout", 60000);
    std::wstring line = CommandLineOf(args.positional);
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) Fail("cannot make a job");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &started))
        Fail("cannot start " + Utf8(line));
    if (!AssignProcessToJobObject(job, started.hProcess)) {
        TerminateProcess(started.hProcess, 1);
        Fail("cannot put the program into the job");
    }
    ResumeThread(started.hThread);
    const DWORD start = GetTickCount();
    while (ActiveProcesses(job) > 0) {
        if (GetTickCount() - start >= timeout) {
            TerminateJobObject(job, 1);
            Fail("still running after " + std::to_string(timeout) + " ms: " + Utf8(line));
        }
        Sleep(20);
    }
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    Json().Int("exit", code).Print();
}

void HoldFile(const Args& args) {
    const std::wstring& path = args.At(0, "file");
    const DWORD sharing = args.Has(L"running") ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open " + Utf8(path));
    Json().Str("held", path).Print();
    for (;;) Sleep(INFINITE);
}

void Active(const Args&) {
    HWND hwnd = GetForegroundWindow();
    if (!hwnd) Fail("no foreground window");
    Describe(hwnd).Print();
}

void Accessible(const Args& args) {
    HWND hwnd = WindowArg(args, 0);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, (void**)&object)) || !object)
        Fail("no accessible object");
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(self, &role);
    Json().Str("name", std::wstring(name ? name : L"")).Int("role", role.vt == VT_I4 ? role.lVal : -1).Print();
    SysFreeString(name);
    object->Release();
}

void Module(const Args& args) {
    DWORD pid = 0;
    GetWindowThreadProcessId(WindowArg(args, 0), &pid);
    const std::wstring& wanted = args.At(1, "name");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) Fail("cannot list the program's modules");
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    std::wstring found;
    for (BOOL more = Module32FirstW(snapshot, &module); more && found.empty(); more = Module32NextW(snapshot, &module))
        if (_wcsicmp(module.szModule, wanted.c_str()) == 0) found = module.szExePath;
    CloseHandle(snapshot);
    if (found.empty()) Fail("not loaded: " + Utf8(wanted));
    Json().Str("path", found).Print();
}

struct CommandEntry {
    const wchar_t* name;
    void (*run)(const Args&);
};

const CommandEntry kCommands[] = {
    {L"list", List},
    {L"find", Find},
    {L"gone", Gone},
    {L"info", Info},
    {L"children", Children},
    {L"move", [](const Args& a) { MouseAt(a, 0); }},
    {L"down", [](const Args& a) { MouseAt(a, ButtonArg(a).down); }},
    {L"up", [](const Args& a) { MouseAt(a, ButtonArg(a).up); }},
    {L"click", Click},
    {L"drag", Drag},
    {L"cursor", [](const Args&) { CursorJson().Print(); }},
    {L"screen", Screen},
    {L"key", Key},
    {L"type", Type},
    {L"menu", Menu},
    {L"msgbox", MessageBoxInfo},
    {L"press", Press},
    {L"command", Command},
    {L"close", Close},
    {L"settext", SetText},
    {L"foreground", Foreground},
    {L"pixel", Pixel},
    {L"focus", Focus},
    {L"trustroot", TrustRoot},
    {L"hold", Hold},
    {L"runall", RunAll},
    {L"holdfile", HoldFile},
    {L"active", Active},
    {L"accessible", Accessible},
    {L"module", Module},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends
    try {
        if (argc < 2) Fail("usage: QuodoAuto COMMAND [ARGUMENTS] [--OPTION=VALUE]");
        for (const CommandEntry& command : kCommands) {
            if (wcscmp(argv[1], command.name) == 0) {
                const Args args = Parse(argc, argv);
                g_storedTexts = args.Has(L"stored");
                command.run(args);
                return 0;
            }
        }
        Fail("unknown command: " + Utf8(argv[1]));
    } catch (const Failure& failure) {
        Json().Str("error", failure.message).Print();
        return 1;
    }
}
