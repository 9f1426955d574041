// The one way the thread that owns the windows waits for something slow: a page from the web, a
// sweep of tones, a ping. The slow work runs on a thread of its own; the window thread meanwhile
// keeps answering (it paints, the window moves, the right-click menu opens, "Afsluiten" ends the
// program), while whatever the user or a timer asks for that would start more work waits until
// the wait is over. The steps before and after the wait keep their order, on the window thread.
//
//   const quotes::TextFetch page = platform::Await([web = platform::Current().web](platform::Job& job) {
//       return quotes::FetchUrlToFile(*web, quotes::IexQuoteProfile(), &job);
//   });
//
// The work may outlive the wait (when the program ends during it), so it must own everything it
// uses: capture by value, or services that live as long as the process.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>

#include "platform/Platform.h"

namespace platform {

// The program is ending, or the window that waited was closed: a wait ended without its work. Its
// operation ends quietly, without a message to the user.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("cancelled") {}
};

// How work on another thread is cut short. The work says how it can be cut (closing its network
// handles, say) for as long as it can be; Stop runs that once, from any thread.
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

// What the work of a wait gets: the signal that cuts it short, and a way to tell the waiting
// thread that it has made progress (a chunk of a download), from its own thread.
class Job : public StopSignal {
public:
    explicit Job(std::function<void()> wake = {}) : wake_(std::move(wake)) {}
    void Progressed() const {
        if (wake_) wake_();
    }

private:
    std::function<void()> wake_;
};

// What a wait may do besides waiting, on the window thread.
struct WaitOptions {
    std::function<bool()> stopWaiting;  // ends the wait early, as the program's end does
    std::function<void()> onProgress;   // runs after the work has told of progress
};

// The window thread's side of a wait, provided by the window layer.
class Waiter {
public:
    virtual ~Waiter() = default;
    // Returns once finished() is true, handling messages meanwhile and running onProgress after
    // every wake. When the program ends (or stopWaiting() says so) it runs stop() and raises
    // Cancelled.
    virtual void Wait(const std::function<bool()>& finished, const std::function<void()>& stop,
                      const WaitOptions& options) = 0;
    // Something the waiting thread should look at has happened: wakes it. The function may be
    // called from any thread, also after the program's windows are gone.
    virtual std::function<void()> Waker() = 0;
};

// Gives the works still running (cut short at the program's end) up to `bound` to finish what they
// leave behind (a partial download deleted, say); true when none runs any more.
bool WorksEnded(std::chrono::milliseconds bound);

namespace detail {

// Counts the works that run, for WorksEnded.
void WorkStarted();
void WorkEnded();

template <class R>
struct AwaitState {
    explicit AwaitState(std::function<void()> wake) : job(std::move(wake)) {}
    Job job;
    std::atomic<bool> finished{false};
    std::optional<R> result;
    std::exception_ptr error;
};

template <>
struct AwaitState<void> {
    explicit AwaitState(std::function<void()> wake) : job(std::move(wake)) {}
    Job job;
    std::atomic<bool> finished{false};
    std::exception_ptr error;
};

}  // namespace detail

// Runs work(Job&) on a thread of its own and waits for it as described above; returns its result
// or raises its error. Without a waiter installed (the native tests) the work runs on the calling
// thread, and its progress reports run onProgress at once.
template <class Work>
auto Await(Work work, const WaitOptions& options = {}) -> std::invoke_result_t<Work&, Job&> {
    using R = std::invoke_result_t<Work&, Job&>;
    Waiter* waiter = Current().waiter;
    if (!waiter) {
        Job inline_(options.onProgress);
        return work(inline_);
    }
    auto state = std::make_shared<detail::AwaitState<R>>(waiter->Waker());
    detail::WorkStarted();
    std::thread([state, work = std::move(work), wake = waiter->Waker()]() mutable {
        try {
            if constexpr (std::is_void_v<R>)
                work(state->job);
            else
                state->result.emplace(work(state->job));
        } catch (...) {
            state->error = std::current_exception();
        }
        state->finished = true;
        wake();
        detail::WorkEnded();
    }).detach();
    waiter->Wait([&] { return state->finished.load(); }, [&] { state->job.Stop(); }, options);
    if (state->error) std::rethrow_exception(state->error);
    if constexpr (!std::is_void_v<R>) return std::move(*state->result);
}

}  // namespace platform
