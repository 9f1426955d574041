// ParseNumber never fails and gives a finite number; the display text of it is well formed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "quotes/IndexQuote.h"
#include "support/Support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = support::ParseNumber(text);
    if (std::isnan(value)) __builtin_trap();
    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        const std::string shown = quotes::TwoDecimalsText(text, ',');
        const auto comma = shown.find(',');
        if (comma == std::string::npos || shown.size() - comma != 3) __builtin_trap();
    }
    return 0;
}
