#include "quotes/Download_AEX_IEX.h"

#include <string_view>

#include "quotes/Fetch.h"
#include "quotes/PageCut.h"
#include "quotes/TimeOfDay.h"
#include "support/Support.h"

namespace quotes {
namespace {

// The page carries each value as an assignment: marker, "=", number, ";". The cut moves work past
// the "=", so the next marker is looked for only after this value.
std::string CutAssignment(std::string_view marker, std::string_view& work, char decimalSeparator) {
    work = ViewAfter(marker, work);
    work = ViewAfterChar('=', work);
    return TwoDecimalsText(std::string(ViewBeforeChar(';', work)), decimalSeparator);
}

std::string SignOf(const std::string& change) {
    const double x = support::ParseNumber(change);
    return x > 0 ? "+" : x < 0 ? "-" : "";
}

}  // namespace

void CutIexPage(const std::string& page, char decimalSeparator, char timeSeparator, IndexQuoteRecord& quote) {
    std::string_view work = page;
    quote.LastPrice = CutAssignment("IEX25LastPrice", work, decimalSeparator);
    quote.AbsDiff = CutAssignment("IEX25AbsoluteDifference", work, decimalSeparator);
    quote.Sign = SignOf(quote.AbsDiff);
    quote.RelDiff = CutAssignment("IEX25RelativeDifference", work, decimalSeparator) + "%";
    work = ViewAfter("LastTime\">", work);
    quote.QuoteTime = std::string(ViewBeforeChar('<', work));

    if (quote.QuoteTime.empty()) {
        quote.LastPrice = kNoQuoteTime;
        return;
    }
    // The time is shown as the page writes it; it is converted only to make sure it is one.
    if (!ParseTimeOfDay(quote.QuoteTime, timeSeparator)) ThrowNotAValidTime(quote.QuoteTime);
}

platform::Task<> Download_AEX_IEX(platform::Web& web, platform::Locale& locale, IndexQuoteRecord& quote) {
    auto page = AwaitText(web, IexQuoteProfile());
    const TextFetch fetch = co_await std::move(page);
    switch (ClassifyPage(fetch)) {
        case PageOutcome::Failed: quote.LastPrice = kFetchFailed; co_return;
        case PageOutcome::Rejected: quote.LastPrice = kPageRejected; co_return;
        case PageOutcome::Accepted: break;
    }
    CutIexPage(fetch.body, locale.DecimalSeparator(), locale.TimeSeparator(), quote);
}

platform::Task<> Download_AEX_IEX() {
    platform::Services& services = platform::Current();
    return Download_AEX_IEX(*services.web, *services.locale, IndexQuote);
}

}  // namespace quotes
