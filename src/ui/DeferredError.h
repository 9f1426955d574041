// Steps that must run even when a step before them fails: the first error is kept and raised
// again once they have all run, so that it still reaches the general error handler.
#pragma once

#include <exception>

namespace ui {

class DeferredError {
public:
    template <class Step>
    void Run(Step&& step) {
        try {
            step();
        } catch (...) {
            if (!error_) error_ = std::current_exception();
        }
    }
    bool Raised() const { return error_ != nullptr; }
    void RaiseIfAny() const {
        if (error_) std::rethrow_exception(error_);
    }

private:
    std::exception_ptr error_;
};

}  // namespace ui
