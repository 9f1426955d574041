// Operations of one kind that run one at a time (a refresh, a sweep of tones): one asked for while
// another runs is neither nested in it nor lost, but follows it, from the message loop.
#pragma once

#include <deque>
#include <functional>

#include "platform/Task.h"

namespace ui {

// Sets a flag for as long as a scope runs, also when an error (or the program's end) ends it.
class Flagged {
public:
    explicit Flagged(bool& flag) : flag_(flag) { flag_ = true; }
    ~Flagged() { flag_ = false; }
    Flagged(const Flagged&) = delete;
    Flagged& operator=(const Flagged&) = delete;

private:
    bool& flag_;
};

class OneAtATime {
public:
    enum class Asks {
        Merge,  // what is asked for while one runs makes one more run after it, however often it was asked
        Queue,  // each ask makes a run of its own, in the order they came
    };
    explicit OneAtATime(Asks asks) : asks_(asks) {}

    using Operation = std::function<platform::Task<>()>;
    // Starts the operation at once, or after the ones that run or wait; nothing once the program
    // ends. An error that ends a run is reported as an event's is, and the next run follows.
    void Ask(Operation operation);
    bool Running() const { return running_; }
    size_t Waiting() const { return waiting_.size(); }

private:
    platform::Task<> RunAll();
    Asks asks_;
    bool running_ = false;
    std::deque<Operation> waiting_;
};

}  // namespace ui
