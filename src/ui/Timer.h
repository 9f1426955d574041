// Timers of a form: a period, started and stopped, ticking through the backend.
#pragma once

#include <memory>
#include <string>

#include "ui/Control.h"

namespace ui {

class Timer {
public:
    Timer(Form& owner, std::string name, unsigned interval, bool enabled);
    ~Timer();
    const std::string& Name() const { return name_; }
    unsigned Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    // A different interval, or enabling, starts a new full period.
    void SetInterval(unsigned ms);
    void SetEnabled(bool v);
    void Start() { SetEnabled(true); }
    void Stop() { SetEnabled(false); }
    Handler onTimer;
    // A tick that comes after the timer was stopped does nothing.
    void Fire() {
        if (enabled_ && onTimer) onTimer();
    }
    TimerPeer* Peer() const { return peer_.get(); }

private:
    std::string name_;
    unsigned interval_;
    bool enabled_;
    std::unique_ptr<TimerPeer> peer_;
};

}  // namespace ui
