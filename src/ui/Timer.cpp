#include "ui/Timer.h"

#include "ui/Backend.h"

namespace ui {

// --- Timer

Timer::Timer(Form&, std::string name, unsigned interval, bool enabled)
    : name_(std::move(name)), interval_(interval), enabled_(enabled) {
    peer_ = CurrentBackend().CreateTimerPeer(*this);
    if (peer_) peer_->Restart();
}

Timer::~Timer() = default;

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (peer_) peer_->Restart();
}

void Timer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    if (peer_) peer_->Restart();
}

}  // namespace ui
