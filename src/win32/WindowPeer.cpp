#include "win32/WindowPeer.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "ui/Application.h"
#include "win32/Accessible.h"
#include "win32/FormPeer.h"
#include "win32/Painting.h"
#include "win32/Scoped.h"
#include "win32/Win32Backend.h"

namespace win32 {

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

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

// A child's id is its place among its parent's controls, counted from 1: stable names for UI
// automation, which cannot see the program's own names.
HMENU ChildId(const ui::Control& control) {
    const auto& siblings = control.Parent()->Children();
    auto at = std::find(siblings.begin(), siblings.end(), &control);
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(at - siblings.begin() + 1));
}

LRESULT CALLBACK StandardSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowPeer* peer = PeerOf(hwnd);
    if (!peer) return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = 0;
    if (peer->OnStandardMessage(msg, wp, lp, result)) return result;
    return peer->CallStandardProc(hwnd, msg, wp, lp);
}

}  // namespace

WindowPeer* PeerOf(HWND hwnd) {
    return hwnd ? reinterpret_cast<WindowPeer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

ui::Control* ControlOf(HWND hwnd) {
    WindowPeer* peer = PeerOf(hwnd);
    return peer ? &peer->Control() : nullptr;
}

// --- WindowPeer

WindowPeer::~WindowPeer() {
    backend_.PeerGone(this);
    control_.userData = nullptr;
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void WindowPeer::Create() {
    const WindowTraits traits = Traits();
    const bool isForm = control_.Kind() == ui::ControlKind::Form;
    DWORD style = traits.style;
    HWND parent = nullptr;
    HMENU id = nullptr;
    if (isForm) {
        if (&control_ != ui::App().MainForm()) parent = backend_.ApplicationWindow();
    } else {
        style |= kChildStyle;
        if (control_.Visible()) style |= WS_VISIBLE;
        parent = HandleOf(*control_.Parent());
        id = ChildId(control_);
    }
    if (traits.ownClass) backend_.EnsureClass(traits.className);
    const ui::Rect place = control_.DeviceBounds();
    hwnd_ = CreateWindowExA(traits.exStyle, traits.className.c_str(), WindowText().c_str(), style, place.left,
                            place.top, place.right - place.left, place.bottom - place.top, parent, id,
                            backend_.Instance(), traits.ownClass ? this : nullptr);
    if (!hwnd_) throw std::runtime_error("Cannot create window " + control_.Name());
    if (!traits.ownClass) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        Subclass(hwnd_);
    }
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    control_.userData = hwnd_;
    // The state the control was given before its window existed.
    if (!control_.Enabled()) EnableWindow(hwnd_, FALSE);
    AfterCreate();
    if (control_.showHint && !control_.Hint().empty()) Changed(ui::Aspect::Hint);
}

void WindowPeer::Subclass(HWND hwnd) {
    standardProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardSubclassProc)));
}

LRESULT WindowPeer::CallStandardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return standardProc_ ? CallWindowProcA(standardProc_, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

HFONT WindowPeer::Font() const { return backend_.FontFor(control_.DeviceFont()); }

int WindowPeer::Px(int value) const { return control_.GetScale().ToDevice(value); }

void WindowPeer::PlaceWindow() {
    const ui::Rect place = control_.DeviceBounds();
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPeer::FillBack(HDC dc, const RECT& rc) const {
    FillRect(dc, &rc, backend_.BrushFor(Resolve(control_.ShownBackColor())));
}

void WindowPeer::Changed(ui::Aspect aspect) {
    switch (aspect) {
        case ui::Aspect::Bounds:
            PlaceWindow();
            break;
        case ui::Aspect::Scale:
            PlaceWindow();
            SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case ui::Aspect::Visible:
            ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
            if (control_.Visible()) UpdateWindow(hwnd_);
            break;
        case ui::Aspect::Text:
            SetWindowTextA(hwnd_, WindowText().c_str());
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case ui::Aspect::Enabled:
            EnableWindow(hwnd_, control_.Enabled());
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case ui::Aspect::Image:
            InvalidateRect(hwnd_, nullptr, FALSE);
            UpdateWindow(hwnd_);
            break;
        case ui::Aspect::Hint:
            if (ui::Form* form = control_.OwnerForm(); form && form->Peer())
                static_cast<FormPeer*>(form->Peer())->SetToolTip(hwnd_, control_.showHint ? control_.Hint() : "");
            break;
        case ui::Aspect::Colors:
            SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        default:
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
    }
}

void WindowPeer::RaiseToTop() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WindowPeer::Paint(HDC dc, const RECT& rc) { FillBack(dc, rc); }

// Paints through a memory bitmap so that nothing flickers at a repaint.
void WindowPeer::PaintBuffered() {
    PaintScope paint(hwnd_);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    MemoryDC memory(paint.get());
    GdiObject<HBITMAP> bitmap(
        CreateCompatibleBitmap(paint.get(), std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1)));
    if (!memory || !bitmap) return;
    {
        Selected selected(memory.get(), bitmap.get());
        Paint(memory.get(), rc);
        BitBlt(paint.get(), 0, 0, rc.right, rc.bottom, memory.get(), 0, 0, SRCCOPY);
    }
}

HBRUSH WindowPeer::OnControlColor(HDC dc) {
    const COLORREF back = Resolve(control_.ShownBackColor());
    SetBkColor(dc, back);
    SetTextColor(dc, control_.Enabled() ? Resolve(control_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
    return backend_.BrushFor(back);
}

bool WindowPeer::OnStandardMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_MOUSEMOVE) backend_.PointerOver(this);
    if (msg == WM_SETCURSOR && (backend_.Busy() || control_.handCursor)) {
        SetCursor(LoadCursor(nullptr, backend_.Busy() ? IDC_WAIT : IDC_HAND));
        result = TRUE;
        return true;
    }
    return false;
}

bool WindowPeer::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const int deviceX = GET_X_LPARAM(lp), deviceY = GET_Y_LPARAM(lp);
    // The pointer in the control's units, as its handlers place things.
    const ui::Scale scale = control_.GetScale();
    const int x = scale.FromDevice(deviceX), y = scale.FromDevice(deviceY);
    ui::Control* c = &control_;
    result = 0;
    switch (msg) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
            PaintBuffered();
            return true;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            if (msg == WM_LBUTTONDOWN) SetCapture(hwnd_);
            ui::App().Dispatch([&] { c->MouseDown(ButtonOf(msg, wp), x, y); });
            return true;
        case WM_MOUSEMOVE:
            backend_.PointerOver(this);
            ui::App().Dispatch([&] { c->MouseMove(ButtonOf(msg, wp), x, y); });
            return true;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            const bool click = msg == WM_LBUTTONUP && GetCapture() == hwnd_;
            if (GetCapture() == hwnd_) ReleaseCapture();
            ui::App().Dispatch([&] { c->MouseUp(ButtonOf(msg, wp), x, y); });
            RECT rc;
            GetClientRect(hwnd_, &rc);
            const POINT pt{deviceX, deviceY};
            if (click && PtInRect(&rc, pt) && c->Kind() == ui::ControlKind::SpeedButton)
                ui::App().Dispatch([c] { c->Click(); });
            return true;
        }
        case WM_SETCURSOR:
            SetCursor(LoadCursor(nullptr, backend_.Busy() ? IDC_WAIT : c->handCursor ? IDC_HAND : IDC_ARROW));
            result = TRUE;
            return true;
        case WM_GETOBJECT:
            return AccessibleRole() != 0 && AnswerAccessibleObject(hwnd_, wp, lp, AccessibleRole(), result);
        default:
            return false;
    }
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    WindowPeer* peer = PeerOf(hwnd);
    if (!peer) return DefWindowProcA(hwnd, msg, wp, lp);
    // What the system controls on this window report: handed to their own peers.
    switch (msg) {
        case WM_COMMAND:
            if (WindowPeer* child = PeerOf(reinterpret_cast<HWND>(lp))) {
                const WORD code = HIWORD(wp);
                ui::App().Dispatch([child, code] { child->OnCommand(code); });
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (WindowPeer* child = PeerOf(header->hwndFrom)) {
                LRESULT result = 0;
                bool handled = false;
                ui::App().Dispatch([&] { handled = child->OnNotify(*header, result); });
                if (handled) return result;
            }
            break;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (WindowPeer* child = PeerOf(item->hwndItem)) {
                child->OnDrawItem(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (WindowPeer* child = PeerOf(reinterpret_cast<HWND>(lp)))
                return reinterpret_cast<LRESULT>(child->OnControlColor(reinterpret_cast<HDC>(wp)));
            break;
        default:
            break;
    }
    LRESULT result = 0;
    if (peer->OnMessage(msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace win32
