#include "ui/Operations.h"

#include "ui/Application.h"

namespace ui {
namespace {

bool Ending() {
    const platform::Loop* loop = platform::Current().loop;
    return App().Terminated() || (loop && loop->Ending());
}

}  // namespace

void OneAtATime::Ask(Operation operation) {
    if (Ending()) return;
    if (asks_ == Asks::Merge) waiting_.clear();
    waiting_.push_back(std::move(operation));
    if (!Running()) owner_.Start(RunAll());
}

void OneAtATime::Stop() {
    waiting_.clear();
    owner_.CancelAll();
}

// A run called off by Stop ends quietly, and what was asked for after the stop follows it.
platform::Task<> OneAtATime::RunAll() {
    while (!waiting_.empty() && !Ending()) {
        Operation next = std::move(waiting_.front());
        waiting_.pop_front();
        std::exception_ptr error;
        try {
            co_await next();
        } catch (const platform::Cancelled&) {
        } catch (...) {
            error = std::current_exception();
        }
        if (error) platform::ReportTo(App(), error);
    }
    waiting_.clear();
}

}  // namespace ui
