#include "win32/Win32Backend.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include <deque>
#include <mutex>
#include <thread>

#include "platform/Wait.h"
#include "ui/Application.h"
#include "win32/Dpi.h"
#include "win32/Scoped.h"
#include "win32/ControlPeers.h"
#include "win32/FormPeer.h"
#include "win32/Painting.h"

namespace win32 {

namespace {

Win32Backend* g_backend = nullptr;
const char* const kTimerClass = "TQuodoTimers";
const char* const kApplicationClass = "TApplication";
constexpr int kApplicationIcon = 1;  // the program's icon, id 1 in Quodo.rc

ui::Form* FormOf(HWND hwnd) {
    for (HWND h = hwnd; h; h = GetParent(h)) {
        ui::Control* c = ControlOf(h);
        if (c && c->Kind() == ui::ControlKind::Form) return static_cast<ui::Form*>(c);
        if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

// Posted to the timer window: what works have posted is waiting in the mailbox.
constexpr UINT kMail = WM_APP + 1;

LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            g_backend->TimerTick(wp);
            return 0;
        case kMail:
            g_backend->RunMail();
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// Siblings are stacked by their stacking value, then windowed controls above drawn ones, then in
// the order they were declared; each later one goes on top.
void ArrangeStacking(ui::Control& parent) {
    std::vector<ui::Control*> order = parent.Children();
    std::stable_sort(order.begin(), order.end(), [](const ui::Control* a, const ui::Control* b) {
        if (a->zOrder != b->zOrder) return a->zOrder < b->zOrder;
        return !a->Windowed() && b->Windowed();
    });
    for (ui::Control* child : order) {
        if (auto* peer = static_cast<WindowPeer*>(child->Peer())) peer->RaiseToTop();
        ArrangeStacking(*child);
    }
}

// The dialog key a key press stands for, if any.
bool DialogKeyOf(WPARAM key, ui::Key& result) {
    switch (key) {
        case VK_TAB: result = GetKeyState(VK_SHIFT) < 0 ? ui::Key::ShiftTab : ui::Key::Tab; return true;
        case VK_UP: result = ui::Key::Up; return true;
        case VK_DOWN: result = ui::Key::Down; return true;
        case VK_LEFT: result = ui::Key::Left; return true;
        case VK_RIGHT: result = ui::Key::Right; return true;
        case VK_RETURN: result = ui::Key::Enter; return true;
        case VK_ESCAPE: result = ui::Key::Escape; return true;
        default: return false;
    }
}

}  // namespace

// Each start of a timer takes an id of its own: a tick of an earlier start that is still on its way
// is no tick of this one.
class TimerPeer : public ui::TimerPeer {
public:
    TimerPeer(Win32Backend& backend, ui::Timer& timer) : backend_(backend), timer_(timer) {}
    ~TimerPeer() override { Forget(); }
    void Restart() override {
        Forget();
        if (!timer_.Enabled() || timer_.Interval() == 0) return;
        id_ = backend_.nextTimerId_++;
        backend_.timers_[id_] = &timer_;
        SetTimer(backend_.timerWindow_, id_, timer_.Interval(), nullptr);
    }

private:
    void Forget() {
        if (id_ == 0) return;
        KillTimer(backend_.timerWindow_, id_);
        backend_.timers_.erase(id_);
        id_ = 0;
    }
    Win32Backend& backend_;
    ui::Timer& timer_;
    UINT_PTR id_ = 0;
};

// What works post, kept in order; each wake-up is a message to the message-only window.
class Win32Backend::WindowMail : public platform::MailQueue {
public:
    explicit WindowMail(HWND window) : window_(window) {}

protected:
    void Arrived() override { PostMessageA(window_, kMail, 0, 0); }

private:
    HWND window_;
};

HWND HandleOf(const ui::Control& control) { return static_cast<HWND>(control.userData); }

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    g_backend = this;

    WNDCLASSA wc{};
    wc.lpfnWndProc = TimerProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kTimerClass;
    RegisterClassA(&wc);
    timerWindow_ = CreateWindowExA(0, kTimerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
    mail_ = std::make_shared<WindowMail>(timerWindow_);

    WNDCLASSA app{};
    app.lpfnWndProc = DefWindowProcA;
    app.hInstance = instance_;
    app.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(kApplicationIcon));
    if (!app.hIcon) app.hIcon = LoadIcon(nullptr, IDI_APPLICATION);  // test programs have none
    app.lpszClassName = kApplicationClass;
    RegisterClassA(&app);
    // Shown at no size at all: it is never seen, but it is what the task bar lists.
    appWindow_ = CreateWindowExA(0, kApplicationClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                 0, 0, nullptr, nullptr, instance_, nullptr);
    ShowWindow(appWindow_, SW_SHOWNA);
}

Win32Backend::~Win32Backend() {
    mail_->Close();
    for (auto& f : fonts_) DeleteObject(f.second);
    for (auto& b : brushes_) DeleteObject(b.second);
    if (appWindow_) DestroyWindow(appWindow_);
    if (timerWindow_) DestroyWindow(timerWindow_);
    g_backend = nullptr;
}

// The common controls (arrows, hints) are loaded when the first window needs them, not at start:
// the main window uses none. They are loaded by name, so that the program's manifest binds version
// 6 (a full path would bypass that redirection and give the old version 5), from the system
// folder only; a system too old to know that restriction looks there first for it anyway.
bool Win32Backend::EnsureCommonControls() {
    if (commonControls_) return true;
    commonControls_ = LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!commonControls_ && GetLastError() == ERROR_INVALID_PARAMETER) commonControls_ = LoadLibraryA("comctl32.dll");
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = commonControls_ ? reinterpret_cast<Init>(
                                      reinterpret_cast<void*>(GetProcAddress(commonControls_, "InitCommonControlsEx")))
                                : nullptr;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    return init && init(&controls);
}

void Win32Backend::EnsureClass(const std::string& name) {
    if (classes_.count(name)) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name.c_str();
    RegisterClassA(&wc);
    classes_[name] = true;
}

std::unique_ptr<ui::ControlPeer> Win32Backend::CreatePeer(ui::Control& control) { return MakePeer(*this, control); }

std::unique_ptr<ui::TimerPeer> Win32Backend::CreateTimerPeer(ui::Timer& timer) {
    return std::make_unique<TimerPeer>(*this, timer);
}

void Win32Backend::FormDestroyed(FormPeer* form) { forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end()); }

void Win32Backend::PointerOver(WindowPeer* peer) {
    if (peer == underPointer_) return;
    if (underPointer_) underPointer_->SetHot(false);
    underPointer_ = peer;
    peer->SetHot(true);
}

void Win32Backend::PointerLeft(WindowPeer* peer) {
    if (peer != underPointer_) return;
    underPointer_ = nullptr;
    peer->SetHot(false);
}

HWND Win32Backend::MainWindow() const {
    ui::Form* main = ui::App().MainForm();
    return main ? HandleOf(*main) : nullptr;
}

HFONT Win32Backend::FontFor(const ui::Font& font) {
    const std::string key =
        font.name + "/" + std::to_string(font.height) + (font.bold ? "b" : "") + (font.italic ? "i" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HFONT f = CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
    fonts_[key] = f;
    return f;
}

HBRUSH Win32Backend::BrushFor(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    HBRUSH brush = CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

ui::Size Win32Backend::MeasureText(const ui::Font& font, const std::string& text) {
    WindowDC screen(nullptr);
    Selected selected(screen.get(), FontFor(font));
    SIZE size{};
    GetTextExtentPoint32A(screen.get(), text.c_str(), int(text.size()), &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(screen.get(), &tm);
    return {int(size.cx), int(tm.tmHeight)};
}

// GDI writes the text onto a copy of the part of the picture it covers, which then goes back: the
// system's font as it draws it on the screen, at the picture's own pixels. What GDI writes has
// alpha 0, so the part goes back opaque. One memory DC measures and draws.
void Win32Backend::WriteText(ui::Bitmap& onto, int x, int y, const ui::Font& font, const std::string& text) {
    MemoryDC work(nullptr);
    if (!work || !ui::HasPixels(onto)) return;
    Selected chosen(work.get(), FontFor(font));
    SIZE extent{};
    TEXTMETRICA metrics{};
    GetTextExtentPoint32A(work.get(), text.c_str(), int(text.size()), &extent);
    GetTextMetricsA(work.get(), &metrics);
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min<int>(x + extent.cx, onto.width), bottom = std::min<int>(y + metrics.tmHeight, onto.height);
    if (right <= left || bottom <= top) return;
    ui::Bitmap part;
    part.width = right - left;
    part.height = bottom - top;
    const BITMAPINFO bi = TopDownInfo(part);
    void* bits = nullptr;
    GdiObject<HBITMAP> dib(CreateDIBSection(work.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return;
    Selected picture(work.get(), dib.get());
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int row = 0; row < part.height; ++row)
        std::copy_n(&onto.pixels[size_t(top + row) * onto.width + left], part.width, pixels + size_t(row) * part.width);
    SetBkMode(work.get(), TRANSPARENT);
    SetTextColor(work.get(), Resolve(font.color));
    TextOutA(work.get(), x - left, y - top, text.c_str(), int(text.size()));
    GdiFlush();
    for (int row = 0; row < part.height; ++row)
        for (int column = 0; column < part.width; ++column)
            onto.pixels[size_t(top + row) * onto.width + left + column] =
                pixels[size_t(row) * part.width + column] | 0xFF000000u;
}

void Win32Backend::Popup(ui::PopupMenu& menu, int x, int y) {
    HMENU h = CreatePopupMenu();
    UINT id = 1;
    for (auto& item : menu.Items()) {
        if (item.separator) {
            AppendMenuA(h, MF_SEPARATOR, 0, nullptr);
        } else {
            std::string text = item.caption + (item.shortcut.empty() ? "" : "\t" + item.shortcut);
            AppendMenuA(h, MF_STRING, id, text.c_str());
        }
        ++id;
    }
    ui::Form* main = ui::App().MainForm();
    HWND owner = main && HandleOf(*main) ? HandleOf(*main) : appWindow_;
    SetForegroundWindow(owner);
    const UINT chosen = UINT(
        TrackPopupMenu(h, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    DestroyMenu(h);
    if (chosen >= 1 && chosen <= menu.Items().size()) menu.Choose(menu.Items()[chosen - 1]);
}

void Win32Backend::MessageDialog(const std::string& text, const std::string& caption, ui::MessageKind kind) {
    UINT icon = kind == ui::MessageKind::Error ? MB_ICONERROR
                : kind == ui::MessageKind::Warning ? MB_ICONWARNING
                : kind == ui::MessageKind::Information ? MB_ICONINFORMATION : 0;
    // Owned by the window the user works in (a modal form above the main window, say).
    HWND owner = GetActiveWindow();
    if (!owner || !FormOf(owner)) {
        ui::Form* main = ui::App().MainForm();
        owner = main && main->Visible() ? HandleOf(*main) : nullptr;
    }
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | icon | (owner ? 0 : MB_TASKMODAL));
}

bool Win32Backend::HandleKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    ui::Form* form = FormOf(msg.hwnd);
    if (!form) return false;
    ui::Control* focused = ControlOf(GetFocus());
    if (focused && focused->OwnerForm() != form) focused = nullptr;
    if (msg.wParam == VK_F1) {
        // Without a help context anywhere on the way to the form, F1 does nothing.
        const int context = focused ? focused->HelpContextInEffect() : form->helpContext;
        if (context != 0) ui::App().Dispatch([&] { ui::App().Help(ui::kHelpContext, unsigned(context)); });
        return true;
    }
    if (msg.wParam >= VK_F2 && msg.wParam <= VK_F12) {
        std::string name = "F" + std::to_string(msg.wParam - VK_F1 + 1);
        bool handled = false;
        ui::App().Dispatch([&] { handled = form->RunShortcut(name); });
        return handled;
    }
    ui::Key key;
    if (!form->dialogKeys || !DialogKeyOf(msg.wParam, key)) return false;
    bool handled = false;
    ui::App().Dispatch([&] { handled = form->DialogKey(key, focused); });
    return handled;
}

void Win32Backend::Dispatch(MSG& msg) {
    if (HandleKey(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

std::shared_ptr<platform::Mailbox> Win32Backend::Mail() { return mail_; }

// One function a message: the queue posts the next wake-up itself while more remain, so a modal loop
// that this function opens runs the ones behind it.
void Win32Backend::RunMail() {
    std::function<void()> next;
    if (mail_->Take(next)) ui::App().Dispatch(next);
}

void Win32Backend::StartWork(std::function<void()> work) { std::thread(std::move(work)).detach(); }

uint64_t Win32Backend::After(unsigned ms, std::function<void()> f) {
    const UINT_PTR id = nextTimerId_++;
    oneShots_[id] = std::move(f);
    SetTimer(timerWindow_, id, ms, nullptr);
    return id;
}

void Win32Backend::CancelAfter(uint64_t timer) {
    const auto id = static_cast<UINT_PTR>(timer);
    if (oneShots_.erase(id)) KillTimer(timerWindow_, id);
}

// A tick of a timer of the control layer fires it (a stopped one does nothing); a one-shot timer
// runs once.
void Win32Backend::TimerTick(UINT_PTR id) {
    if (auto once = oneShots_.find(id); once != oneShots_.end()) {
        KillTimer(timerWindow_, id);
        std::function<void()> f = std::move(once->second);
        oneShots_.erase(once);
        ui::App().Dispatch(f);
        return;
    }
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    ui::Timer* timer = it->second;
    ui::App().Dispatch([timer] { timer->Fire(); });
}

void Win32Backend::Run(ui::Form& mainForm) {
    // The program's window has the keyboard from its start, as any program's main window.
    if (HWND main = HandleOf(mainForm); main && IsWindowVisible(main)) {
        SetForegroundWindow(main);
        SetActiveWindow(main);
    }
    MSG msg;
    // Runs until the quit message that termination posts.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void Win32Backend::Quit() { PostQuitMessage(0); }

// Every other shown form is disabled while a form runs modally; on its end they are enabled again
// before it hides, so that the window the user came from gets the keyboard back.
void Win32Backend::ShowModal(ui::Form& form) {
    HWND previous = GetActiveWindow();
    std::vector<HWND> disabled;
    for (FormPeer* other : forms_) {
        HWND h = other->Handle();
        if (&other->Form() != &form && IsWindowVisible(h) && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            disabled.push_back(h);
        }
    }
    form.SetModalState(true);
    form.ShowForm();
    HWND self = HandleOf(form);
    SetForegroundWindow(self);
    MSG msg{};
    while (form.ModalResult() == ui::kResultNone && !ui::App().Terminated() && GetMessageA(&msg, nullptr, 0, 0) > 0)
        Dispatch(msg);
    if (msg.message == WM_QUIT) PostQuitMessage(int(msg.wParam));
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    form.SetModalState(false);
    form.SetVisible(false);
    if (previous && IsWindow(previous) && previous != self) SetActiveWindow(previous);
}

ui::Size Win32Backend::DeviceScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

namespace {

ui::Rect RectOf(const RECT& rc) { return {int(rc.left), int(rc.top), int(rc.right), int(rc.bottom)}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    auto& monitors = *reinterpret_cast<std::vector<ui::Monitor>*>(list);
    const ui::Monitor found{RectOf(info.rcMonitor), RectOf(info.rcWork)};
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        monitors.insert(monitors.begin(), found);
    else
        monitors.push_back(found);
    return TRUE;
}

}  // namespace

std::vector<ui::Monitor> Win32Backend::DeviceMonitors() {
    std::vector<ui::Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors.empty() ? ui::Backend::DeviceMonitors() : monitors;
}

int Win32Backend::SystemDpi() { return win32::SystemDpi(); }

ui::Size Win32Backend::FrameSize(ui::BorderStyle style, int dpi) {
    DWORD windowStyle = 0, exStyle = 0;
    FormPeer::StylesOf(style, windowStyle, exStyle);
    RECT rc{0, 0, 100, 100};
    AdjustForDpi(rc, windowStyle, exStyle, dpi);
    return {int(rc.right - rc.left - 100), int(rc.bottom - rc.top - 100)};
}

void Win32Backend::SetBusyCursor(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32Backend::Focus(ui::Control& control) {
    if (auto* peer = static_cast<WindowPeer*>(control.Peer())) ::SetFocus(peer->FocusWindow());
}

ui::Control* Win32Backend::FocusedControl() { return ControlOf(GetFocus()); }

void Win32Backend::BringToFront(ui::Form& form) {
    SetWindowPos(HandleOf(form), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A window is made on the monitor its place lies on, which may have another dpi than the system.
void Win32Backend::Realized(ui::Form& form) {
    ArrangeStacking(form);
    form.SetDpi(WindowDpi(HandleOf(form)));
}

void Win32Backend::SetApplicationTitle(const std::string& title) { SetWindowTextA(appWindow_, title.c_str()); }

}  // namespace win32
