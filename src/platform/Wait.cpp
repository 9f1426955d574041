#include "platform/Wait.h"

#include <algorithm>
#include <condition_variable>

namespace platform {
namespace {

struct Works {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

// Never destroyed: a work may end after the program's static objects are gone.
Works& RunningWorks() {
    static Works* const works = new Works;
    return *works;
}

}  // namespace

bool WorksEnded(std::chrono::milliseconds bound) {
    Works& works = RunningWorks();
    std::unique_lock<std::mutex> lock(works.mutex);
    return works.ended.wait_for(lock, bound, [&] { return works.running == 0; });
}

// The cut runs under the lock, so that the work cannot unregister it (and let go of what it cuts)
// while it runs.
void StopSignal::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
    if (cut_) cut_();
}

StopSignal::Cut::Cut(StopSignal* signal, std::function<void()> cut) : signal_(signal) {
    if (!signal_) return;
    std::lock_guard<std::mutex> lock(signal_->mutex_);
    if (signal_->stopped_)
        cut();
    else
        signal_->cut_ = std::move(cut);
}

StopSignal::Cut::~Cut() {
    if (!signal_) return;
    std::lock_guard<std::mutex> lock(signal_->mutex_);
    signal_->cut_ = nullptr;
}

void MailQueue::Post(std::function<void()> f) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    const bool wake = next_ == posted_.size();
    posted_.push_back(std::move(f));
    if (wake) Arrived();
}

// The wake-up for what remains goes out before the function taken runs, which may open a modal loop.
bool MailQueue::Take(std::function<void()>& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ == posted_.size()) return false;
    f = std::move(posted_[next_++]);
    if (next_ == posted_.size()) {
        posted_.clear();
        next_ = 0;
    } else {
        Arrived();
    }
    return true;
}

void MailQueue::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    posted_.clear();
    next_ = 0;
}

// A wait whose next step was posted but not run (the loop that would run it is gone) goes on here.
void Loop::EndWaits() {
    BeginEnding();
    while (!waits_.empty()) {
        const std::shared_ptr<detail::WaitState> wait = waits_.front();
        if (wait->outcome() == detail::WaitState::Outcome::Pending)
            wait->End(detail::WaitState::Outcome::Cancelled);
        else
            wait->Resume();
    }
}

namespace detail {

CountedWork::CountedWork() {
    std::lock_guard<std::mutex> lock(RunningWorks().mutex);
    ++RunningWorks().running;
}

CountedWork::~CountedWork() {
    Works& works = RunningWorks();
    std::lock_guard<std::mutex> lock(works.mutex);
    if (--works.running == 0) works.ended.notify_all();
}

void WaitState::Begin(Loop& loop, std::coroutine_handle<> operation, unsigned deadlineMs, OwnerState* owner) {
    loop_ = &loop;
    operation_ = operation;
    loop.waits_.push_back(shared_from_this());
    if (owner) owner->Waits(shared_from_this());
    if (deadlineMs == 0) return;
    std::weak_ptr<WaitState> self = weak_from_this();
    timer_ = loop.After(deadlineMs, [self] {
        if (const std::shared_ptr<WaitState> wait = self.lock()) {
            wait->timer_ = 0;
            wait->End(wait->AtDeadline());
        }
    });
}

void WaitState::End(Outcome outcome, std::exception_ptr error) {
    if (outcome_ != Outcome::Pending || !loop_) return;
    outcome_ = outcome;
    error_ = std::move(error);
    if (timer_ != 0) loop_->CancelAfter(timer_);
    timer_ = 0;
    if (outcome != Outcome::Done) StopWork();
    if (loop_->Ending()) {
        Resume();
        return;
    }
    std::shared_ptr<WaitState> self = shared_from_this();
    loop_->Mail()->Post([self] { self->Resume(); });
}

// From the program's end on, whatever the wait ended with counts as called off, so that nothing of
// the operation runs any more. A last progress report that fails ends the wait with its error.
void WaitState::Resume() {
    if (resumed_ || outcome_ == Outcome::Pending) return;
    resumed_ = true;
    auto& waits = loop_->waits_;
    const std::shared_ptr<WaitState> keep = shared_from_this();
    waits.erase(std::remove(waits.begin(), waits.end(), keep), waits.end());
    if (loop_->Ending()) outcome_ = Outcome::Cancelled;
    if (outcome_ == Outcome::Done) {
        try {
            Finishing();
        } catch (...) {
            outcome_ = Outcome::Failed;
            error_ = std::current_exception();
        }
    }
    operation_.resume();
}

// Still pending here only when the wait never began: the program was already ending.
void WaitState::RaiseUnlessDone() const {
    switch (outcome_) {
        case Outcome::Pending:
        case Outcome::Cancelled: throw Cancelled();
        case Outcome::Expired: throw DeadlinePassed();
        case Outcome::Failed: std::rethrow_exception(error_);
        default: break;
    }
}

}  // namespace detail

bool Pause::await_ready() {
    loop_ = Current().loop;
    if (loop_) return loop_->Ending();
    if (Clock* clock = Current().clock) clock->Sleep(milliseconds_);
    return true;
}

void Pause::await_resume() {
    if (!loop_) return;
    wait_->RaiseUnlessDone();
}

}  // namespace platform
