#include "quotes/Download_AEX_Invst.h"

#include <string_view>

#include "quotes/Fetch.h"
#include "quotes/PageCut.h"

namespace quotes {
namespace {

// The element text after the next occurrence of marker; work moves past the marker.
std::string CutElementText(std::string_view marker, std::string_view& work) {
    work = ViewAfter(marker, work);
    return std::string(ViewBeforeChar('<', work));
}

constexpr int kLatestMinute = 18 * 60;         // 18:00
constexpr int kEarliestMinute = 8 * 60 + 30;   // 08:30

}  // namespace

TimeOfDay IntoTradingHours(TimeOfDay time) {
    if (time.hour * 60 + time.minute > kLatestMinute) {
        time.hour = 18;
        time.minute = 0;
    }
    if (time.hour * 60 + time.minute < kEarliestMinute) {
        time.hour = 18;
        time.minute = 0;
    }
    return time;
}

bool CutInvestingPage(const std::string& page, const TimeSettings& settings, const TimeOfDay& now,
                      IndexQuoteRecord& quote) {
    const std::optional<std::string_view> afterLevelMarker = FindAfter("\"last_last\"", page);
    if (!afterLevelMarker) return false;
    std::string_view work = ViewAfterChar('>', *afterLevelMarker);  // past the end of the level's own tag
    quote.LastPrice = std::string(ViewBeforeChar('<', work));
    quote.AbsDiff = CutElementText("dir=\"ltr\">", work);
    quote.Sign = quote.AbsDiff.substr(0, 1);
    quote.RelDiff = CutElementText("dir=\"ltr\">", work);
    quote.QuoteTime = CutElementText("time\">", work);

    TimeOfDay time = now;
    // A date instead of a time (the page shows one outside trading) means: the time of reading.
    if (!quote.QuoteTime.empty() && quote.QuoteTime.find('/') == std::string::npos) {
        const auto pageTime = ParseTimeOfDay(quote.QuoteTime, settings.timeSeparator);
        if (!pageTime) ThrowNotAValidTime(quote.QuoteTime);
        time = *pageTime;
    }
    quote.QuoteTime = FormatTimeOfDay(IntoTradingHours(time), settings.longTimeFormat);
    return true;
}

platform::Task<> Download_AEX_Invst(platform::Web& web, platform::Locale& locale, platform::Clock& clock,
                                    IndexQuoteRecord& quote) {
    quote.LastPrice.clear();
    auto page = AwaitText(web, InvestingQuoteProfile());
    const TextFetch fetch = co_await std::move(page);
    switch (ClassifyPage(fetch)) {
        case PageOutcome::Failed: quote.LastPrice = kFetchFailed; co_return;
        case PageOutcome::Rejected: quote.LastPrice = kPageRejected; co_return;
        case PageOutcome::Accepted: break;
    }
    const platform::DateTime now = clock.Now();
    // Without this a page of another kind would show as a level of 0,00 at the time of reading.
    if (!CutInvestingPage(fetch.body, TimeSettings{locale.TimeSeparator(), locale.LongTimeFormat()},
                          TimeOfDay{now.hour, now.minute, now.second}, quote))
        quote.LastPrice = kPageRejected;
}

platform::Task<> Download_AEX_Invst() {
    platform::Services& services = platform::Current();
    return Download_AEX_Invst(*services.web, *services.locale, *services.clock, IndexQuote);
}

}  // namespace quotes
