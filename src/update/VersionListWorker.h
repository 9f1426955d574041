// The worker of the version check, TThread1: it fetches the version list on a thread of its own
// and hands over the finished result text in one step. The user-interface thread polls it.
//
//   auto worker = std::make_unique<update::TThread1>(*platform::Current().web);
//   worker->Start();
//   ... poll worker->Finished() every 10 ms while processing window messages ...
//   CheckOutcome outcome = ReadVersionListText(worker->Result().value_or(""), ...);
//   at program end: worker->WaitForEnd(update::kWorkerExitWait);
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "quotes/Fetch.h"

namespace update {

constexpr std::chrono::milliseconds kWorkerExitWait{3000};

// The worker's result text of a version-list fetch: "1" when it failed, "2" when it was rejected
// (empty, exactly "Default.htm" or shorter than 50 characters), otherwise the list itself.
std::string VersionListResultText(const quotes::TextFetch& fetch);

class TThread1 {
public:
    // The web must outlive the thread (the program's web service lives until the process ends).
    explicit TThread1(platform::Web& web);
    // Waits for a finished thread; a thread still running is left to run on (detached).
    ~TThread1();
    TThread1(const TThread1&) = delete;
    TThread1& operator=(const TThread1&) = delete;

    void Start();  // once
    // The thread has ended, with or without a result (an error inside it leaves none).
    bool Finished() const;
    // The result text once the thread has stored it; nothing before that or after an error.
    std::optional<std::string> Result() const;
    // Waits at most bound for the thread to end; true (and joined) when it ended, otherwise the
    // thread is left to run on by itself. For the program's end. A thread left running can still
    // be waited for; once it has ended it no longer touches the web.
    bool WaitForEnd(std::chrono::milliseconds bound);

private:
    // Kept alive by the thread itself, so a thread left running never reaches freed memory.
    struct State {
        mutable std::mutex mutex;
        std::condition_variable ended;
        std::optional<std::string> result;
        bool finished = false;
    };
    static void Run(platform::Web& web, const std::shared_ptr<State>& state);

    platform::Web& web_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
    std::thread thread_;
};

// Waits for the worker as the user-interface thread does: until it has ended or stopWaiting says
// so (the program is closing), sleeping pollMs between looks and running processMessages after
// each sleep, so that windows and timers keep working. Returns the result text, or nothing.
std::optional<std::string> WaitForVersionList(const TThread1& worker, platform::Clock& clock,
                                              const std::function<void()>& processMessages,
                                              const std::function<bool()>& stopWaiting, unsigned pollMs = 10);

}  // namespace update
