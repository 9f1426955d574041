#include "update/VersionListWorker.h"

#include <exception>
#include <utility>

namespace update {

std::string VersionListResultText(const quotes::TextFetch& fetch) {
    switch (quotes::ClassifyPage(fetch)) {
        case quotes::PageOutcome::Failed: return "1";
        case quotes::PageOutcome::Rejected: return "2";
        case quotes::PageOutcome::Accepted: break;
    }
    return fetch.body;
}

TThread1::TThread1(platform::Web& web) : web_(web) {}

TThread1::~TThread1() {
    if (!thread_.joinable()) return;
    if (Finished())
        thread_.join();
    else
        thread_.detach();
}

void TThread1::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread(&TThread1::Run, std::ref(web_), state_);
}

void TThread1::Run(platform::Web& web, const std::shared_ptr<State>& state) {
    std::optional<std::string> result;
    try {
        // The body grows in this thread's own text; only the finished text is handed over.
        result = VersionListResultText(quotes::FetchUrlToFile(web, quotes::VersionListProfile()));
    } catch (...) {
        result.reset();  // an error ends the thread without a result
    }
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->result = std::move(result);
        state->finished = true;
    }
    state->ended.notify_all();
}

bool TThread1::Finished() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->finished;
}

std::optional<std::string> TThread1::Result() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->result;
}

bool TThread1::WaitForEnd(std::chrono::milliseconds bound) {
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(state_->mutex);
        ended = state_->ended.wait_for(lock, bound, [this] { return state_->finished; });
    }
    if (thread_.joinable()) {
        if (ended)
            thread_.join();
        else
            thread_.detach();
    }
    return ended;
}

std::optional<std::string> WaitForVersionList(const TThread1& worker, platform::Clock& clock,
                                              const std::function<void()>& processMessages,
                                              const std::function<bool()>& stopWaiting, unsigned pollMs) {
    while (!worker.Finished()) {
        if (stopWaiting && stopWaiting()) return std::nullopt;
        clock.Sleep(pollMs);
        if (processMessages) processMessages();
    }
    return worker.Result();
}

}  // namespace update
