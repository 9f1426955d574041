// An operation of the window thread that waits without blocking it: a coroutine. It runs on the
// window thread up to its first wait (platform/Wait.h), gives control back to the program's message
// loop while it waits, and goes on, on the window thread, once the wait is over. So its steps still
// read in their order, while everything else the program does runs in between.
//
//   platform::Task<> TMainForm::RefreshOnce() {
//       CheckMarketClosed();
//       co_await quotes::Download_AEX_IEX();   // the page comes meanwhile
//       ShowQuote();
//   }
//
// A task starts when it is awaited by another task, or when Spawn starts it as an operation of its
// own. A task that is never started does nothing.
//
// What is awaited is made in a statement of its own when the call takes arguments
// (auto page = AwaitText(web, profile); co_await std::move(page);): GCC 12 destroys the temporaries
// of a co_await's operand twice.
#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace platform {

template <class T = void>
class Task;

namespace detail {

struct PromiseBase {
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
    auto operator co_await() && noexcept {
        struct Awaiter {
            Handle task;
            bool await_ready() noexcept { return false; }
            std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
                task.promise().continuation = awaiting;
                return task;
            }
            T await_resume() { return task.promise().Take(); }
        };
        return Awaiter{handle_};
    }

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

// What becomes of an error that ends an operation started by Spawn.
using ErrorHandler = std::function<void(std::exception_ptr)>;

// Starts a task as an operation of its own: it runs at once up to its first wait, and ends by
// itself; its error, if it ends with one, goes to onError.
void Spawn(Task<> task, ErrorHandler onError);

namespace detail {
// Reports that a task given to RunSync would have waited; it never returns.
[[noreturn]] void WaitedInRunSync();
}  // namespace detail

// Runs a task to its end on the calling thread and gives its result (or raises its error), where
// no loop is installed and every wait therefore ends at once (native tests of the logic, tools).
template <class T>
T RunSync(Task<T> task) {
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
    std::exception_ptr error;
    Spawn(
        [](Task<T> inner, auto& out) -> Task<> {
            if constexpr (std::is_void_v<T>) {
                co_await std::move(inner);
                out.emplace(true);
            } else {
                out.emplace(co_await std::move(inner));
            }
        }(std::move(task), result),
        [&](std::exception_ptr e) { error = e; });
    if (!result && !error) detail::WaitedInRunSync();
    if (error) std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>) return std::move(*result);
}

}  // namespace platform
