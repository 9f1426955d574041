#include "platform/Owner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/Wait.h"

namespace platform {
namespace {

void ToStandardError(std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unreported error: %s\n", e.what());
    } catch (...) {
        std::fputs("unreported error\n", stderr);
    }
}

LastResort g_lastResort = ToStandardError;

// The root of an operation: it owns the task while it runs, ends by itself, and lets no error out.
// Its promise carries the owner, which every task it awaits takes over.
struct Detached {
    struct promise_type : detail::OwnedPromise {
        promise_type(Task<>&, std::shared_ptr<detail::OwnerState>& state) { owner = state.get(); }
        Detached get_return_object() { return {}; }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() noexcept {}  // RunDetached catches everything itself
    };
};

Detached RunDetached(Task<> task, std::shared_ptr<detail::OwnerState> state) {
    std::exception_ptr error;
    try {
        co_await std::move(task);
    } catch (...) {
        error = std::current_exception();
    }
    state->Ended(error);
}

}  // namespace

void SetLastResort(LastResort lastResort) { g_lastResort = lastResort ? lastResort : ToStandardError; }

void ReportTo(ErrorSink& sink, std::exception_ptr error) noexcept {
    try {
        sink.Report(error);
    } catch (...) {
        g_lastResort(error);
    }
}

Owner::Owner(ErrorSink& sink) : state_(std::make_shared<detail::OwnerState>(sink, nullptr)) {}

Owner::Owner(Owner* parent)
    : state_(std::make_shared<detail::OwnerState>(parent->state_->Sink(), parent->state_)) {
    parent->state_->children.push_back(state_);
}

void Owner::Start(Task<> operation) {
    state_->Started();
    RunDetached(std::move(operation), state_);
}

namespace detail {

void OwnerState::Started() {
    for (OwnerState* s = this; s; s = s->parent_.get()) ++s->running_;
}

void OwnerState::Ended(std::exception_ptr error) noexcept {
    for (OwnerState* s = this; s; s = s->parent_.get()) --s->running_;
    if (error) ReportTo(sink_, error);
}

void OwnerState::Waits(const std::shared_ptr<WaitState>& wait) {
    waits_.erase(std::remove_if(waits_.begin(), waits_.end(),
                                [](const std::weak_ptr<WaitState>& w) {
                                    const auto held = w.lock();
                                    return !held || held->outcome() != WaitState::Outcome::Pending;
                                }),
                 waits_.end());
    waits_.push_back(wait);
}

void OwnerState::CancelAll() {
    const std::vector<std::weak_ptr<WaitState>> waits = std::move(waits_);
    waits_.clear();
    for (const auto& w : waits)
        if (const auto wait = w.lock()) wait->End(WaitState::Outcome::Cancelled);
    for (const auto& c : children)
        if (const auto child = c.lock()) child->CancelAll();
}

void WaitedInRunSync() {
    std::fputs("RunSync: the task waited, but there is no loop to wait in\n", stderr);
    std::abort();
}

}  // namespace detail

}  // namespace platform
