// The window backend of the control layer: every control is a real child window of a class named
// after its kind ("TLabel", "TPanel", ...), every form a top-level window of a class named after the
// form's class ("TMainForm", ...), so that screen readers and UI automation see texts and places.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/Backend.h"

namespace win32 {

class Win32Backend : public ui::Backend {
public:
    explicit Win32Backend(HINSTANCE instance);
    ~Win32Backend() override;

    std::unique_ptr<ui::ControlPeer> CreatePeer(ui::Control& control) override;
    std::unique_ptr<ui::TimerPeer> CreateTimerPeer(ui::Timer& timer) override;
    ui::Size MeasureText(const ui::Font& font, const std::string& text) override;
    void Popup(ui::PopupMenu& menu, int x, int y) override;
    void MessageDialog(const std::string& text, const std::string& caption, ui::MessageKind kind) override;
    void ProcessMessages() override;
    void Run(ui::Form& mainForm) override;
    void Quit() override;
    void ShowModal(ui::Form& form) override;
    void EndModal(ui::Form& form) override;
    ui::Size ScreenSize() override;
    void SetBusyCursor(bool busy) override;
    void SetApplicationTitle(const std::string& title) override;
    void Realized(ui::Form& form) override;

    HINSTANCE Instance() const { return instance_; }
    HWND ApplicationWindow() const { return appWindow_; }
    HFONT FontFor(const ui::Font& font);
    bool Busy() const { return busy_; }
    // Timer ticks are held until the message loop runs, so that nothing fires during start-up.
    void TimerTick(UINT_PTR id);

private:
    friend class TimerPeer;
    void EnsureClass(const std::string& name);
    bool HandleKey(const MSG& msg);
    void FireHeldTimers();

    HINSTANCE instance_;
    HWND appWindow_ = nullptr;
    HWND timerWindow_ = nullptr;
    std::map<std::string, bool> classes_;
    std::map<std::string, HFONT> fonts_;
    std::map<UINT_PTR, ui::Timer*> timers_;
    std::vector<UINT_PTR> heldTicks_;
    UINT_PTR nextTimerId_ = 1;
    bool busy_ = false;
    bool loopRunning_ = false;
};

// The window handle of a realized control (null before).
HWND HandleOf(const ui::Control& control);

}  // namespace win32
