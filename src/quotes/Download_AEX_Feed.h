// The quote feed reader: the AEX level, its change against the previous session's close and the
// quote time from the JSON quote feed, into IndexQuote, and the day's five-minute points into
// FeedDay. A source of its own beside the two quote pages, for when they give no quote.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"
#include "quotes/DayPoints.h"
#include "quotes/IndexQuote.h"

namespace quotes {

// What one request to the feed came to, beyond what it left in the quote.
struct FeedOutcome {
    bool delivered = false;  // the quote holds a level from the feed
    // The feed said it is asked too often (429) or cannot answer now (503): for how many seconds it
    // wants to be left alone; 0 otherwise.
    unsigned holdOffSeconds = 0;
};

// Fetches the feed once (QuoteFeedProfile) over platform::Current().web and reads its answer into
// IndexQuote and FeedDay with the user's regional settings. The quote time is the Amsterdam time of
// the feed's last trade, written in the user's long time format. When no quote comes only
// LastPrice changes: "-1" when the fetch failed (nothing came, a cut body, a 429 or 503), "-2" when
// the answer holds no usable quote; the day then stays as it was.
// The answer is awaited (AwaitText); the fields change only once it has come, on the calling thread.
platform::Task<FeedOutcome> Download_AEX_Feed();
platform::Task<FeedOutcome> Download_AEX_Feed(platform::Web& web, platform::Locale& locale, IndexQuoteRecord& quote,
                                              DayPoints& day);

struct FeedFormat {
    char decimalSeparator = ',';
    std::string longTimeFormat = "HH:mm:ss";
};

// Reads the body of a feed answer. A usable quote (a level and a time of the last trade, both sane
// numbers, for the AEX) fills every field of quote and the whole day (no day when it holds no
// points): true. Anything else leaves both untouched: false.
bool ReadFeedAnswer(const std::string& body, const FeedFormat& format, IndexQuoteRecord& quote, DayPoints& day);

constexpr unsigned kDefaultHoldOffSeconds = 5 * 60;
constexpr unsigned kLongestHoldOffSeconds = 24 * 60 * 60;

// The hold-off a 429 or 503 answer asks for: its Retry-After in seconds, at most a day; five
// minutes when it gives none, or a date, or anything else.
unsigned HoldOffSeconds(const std::string& retryAfter);

}  // namespace quotes
