#include "win32/Win32Peers.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "chart/Glyphs.h"
#include "ui/Application.h"
#include "win32/Accessible.h"
#include "win32/Scoped.h"
#include "win32/Win32Backend.h"

namespace win32 {

namespace {

constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

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

// One pixel of a glyph laid over the background by its alpha (the edges of a scaled glyph).
uint32_t Over(uint32_t glyph, uint32_t background) {
    const uint32_t alpha = glyph >> 24;
    uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t g = (glyph >> shift) & 0xFFu, b = (background >> shift) & 0xFFu;
        mixed |= ((g * alpha + b * (255u - alpha) + 127u) / 255u) << shift;
    }
    return mixed;
}

// Lays a glyph over what the DC shows, in memory: one copy in and one out instead of a call a pixel.
void DrawGlyph(HDC dc, const ui::Bitmap& glyph, int x, int y) {
    if (glyph.width <= 0 || glyph.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(glyph);
    void* bits = nullptr;
    GdiObject<HBITMAP> dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC work(dc);
    if (!dib || !work) return;
    Selected selected(work.get(), dib.get());
    BitBlt(work.get(), 0, 0, glyph.width, glyph.height, dc, x, y, SRCCOPY);
    GdiFlush();
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < glyph.pixels.size(); ++i)
        if (glyph.pixels[i] >> 24) pixels[i] = Over(glyph.pixels[i], pixels[i]);
    BitBlt(dc, x, y, glyph.width, glyph.height, work.get(), 0, 0, SRCCOPY);
}

void DrawSurface(HDC dc, const ui::Bitmap& surface) {
    if (surface.width <= 0 || surface.height <= 0) return;
    const BITMAPINFO bi = TopDownInfo(surface);
    SetDIBitsToDevice(dc, 0, 0, surface.width, surface.height, 0, 0, 0, surface.height, surface.pixels.data(), &bi,
                      DIB_RGB_COLORS);
}

void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rc, brush.get());
}

// Lines of the given width along the edges, light at the top and left, dark at the bottom and
// right (or the other way round for a lowered cut); the rectangle shrinks by the width.
void Frame3D(HDC dc, RECT& rc, COLORREF topLeft, COLORREF bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        FillSolid(dc, RECT{rc.left, rc.top, rc.right, rc.top + 1}, topLeft);
        FillSolid(dc, RECT{rc.left, rc.top, rc.left + 1, rc.bottom}, topLeft);
        FillSolid(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
        FillSolid(dc, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
        InflateRect(&rc, -1, -1);
    }
}

void Cut3D(HDC dc, RECT& rc, ui::BevelCut cut, int width) {
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    if (cut == ui::BevelCut::Raised) Frame3D(dc, rc, light, dark, width);
    if (cut == ui::BevelCut::Lowered) Frame3D(dc, rc, dark, light, width);
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

COLORREF Resolve(ui::Color c) {
    // Colours with the high byte set name a system colour.
    return (c & 0xFF000000u) ? GetSysColor(int(c & 0xFF)) : COLORREF(c);
}

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

// --- Drawn controls: windows of our own classes

namespace {

class PanelPeer : public WindowPeer {
public:
    PanelPeer(Win32Backend& b, ui::Panel& panel) : WindowPeer(b, panel), panel_(panel) {}

protected:
    WindowTraits Traits() const override { return {"TPanel", true, 0, WS_EX_CONTROLPARENT}; }
    void Paint(HDC dc, const RECT& client) override {
        FillBack(dc, client);
        RECT rc = client;
        if (panel_.singleBorder)
            Frame3D(dc, rc, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME), Px(1));
        Cut3D(dc, rc, panel_.bevelOuter, Px(panel_.bevelWidth));
        InflateRect(&rc, -Px(panel_.borderWidth), -Px(panel_.borderWidth));
        Cut3D(dc, rc, panel_.bevelInner, Px(panel_.bevelWidth));
    }

private:
    ui::Panel& panel_;
};

class LabelPeer : public WindowPeer {
public:
    LabelPeer(Win32Backend& b, ui::Label& label) : WindowPeer(b, label), label_(label) {}

protected:
    WindowTraits Traits() const override { return {"TLabel", true, 0, 0}; }
    long AccessibleRole() const override { return ROLE_SYSTEM_STATICTEXT; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        Selected font(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, label_.Enabled() ? Resolve(label_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
        RECT text = rc;
        const UINT format = DT_NOPREFIX | (label_.centered ? DT_CENTER | DT_WORDBREAK : DT_LEFT | DT_SINGLELINE);
        DrawTextA(dc, label_.Text().c_str(), int(label_.Text().size()), &text, format);
    }

private:
    ui::Label& label_;
};

// A button that shows only a picture: its window's text, never drawn, is its hint, which a screen
// reader reads as the button's name.
class SpeedButtonPeer : public WindowPeer {
public:
    SpeedButtonPeer(Win32Backend& b, ui::SpeedButton& button) : WindowPeer(b, button), button_(button) {}
    void Changed(ui::Aspect aspect) override {
        WindowPeer::Changed(aspect);
        if (aspect == ui::Aspect::Hint) SetWindowTextA(hwnd_, WindowText().c_str());
    }

protected:
    WindowTraits Traits() const override { return {"TSpeedButton", true, 0, 0}; }
    std::string WindowText() const override { return button_.Hint(); }
    long AccessibleRole() const override { return ROLE_SYSTEM_PUSHBUTTON; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        const ui::Bitmap& glyph = chart::Glyph(button_.Glyph(), !button_.Enabled(), button_.GetScale().Dpi());
        DrawGlyph(dc, glyph, (rc.right - glyph.width) / 2, (rc.bottom - glyph.height) / 2);
    }

private:
    ui::SpeedButton& button_;
};

// The picture is drawn at the window's size; at another scale than 96 dpi through a copy resampled
// once for each new picture or size.
class ImagePeer : public WindowPeer {
public:
    ImagePeer(Win32Backend& b, ui::Image& image) : WindowPeer(b, image), image_(image) {}
    void Changed(ui::Aspect aspect) override {
        if (aspect == ui::Aspect::Image) scaled_ = ui::Bitmap();
        WindowPeer::Changed(aspect);
    }

protected:
    WindowTraits Traits() const override { return {"TImage", true, 0, 0}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        const ui::Bitmap& surface = image_.Surface();
        if (image_.GetScale().IsIdentity()) {
            DrawSurface(dc, surface);
            return;
        }
        const ui::Rect place = image_.DeviceBounds();
        const int width = place.right - place.left, height = place.bottom - place.top;
        if (scaled_.width != width || scaled_.height != height) scaled_ = ui::Resampled(surface, width, height);
        DrawSurface(dc, scaled_);
    }

private:
    ui::Image& image_;
    ui::Bitmap scaled_;
};

// A frame from the middle of the caption's height down, with the caption over its top edge.
class GroupBoxPeer : public WindowPeer {
public:
    using WindowPeer::WindowPeer;

protected:
    WindowTraits Traits() const override { return {"TGroupBox", true, 0, WS_EX_CONTROLPARENT}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        Selected font(dc, Font());
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        RECT frame = rc;
        frame.top = metrics.tmHeight / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const std::string& caption = control_.Text();
        if (caption.empty()) return;
        SIZE size{};
        GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &size);
        RECT text{Px(8), 0, Px(8) + size.cx, metrics.tmHeight};
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, Resolve(control_.ShownBackColor()));
        SetTextColor(dc, control_.Enabled() ? Resolve(control_.GetFont().color) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, caption.c_str(), int(caption.size()), &text, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT);
    }
};

class BevelPeer : public WindowPeer {
public:
    BevelPeer(Win32Backend& b, ui::Bevel& bevel) : WindowPeer(b, bevel), bevel_(bevel) {}

protected:
    WindowTraits Traits() const override { return {"TBevel", true, 0, 0}; }
    void Paint(HDC dc, const RECT& rc) override {
        FillBack(dc, rc);
        RECT edge = rc;
        DrawEdge(dc, &edge, bevel_.shape == ui::BevelShape::Frame ? EDGE_ETCHED : BDR_SUNKENOUTER, BF_RECT);
    }

private:
    ui::Bevel& bevel_;
};

// A sunken bar filled from the left as far as the progress goes, with the percentage in its middle
// written dark on the empty part and light on the filled part.
class GaugePeer : public WindowPeer {
public:
    GaugePeer(Win32Backend& b, ui::Gauge& gauge) : WindowPeer(b, gauge), gauge_(gauge) {}

protected:
    WindowTraits Traits() const override { return {"TGauge", true, 0, 0}; }
    void Paint(HDC dc, const RECT& client) override {
        RECT rc = client;
        FillSolid(dc, rc, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        const COLORREF back = Resolve(gauge_.BackColor()), fore = Resolve(gauge_.foreColor);
        const int filled = int((long long)(rc.right - rc.left) * gauge_.PercentDone() / 100);
        const RECT done{rc.left, rc.top, rc.left + filled, rc.bottom};
        const RECT rest{rc.left + filled, rc.top, rc.right, rc.bottom};
        FillSolid(dc, done, fore);
        FillSolid(dc, rest, back);
        const std::string text = std::to_string(gauge_.PercentDone()) + "%";
        Selected font(dc, Font());
        SetBkMode(dc, TRANSPARENT);
        for (const auto& [part, colour] : {std::pair{done, back}, std::pair{rest, fore}}) {
            GdiObject<HRGN> clip(CreateRectRgnIndirect(&part));
            SelectClipRgn(dc, clip.get());
            SetTextColor(dc, colour);
            RECT area = rc;
            DrawTextA(dc, text.c_str(), int(text.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        SelectClipRgn(dc, nullptr);
    }

private:
    ui::Gauge& gauge_;
};

// --- System controls

class CheckBoxPeer : public WindowPeer {
public:
    CheckBoxPeer(Win32Backend& b, ui::CheckBox& box) : WindowPeer(b, box), box_(box) {}
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) box_.Click();
    }
    void Changed(ui::Aspect aspect) override {
        if (aspect == ui::Aspect::Checked)
            SendMessageA(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        else
            WindowPeer::Changed(aspect);
    }

protected:
    WindowTraits Traits() const override {
        const bool radio = box_.Kind() == ui::ControlKind::RadioButton;
        return {"BUTTON", false, DWORD(WS_TABSTOP | (radio ? BS_RADIOBUTTON : BS_CHECKBOX)), 0};
    }
    void AfterCreate() override { Changed(ui::Aspect::Checked); }

private:
    ui::CheckBox& box_;
};

// A real push button that paints its own face: the face colour, the hover colour while the pointer
// is over it, an optional picture, and the focus rectangle.
class ButtonPeer : public WindowPeer {
public:
    ButtonPeer(Win32Backend& b, ui::Button& button) : WindowPeer(b, button), button_(button) {}
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) button_.Click();
    }

    // The pointer over the button makes it hot; leaving it (to the outside, noticed by the system,
    // or onto another window of ours, noticed there) makes it cool again.
    void SetHot(bool hot) override {
        if (hot == hot_) return;
        hot_ = hot;
        if (hot) TrackLeaving();
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    bool OnStandardMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_MOUSEMOVE) backend_.PointerOver(this);
        // The system can report a leave for where the pointer was a moment before it came (Wine
        // looks at once, before its own idea of the pointer has caught up). So a leave is looked at
        // again a moment later: only a pointer that is elsewhere then cools the button. (A pointer
        // that comes onto another window of ours cools it at once, from there.)
        if (msg == WM_MOUSELEAVE) SetTimer(hwnd_, kLeaveCheck, kLeaveCheckMs, nullptr);
        if (msg == WM_TIMER && wp == kLeaveCheck) {
            KillTimer(hwnd_, kLeaveCheck);
            if (PointerIsOver())
                TrackLeaving();
            else
                backend_.PointerLeft(this);
            result = 0;
            return true;
        }
        return WindowPeer::OnStandardMessage(msg, wp, lp, result);
    }

    void OnDrawItem(const DRAWITEMSTRUCT& item) override {
        HDC dc = item.hDC;
        RECT rc = item.rcItem;
        const bool pressed = item.itemState & ODS_SELECTED;
        const ui::Color face = hot_ && button_.hoverColor != ui::kNoColor ? button_.hoverColor : button_.BackColor();
        FillSolid(dc, rc, Resolve(face));
        if (button_.isDefault) {
            FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&rc, -1, -1);
        }
        if (button_.flat)
            FrameRect(dc, &rc, backend_.BrushFor(GetSysColor(COLOR_BTNSHADOW)));  // a thin line, no relief
        else
            DrawEdge(dc, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const int shift = pressed ? 1 : 0;
        DrawFace(dc, rc, shift, item.itemState & ODS_DISABLED);
        if (item.itemState & ODS_FOCUS) {
            RECT focus = rc;
            InflateRect(&focus, -Px(3), -Px(3));
            DrawFocusRect(dc, &focus);
        }
    }

protected:
    WindowTraits Traits() const override { return {"BUTTON", false, WS_TABSTOP | BS_OWNERDRAW, 0}; }

private:
    static constexpr UINT_PTR kLeaveCheck = 1;
    static constexpr UINT kLeaveCheckMs = 100;

    void TrackLeaving() {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&track);
    }
    bool PointerIsOver() const {
        POINT at{};
        return GetCursorPos(&at) && WindowFromPoint(at) == hwnd_;
    }

    // The picture and the caption side by side, centred together.
    void DrawFace(HDC dc, const RECT& rc, int shift, bool disabled) {
        Selected font(dc, Font());
        const std::string& caption = button_.Text();
        SIZE size{};
        GetTextExtentPoint32A(dc, caption.c_str(), int(caption.size()), &size);
        static const ui::Bitmap none;
        const ui::Bitmap& glyph =
            button_.glyph.empty() ? none : chart::Glyph(button_.glyph, disabled, button_.GetScale().Dpi());
        const int gap = glyph.width > 0 && !caption.empty() ? Px(4) : 0;
        const int total = glyph.width + gap + size.cx;
        int x = (rc.left + rc.right - total) / 2 + shift;
        const int middle = (rc.top + rc.bottom) / 2 + shift;
        if (glyph.width > 0) {
            DrawGlyph(dc, glyph, x, middle - glyph.height / 2);
            x += glyph.width + gap;
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : Resolve(button_.GetFont().color));
        RECT text{x, middle - size.cy / 2, x + size.cx, middle - size.cy / 2 + size.cy};
        DrawTextA(dc, caption.c_str(), int(caption.size()), &text, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT);
    }

    ui::Button& button_;
    bool hot_ = false;
};

// A number field: an edit field and a pair of arrows in a frame of our own.
class SpinEditPeer : public WindowPeer {
public:
    SpinEditPeer(Win32Backend& b, ui::SpinEdit& spin) : WindowPeer(b, spin), spin_(spin) {}
    ~SpinEditPeer() override {
        // The children go with the frame; they must not call back into this peer meanwhile.
        for (HWND child : {edit_, arrows_})
            if (child) SetWindowLongPtrA(child, GWLP_USERDATA, 0);
    }
    HWND FocusWindow() const override { return edit_; }

    void OnCommand(WORD code) override {
        if (updating_) return;
        if (code == EN_CHANGE) spin_.UserTyped(WindowText(edit_));
        if (code == EN_KILLFOCUS) spin_.Exit();
    }

    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        if (header.code != UDN_DELTAPOS) return false;
        const int direction = reinterpret_cast<const NMUPDOWN&>(header).iDelta > 0 ? 1 : -1;
        ui::App().Dispatch([this, direction] { spin_.Step(direction); });
        result = TRUE;  // the arrows keep no position of their own
        return true;
    }

    void Changed(ui::Aspect aspect) override {
        switch (aspect) {
            case ui::Aspect::Text:
                if (WindowText(edit_) != spin_.Text()) {
                    updating_ = true;
                    SetWindowTextA(edit_, spin_.Text().c_str());
                    updating_ = false;
                }
                break;
            case ui::Aspect::Bounds:
            case ui::Aspect::Scale:
                WindowPeer::Changed(aspect);
                SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
                Layout();
                break;
            case ui::Aspect::Enabled:
                WindowPeer::Changed(aspect);
                EnableWindow(edit_, spin_.Enabled());
                EnableWindow(arrows_, spin_.Enabled());
                break;
            case ui::Aspect::Colors:
                SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
                InvalidateRect(edit_, nullptr, TRUE);
                break;
            default:
                WindowPeer::Changed(aspect);
                break;
        }
    }

    bool OnStandardMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        return WindowPeer::OnStandardMessage(msg, wp, lp, result);
    }

protected:
    WindowTraits Traits() const override { return {"TSpinEdit", true, 0, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT}; }

    void AfterCreate() override {
        backend_.EnsureCommonControls();
        edit_ = CreateWindowExA(0, "EDIT", spin_.Text().c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(1), backend_.Instance(), nullptr);
        arrows_ = CreateWindowExA(0, UPDOWN_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                  reinterpret_cast<HMENU>(2), backend_.Instance(), nullptr);
        for (HWND child : {edit_, arrows_}) {
            SetWindowLongPtrA(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            if (!spin_.Enabled()) EnableWindow(child, FALSE);
        }
        Subclass(edit_);
        SendMessageA(arrows_, UDM_SETRANGE32, 0, 100);
        SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        Layout();
    }

    void Paint(HDC dc, const RECT& rc) override { FillSolid(dc, rc, Resolve(spin_.BackColor())); }

private:
    static std::string WindowText(HWND hwnd) {
        std::string text(size_t(GetWindowTextLengthA(hwnd)) + 1, '\0');
        text.resize(size_t(GetWindowTextA(hwnd, &text[0], int(text.size()))));
        return text;
    }

    void Layout() {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        const int arrowsWidth = std::min<int>(Px(kArrowsWidth), rc.right / 2), inset = Px(1);
        MoveWindow(edit_, inset, inset, std::max<int>(rc.right - arrowsWidth - inset, 0),
                   std::max<int>(rc.bottom - inset, 0), TRUE);
        MoveWindow(arrows_, rc.right - arrowsWidth, 0, arrowsWidth, rc.bottom, TRUE);
        // A narrow field: the text may use all of it.
        SendMessageA(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(inset, 0));
    }

    static constexpr int kArrowsWidth = 13;
    ui::SpinEdit& spin_;
    HWND edit_ = nullptr;
    HWND arrows_ = nullptr;
    bool updating_ = false;
};

class MemoPeer : public WindowPeer {
public:
    MemoPeer(Win32Backend& b, ui::Memo& memo) : WindowPeer(b, memo), memo_(memo) {}
    int DisplayedLineCount() override { return int(SendMessageA(hwnd_, EM_GETLINECOUNT, 0, 0)); }
    void SelectNone() override { SendMessageA(hwnd_, EM_SETSEL, 0, 0); }

protected:
    WindowTraits Traits() const override {
        DWORD style = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        if (memo_.alignment == ui::Alignment::Center) style |= ES_CENTER;
        return {"EDIT", false, style, DWORD(memo_.border ? WS_EX_CLIENTEDGE : 0)};
    }

private:
    ui::Memo& memo_;
};

}  // namespace

// --- Making peers

std::unique_ptr<WindowPeer> MakePeer(Win32Backend& backend, ui::Control& c) {
    std::unique_ptr<WindowPeer> peer;
    switch (c.Kind()) {
        case ui::ControlKind::Form: peer = std::make_unique<FormPeer>(backend, static_cast<ui::Form&>(c)); break;
        case ui::ControlKind::Panel: peer = std::make_unique<PanelPeer>(backend, static_cast<ui::Panel&>(c)); break;
        case ui::ControlKind::Label: peer = std::make_unique<LabelPeer>(backend, static_cast<ui::Label&>(c)); break;
        case ui::ControlKind::SpeedButton:
            peer = std::make_unique<SpeedButtonPeer>(backend, static_cast<ui::SpeedButton&>(c));
            break;
        case ui::ControlKind::Image: peer = std::make_unique<ImagePeer>(backend, static_cast<ui::Image&>(c)); break;
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::RadioButton:
            peer = std::make_unique<CheckBoxPeer>(backend, static_cast<ui::CheckBox&>(c));
            break;
        case ui::ControlKind::SpinEdit:
            peer = std::make_unique<SpinEditPeer>(backend, static_cast<ui::SpinEdit&>(c));
            break;
        case ui::ControlKind::GroupBox: peer = std::make_unique<GroupBoxPeer>(backend, c); break;
        case ui::ControlKind::Button: peer = std::make_unique<ButtonPeer>(backend, static_cast<ui::Button&>(c)); break;
        case ui::ControlKind::Memo: peer = std::make_unique<MemoPeer>(backend, static_cast<ui::Memo&>(c)); break;
        case ui::ControlKind::Gauge: peer = std::make_unique<GaugePeer>(backend, static_cast<ui::Gauge&>(c)); break;
        case ui::ControlKind::Bevel: peer = std::make_unique<BevelPeer>(backend, static_cast<ui::Bevel&>(c)); break;
    }
    peer->Create();
    return peer;
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
