#include "quotes/TimeOfDay.h"

#include "quotes/IndexQuote.h"

namespace quotes {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SkipBlanks(const std::string& text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

// One or two digits.
bool ReadField(const std::string& text, size_t& pos, int& value) {
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < 2) value = value * 10 + (text[pos++] - '0');
    return pos > start && !(pos < text.size() && IsDigit(text[pos]));
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "AM" or "PM" (any case) at pos: 0 for neither, 1 for AM, 2 for PM.
int ReadDayHalf(const std::string& text, size_t& pos) {
    if (text.size() - pos < 2 || Upper(text[pos + 1]) != 'M') return 0;
    const char first = Upper(text[pos]);
    if (first != 'A' && first != 'P') return 0;
    pos += 2;
    return first == 'A' ? 1 : 2;
}

std::string TwoDigits(int value) { return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10); }

std::string Number(int value, bool twoDigits) { return twoDigits || value >= 10 ? TwoDigits(value) : std::to_string(value); }

}  // namespace

std::optional<TimeOfDay> ParseTimeOfDay(const std::string& text, char timeSeparator) {
    TimeOfDay time;
    size_t pos = 0;
    SkipBlanks(text, pos);
    if (!ReadField(text, pos, time.hour)) return std::nullopt;
    if (pos >= text.size() || text[pos] != timeSeparator) return std::nullopt;
    ++pos;
    if (!ReadField(text, pos, time.minute)) return std::nullopt;
    if (pos < text.size() && text[pos] == timeSeparator) {
        ++pos;
        if (!ReadField(text, pos, time.second)) return std::nullopt;
    }
    SkipBlanks(text, pos);
    const int dayHalf = ReadDayHalf(text, pos);
    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;
    if (dayHalf != 0) {
        if (time.hour < 1 || time.hour > 12) return std::nullopt;
        time.hour = time.hour % 12 + (dayHalf == 2 ? 12 : 0);
    }
    if (time.hour > 23 || time.minute > 59 || time.second > 59) return std::nullopt;
    return time;
}

std::string FormatTimeOfDay(const TimeOfDay& time, const std::string& format) {
    std::string out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        switch (c) {
            case 'H': out += Number(time.hour, run >= 2); break;
            case 'h': out += Number(time.hour % 12 == 0 ? 12 : time.hour % 12, run >= 2); break;
            case 'm': out += Number(time.minute, run >= 2); break;
            case 's': out += Number(time.second, run >= 2); break;
            case 't': out += run >= 2 ? (time.hour < 12 ? "AM" : "PM") : (time.hour < 12 ? "A" : "P"); break;
            case '\'': {
                const size_t close = format.find('\'', i + 1);
                const size_t end = close == std::string::npos ? format.size() : close;
                out += format.substr(i + 1, end - i - 1);
                i = close == std::string::npos ? format.size() : close + 1;
                continue;
            }
            default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

// The text comes from a web page and may be of any length; the message quotes only its start.
void ThrowNotAValidTime(const std::string& text) {
    constexpr size_t kQuotedLength = 40;
    const std::string quoted = text.size() <= kQuotedLength ? text : text.substr(0, kQuotedLength) + "...";
    throw ConvertError("'" + quoted + "' is not a valid time");
}

}  // namespace quotes
