// A backend without windows: the forms run on their own state, timers run on a fake clock that
// the caller advances, and what would reach the user (menus, message boxes, the busy pointer) is
// recorded. Native tests drive the real forms through it.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Wait.h"
#include "ui/Backend.h"

namespace ui {

class HeadlessBackend : public Backend, public platform::Loop {
public:
    struct Popup { std::string menu; int x, y; };
    struct Message { std::string text, caption; MessageKind kind; };

    HeadlessBackend();
    ~HeadlessBackend() override;

    std::unique_ptr<ControlPeer> CreatePeer(Control& control) override;
    std::unique_ptr<TimerPeer> CreateTimerPeer(Timer& timer) override;
    Size MeasureText(const Font& font, const std::string& text) override;
    void WriteText(Bitmap& onto, int x, int y, const Font& font, const std::string& text) override;
    void Popup(PopupMenu& menu, int x, int y) override;
    void MessageDialog(const std::string& text, const std::string& caption, MessageKind kind) override;
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

    // The loop's side of waiting (platform::Loop), for tests that install the backend as the loop:
    // what is posted runs when the message loop would run it (RunPending, Advance); a work runs
    // there too, on the test thread, in its turn, unless holdWorks keeps it back (the work is then
    // still running, as far as the operation can tell) or threadedWorks runs it on a thread of its
    // own; one-shot timers run on the fake clock.
    std::shared_ptr<platform::Mailbox> Mail() override;
    void StartWork(std::function<void()> work) override;
    uint64_t After(unsigned ms, std::function<void()> f) override;
    void CancelAfter(uint64_t timer) override;
    bool holdWorks = false;
    bool threadedWorks = false;
    size_t HeldWorks() const { return works_.size(); }
    // Runs the works held back so far, in their order, and what they posted.
    void FinishWorks();
    // Runs the first work held back, and what it posted.
    void FinishWork();
    // Runs what is posted and the works not held back until nothing is left, as the message loop
    // would before the next timer tick; timers wait for Advance.
    void RunPending();
    // Runs what comes (posted by works on threads of their own) until the condition holds, for at
    // most the bound in real time; false when it did not come.
    bool RunUntil(const std::function<bool()>& condition, unsigned boundMs = 10000);

    // Moves the fake clock forward, firing every timer that comes due on the way, in time order;
    // what is pending runs first, and after every timer, as from a message loop.
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
    // Runs while a message box is open (what its modal loop runs meanwhile); may be empty.
    std::function<void(const Message&)> onMessage;

private:
    friend class HeadlessTimerPeer;
    class Postbox;
    struct Scheduled {
        Timer* timer = nullptr;  // a control layer's timer, or null for a one-shot
        unsigned long long due = 0;
        uint64_t sequence = 0;
        uint64_t id = 0;
        std::function<void()> once;
    };
    // Takes the next thing that is pending (posted first, then a work not held back); false when
    // there is none.
    bool RunOnePending();
    std::vector<Scheduled> timers_;
    std::deque<std::function<void()>> works_;
    std::shared_ptr<Postbox> mail_;
    unsigned long long now_ = 0;
    uint64_t sequence_ = 0;
    uint64_t lastOneShot_ = 0;
};

}  // namespace ui
