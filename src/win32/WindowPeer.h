// The windows behind the controls: one peer type for each kind of control (the form's in
// FormPeer.h, the controls' in ControlPeers.h). Drawn controls (labels, pictures, panels, frames)
// are windows of our own classes named after their kind ("TLabel", "TPanel", ...); check boxes,
// push buttons and text fields are the system's own controls, so that the keyboard, focus and UI
// automation work on them as everywhere else.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "ui/Backend.h"

namespace win32 {

class Win32Backend;

class WindowPeer : public ui::ControlPeer {
public:
    WindowPeer(Win32Backend& backend, ui::Control& control) : backend_(backend), control_(control) {}
    ~WindowPeer() override;
    WindowPeer(const WindowPeer&) = delete;
    WindowPeer& operator=(const WindowPeer&) = delete;

    // Makes the window; separate from construction so that each kind can say what it makes.
    void Create();
    HWND Handle() const { return hwnd_; }
    // The window that takes the keyboard for this control.
    virtual HWND FocusWindow() const { return hwnd_; }
    ui::Control& Control() const { return control_; }

    void Changed(ui::Aspect aspect) override;

    // Messages to a window of our own class; true when handled, with the result.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Messages to a system control before its own procedure sees them; true when handled.
    virtual bool OnStandardMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // What the control's window tells its parent.
    virtual void OnCommand(WORD) {}
    virtual bool OnNotify(const NMHDR&, LRESULT&) { return false; }
    virtual void OnDrawItem(const DRAWITEMSTRUCT&) {}
    virtual HBRUSH OnControlColor(HDC dc);

    // Puts the control's window(s) above its siblings.
    virtual void RaiseToTop();
    // The pointer has come onto the control (true) or gone (false).
    virtual void SetHot(bool) {}
    LRESULT CallStandardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    struct WindowTraits {
        std::string className;
        bool ownClass = true;  // a class of ours, painted by Paint
        DWORD style = 0;       // beyond WS_CHILD, WS_CLIPSIBLINGS and WS_VISIBLE
        DWORD exStyle = 0;
    };
    virtual WindowTraits Traits() const = 0;
    virtual void AfterCreate() {}
    // The window's text: what the control shows, and what a screen reader reads as its name.
    virtual std::string WindowText() const { return control_.Text(); }
    // The role a screen reader is told (ROLE_SYSTEM_...); 0: the system's own for the window.
    virtual long AccessibleRole() const { return 0; }
    // A length of the control's units in the window's pixels.
    int Px(int value) const;
    // Moves and sizes the window to the control's place at its scale.
    void PlaceWindow();
    // Own classes paint into a memory bitmap the size of the window.
    virtual void Paint(HDC dc, const RECT& rc);
    void PaintBuffered();
    void FillBack(HDC dc, const RECT& rc) const;
    HFONT Font() const;
    void Subclass(HWND hwnd);

    Win32Backend& backend_;
    ui::Control& control_;
    HWND hwnd_ = nullptr;
    WNDPROC standardProc_ = nullptr;
};

// The peer of a window, found through its window data; null for windows that are not ours.
WindowPeer* PeerOf(HWND hwnd);
ui::Control* ControlOf(HWND hwnd);

// The window procedure of every window of our own classes.
LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace win32
