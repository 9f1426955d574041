#include "win32/FormPeer.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/Application.h"
#include "win32/Painting.h"
#include "win32/Scoped.h"
#include "win32/Win32Backend.h"

namespace win32 {

// --- FormPeer

FormPeer::FormPeer(Win32Backend& backend, ui::Form& form) : WindowPeer(backend, form), form_(form) {
    backend_.FormCreated(this);
}

FormPeer::~FormPeer() {
    backend_.FormDestroyed(this);
    if (toolTip_) DestroyWindow(toolTip_);
}

void FormPeer::StylesOf(ui::BorderStyle border, DWORD& style, DWORD& exStyle) {
    style = WS_POPUP | WS_CLIPCHILDREN;
    exStyle = WS_EX_CONTROLPARENT;
    switch (border) {
        case ui::BorderStyle::None:
            // The application window carries the task-bar button; forms have none of their own.
            exStyle |= WS_EX_TOOLWINDOW;
            break;
        case ui::BorderStyle::Single:
            style |= WS_CAPTION | WS_SYSMENU;
            break;
        case ui::BorderStyle::Dialog:
            style |= WS_CAPTION | WS_SYSMENU;
            exStyle |= WS_EX_DLGMODALFRAME;
            break;
        case ui::BorderStyle::DialogNoSystemMenu:
            style |= WS_CAPTION;
            exStyle |= WS_EX_DLGMODALFRAME;
            break;
    }
}

WindowPeer::WindowTraits FormPeer::Traits() const {
    WindowTraits traits;
    traits.className = form_.ClassName();
    StylesOf(form_.Border(), traits.style, traits.exStyle);
    return traits;
}

void FormPeer::AfterCreate() {
    if (form_.Topmost()) Changed(ui::Aspect::Topmost);
}

void FormPeer::Paint(HDC dc, const RECT& rc) { FillBack(dc, rc); }

void FormPeer::Changed(ui::Aspect aspect) {
    switch (aspect) {
        case ui::Aspect::Visible:
            ShowWindowNow(form_.Visible());
            break;
        case ui::Aspect::Topmost:
            SetOnTop(form_.Topmost());
            break;
        case ui::Aspect::Colors:
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            break;
        case ui::Aspect::Scale:
            PlaceWindow();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            break;
        default:
            WindowPeer::Changed(aspect);
            break;
    }
}

namespace {

bool IsOnTop(HWND hwnd) { return hwnd && (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

}  // namespace

// The window's own state is looked at each time, so that asking again puts right whatever changed
// it meanwhile. Wine keeps an owned window topmost while it lies right above its owner, whatever
// it is asked; for that moment it is no one's.
void FormPeer::SetOnTop(bool onTop) {
    if (IsOnTop(hwnd_) == onTop) return;
    const HWND owner = onTop ? nullptr : GetWindow(hwnd_, GW_OWNER);
    if (owner) SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, 0);
    SetWindowPos(hwnd_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (owner) SetWindowLongPtrA(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

// A form with a title bar is activated when it shows, with the keyboard on its first control; a
// border-less one shows without taking the keyboard from anyone. A form shows above the main
// window: on top of everything while that is (in always-on-top mode), and no longer once hidden.
void FormPeer::ShowWindowNow(bool visible) {
    if (!visible) {
        ShowWindow(hwnd_, SW_HIDE);
        SetOnTop(form_.Topmost());
        return;
    }
    SetOnTop(form_.Topmost() || (hwnd_ != backend_.MainWindow() && IsOnTop(backend_.MainWindow())));
    const bool framed = form_.Border() != ui::BorderStyle::None;
    ShowWindow(hwnd_, framed ? SW_SHOW : SW_SHOWNA);
    if (framed) SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    UpdateWindow(hwnd_);
}

// The keyboard goes back to the control that had it when the form was last left, or, the first
// time, to the first control in the tab order.
void FormPeer::Activated(bool active) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
        IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
        return;
    }
    const auto stops = form_.TabOrderList();
    if (!stops.empty())
        stops.front()->SetFocus();
    else
        SetFocus(hwnd_);
}

bool FormPeer::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_CLOSE:
            ui::App().Dispatch([&] { form_.Close(); });
            result = 0;
            return true;
        case WM_ACTIVATE:
            Activated(LOWORD(wp) != WA_INACTIVE);
            result = 0;
            return true;
        case WM_DISPLAYCHANGE:
            ui::App().Dispatch([&] { form_.DisplayChanged(); });
            return false;
        case WM_WINDOWPOSCHANGED: {
            // Wherever the window went (dragged by its title bar, say), the form's place follows.
            const auto* place = reinterpret_cast<const WINDOWPOS*>(lp);
            if (!(place->flags & SWP_NOMOVE) && !IsIconic(hwnd_)) form_.Moved(place->x, place->y);
            return false;  // the system still sends its move and size messages
        }
        case WM_DPICHANGED: {
            const auto& suggested = *reinterpret_cast<const RECT*>(lp);
            const ui::Rect place{int(suggested.left), int(suggested.top), int(suggested.right), int(suggested.bottom)};
            ui::App().Dispatch([&] { form_.DpiChanged(HIWORD(wp), place); });
            result = 0;
            return true;
        }
        case WM_CONTEXTMENU: {
            // From the keyboard (Shift+F10, the menu key) the position is -1, -1; the mouse opens
            // the menus of our windows itself, at its button press.
            if (lp != -1) return false;
            bool opened = false;
            ui::App().Dispatch([&] { opened = form_.OpenContextMenu(); });
            result = 0;
            return opened;
        }
        case WM_PAINT:
            PaintBuffered();
            ui::App().Dispatch([&] { form_.Painted(); });
            result = 0;
            return true;
        case WM_SETCURSOR:
            // Over the title bar and border the system sets its own pointers.
            if (LOWORD(lp) != HTCLIENT && !backend_.Busy()) return false;
            return WindowPeer::OnMessage(msg, wp, lp, result);
        default:
            return WindowPeer::OnMessage(msg, wp, lp, result);
    }
}

void FormPeer::SetToolTip(HWND control, const std::string& text) {
    if (!toolTip_) {
        if (text.empty() || !backend_.EnsureCommonControls()) return;
        toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   backend_.Instance(), nullptr);
        if (!toolTip_) return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    std::string copy = text;
    tool.lpszText = copy.data();
    SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty()) SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace win32
