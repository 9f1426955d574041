// How an operation of the window thread (platform/Task.h) waits: for slow work that runs on a
// thread of its own (a page from the web, a sweep of tones, a ping), or for a while. The operation
// gives control back to the program's message loop. Whatever ends the wait (the work's end, its
// deadline, its owner calling it off) posts the operation's next step to the window thread's
// mailbox, so the operation never runs inside the code that ended its wait; only the program's end
// goes on with it at once, to unwind it:
//
//   auto page = platform::OnWorker([web, profile](platform::Job& job) { return FetchUrlToFile(*web, profile, &job); },
//                                  platform::WaitOptions::Within(31000));
//   const TextFetch fetched = co_await page;
//
// The work may outlive the wait (a deadline passes, the program ends), so it must own everything it
// uses: capture by value, or services that live as long as the process. Its late result is dropped.
#pragma once

#include <atomic>
#include <chrono>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Owner.h"
#include "platform/Platform.h"

namespace platform {

// The program is ending, or the wait was called off (the window that waited was closed): the wait
// ended without its work. The operation ends quietly, without a message to the user.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("cancelled") {}
};

// The work did not end by the wait's deadline; it was told to stop and is left to end by itself.
class DeadlinePassed : public std::runtime_error {
public:
    DeadlinePassed() : std::runtime_error("deadline passed") {}
};

// How work on another thread is cut short. The work says how it can be cut (flagging its network
// request, say) for as long as it can be; Stop runs that once, from any thread, and must not block.
class StopSignal {
public:
    bool Stopped() const { return stopped_; }
    void Stop();

    // The cut registered for as long as this object lives.
    class Cut {
    public:
        Cut(StopSignal* signal, std::function<void()> cut);
        ~Cut();
        Cut(const Cut&) = delete;
        Cut& operator=(const Cut&) = delete;

    private:
        StopSignal* signal_;
    };

private:
    std::mutex mutex_;
    std::function<void()> cut_;
    std::atomic<bool> stopped_{false};
};

// What the work of a wait gets: the signal that cuts it short, and a way to tell the waiting side
// that it has made progress (a chunk of a download), from its own thread.
class Job : public StopSignal {
public:
    explicit Job(std::function<void()> progressed = {}) : progressed_(std::move(progressed)) {}
    void Progressed() const {
        if (progressed_) progressed_();
    }
    // Set by the waiting side before the work starts.
    void SetProgressed(std::function<void()> progressed) { progressed_ = std::move(progressed); }

private:
    std::function<void()> progressed_;
};

// Hands functions to the window thread from any thread, to run from its message loop in the order
// they came. Lives as long as anyone holds it; once the loop is gone, what comes is dropped.
class Mailbox {
public:
    virtual ~Mailbox() = default;
    virtual void Post(std::function<void()> f) = 0;
};

// A mailbox as a queue that the window thread empties one function per wake-up: the loop is woken
// when the first function comes into an empty queue, and again after each function taken while
// others remain. So there is a wake-up on its way whenever the queue holds something, and a modal
// loop that a function opens (a message box) runs the ones behind it.
class MailQueue : public Mailbox {
public:
    void Post(std::function<void()> f) override;
    // The first function posted, taken out of the queue; false when there is none.
    bool Take(std::function<void()>& f);
    // The loop is gone: what is queued and what comes is dropped.
    void Close();

protected:
    // The loop is to take the next function; under the queue's lock.
    virtual void Arrived() = 0;
    std::mutex mutex_;

private:
    std::vector<std::function<void()>> posted_;
    size_t next_ = 0;
    bool closed_ = false;
};

namespace detail {
class WaitState;
}

// The window thread's side of waiting, provided by the window layer: the mailbox, a thread for
// each work, one-shot timers on the window thread, and the waits in progress.
class Loop {
public:
    virtual ~Loop() = default;
    virtual std::shared_ptr<Mailbox> Mail() = 0;
    // Runs the work off the window thread.
    virtual void StartWork(std::function<void()> work) = 0;
    // Runs f once on the window thread, from its message loop, after ms milliseconds.
    virtual uint64_t After(unsigned ms, std::function<void()> f) = 0;
    virtual void CancelAfter(uint64_t timer) = 0;

    // From now on no wait starts, and a wait that ends ends as called off: the program ends.
    void BeginEnding() { ending_ = true; }
    bool Ending() const { return ending_; }
    // Calls off every wait in progress (after the message loop has ended): their operations end
    // quietly, on the calling thread, and nothing of them is left.
    void EndWaits();

private:
    friend class detail::WaitState;
    bool ending_ = false;
    std::vector<std::shared_ptr<detail::WaitState>> waits_;
};

struct WaitOptions {
    // The wait ends with DeadlinePassed when its work has not ended by then (0: no deadline); the
    // work is told to stop.
    unsigned deadlineMs = 0;
    // Runs on the window thread when the work has told of progress (several reports may come as
    // one), and once more when it has finished. An error it raises ends the wait with that error.
    std::function<void()> onProgress;

    static WaitOptions Within(unsigned deadlineMs) {
        WaitOptions options;
        options.deadlineMs = deadlineMs;
        return options;
    }
};

// Gives the works still running (cut short at the program's end) up to `bound` to finish what they
// leave behind (a partial download deleted, say); true when none runs any more.
bool WorksEnded(std::chrono::milliseconds bound);

namespace detail {

// Counts a work from its start until it has ended, or was dropped without running.
class CountedWork {
public:
    CountedWork();
    ~CountedWork();
    CountedWork(const CountedWork&) = delete;
    CountedWork& operator=(const CountedWork&) = delete;
};

// One wait of a suspended operation, on the window thread. It ends once: done, called off, expired,
// or failed on the waiting side; then the operation goes on from a message of its own.
class WaitState : public std::enable_shared_from_this<WaitState> {
public:
    enum class Outcome { Pending, Done, Cancelled, Expired, Failed };
    virtual ~WaitState() = default;

    // Suspends the operation on this wait: registers it with the loop and the operation's owner,
    // arms its deadline.
    void Begin(Loop& loop, std::coroutine_handle<> operation, unsigned deadlineMs, OwnerState* owner);
    // Ends the wait (once) and posts the operation's next step; at the program's end the operation
    // goes on at once instead, to unwind.
    void End(Outcome outcome, std::exception_ptr error = nullptr);
    // The operation's next step: it goes on, once.
    void Resume();
    Outcome outcome() const { return outcome_; }
    // Raises what the outcome says unless the wait is done (Cancelled for one that never began).
    void RaiseUnlessDone() const;

protected:
    // The wait ended without its work: the work is told to stop.
    virtual void StopWork() {}
    // Right before a done wait goes on.
    virtual void Finishing() {}
    // The deadline has come: for a pause this is its end.
    virtual Outcome AtDeadline() { return Outcome::Expired; }
    Loop* loop_ = nullptr;

private:
    std::coroutine_handle<> operation_;
    uint64_t timer_ = 0;
    Outcome outcome_ = Outcome::Pending;
    std::exception_ptr error_;
    bool resumed_ = false;
};

template <class R>
struct Slot {
    std::optional<R> value;
    template <class Work>
    void Fill(Work& work, Job& job) {
        value.emplace(work(job));
    }
    R Take() { return std::move(*value); }
};

template <>
struct Slot<void> {
    template <class Work>
    void Fill(Work& work, Job& job) {
        work(job);
    }
    void Take() {}
};

// A wait for work on a thread of its own.
template <class R>
class WorkWait : public WaitState {
public:
    explicit WorkWait(std::function<void()> onProgress) : onProgress_(std::move(onProgress)) {}

    // The work's side: its result or error, then the report to the window thread.
    template <class Work>
    void Run(Work& work) {
        try {
            slot_.Fill(work, job);
        } catch (...) {
            error_ = std::current_exception();
        }
    }
    R Result() {
        if (error_) std::rethrow_exception(error_);
        return slot_.Take();
    }
    // Progress told from the work's thread reaches the window thread once per report in flight.
    void Progressed(const std::shared_ptr<Mailbox>& mail) {
        if (!onProgress_ || progressPosted_.exchange(true)) return;
        std::weak_ptr<WaitState> self = weak_from_this();
        mail->Post([self] {
            auto wait = std::static_pointer_cast<WorkWait>(self.lock());
            if (!wait) return;
            wait->progressPosted_ = false;
            if (wait->outcome() != Outcome::Pending) return;
            try {
                wait->onProgress_();
            } catch (...) {
                wait->End(Outcome::Failed, std::current_exception());
            }
        });
    }
    Job job{};

protected:
    void StopWork() override { job.Stop(); }
    void Finishing() override {
        if (onProgress_) onProgress_();
    }

private:
    std::function<void()> onProgress_;
    std::atomic<bool> progressPosted_{false};
    Slot<R> slot_;
    std::exception_ptr error_;
};

// A pause: its deadline is its end.
class PauseWait : public WaitState {
protected:
    Outcome AtDeadline() override { return Outcome::Done; }
};

}  // namespace detail

// co_await OnWorker(work, options): runs work(Job&) on a thread of its own while the operation
// waits; gives its result, or raises its error, Cancelled or DeadlinePassed. Without a loop
// installed (native tests of the logic) the work runs at once on the calling thread, and its
// progress reports run onProgress there and then.
template <class R>
class WorkAwaiter {
public:
    WorkAwaiter(std::function<R(Job&)> work, WaitOptions options)
        : work_(std::move(work)),
          options_(std::move(options)),
          wait_(std::make_shared<detail::WorkWait<R>>(options_.onProgress)) {}

    bool await_ready() {
        loop_ = Current().loop;
        if (loop_) return loop_->Ending();
        Job here(options_.onProgress);
        if constexpr (std::is_void_v<R>)
            work_(here);
        else
            inline_.emplace(work_(here));
        return true;
    }

    template <class P>
    void await_suspend(std::coroutine_handle<P> operation) {
        std::shared_ptr<Mailbox> mail = loop_->Mail();
        std::weak_ptr<detail::WorkWait<R>> weak = wait_;
        wait_->job.SetProgressed([weak, mail] {
            if (auto wait = weak.lock()) wait->Progressed(mail);
        });
        auto wait = wait_;
        auto counted = std::make_shared<detail::CountedWork>();
        loop_->StartWork([wait, mail, counted, work = std::move(work_)]() mutable {
            wait->Run(work);
            mail->Post([wait] { wait->End(detail::WaitState::Outcome::Done); });
        });
        wait->Begin(*loop_, operation, options_.deadlineMs, detail::OwnerOf(operation));
    }

    R await_resume() {
        if (!loop_) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return std::move(*inline_);
        }
        wait_->RaiseUnlessDone();
        return wait_->Result();
    }

private:
    std::function<R(Job&)> work_;
    WaitOptions options_;
    std::shared_ptr<detail::WorkWait<R>> wait_;
    Loop* loop_ = nullptr;
    std::conditional_t<std::is_void_v<R>, bool, std::optional<R>> inline_{};
};

template <class Work>
auto OnWorker(Work work, WaitOptions options = {}) {
    using R = std::invoke_result_t<Work&, Job&>;
    return WorkAwaiter<R>(std::function<R(Job&)>(std::move(work)), std::move(options));
}

// co_await Pause(ms): the operation goes on after ms milliseconds, the window answering meanwhile.
// Without a loop the clock's Sleep stands in for it.
class Pause {
public:
    explicit Pause(unsigned milliseconds) : milliseconds_(milliseconds) {}
    bool await_ready();
    template <class P>
    void await_suspend(std::coroutine_handle<P> operation) {
        wait_->Begin(*loop_, operation, milliseconds_ == 0 ? 1 : milliseconds_, detail::OwnerOf(operation));
    }
    void await_resume();

private:
    unsigned milliseconds_;
    Loop* loop_ = nullptr;
    std::shared_ptr<detail::PauseWait> wait_ = std::make_shared<detail::PauseWait>();
};

}  // namespace platform
