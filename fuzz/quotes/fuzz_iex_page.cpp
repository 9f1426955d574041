// Page text in, IndexQuote out: the IEX reader's cutting must take any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "quotes/Download_AEX_IEX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    quotes::IndexQuoteRecord quote;
    try {
        quotes::CutIexPage(page, size % 2 ? ',' : '.', ':', quote);
    } catch (const quotes::ConvertError&) {
        if (quote.QuoteTime.empty()) __builtin_trap();  // only a time text can be no valid time
    }
    if (quote.RelDiff.empty() || quote.RelDiff.back() != '%') __builtin_trap();
    return 0;
}
