// The current quote, written by the two quote readers and read by the main window.
#pragma once

#include <stdexcept>
#include <string>

namespace quotes {

struct IndexQuoteRecord {
    std::string LastPrice;  // the level, or one of the codes below
    std::string AbsDiff;    // change in points
    std::string RelDiff;    // change in per cent
    std::string Sign;       // "+", "-", or empty (IEX); the first character of AbsDiff (Investing)
    std::string QuoteTime;
};

// Lives for the whole run and keeps its values between refreshes.
extern IndexQuoteRecord IndexQuote;

constexpr const char* kFetchFailed = "-1";
constexpr const char* kPageRejected = "-2";
constexpr const char* kNoQuoteTime = "*******";

// A LastPrice that is no level: one of the codes above, or nothing at all.
bool IsCode(const std::string& lastPrice);

// A page's time text that is no valid time of day.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The number text rounded to the hundredth (an exact half to the even one) and written with two
// decimals and the given decimal separator: "1234.567" gives 1234,57 with a comma.
std::string TwoDecimalsText(const std::string& numberText, char decimalSeparator);
std::string TwoDecimalsText(double value, char decimalSeparator);

}  // namespace quotes
