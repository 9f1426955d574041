#include "win32/ControlPeers.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "chart/Glyphs.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "win32/Accessible.h"
#include "win32/FormPeer.h"
#include "win32/Painting.h"
#include "win32/Scoped.h"
#include "win32/Win32Backend.h"

namespace win32 {
namespace {

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

}  // namespace

std::unique_ptr<WindowPeer> MakeButtonPeer(Win32Backend& backend, ui::Control& button) {
    switch (button.Kind()) {
        case ui::ControlKind::SpeedButton:
            return std::make_unique<SpeedButtonPeer>(backend, static_cast<ui::SpeedButton&>(button));
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::RadioButton:
            return std::make_unique<CheckBoxPeer>(backend, static_cast<ui::CheckBox&>(button));
        default:
            return std::make_unique<ButtonPeer>(backend, static_cast<ui::Button&>(button));
    }
}

}  // namespace win32
