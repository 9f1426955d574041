// Who owns the operations of the window thread (platform/Task.h). Each window that starts
// operations has one owner for them: it starts them, knows how many run, calls off every wait of
// theirs when the window closes, and hands the error that ends one to the one place that tells the
// user (an ErrorSink: the application's general error handler).
//
//   platform::Owner work_{ui::App()};
//   work_.Start(Download());
//   ...
//   work_.CancelAll();   // the window was closed: the download's wait ends as called off
#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/Task.h"

namespace platform {

// Where the error that ended an operation goes.
class ErrorSink {
public:
    virtual void Report(std::exception_ptr error) = 0;

protected:
    ~ErrorSink() = default;
};

// What becomes of an error whose sink failed to take it (the sink raised an error of its own): it
// is handed here instead, once. The window layer installs its plain error box; by default the error
// goes to the standard error stream.
using LastResort = void (*)(std::exception_ptr error) noexcept;
void SetLastResort(LastResort lastResort);

// Hands the error to the sink; should the sink raise an error of its own, to the last resort.
void ReportTo(ErrorSink& sink, std::exception_ptr error) noexcept;

namespace detail {
class WaitState;

class OwnerState {
public:
    OwnerState(ErrorSink& sink, std::shared_ptr<OwnerState> parent) : sink_(sink), parent_(std::move(parent)) {}
    void Started();
    // The operation ended, with the error it ended with, if any; no error leaves.
    void Ended(std::exception_ptr error) noexcept;
    void Waits(const std::shared_ptr<WaitState>& wait);
    void CancelAll();
    size_t Running() const { return running_; }
    ErrorSink& Sink() const { return sink_; }
    std::vector<std::weak_ptr<OwnerState>> children;

private:
    ErrorSink& sink_;
    std::shared_ptr<OwnerState> parent_;
    size_t running_ = 0;
    std::vector<std::weak_ptr<WaitState>> waits_;
};
}  // namespace detail

class Owner {
public:
    explicit Owner(ErrorSink& sink);
    // A part of the parent's work (one kind of operation, say): it reports through the parent's
    // sink, its operations count as the parent's, and the parent's CancelAll calls them off too.
    explicit Owner(Owner* parent);
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    // Starts the operation: it runs at once up to its first wait and ends by itself; the error it
    // ends with goes to the sink (Cancelled too: the sink lets that one pass quietly).
    void Start(Task<> operation);
    // Operations started here (and in its parts) that have not ended yet.
    size_t Running() const { return state_->Running(); }
    // Every wait of these operations ends as called off: each goes on from its own message with
    // Cancelled, and its work is told to stop.
    void CancelAll() { state_->CancelAll(); }

private:
    std::shared_ptr<detail::OwnerState> state_;
};

namespace detail {
// Reports that a task given to RunSync would have waited; it never returns.
[[noreturn]] void WaitedInRunSync();
}  // namespace detail

// Runs a task to its end on the calling thread and gives its result (or raises its error), where
// no loop is installed and every wait therefore ends at once (native tests of the logic, tools).
template <class T>
T RunSync(Task<T> task) {
    struct Kept : ErrorSink {
        std::exception_ptr error;
        void Report(std::exception_ptr e) override { error = e; }
    } kept;
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
    Owner owner(kept);
    owner.Start([](Task<T> inner, auto& out) -> Task<> {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(inner);
            out.emplace(true);
        } else {
            out.emplace(co_await std::move(inner));
        }
    }(std::move(task), result));
    if (!result && !kept.error) detail::WaitedInRunSync();
    if (kept.error) std::rethrow_exception(kept.error);
    if constexpr (!std::is_void_v<T>) return std::move(*result);
}

}  // namespace platform
