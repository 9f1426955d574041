// Operations of one kind that run one at a time (a refresh, a sweep of tones): one asked for while
// another runs is neither nested in it nor lost, but follows it, from the message loop. However
// often it was asked meanwhile, one more runs: the last one asked for.
#pragma once

#include <functional>
#include <optional>

#include "platform/Owner.h"

namespace ui {

class OneAtATime {
public:
    // The runs are part of the window's work: its owner reports their errors and can call them off.
    explicit OneAtATime(platform::Owner& window) : owner_(&window) {}

    using Operation = std::function<platform::Task<>()>;
    // Starts the operation at once, or after the one that runs, in the place of any that waits;
    // nothing once the program ends. An error that ends a run is reported as an event's is, and the
    // next run follows.
    void Ask(Operation operation);
    // Drops what waits and calls off the run in progress: it ends with its next step.
    void Stop();
    bool Running() const { return owner_.Running() > 0; }

private:
    platform::Task<> RunAll();
    platform::Owner owner_;
    std::optional<Operation> waiting_;
};

}  // namespace ui
