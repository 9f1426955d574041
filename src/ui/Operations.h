// Operations of one kind that run one at a time (a refresh, a sweep of tones): one asked for while
// another runs is neither nested in it nor lost, but follows it, from the message loop.
#pragma once

#include <deque>
#include <functional>

#include "platform/Owner.h"

namespace ui {

class OneAtATime {
public:
    enum class Asks {
        Merge,  // what is asked for while one runs makes one more run after it (the last one asked)
        Queue,  // each ask makes a run of its own, in the order they came
    };
    // The runs are part of the window's work: its owner reports their errors and can call them off.
    OneAtATime(platform::Owner& window, Asks asks) : owner_(&window), asks_(asks) {}

    using Operation = std::function<platform::Task<>()>;
    // Starts the operation at once, or after the ones that run or wait; nothing once the program
    // ends. An error that ends a run is reported as an event's is, and the next run follows.
    void Ask(Operation operation);
    // Drops what waits and calls off the run in progress: it ends with its next step.
    void Stop();
    bool Running() const { return owner_.Running() > 0; }
    size_t Waiting() const { return waiting_.size(); }

private:
    platform::Task<> RunAll();
    platform::Owner owner_;
    Asks asks_;
    std::deque<Operation> waiting_;
};

}  // namespace ui
