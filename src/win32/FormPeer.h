// The peer of a form: a top-level window, with its frame, its place among the other windows, its
// activation and the tool tips of its controls.
#pragma once

#include "win32/WindowPeer.h"

namespace win32 {

// A top-level window: the form itself.
class FormPeer : public WindowPeer {
public:
    FormPeer(Win32Backend& backend, ui::Form& form);
    ~FormPeer() override;
    ui::Form& Form() const { return form_; }
    void Changed(ui::Aspect aspect) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Shows a control's hint while the pointer rests on it.
    void SetToolTip(HWND control, const std::string& text);
    // The window styles of a border style, for making the window and for measuring its frame.
    static void StylesOf(ui::BorderStyle border, DWORD& style, DWORD& exStyle);

protected:
    WindowTraits Traits() const override;
    void AfterCreate() override;
    void Paint(HDC dc, const RECT& rc) override;

private:
    void ShowWindowNow(bool visible);
    void SetOnTop(bool onTop);
    void Activated(bool active);
    ui::Form& form_;
    HWND toolTip_ = nullptr;
    HWND lastFocus_ = nullptr;
};

}  // namespace win32
