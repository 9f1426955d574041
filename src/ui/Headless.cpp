#include "ui/Headless.h"

#include <algorithm>
#include <thread>

#include "ui/Application.h"

namespace ui {

namespace {

class NullPeer : public ControlPeer {
public:
    void Changed(Aspect) override {}
};

}  // namespace

class HeadlessTimerPeer : public TimerPeer {
public:
    HeadlessTimerPeer(HeadlessBackend& backend, Timer& timer) : backend_(backend), timer_(timer) {}
    ~HeadlessTimerPeer() override { Remove(); }

    void Restart() override {
        Remove();
        if (timer_.Enabled() && timer_.Interval() > 0)
            backend_.timers_.push_back({&timer_, backend_.now_ + timer_.Interval()});
    }

private:
    void Remove() {
        auto& list = backend_.timers_;
        list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& s) { return s.timer == &timer_; }),
                   list.end());
    }
    HeadlessBackend& backend_;
    Timer& timer_;
};

std::unique_ptr<ControlPeer> HeadlessBackend::CreatePeer(Control&) { return std::make_unique<NullPeer>(); }

std::unique_ptr<TimerPeer> HeadlessBackend::CreateTimerPeer(Timer& timer) {
    return std::make_unique<HeadlessTimerPeer>(*this, timer);
}

int HeadlessBackend::TextWidth(const Font& font, const std::string& text) {
    return int((text.size() * font.height + 1) / 2);
}

Size HeadlessBackend::MeasureText(const Font& font, const std::string& text) {
    return {TextWidth(font, text), font.height + 3};
}

void HeadlessBackend::Popup(PopupMenu& menu, int x, int y) {
    popups.push_back({menu.Name(), x, y});
    std::string choice;
    choice.swap(nextMenuChoice);
    if (choice.empty()) return;
    if (MenuItem* item = menu.Find(choice)) PopupMenu::Choose(*item);
}

void HeadlessBackend::MessageDialog(const std::string& text, const std::string& caption, MessageKind kind) {
    messages.push_back({text, caption, kind});
}

void HeadlessBackend::ProcessMessages() {
    Application::Hold hold;
    ++processMessagesCalls;
    if (onProcessMessages) {
        auto pending = std::move(onProcessMessages);
        onProcessMessages = nullptr;
        pending();
    }
}

void HeadlessBackend::Run(Form&) {}

void HeadlessBackend::ShowModal(Form& form) {
    modalForms.push_back(form.Name());
    form.SetModalState(true);
    form.ShowForm();
    form.Painted();
    if (onModal) onModal(form);
    form.SetModalState(false);
    form.SetVisible(false);
}

Size HeadlessBackend::FrameSize(BorderStyle style, int frameDpi) {
    return style == BorderStyle::None ? Size{} : Scale(frameDpi).ToDevice(kFrame);
}

void HeadlessBackend::SetBusyCursor(bool b) {
    if (b != busy) ++busyChanges;
    busy = b;
}

void HeadlessBackend::RunPosted() {
    if (!heldEventsPosted) return;
    heldEventsPosted = false;
    App().RunHeldEvents();
}

void HeadlessBackend::Wait(const std::function<bool()>& finished, const std::function<void()>& stop,
                           const platform::WaitOptions& options) {
    Application::Hold hold;
    ++waits;
    if (onWait) onWait();
    while (!finished()) {
        if (App().Terminated() || (options.stopWaiting && options.stopWaiting())) {
            stop();
            throw platform::Cancelled();
        }
        if (options.onProgress) options.onProgress();
        std::this_thread::yield();
    }
    if (options.onProgress) options.onProgress();
}

void HeadlessBackend::Advance(unsigned milliseconds) {
    const unsigned long long end = now_ + milliseconds;
    RunPosted();
    for (;;) {
        auto next = std::min_element(timers_.begin(), timers_.end(),
                                     [](const auto& a, const auto& b) { return a.due < b.due; });
        if (next == timers_.end() || next->due > end) break;
        Timer* timer = next->timer;
        now_ = next->due;
        next->due = now_ + timer->Interval();  // a periodic timer: next period starts now
        App().Act({timer, 0}, [timer] { timer->Fire(); });
        RunPosted();
    }
    now_ = end;
}

}  // namespace ui
