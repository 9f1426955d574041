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
    waiting_ = std::move(operation);
    if (!Running()) owner_.Start(RunAll());
}

void OneAtATime::Stop() {
    waiting_.reset();
    owner_.CancelAll();
}

// A run called off by Stop ends quietly, and what was asked for after the stop follows it.
platform::Task<> OneAtATime::RunAll() {
    while (waiting_ && !Ending()) {
        const Operation next = std::move(*waiting_);
        waiting_.reset();
        std::exception_ptr error;
        try {
            co_await next();
        } catch (const platform::Cancelled&) {
        } catch (...) {
            error = std::current_exception();
        }
        if (error) platform::ReportTo(App(), error);
    }
    waiting_.reset();
}

}  // namespace ui
