// Answer text in, quote and day out: the feed's reader must take any bytes, and what it accepts must
// be a quote the bar can show and a day the chart can draw.
#include <cstddef>
#include <cstdint>
#include <string>

#include "quotes/Download_AEX_Feed.h"
#include "quotes/TimeOfDay.h"
#include "support/Support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const quotes::IndexQuoteRecord before{"800,00", "1,00", "0,12%", "+", "16:00:00"};
    quotes::IndexQuoteRecord quote = before;
    quotes::DayPoints day;
    day.year = 1999;
    if (!quotes::ReadFeedAnswer(body, quotes::FeedFormat{size % 2 ? ',' : '.', "HH:mm:ss"}, quote, day)) {
        // Nothing read: nothing changed.
        if (quote.LastPrice != before.LastPrice || quote.QuoteTime != before.QuoteTime || day.year != 1999)
            __builtin_trap();
        return 0;
    }
    const double level = support::ParseNumber(quote.LastPrice);
    if (level < 1 || level > 100000 || quote.RelDiff.empty() || quote.RelDiff.back() != '%') __builtin_trap();
    if (!quotes::ParseTimeOfDay(quote.QuoteTime, ':')) __builtin_trap();
    if ((day.year == 0) != day.points.empty()) __builtin_trap();
    for (size_t i = 0; i < day.points.size(); ++i) {
        const quotes::DayPoint& p = day.points[i];
        if (p.minute < 0 || p.minute >= 24 * 60 || p.level < 1 || p.level > 100000) __builtin_trap();
        if (i > 0 && day.points[i - 1].minute >= p.minute) __builtin_trap();  // in time order, one a minute
    }
    return 0;
}
