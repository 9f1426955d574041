// An operation of the window thread that waits without blocking it: a coroutine. It runs on the
// window thread up to its first wait (platform/Wait.h), gives control back to the program's message
// loop while it waits, and goes on, on the window thread, from a message of its own once the wait is
// over. So its steps still read in their order, while everything else the program does runs in
// between.
//
//   platform::Task<> TMainForm::RefreshOnce() {
//       CheckMarketClosed();
//       co_await quotes::Download_AEX_IEX();   // the page comes meanwhile
//       ShowQuote();
//   }
//
// A task starts when it is awaited by another task, or when an owner (platform/Owner.h) starts it as
// an operation of its own. A task that is never started does nothing.
//
// A task starts only when it is awaited, after the statement that made it may have ended. Two rules
// keep what it was given alive until then:
// - A task coroutine takes by value whatever a caller could hand it as a temporary. A reference to
//   const would bind the temporary, which dies before the task starts; the compiler refuses such a
//   parameter (see PromiseBase). A non-const reference binds only named objects, which is fine.
// - The call that is awaited gets no temporaries as arguments: name them first
//   (FetchProfile profile = IexQuoteProfile(); co_await Fetch(web, profile);). GCC 12 destroys the
//   temporaries of a co_await's operand twice.
#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace platform {

template <class T = void>
class Task;

namespace detail {

class OwnerState;

// Every coroutine of an operation knows the owner of the operation (platform/Owner.h), so that its
// waits can be called off with the owner's other work.
struct OwnedPromise {
    OwnerState* owner = nullptr;
};

template <class P>
OwnerState* OwnerOf(std::coroutine_handle<P> coroutine) {
    if constexpr (std::is_base_of_v<OwnedPromise, P>)
        return coroutine.promise().owner;
    else
        return nullptr;
}

// True when no parameter is a reference to const, which could bind a temporary that dies before the
// task starts. A coroutine that is a member function also passes its object: a const member would
// count too, but for empty objects such as a lambda without captures.
template <class... Params>
constexpr bool HoldsNoTemporaries() {
    return ((!std::is_const_v<Params> || std::is_empty_v<Params>) && ...);
}

struct PromiseBase : OwnedPromise {
    PromiseBase() = default;
    template <class... Params>
    explicit PromiseBase(Params&...) {
        static_assert(HoldsNoTemporaries<Params...>(),
                      "a task coroutine takes by value what a caller could pass as a temporary");
    }

    std::coroutine_handle<> continuation;
    std::exception_ptr error;

    std::suspend_always initial_suspend() noexcept { return {}; }

    // A finished task goes on with the one that awaited it.
    struct Finish {
        bool await_ready() noexcept { return false; }
        template <class Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> done) noexcept {
            const std::coroutine_handle<> next = done.promise().continuation;
            return next ? next : std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    Finish final_suspend() noexcept { return {}; }
    void unhandled_exception() { error = std::current_exception(); }
};

template <class T>
struct Promise : PromiseBase {
    using PromiseBase::PromiseBase;
    std::optional<T> value;
    Task<T> get_return_object();
    template <class U>
    void return_value(U&& v) {
        value.emplace(std::forward<U>(v));
    }
    T Take() {
        if (error) std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <>
struct Promise<void> : PromiseBase {
    using PromiseBase::PromiseBase;
    Task<void> get_return_object();
    void return_void() {}
    void Take() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace detail

template <class T>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (handle_) handle_.destroy();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (handle_) handle_.destroy();
    }

    // Runs the task (the awaiting one waits until it has finished); gives its result or raises its
    // error.
    auto operator co_await() && noexcept { return Awaiter{handle_}; }

    // The awaiting coroutine goes on when the task has finished; the task works for its owner.
    struct Awaiter {
        Handle task;
        bool await_ready() noexcept { return false; }
        template <class P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> awaiting) noexcept {
            task.promise().continuation = awaiting;
            task.promise().owner = detail::OwnerOf(awaiting);
            return task;
        }
        T await_resume() { return task.promise().Take(); }
    };

private:
    friend struct detail::Promise<T>;
    explicit Task(Handle handle) : handle_(handle) {}
    Handle handle_;
};

namespace detail {

template <class T>
Task<T> Promise<T>::get_return_object() {
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}

inline Task<void> Promise<void>::get_return_object() {
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}

}  // namespace detail

}  // namespace platform

// Operations are started by their owners, and run to their end at once by RunSync.
#include "platform/Owner.h"
