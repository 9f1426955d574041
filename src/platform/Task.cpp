#include "platform/Task.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// The root of an operation started by Spawn: it owns the task while it runs and ends by itself.
struct Detached {
    struct promise_type {
        Detached get_return_object() { return {}; }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() { std::terminate(); }  // RunDetached lets no error out
    };
};

Detached RunDetached(Task<> task, ErrorHandler onError) {
    std::exception_ptr error;
    try {
        co_await std::move(task);
    } catch (...) {
        error = std::current_exception();
    }
    if (error && onError) onError(error);
}

}  // namespace

void Spawn(Task<> task, ErrorHandler onError) { RunDetached(std::move(task), std::move(onError)); }

namespace detail {

void WaitedInRunSync() {
    std::fputs("RunSync: the task waited, but there is no loop to wait in\n", stderr);
    std::abort();
}

}  // namespace detail

}  // namespace platform
