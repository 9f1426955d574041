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

std::unique_ptr<WindowPeer> MakeFieldPeer(Win32Backend& backend, ui::Control& field) {
    if (field.Kind() == ui::ControlKind::SpinEdit)
        return std::make_unique<SpinEditPeer>(backend, static_cast<ui::SpinEdit&>(field));
    return std::make_unique<MemoPeer>(backend, static_cast<ui::Memo&>(field));
}

}  // namespace win32
