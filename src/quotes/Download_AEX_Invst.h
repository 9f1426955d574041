// The Investing quote page reader: the AEX level, its change and the quote time from the
// historical-data page of the Dutch edition of the Investing quote site, into IndexQuote.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"
#include "quotes/IndexQuote.h"
#include "quotes/TimeOfDay.h"

namespace quotes {

// Fetches the page (InvestingQuoteProfile) over platform::Current().web and reads it into
// IndexQuote with the user's regional settings and the current time. A page without the level
// counts as rejected ("-2"). Throws ConvertError for a quote time without "/" that is no valid
// time, with the texts cut from the page in IndexQuote.
// The level is emptied at once; the page is awaited (AwaitText), and the fields change only once it
// has come, on the calling thread.
platform::Task<> Download_AEX_Invst();
platform::Task<> Download_AEX_Invst(platform::Web& web, platform::Locale& locale, platform::Clock& clock,
                                    IndexQuoteRecord& quote);

struct TimeSettings {
    char timeSeparator = ':';
    std::string longTimeFormat = "HH:mm:ss";
};

// Cuts an accepted page into quote; now is used when the page gives no usable time. A page
// without the level's marker is no quote page (an error or challenge page, another layout):
// false, and quote is left as it was.
bool CutInvestingPage(const std::string& page, const TimeSettings& settings, const TimeOfDay& now,
                      IndexQuoteRecord& quote);

// Moves a quote time into the trading hours: later than 18:00 or earlier than 08:30 becomes
// 18:00 with the seconds kept.
TimeOfDay IntoTradingHours(TimeOfDay time);

}  // namespace quotes
