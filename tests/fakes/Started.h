// Starts an operation as the program starts one, and keeps what it ended with, for tests that let a
// loop (ui::HeadlessBackend) run it and look at the outcome afterwards.
//
//   auto list = fakes::Start(update::TThread1::Run(web));
//   backend.RunUntil([&] { return list->Ended(); });
//   EXPECT_EQ(*list->value, "...");
#pragma once

#include <exception>
#include <memory>
#include <optional>

#include "platform/Owner.h"

namespace fakes {

template <class T>
struct Outcome {
    std::optional<T> value;
    std::exception_ptr error;
    bool Ended() const { return value.has_value() || error != nullptr; }
};

// The operations tests start keep their own errors, so their owner's sink hears of none.
struct NoErrors : platform::ErrorSink {
    void Report(std::exception_ptr) override {}
};

template <class T>
std::shared_ptr<Outcome<T>> Start(platform::Task<T> task) {
    static NoErrors none;
    static platform::Owner tests(none);
    auto outcome = std::make_shared<Outcome<T>>();
    tests.Start([](platform::Task<T> inner, std::shared_ptr<Outcome<T>> kept) -> platform::Task<> {
        try {
            kept->value.emplace(co_await std::move(inner));
        } catch (...) {
            kept->error = std::current_exception();
        }
    }(std::move(task), outcome));
    return outcome;
}

}  // namespace fakes
