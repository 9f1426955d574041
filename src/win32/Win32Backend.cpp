#include "win32/Win32Backend.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "chart/Glyphs.h"
#include "ui/Application.h"

namespace win32 {

namespace {

Win32Backend* g_backend = nullptr;
const char* const kTimerClass = "TQuodoTimers";
const char* const kApplicationClass = "TApplication";

COLORREF Resolve(ui::Color c) {
    // Colours with the high byte set name a system colour.
    return (c & 0xFF000000u) ? GetSysColor(int(c & 0xFF)) : COLORREF(c);
}

const char* ClassNameFor(const ui::Control& c) {
    switch (c.Kind()) {
        case ui::ControlKind::Panel: return "TPanel";
        case ui::ControlKind::Label: return "TLabel";
        case ui::ControlKind::SpeedButton: return "TSpeedButton";
        case ui::ControlKind::Image: return "TImage";
        case ui::ControlKind::GroupBox: return "TGroupBox";
        default: return nullptr;  // forms have their own class; the rest are standard controls
    }
}

ui::Control* ControlOf(HWND hwnd) { return reinterpret_cast<ui::Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

ui::Form* FormOf(HWND hwnd) {
    for (HWND h = hwnd; h; h = GetParent(h)) {
        ui::Control* c = ControlOf(h);
        if (c && c->Kind() == ui::ControlKind::Form) return static_cast<ui::Form*>(c);
        if (!(GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return nullptr;
}

// How a ui::Bitmap lies in memory: 32-bit pixels, rows from the top down.
BITMAPINFO TopDownInfo(const ui::Bitmap& bitmap) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bitmap.width;
    bi.bmiHeader.biHeight = -bitmap.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

// Lays a glyph over what the DC shows, in memory: one copy in and one out instead of a call a pixel.
void DrawGlyph(HDC dc, const ui::Bitmap& glyph, int x, int y) {
    if (glyph.width <= 0 || glyph.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(glyph);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return;
    HDC work = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(work, dib);
    BitBlt(work, 0, 0, glyph.width, glyph.height, dc, x, y, SRCCOPY);
    GdiFlush();
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < glyph.pixels.size(); ++i)
        if ((glyph.pixels[i] >> 24) >= 128) pixels[i] = glyph.pixels[i] & 0xFFFFFFu;  // opaque parts only
    BitBlt(dc, x, y, glyph.width, glyph.height, work, 0, 0, SRCCOPY);
    SelectObject(work, old);
    DeleteDC(work);
    DeleteObject(dib);
}

void DrawSurface(HDC dc, const ui::Bitmap& surface) {
    if (surface.width <= 0 || surface.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(surface);
    SetDIBitsToDevice(dc, 0, 0, surface.width, surface.height, 0, 0, 0, surface.height, surface.pixels.data(), &bi,
                      DIB_RGB_COLORS);
}

void PaintControl(ui::Control& c, HDC dc, const RECT& rc) {
    HBRUSH back = CreateSolidBrush(Resolve(c.BackColor()));
    FillRect(dc, &rc, back);
    DeleteObject(back);
    switch (c.Kind()) {
        case ui::ControlKind::Panel: {
            RECT edge = rc;
            DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
            break;
        }
        case ui::ControlKind::Label: {
            auto& label = static_cast<ui::Label&>(c);
            HGDIOBJ old = SelectObject(dc, g_backend->FontFor(c.GetFont()));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, Resolve(c.GetFont().color));
            RECT text = rc;
            UINT format = DT_NOPREFIX | (label.centered ? DT_CENTER | DT_WORDBREAK : DT_LEFT | DT_SINGLELINE);
            DrawTextA(dc, c.Text().c_str(), int(c.Text().size()), &text, format);
            SelectObject(dc, old);
            break;
        }
        case ui::ControlKind::SpeedButton: {
            auto& button = static_cast<ui::SpeedButton&>(c);
            const ui::Bitmap& glyph = chart::Glyph(button.Glyph(), !c.Enabled());
            DrawGlyph(dc, glyph, (rc.right - glyph.width) / 2, (rc.bottom - glyph.height) / 2);
            break;
        }
        case ui::ControlKind::Image:
            DrawSurface(dc, static_cast<ui::Image&>(c).Surface());
            break;
        default:
            break;
    }
}

// Paints through a memory bitmap so that the bar does not flicker at every refresh.
void Paint(HWND hwnd, ui::Control& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1));
    HGDIOBJ old = SelectObject(mem, bmp);
    PaintControl(c, mem, rc);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

ui::MouseButton ButtonOf(UINT msg, WPARAM wp) {
    switch (msg) {
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: return ui::MouseButton::Right;
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: return ui::MouseButton::Middle;
        case WM_MOUSEMOVE:
            return (wp & MK_RBUTTON) ? ui::MouseButton::Right
                   : (wp & MK_MBUTTON) ? ui::MouseButton::Middle : ui::MouseButton::Left;
        default: return ui::MouseButton::Left;
    }
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    ui::Control* c = ControlOf(hwnd);
    if (!c) return DefWindowProcA(hwnd, msg, wp, lp);
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint(hwnd, *c);
            return 0;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            if (msg == WM_LBUTTONDOWN) SetCapture(hwnd);
            ui::App().Dispatch([&] { c->MouseDown(ButtonOf(msg, wp), x, y); });
            return 0;
        case WM_MOUSEMOVE:
            ui::App().Dispatch([&] { c->MouseMove(ButtonOf(msg, wp), x, y); });
            return 0;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            bool click = msg == WM_LBUTTONUP && GetCapture() == hwnd;
            if (GetCapture() == hwnd) ReleaseCapture();
            ui::App().Dispatch([&] { c->MouseUp(ButtonOf(msg, wp), x, y); });
            RECT rc;
            GetClientRect(hwnd, &rc);
            POINT pt{x, y};
            if (click && PtInRect(&rc, pt) && c->Kind() == ui::ControlKind::SpeedButton)
                ui::App().Dispatch([&] { c->Click(); });
            return 0;
        }
        case WM_SETCURSOR:
            if (g_backend->Busy()) {
                SetCursor(LoadCursor(nullptr, IDC_WAIT));
                return TRUE;
            }
            if (c->Kind() == ui::ControlKind::SpeedButton && static_cast<ui::SpeedButton*>(c)->handCursor) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            return TRUE;
        case WM_CLOSE:
            if (c->Kind() == ui::ControlKind::Form) {
                ui::App().Dispatch([&] { static_cast<ui::Form*>(c)->Close(); });
                return 0;
            }
            break;
        case WM_HELP:
            if (ui::Form* form = FormOf(hwnd)) {
                ui::App().Dispatch([&] { ui::App().Help(ui::kHelpContext, form->helpContext); });
                return TRUE;
            }
            break;
        case WM_COMMAND:
            // Standard child controls (check boxes, radio buttons, edits) report to their parent.
            if (HWND child = reinterpret_cast<HWND>(lp)) {
                ui::Control* target = ControlOf(child);
                if (target && HIWORD(wp) == BN_CLICKED)
                    ui::App().Dispatch([&] { target->Click(); });
                if (target && HIWORD(wp) == EN_CHANGE && target->Kind() == ui::ControlKind::SpinEdit) {
                    char text[32] = {};
                    GetWindowTextA(child, text, sizeof text);
                    ui::App().Dispatch([&] { static_cast<ui::SpinEdit*>(target)->SetValue(atoi(text)); });
                }
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        g_backend->TimerTick(wp);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A child's id is its place among its parent's controls, counted from 1: stable names for UI
// automation, which cannot see the program's own names.
HMENU ChildId(const ui::Control& control) {
    const auto& siblings = control.Parent()->Children();
    auto at = std::find(siblings.begin(), siblings.end(), &control);
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(at - siblings.begin() + 1));
}

class ControlPeer : public ui::ControlPeer {
public:
    ControlPeer(Win32Backend& backend, ui::Control& control) : control_(control) {
        const bool isForm = control.Kind() == ui::ControlKind::Form;
        DWORD style = isForm ? WS_POPUP | WS_CLIPCHILDREN : WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        std::string cls;
        HWND parent = nullptr;
        if (isForm) {
            // The application window carries the task-bar button; forms have none of their own.
            // Forms are not owned by it: Wine keeps an owned window topmost once it was made so.
            cls = static_cast<ui::Form&>(control).ClassName();
            exStyle |= WS_EX_TOOLWINDOW;
        } else {
            parent = HandleOf(*control.Parent());
            if (const char* own = ClassNameFor(control)) {
                cls = own;
            } else {
                cls = control.Kind() == ui::ControlKind::SpinEdit ? "EDIT" : "BUTTON";
                style |= WS_TABSTOP;
                switch (control.Kind()) {
                    case ui::ControlKind::CheckBox: style |= BS_CHECKBOX; break;
                    case ui::ControlKind::RadioButton: style |= BS_RADIOBUTTON; break;
                    case ui::ControlKind::SpinEdit: style |= ES_NUMBER | WS_BORDER; break;
                    default: style |= BS_PUSHBUTTON; break;
                }
            }
        }
        if (control.Visible() && !isForm) style |= WS_VISIBLE;
        // Our own window classes take the control from the creation data; standard ones get it after.
        backendClass_ = isForm || ClassNameFor(control) != nullptr;
        hwnd_ = CreateWindowExA(exStyle, cls.c_str(), control.Text().c_str(), style, control.Left(), control.Top(),
                                control.Width(), control.Height(), parent, isForm ? nullptr : ChildId(control),
                                backend.Instance(), backendClass_ ? &control : nullptr);
        if (!hwnd_) throw std::runtime_error("Cannot create window " + control.Name());
        if (!backendClass_) {
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
            SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(backend.FontFor(control.GetFont())), FALSE);
        }
        if (!isForm) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        control.userData = hwnd_;
        // The state the control was given before its window existed.
        if (!control.Enabled()) Changed(ui::Aspect::Enabled);
        if (isForm && static_cast<ui::Form&>(control).Topmost()) Changed(ui::Aspect::Topmost);
        if (control.Kind() == ui::ControlKind::CheckBox || control.Kind() == ui::ControlKind::RadioButton)
            Changed(ui::Aspect::Checked);
    }

    ~ControlPeer() override {
        control_.userData = nullptr;
        if (hwnd_) {
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }

    void Changed(ui::Aspect aspect) override {
        switch (aspect) {
            case ui::Aspect::Bounds:
                SetWindowPos(hwnd_, nullptr, control_.Left(), control_.Top(), control_.Width(), control_.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
                break;
            case ui::Aspect::Visible:
                ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
                if (control_.Visible()) UpdateWindow(hwnd_);
                break;
            case ui::Aspect::Text:
                SetWindowTextA(hwnd_, control_.Text().c_str());
                InvalidateRect(hwnd_, nullptr, FALSE);
                break;
            case ui::Aspect::Topmost:
                SetWindowPos(hwnd_, static_cast<ui::Form&>(control_).Topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0,
                             0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                break;
            case ui::Aspect::Enabled:
                EnableWindow(hwnd_, control_.Enabled());
                InvalidateRect(hwnd_, nullptr, FALSE);
                break;
            case ui::Aspect::Checked:
                SendMessageA(hwnd_, BM_SETCHECK, static_cast<ui::CheckBox&>(control_).Checked() ? BST_CHECKED
                                                                                                : BST_UNCHECKED, 0);
                break;
            case ui::Aspect::Image:
                InvalidateRect(hwnd_, nullptr, FALSE);
                UpdateWindow(hwnd_);
                break;
            default:
                InvalidateRect(hwnd_, nullptr, FALSE);
                if (control_.Kind() == ui::ControlKind::Form) RedrawWindow(hwnd_, nullptr, nullptr,
                                                                           RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                break;
        }
    }

    HWND Handle() const { return hwnd_; }

private:
    ui::Control& control_;
    HWND hwnd_ = nullptr;
    bool backendClass_ = false;
};

}  // namespace

class TimerPeer : public ui::TimerPeer {
public:
    TimerPeer(Win32Backend& backend, ui::Timer& timer) : backend_(backend), timer_(timer), id_(backend.nextTimerId_++) {
        backend_.timers_[id_] = &timer_;
    }
    ~TimerPeer() override {
        KillTimer(backend_.timerWindow_, id_);
        backend_.timers_.erase(id_);
        auto& held = backend_.heldTicks_;
        held.erase(std::remove(held.begin(), held.end(), id_), held.end());
    }
    void Restart() override {
        KillTimer(backend_.timerWindow_, id_);
        if (timer_.Enabled() && timer_.Interval() > 0) SetTimer(backend_.timerWindow_, id_, timer_.Interval(), nullptr);
    }

private:
    Win32Backend& backend_;
    ui::Timer& timer_;
    UINT_PTR id_;
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

    WNDCLASSA app{};
    app.lpfnWndProc = DefWindowProcA;
    app.hInstance = instance_;
    app.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));  // the program's own icon, id 1 in Quodo.rc
    app.lpszClassName = kApplicationClass;
    RegisterClassA(&app);
    // Shown at no size at all: it is never seen, but it is what the task bar lists.
    appWindow_ = CreateWindowExA(0, kApplicationClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                 0, 0, nullptr, nullptr, instance_, nullptr);
    ShowWindow(appWindow_, SW_SHOWNA);
}

Win32Backend::~Win32Backend() {
    for (auto& f : fonts_) DeleteObject(f.second);
    if (appWindow_) DestroyWindow(appWindow_);
    if (timerWindow_) DestroyWindow(timerWindow_);
    g_backend = nullptr;
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

std::unique_ptr<ui::ControlPeer> Win32Backend::CreatePeer(ui::Control& control) {
    if (control.Kind() == ui::ControlKind::Form)
        EnsureClass(static_cast<ui::Form&>(control).ClassName());
    else if (const char* cls = ClassNameFor(control))
        EnsureClass(cls);
    return std::make_unique<ControlPeer>(*this, control);
}

std::unique_ptr<ui::TimerPeer> Win32Backend::CreateTimerPeer(ui::Timer& timer) {
    return std::make_unique<TimerPeer>(*this, timer);
}

HFONT Win32Backend::FontFor(const ui::Font& font) {
    std::string key = font.name + "/" + std::to_string(font.height) + (font.bold ? "b" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HFONT f = CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          font.name.c_str());
    fonts_[key] = f;
    return f;
}

ui::Size Win32Backend::MeasureText(const ui::Font& font, const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FontFor(font));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {int(size.cx), int(tm.tmHeight)};
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
    UINT chosen = UINT(TrackPopupMenu(h, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0,
                                      owner, nullptr));
    DestroyMenu(h);
    if (chosen >= 1 && chosen <= menu.Items().size()) {
        auto handler = menu.Items()[chosen - 1].onClick;
        if (handler) handler();
    }
}

void Win32Backend::MessageDialog(const std::string& text, const std::string& caption, ui::MessageKind kind) {
    UINT icon = kind == ui::MessageKind::Error ? MB_ICONERROR
                : kind == ui::MessageKind::Warning ? MB_ICONWARNING
                : kind == ui::MessageKind::Information ? MB_ICONINFORMATION : 0;
    ui::Form* main = ui::App().MainForm();
    HWND owner = main && main->Visible() ? HandleOf(*main) : nullptr;
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | icon | (owner ? 0 : MB_TASKMODAL));
}

bool Win32Backend::HandleKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    ui::Form* form = FormOf(msg.hwnd);
    if (!form) return false;
    if (msg.wParam == VK_F1) {
        ui::App().Dispatch([&] { ui::App().Help(ui::kHelpContext, form->helpContext); });
        return true;
    }
    if (msg.wParam >= VK_F2 && msg.wParam <= VK_F12) {
        std::string name = "F" + std::to_string(msg.wParam - VK_F1 + 1);
        bool handled = false;
        ui::App().Dispatch([&] { handled = form->RunShortcut(name); });
        return handled;
    }
    return false;
}

void Win32Backend::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (HandleKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Win32Backend::TimerTick(UINT_PTR id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    if (!loopRunning_) {
        if (std::find(heldTicks_.begin(), heldTicks_.end(), id) == heldTicks_.end()) heldTicks_.push_back(id);
        return;
    }
    ui::Timer* timer = it->second;
    ui::App().Dispatch([&] { timer->Fire(); });
}

void Win32Backend::FireHeldTimers() {
    std::vector<UINT_PTR> held;
    held.swap(heldTicks_);
    for (UINT_PTR id : held) TimerTick(id);
}

void Win32Backend::Run(ui::Form&) {
    loopRunning_ = true;
    FireHeldTimers();
    MSG msg;
    // Runs until the quit message that termination posts.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (HandleKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    loopRunning_ = false;
}

void Win32Backend::Quit() { PostQuitMessage(0); }

void Win32Backend::ShowModal(ui::Form& form) {
    ui::Form* main = ui::App().MainForm();
    HWND mainWnd = main && main != &form ? HandleOf(*main) : nullptr;
    if (mainWnd) EnableWindow(mainWnd, FALSE);
    form.modalResultSet = false;
    form.ShowForm();
    SetForegroundWindow(HandleOf(form));
    MSG msg{};
    while (!form.modalResultSet && !ui::App().Terminated() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (HandleKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT) PostQuitMessage(int(msg.wParam));
    if (mainWnd) EnableWindow(mainWnd, TRUE);
    form.SetVisible(false);
}

void Win32Backend::EndModal(ui::Form& form) { form.modalResultSet = true; }

ui::Size Win32Backend::ScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void Win32Backend::SetBusyCursor(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

// Panels are containers and lie above the pictures and labels placed directly on the form, so a
// bar along the bottom covers whatever reaches under it.
void Win32Backend::Realized(ui::Form& form) {
    for (ui::Control* child : form.Children())
        if (child->Kind() == ui::ControlKind::Panel)
            SetWindowPos(HandleOf(*child), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Backend::SetApplicationTitle(const std::string& title) { SetWindowTextA(appWindow_, title.c_str()); }

}  // namespace win32
