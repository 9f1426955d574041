// Which quote source a refresh asks first, and when the quote feed may be asked at all. Times are
// milliseconds on the program's clock (support::SecondsSince1970 of the local time, times 1000).
// That clock may go back (the end of summer time, the user setting it): a time before the last one
// counts as a long time after it, so that nothing waits an hour for the clock to catch up.
#pragma once

#include <cstdint>

namespace app {

// The quote page of the hour comes first. After it has failed three refreshes running, the feed
// comes first and the page is tried first again once ten minutes have passed since its last try;
// once it delivers, it is first again. Another page for the hour (the exchange opening or closing)
// starts afresh.
class SourceOrder {
public:
    static constexpr int kFailuresBeforeFeedFirst = 3;
    static constexpr int64_t kPageRetryMs = 10 * 60 * 1000;

    // Whether the refresh at `now`, which would read `page`, asks that page before the feed.
    bool PageFirst(int page, int64_t now);
    // The page was read at `now`: it delivered a quote or left a code.
    void PageRead(int64_t now, bool delivered);
    int Failures() const { return failures_; }

private:
    int page_ = -1;
    int failures_ = 0;
    int64_t lastTry_ = 0;
};

// Asks the feed politely: at most once a refresh (the refresh's own business), never sooner than
// nine tenths of the refresh interval after the last request (a timer's tick may come a little early
// on the request before it, which came late in its refresh), and not at all while the feed holds us
// off (429 or 503).
class FeedPoliteness {
public:
    bool MayAsk(int64_t now, int64_t intervalMs) const;
    bool HeldOff(int64_t now) const;
    void Asked(int64_t now);
    // The feed asked at `now` to be left alone for `seconds` (0: not at all).
    void HoldOff(int64_t now, unsigned seconds);

private:
    bool asked_ = false;
    int64_t lastAsked_ = 0;
    int64_t heldFrom_ = 0;
    int64_t heldForMs_ = 0;
};

}  // namespace app
