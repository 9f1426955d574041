#include "ui/Operations.h"

#include "ui/Application.h"

namespace ui {

void OneAtATime::Ask(Operation operation) {
    if (App().Terminated()) return;
    if (asks_ == Asks::Merge && !waiting_.empty()) return;
    waiting_.push_back(std::move(operation));
    if (!running_) App().Start(RunAll());
}

platform::Task<> OneAtATime::RunAll() {
    Flagged running(running_);
    while (!waiting_.empty() && !App().Terminated()) {
        Operation next = std::move(waiting_.front());
        waiting_.pop_front();
        std::exception_ptr error;
        try {
            co_await next();
        } catch (const platform::Cancelled&) {
            waiting_.clear();
            throw;
        } catch (...) {
            error = std::current_exception();
        }
        if (error) App().Report(error);
    }
    waiting_.clear();
}

}  // namespace ui
