// The window backend of the control layer: every control is a real child window (see WindowPeer.h),
// every form a top-level window of a class named after the form's class ("TMainForm", ...), so
// that screen readers and UI automation see texts and places.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Wait.h"
#include "ui/Backend.h"

namespace win32 {

class FormPeer;
class WindowPeer;

class Win32Backend : public ui::Backend, public platform::Loop {
public:
    explicit Win32Backend(HINSTANCE instance);
    ~Win32Backend() override;

    std::unique_ptr<ui::ControlPeer> CreatePeer(ui::Control& control) override;
    std::unique_ptr<ui::TimerPeer> CreateTimerPeer(ui::Timer& timer) override;
    ui::Size MeasureText(const ui::Font& font, const std::string& text) override;
    void WriteText(ui::Bitmap& onto, int x, int y, const ui::Font& font, const std::string& text) override;
    void Popup(ui::PopupMenu& menu, int x, int y) override;
    void MessageDialog(const std::string& text, const std::string& caption, ui::MessageKind kind) override;
    void Run(ui::Form& mainForm) override;
    void Quit() override;
    void ShowModal(ui::Form& form) override;
    ui::Size DeviceScreenSize() override;
    std::vector<ui::Monitor> DeviceMonitors() override;
    int SystemDpi() override;
    ui::Size FrameSize(ui::BorderStyle style, int dpi) override;
    void SetBusyCursor(bool busy) override;
    void SetApplicationTitle(const std::string& title) override;
    void Focus(ui::Control& control) override;
    ui::Control* FocusedControl() override;
    void BringToFront(ui::Form& form) override;
    void Realized(ui::Form& form) override;

    // The window thread's side of waiting: what works post arrives as a message to the timer window
    // (a thread message would be lost in a modal loop); one-shot timers are its timers too.
    std::shared_ptr<platform::Mailbox> Mail() override;
    void StartWork(std::function<void()> work) override;
    uint64_t After(unsigned ms, std::function<void()> f) override;
    void CancelAfter(uint64_t timer) override;
    void RunMail();

    HINSTANCE Instance() const { return instance_; }
    // The window that carries the task-bar button, and owns every form's window but the main one's.
    // Not the main window: whatever changes the main window's place among the windows (topmost or
    // not) would move the windows it owns along, the hidden dialogs too.
    HWND ApplicationWindow() const { return appWindow_; }
    HWND MainWindow() const;  // null until the main form has its window
    HFONT FontFor(const ui::Font& font);
    HBRUSH BrushFor(COLORREF colour);
    bool Busy() const { return busy_; }
    void EnsureClass(const std::string& name);
    bool EnsureCommonControls();
    void TimerTick(UINT_PTR id);
    void FormCreated(FormPeer* form) { forms_.push_back(form); }
    // The pointer is over this control's window now, or has left it.
    void PointerOver(WindowPeer* peer);
    void PointerLeft(WindowPeer* peer);
    void PeerGone(WindowPeer* peer) {
        if (underPointer_ == peer) underPointer_ = nullptr;
    }
    void FormDestroyed(FormPeer* form);

private:
    friend class TimerPeer;
    bool HandleKey(const MSG& msg);
    void Dispatch(MSG& msg);

    HINSTANCE instance_;
    HWND appWindow_ = nullptr;
    HWND timerWindow_ = nullptr;
    HMODULE commonControls_ = nullptr;
    std::map<std::string, bool> classes_;
    std::map<std::string, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::map<UINT_PTR, ui::Timer*> timers_;
    std::map<UINT_PTR, std::function<void()>> oneShots_;
    class WindowMail;
    std::shared_ptr<WindowMail> mail_;
    std::vector<FormPeer*> forms_;
    WindowPeer* underPointer_ = nullptr;
    UINT_PTR nextTimerId_ = 1;
    bool busy_ = false;
};

// The window handle of a realized control (null before).
HWND HandleOf(const ui::Control& control);

}  // namespace win32
