// Number texts with a comma or a point as decimal mark, read and written.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "support/Support.h"

namespace support {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Dutch texts group thousands with points before the decimal comma ("1.002,35"): drop those
// points and make the comma the decimal point. A text without a comma keeps its point.
std::string WithDecimalPoint(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return text;
    std::string whole = text.substr(0, comma);
    whole.erase(std::remove(whole.begin(), whole.end(), '.'), whole.end());
    return whole + '.' + text.substr(comma + 1);
}

// Reads [sign] digits [. digits] with at least one digit; anything else is no number.
bool ReadPlainNumber(const std::string& text, double& value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t wholeStart = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    std::string whole = text.substr(wholeStart, pos - wholeStart);
    std::string fraction;
    if (pos < text.size() && text[pos] == '.') {
        const size_t fractionStart = ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
        fraction = text.substr(fractionStart, pos - fractionStart);
    }
    if (pos != text.size() || (whole.empty() && fraction.empty())) return false;

    const std::string digits = (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
    double magnitude = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

// "-0.00": a minus followed only by zeros and the point.
bool IsNegativeZero(const std::string& text) {
    return text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos;
}

}  // namespace

bool ParseDecimalInteger(const std::string& text, int32_t& result) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos == text.size()) return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return false;
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > limit) return false;
    }
    result = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

double ParseNumber(const std::string& text) {
    const std::string number = WithDecimalPoint(RemoveSpaces(text));
    if (number.find_first_not_of("+-.0123456789") != std::string::npos) return 0;
    double value = 0;
    return ReadPlainNumber(number, value) ? value : 0;
}

std::string FormatNumber(int width, int decimals, double value, char decimalSeparator) {
    decimals = std::clamp(decimals, 0, 40);
    width = std::clamp(width, 0, 400);
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), "%.*f", decimals, value);
    text.resize(static_cast<size_t>(length));

    // A value that rounds to zero is shown without a sign ("0.00", not "-0.00").
    if (IsNegativeZero(text)) text.erase(0, 1);
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    if (decimalSeparator != '.') {
        const auto point = text.find('.');
        if (point != std::string::npos) text[point] = decimalSeparator;
    }
    return text;
}

std::string FormatNumber(int width, int decimals, double value) {
    platform::Locale* locale = platform::Current().locale;
    return FormatNumber(width, decimals, value, locale ? locale->DecimalSeparator() : '.');
}

}  // namespace support
