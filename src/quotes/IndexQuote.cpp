#include "quotes/IndexQuote.h"

#include <cfenv>
#include <cmath>

#include "quotes/DayPoints.h"
#include "support/Support.h"

namespace quotes {

IndexQuoteRecord IndexQuote;
DayPoints FeedDay;

bool IsCode(const std::string& lastPrice) {
    return lastPrice.empty() || lastPrice == kFetchFailed || lastPrice == kPageRejected || lastPrice == kNoQuoteTime;
}

std::string TwoDecimalsText(const std::string& numberText, char decimalSeparator) {
    return TwoDecimalsText(support::ParseNumber(numberText), decimalSeparator);
}

std::string TwoDecimalsText(double value, char decimalSeparator) {
    // nearbyint rounds in the current rounding mode, which is to-nearest-even unless someone changed it.
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double hundredths = std::nearbyint(value * 100.0);
    std::fesetround(previousMode);
    return support::FormatNumber(2, 2, hundredths / 100.0, decimalSeparator);
}

}  // namespace quotes
