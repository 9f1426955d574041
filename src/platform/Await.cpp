#include "platform/Await.h"

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

namespace detail {

void WorkStarted() {
    std::lock_guard<std::mutex> lock(RunningWorks().mutex);
    ++RunningWorks().running;
}

void WorkEnded() {
    Works& works = RunningWorks();
    std::lock_guard<std::mutex> lock(works.mutex);
    if (--works.running == 0) works.ended.notify_all();
}

}  // namespace detail

bool WorksEnded(std::chrono::milliseconds bound) {
    Works& works = RunningWorks();
    std::unique_lock<std::mutex> lock(works.mutex);
    return works.ended.wait_for(lock, bound, [&] { return works.running == 0; });
}

// The cut runs under the lock, so that the work cannot unregister it (and close what it cuts)
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

}  // namespace platform
