// Page text in, IndexQuote out: the Investing reader's cutting must take any bytes, and every
// time it writes lies within the trading hours.
#include <cstddef>
#include <cstdint>
#include <string>

#include "quotes/Download_AEX_Invst.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    quotes::IndexQuoteRecord quote;
    const quotes::TimeOfDay now{static_cast<int>(size % 24), static_cast<int>(size % 60), 7};
    try {
        if (!quotes::CutInvestingPage(page, quotes::TimeSettings{':', "HH:mm:ss"}, now, quote)) return 0;
    } catch (const quotes::ConvertError&) {
        return 0;
    }
    const auto written = quotes::ParseTimeOfDay(quote.QuoteTime, ':');
    if (!written) __builtin_trap();
    const int minutes = written->hour * 60 + written->minute;
    if (minutes < 8 * 60 + 30 || minutes > 18 * 60) __builtin_trap();
    if (quote.Sign.size() > 1 || quote.Sign != quote.AbsDiff.substr(0, 1)) __builtin_trap();
    return 0;
}
