#include "app/SourceOrder.h"

namespace app {
namespace {

// At least `span` after `since`; a clock that went back counts as having passed it.
bool Passed(int64_t since, int64_t now, int64_t span) { return now < since || now - since >= span; }

}  // namespace

bool SourceOrder::PageFirst(int page, int64_t now) {
    if (page != page_) {
        page_ = page;
        failures_ = 0;
    }
    return failures_ < kFailuresBeforeFeedFirst || Passed(lastTry_, now, kPageRetryMs);
}

void SourceOrder::PageRead(int64_t now, bool delivered) {
    lastTry_ = now;
    failures_ = delivered ? 0 : failures_ + 1;
}

bool FeedPoliteness::MayAsk(int64_t now, int64_t intervalMs) const {
    if (HeldOff(now)) return false;
    return !asked_ || Passed(lastAsked_, now, intervalMs - intervalMs / 10);
}

bool FeedPoliteness::HeldOff(int64_t now) const { return now >= heldFrom_ && now - heldFrom_ < heldForMs_; }

void FeedPoliteness::Asked(int64_t now) {
    asked_ = true;
    lastAsked_ = now;
}

void FeedPoliteness::HoldOff(int64_t now, unsigned seconds) {
    heldFrom_ = now;
    heldForMs_ = int64_t(seconds) * 1000;
}

}  // namespace app
