#include "ui/Headless.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/Application.h"

namespace ui {

namespace {

class NullPeer : public ControlPeer {
public:
    void Changed(Aspect) override {}
};

}  // namespace

// What works on threads of their own post: kept in order until the test thread runs it.
// Wake-ups are counted as a window's posted messages would be: the loop takes a function only for a
// wake-up, so a function left without one (behind a modal loop, say) is seen to wait.
class HeadlessBackend::Postbox : public platform::MailQueue {
public:
    // Until something is there to take, or the bound has passed.
    void WaitFor(std::chrono::milliseconds bound) {
        std::unique_lock<std::mutex> lock(mutex_);
        arrived_.wait_for(lock, bound, [this] { return wakeUps_ > 0; });
    }
    bool TakeWoken(std::function<void()>& f) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (wakeUps_ == 0) return false;
            --wakeUps_;
        }
        return Take(f);
    }

protected:
    void Arrived() override {
        ++wakeUps_;
        arrived_.notify_all();
    }

private:
    std::condition_variable arrived_;
    size_t wakeUps_ = 0;
};

class HeadlessTimerPeer : public TimerPeer {
public:
    HeadlessTimerPeer(HeadlessBackend& backend, Timer& timer) : backend_(backend), timer_(timer) {}
    ~HeadlessTimerPeer() override { Remove(); }

    void Restart() override {
        Remove();
        if (timer_.Enabled() && timer_.Interval() > 0) {
            HeadlessBackend::Scheduled next;
            next.timer = &timer_;
            next.due = backend_.now_ + timer_.Interval();
            next.sequence = ++backend_.sequence_;
            backend_.timers_.push_back(std::move(next));
        }
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

HeadlessBackend::HeadlessBackend() : mail_(std::make_shared<Postbox>()) {}

// What still waits is called off while the forms it belongs to live; the tests do it themselves
// (EndWaits) before they let their forms go. Held works are dropped without running.
HeadlessBackend::~HeadlessBackend() {
    EndWaits();
    mail_->Close();
}

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

// A text is a block of its colour over its whole cell: where it lands is what tests can see.
void HeadlessBackend::WriteText(Bitmap& onto, int x, int y, const Font& font, const std::string& text) {
    Bitmap block;
    const Size size = MeasureText(font, text);
    block.width = size.width;
    block.height = size.height;
    const uint32_t rgb = font.color & 0xFFFFFFu;
    block.pixels.assign(size_t(block.width) * block.height, 0xFF000000u | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16);
    Blit(onto, block, x, y);
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
    if (onMessage) onMessage(messages.back());
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

std::shared_ptr<platform::Mailbox> HeadlessBackend::Mail() { return mail_; }

void HeadlessBackend::StartWork(std::function<void()> work) {
    if (threadedWorks)
        std::thread(std::move(work)).detach();
    else
        works_.push_back(std::move(work));
}

uint64_t HeadlessBackend::After(unsigned ms, std::function<void()> f) {
    Scheduled once;
    once.due = now_ + ms;
    once.sequence = ++sequence_;
    once.id = ++lastOneShot_;
    once.once = std::move(f);
    timers_.push_back(std::move(once));
    return lastOneShot_;
}

void HeadlessBackend::CancelAfter(uint64_t timer) {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [timer](const Scheduled& s) { return !s.timer && s.id == timer; }),
                  timers_.end());
}

bool HeadlessBackend::RunOnePending() {
    std::function<void()> next;
    if (!mail_->TakeWoken(next)) {
        if (holdWorks || works_.empty()) return false;
        next = std::move(works_.front());
        works_.pop_front();
    }
    App().Dispatch(next);
    return true;
}

void HeadlessBackend::RunPending() {
    while (RunOnePending()) {
    }
}

void HeadlessBackend::FinishWorks() {
    const bool held = holdWorks;
    holdWorks = false;
    RunPending();
    holdWorks = held;
}

void HeadlessBackend::FinishWork() {
    if (works_.empty()) return;
    std::function<void()> work = std::move(works_.front());
    works_.pop_front();
    App().Dispatch(work);
    RunPending();
}

bool HeadlessBackend::RunUntil(const std::function<bool()>& condition, unsigned boundMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        RunPending();
        if (condition()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return false;
        mail_->WaitFor(std::chrono::milliseconds(50));
    }
}

void HeadlessBackend::Advance(unsigned milliseconds) {
    const unsigned long long end = now_ + milliseconds;
    RunPending();
    for (;;) {
        auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
            return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
        });
        if (next == timers_.end() || next->due > end) break;
        now_ = next->due;
        if (Timer* timer = next->timer) {
            next->due = now_ + timer->Interval();  // a periodic timer: next period starts now
            next->sequence = ++sequence_;
            App().Dispatch([timer] { timer->Fire(); });
        } else {
            std::function<void()> once = std::move(next->once);
            timers_.erase(next);
            App().Dispatch(once);
        }
        RunPending();
    }
    now_ = end;
}

}  // namespace ui
