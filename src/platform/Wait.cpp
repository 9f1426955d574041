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

bool MailQueue::Take(std::function<void()>& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next_ == posted_.size()) return false;
    f = std::move(posted_[next_++]);
    if (next_ == posted_.size()) {
        posted_.clear();
        next_ = 0;
    }
    return true;
}

void MailQueue::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    posted_.clear();
    next_ = 0;
}

void Loop::EndWaits() {
    BeginEnding();
    while (!waits_.empty()) {
        const std::shared_ptr<detail::WaitState> wait = waits_.front();
        wait->End(detail::WaitState::Outcome::Cancelled);
    }
}

void CancelToken::Cancel() {
    if (const std::shared_ptr<detail::WaitState> wait = wait_.lock())
        wait->End(detail::WaitState::Outcome::Cancelled);
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

void WaitState::Begin(Loop& loop, std::coroutine_handle<> operation, unsigned deadlineMs, CancelToken* token) {
    loop_ = &loop;
    operation_ = operation;
    loop.waits_.push_back(shared_from_this());
    if (token) token->wait_ = weak_from_this();
    if (deadlineMs == 0) return;
    std::weak_ptr<WaitState> self = weak_from_this();
    timer_ = loop.After(deadlineMs, [self] {
        if (const std::shared_ptr<WaitState> wait = self.lock()) {
            wait->timer_ = 0;
            wait->End(wait->AtDeadline());
        }
    });
}

// The operation goes on from here, on the window thread; a wait that was done but comes after the
// end has begun counts as called off, so that nothing of the operation runs any more.
void WaitState::End(Outcome outcome) {
    if (outcome_ != Outcome::Pending || !loop_) return;
    if (outcome == Outcome::Done && loop_->Ending()) outcome = Outcome::Cancelled;
    outcome_ = outcome;
    if (timer_ != 0) loop_->CancelAfter(timer_);
    timer_ = 0;
    auto& waits = loop_->waits_;
    const std::shared_ptr<WaitState> keep = shared_from_this();
    waits.erase(std::remove(waits.begin(), waits.end(), keep), waits.end());
    if (outcome == Outcome::Done)
        Finishing();
    else
        StopWork();
    operation_.resume();
}

// Still pending here only when the wait never began: the program was already ending.
void WaitState::RaiseUnlessDone() const {
    switch (outcome_) {
        case Outcome::Pending:
        case Outcome::Cancelled: throw Cancelled();
        case Outcome::Expired: throw DeadlinePassed();
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

void Pause::await_suspend(std::coroutine_handle<> operation) {
    wait_->Begin(*loop_, operation, milliseconds_ == 0 ? 1 : milliseconds_, nullptr);
}

void Pause::await_resume() {
    if (!loop_) return;
    wait_->RaiseUnlessDone();
}

}  // namespace platform
