// A backend without windows: the forms run on their own state, timers run on a fake clock that
// the caller advances, and what would reach the user (menus, message boxes, the busy pointer) is
// recorded. Native tests drive the real forms through it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Await.h"
#include "ui/Backend.h"

namespace ui {

class HeadlessBackend : public Backend, public platform::Waiter {
public:
    struct Popup { std::string menu; int x, y; };
    struct Message { std::string text, caption; MessageKind kind; };

    std::unique_ptr<ControlPeer> CreatePeer(Control& control) override;
    std::unique_ptr<TimerPeer> CreateTimerPeer(Timer& timer) override;
    Size MeasureText(const Font& font, const std::string& text) override;
    void Popup(PopupMenu& menu, int x, int y) override;
    void MessageDialog(const std::string& text, const std::string& caption, MessageKind kind) override;
    void ProcessMessages() override;
    void Run(Form& mainForm) override;
    void Quit() override { quitRequested = true; }
    void ShowModal(Form& form) override;
    Size DeviceScreenSize() override { return screen; }
    std::vector<Monitor> DeviceMonitors() override { return monitors.empty() ? Backend::DeviceMonitors() : monitors; }
    int SystemDpi() override { return dpi; }
    Size FrameSize(BorderStyle style, int dpi) override;
    void Focus(Control& control) override { focused = &control; }
    Control* FocusedControl() override { return focused; }
    void BringToFront(Form& form) override { broughtToFront.push_back(form.Name()); }
    void SetBusyCursor(bool busy) override;
    void SetApplicationTitle(const std::string& title) override { applicationTitle = title; }
    void PostHeldEvents() override { heldEventsPosted = true; }
    // Runs the held events if they were posted, as the message loop would.
    void RunPosted();

    // The window thread's side of platform::Await, for tests that install the backend as the
    // waiter: onWait runs at the start of every wait (what happens while the work runs; `waits`
    // counts them), then the backend waits for the work to finish.
    void Wait(const std::function<bool()>& finished, const std::function<void()>& stop,
              const platform::WaitOptions& options) override;
    std::function<void()> Waker() override { return [] {}; }
    std::function<void()> onWait;
    int waits = 0;

    bool heldEventsPosted = false;
    // Moves the fake clock forward, firing every timer that comes due on the way, in time order;
    // held events run first, and after every timer, as from a message loop.
    void Advance(unsigned milliseconds);
    unsigned long long Now() const { return now_; }

    // The width the fake text metrics give a text: one font height per two characters, rounded up.
    static int TextWidth(const Font& font, const std::string& text);

    // In the screen's pixels.
    Size screen{1280, 1024};
    // Empty: one monitor of the screen's size.
    std::vector<Monitor> monitors;
    // The system's dots per inch: the forms' until told otherwise (Form::SetDpi).
    int dpi = kDesignDpi;
    std::string applicationTitle;
    bool quitRequested = false;
    bool busy = false;
    int busyChanges = 0;
    int processMessagesCalls = 0;
    std::vector<struct Popup> popups;
    std::vector<Message> messages;
    std::vector<std::string> modalForms;
    std::vector<std::string> broughtToFront;
    Control* focused = nullptr;
    // What a title bar and border add to a form's client area at 96 dpi, as the headless frames
    // have them; scaled at other dpi.
    static constexpr Size kFrame{6, 25};
    // The name of the menu item that the next popup chooses (empty: the menu is dismissed).
    std::string nextMenuChoice;
    // Runs while a form is shown modally (what the user does in it); may be empty.
    std::function<void(Form&)> onModal;
    // Runs when pending events are let through (events that were waiting at that moment).
    std::function<void()> onProcessMessages;

private:
    friend class HeadlessTimerPeer;
    struct Scheduled { Timer* timer; unsigned long long due; };
    std::vector<Scheduled> timers_;
    unsigned long long now_ = 0;
};

}  // namespace ui
