// The IEX quote page reader: the AEX level, its change and the quote time from the front page of
// the IEX mobile quote site, into IndexQuote.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"
#include "quotes/IndexQuote.h"

namespace quotes {

// Fetches the page (IexQuoteProfile) over platform::Current().web and reads it into IndexQuote
// with the user's regional settings. Throws ConvertError for a quote time that is no valid time,
// after all five fields have their new values.
// The page is awaited (AwaitText); the fields change only once it has come, on the calling thread.
platform::Task<> Download_AEX_IEX();
platform::Task<> Download_AEX_IEX(platform::Web& web, platform::Locale& locale, IndexQuoteRecord& quote);

// Cuts an accepted page into quote (every field; LastPrice becomes "*******" when the page has no
// quote time). Throws ConvertError like the reader.
void CutIexPage(const std::string& page, char decimalSeparator, char timeSeparator, IndexQuoteRecord& quote);

}  // namespace quotes
