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

#include "platform/Task.h"

namespace fakes {

template <class T>
struct Outcome {
    std::optional<T> value;
    std::exception_ptr error;
    bool Ended() const { return value.has_value() || error != nullptr; }
};

template <class T>
std::shared_ptr<Outcome<T>> Start(platform::Task<T> task) {
    auto outcome = std::make_shared<Outcome<T>>();
    platform::Spawn(
        [](platform::Task<T> inner, std::shared_ptr<Outcome<T>> kept) -> platform::Task<> {
            kept->value.emplace(co_await std::move(inner));
        }(std::move(task), outcome),
        [outcome](std::exception_ptr error) { outcome->error = error; });
    return outcome;
}

}  // namespace fakes
